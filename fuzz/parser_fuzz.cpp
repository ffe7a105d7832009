// Feeds arbitrary bytes to the command parser as a text, then runs the tree in a shell whose only
// commands print their arguments into a buffer, so every value the parser built is computed.
#include "shell/lexer.h"
#include "shell/parser.h"
#include "shell/shell.h"

#include <cstdint>
#include <string>

namespace
{

struct cFuzzShell
{
    cFuzzShell()
    {
        // Reads every argument, which computes operators and calls.
        qelt::cShellHandler show = [this](qelt::cShellCall& call)
        {
            for (int i = 0; i < call.argumentCount(); ++i)
                printed += call.argument(i).toString();
        };
        qelt::cShellHandler adder = [](qelt::cShellCall& call)
        { call.argument(0).add(call.argument(1)); };
        entries.push_back(new qelt::cShellFunction(show, nullptr, "print", "", &shell));
        entries.push_back(new qelt::cShellFunction(show, nullptr, "set", "", &shell));
        entries.push_back(new qelt::cShellFunction(adder, nullptr, "add", "", &shell));
        entries.push_back(new qelt::cShellGroup(nullptr, "scene", "", &shell));
        entries.push_back(new qelt::cShellGroup("scene", "action", "", &shell));
        entries.push_back(new qelt::cShellFunction(show, "scene.action", "play", "", &shell));
        entries.push_back(
            new qelt::cShellVariableGeneral<int32_t>(&number, nullptr, "n", "", &shell));
        entries.push_back(
            new qelt::cShellVariableGeneral<qelt::cVector3f>(&vector, nullptr, "v", "", &shell));
    }
    qelt::cShell shell;
    std::vector<qelt::cShellName*> entries; // kept for the life of the process
    int32_t number = 3;
    qelt::cVector3f vector{1, 2, 3};
    std::string printed;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static cFuzzShell* fuzz = new cFuzzShell;
    const std::string text(reinterpret_cast<const char*>(data), size);
    qelt::cRef<qelt::cExpression> tree = fuzz->shell.parse(text.c_str(), "fuzz");
    if (tree)
    {
        tree->execute();
        tree->toString();
    }
    fuzz->printed.clear();
    fuzz->shell.popAllGroups();
    return 0;
}
