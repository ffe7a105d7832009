// qelt_viewer: views the scene it carries, or publishes a copy of itself with another scene.
#include "app/viewer_program.h"

#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// GTK, which shows the message boxes on a display, keeps caches for the life of the process.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions()
{
    return "leak:libgtk-3\nleak:libgdk-3\nleak:libglib-2\nleak:libgobject-2\nleak:libfontconfig\n"
           "leak:libpango\nleak:libcairo\nleak:libX11\nleak:libatk\nleak:libgio-2\nleak:libdbus-"
           "1\n";
}
#endif

int main(int argc, char** argv)
{
    return qelt::runViewer(std::vector<std::string>(argv + 1, argv + argc));
}
