// The crash-dump hook: the dump name that identifies the machine and the library's version, and
// the crash handler that picks a free dump file and writes a short report into it.
#pragma once

#include <string>

namespace qelt
{

// The library's version, compiled in.
inline constexpr int kVersionMajor = 0;
inline constexpr int kVersionMinor = 1;
inline constexpr int kVersionBuild = 0;
inline constexpr int kVersionRevision = 0;
inline constexpr bool kVersionPreRelease = true;

// "PreRelease " when pre-release, "D" or "R" for debug or release, then the four numbers.
std::string miniDumpVersionText();
// The physical address of the first network interface as lower-case hex; "" when it has none,
// "ERR3" when the table cannot be read and "ERR4" when it is empty.
std::string miniDumpMachineText();
// "QELT_VIEWER_" + machine text + "_" + version text.
std::string buildMiniDumpName();

// Builds the dump name once and, when QELT_DUMP_TYPE exists, installs the crash handler on an
// alternate stack. Safe to call again: later calls do nothing.
void prepareMiniDump();
// The dump name; "Application" before prepareMiniDump.
const std::string& miniDumpName();

// The first of template, with the last run of digits of its file part replaced by 0, 1, ... 999
// written as wide as the run, that does not exist; the 999 one when all do. The template itself
// when its file part holds no digits.
std::string nextFreeDumpFile(const std::string& pathTemplate);

} // namespace qelt
