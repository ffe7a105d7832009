// Copies of the real qelt_viewer with the resources and scenes a test needs, and runs of them
// without a display, with the recording stand-in engine.
#pragma once

#include "platform/resources.h"
#include "platform/scene_trailer.h"
#include "tests/support/process.h"
#include "tests/support/temp_folder.h"
#include "tools/pack_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace qelt::testing
{

// Lines of a text, without their line feeds.
inline std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::stringstream stream(text);
    std::string line;
    while (std::getline(stream, line))
        lines.push_back(line);
    return lines;
}

// True when every needle occurs in haystack, in this order.
inline bool inOrder(const std::string& haystack, const std::vector<std::string>& needles)
{
    std::size_t at = 0;
    for (const std::string& needle : needles)
    {
        at = haystack.find(needle, at);
        if (at == std::string::npos)
            return false;
        at += needle.size();
    }
    return true;
}

// A whole file in one read (the programs here are megabytes).
inline std::vector<uint8_t> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    std::vector<uint8_t> bytes(ec ? 0 : static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

// A scene archive of small entries named as given.
inline std::vector<uint8_t> sceneArchive(const std::vector<std::string>& names)
{
    std::vector<tools::cArchiveItem> items;
    for (const std::string& name : names)
        items.push_back({name, bytesOf("bytes of " + name)});
    return tools::buildArchive(items);
}

class cViewerFixture : public ::testing::Test
{
  protected:
    // A copy of the built program in the test's folder.
    std::string copyViewer(const std::string& name)
    {
        const std::string path = folder_ / name;
        std::filesystem::copy_file(QELT_VIEWER_PATH, path,
                                   std::filesystem::copy_options::overwrite_existing);
        return path;
    }

    // Adds or replaces a "BINARY" resource of a program.
    static void setResource(const std::string& program, const std::string& name,
                            const std::vector<uint8_t>& bytes)
    {
        platform::cResourceUpdate update;
        ASSERT_TRUE(update.begin(program, false)) << update.error();
        update.update("BINARY", name, 0, bytes);
        ASSERT_TRUE(update.commit()) << update.error();
    }

    // The library package holding one engine library as "qeltview.so", made by the build
    // beside the library.
    static std::vector<uint8_t> enginePackage(const std::string& library)
    {
        return readFile(library + ".pkg");
    }

    // A copy of the program carrying the recording engine (or the one without _Exec@4).
    std::string viewerWithEngine(const std::string& name,
                                 const std::string& library = QELT_FAKE_ENGINE)
    {
        const std::string program = copyViewer(name);
        setResource(program, "DLLS", enginePackage(library));
        return program;
    }

    std::string writeArchive(const std::string& file, const std::vector<std::string>& names)
    {
        const std::string path = folder_ / file;
        writeBytes(path, sceneArchive(names));
        return path;
    }

    // Runs a program headless in the test's folder, with the debug channel on, its own
    // temporary folder and the engine's call log.
    cProcessResult run(const std::string& program, const std::vector<std::string>& args,
                       EnvironmentChanges extra = {})
    {
        std::filesystem::create_directories(temporary());
        EnvironmentChanges changes = {{"QELT_WINDOW_SYSTEM", std::string("headless")},
                                      {"DISPLAY", std::nullopt},
                                      {"QELT_DEBUG_LOG", std::string("true")},
                                      {"QELT_MESSAGEBOX_ANSWERS", std::nullopt},
                                      {"TMPDIR", temporary()},
                                      {"QELT_FAKE_ENGINE_LOG", engineLog()}};
        for (const auto& [name, value] : extra)
            changes[name] = value;
        return runProcess(program, args, changes, folder_.path());
    }

    std::string temporary() const { return folder_ / "tmp"; }
    std::string engineLog() const { return folder_ / "engine.log"; }
    std::vector<std::string> engineCalls() const { return linesOf(readText(engineLog())); }

    cTempFolder folder_;
};

} // namespace qelt::testing
