// The published-scene program: start-up, the host window, the engine and its message loop.
#pragma once

#include <string>
#include <vector>

namespace qelt
{

// Runs qelt_viewer with its arguments (without the program name) and returns its exit code.
int runViewer(const std::vector<std::string>& args);

} // namespace qelt
