// The qelt_pack tool, run as a user runs it.
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <sys/wait.h>

namespace qelt
{
namespace
{

using testing::bytesOf;
using testing::cTempFolder;
using testing::readBytes;
using testing::writeBytes;

struct cRun
{
    int status = -1;
    std::string out, err;
};

std::string shellQuoted(const std::string& text)
{
    std::string result = "'";
    for (char c : text)
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

cRun pack(const cTempFolder& folder, const std::vector<std::string>& args)
{
    std::string command = shellQuoted(QELT_PACK_PATH);
    for (const std::string& arg : args)
        command += " " + shellQuoted(arg);
    command += " >" + shellQuoted(folder / ".out") + " 2>" + shellQuoted(folder / ".err");
    int raw = std::system(command.c_str());
    cRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    auto text = [](const std::vector<uint8_t>& bytes)
    { return std::string(bytes.begin(), bytes.end()); };
    run.out = text(readBytes(folder / ".out"));
    run.err = text(readBytes(folder / ".err"));
    std::filesystem::remove(folder / ".out");
    std::filesystem::remove(folder / ".err");
    return run;
}

TEST(QeltPack, RefusesBadCommandLines)
{
    cTempFolder folder;
    struct Case
    {
        const char* name;
        std::vector<std::string> args;
    };
    const Case cases[] = {
        {"nothing", {}},
        {"unknown command", {"squash", "x"}},
        {"package without files", {"package", folder / "out.pkg"}},
        {"folder without a name", {"package", folder / "out.pkg", "--folder"}},
        {"archive without files", {"archive", folder / "out.arc"}},
        {"extract without folder", {"extract", folder / "in.pkg"}},
        {"resource with too few arguments", {"resource", folder / "x", "BINARY", "SCENE"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        cRun run = pack(folder, c.args);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find("usage: qelt_pack"), std::string::npos);
    }
    EXPECT_TRUE(testing::listTree(folder.path()).empty());

    cRun help = pack(folder, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: qelt_pack"), std::string::npos);
}

TEST(QeltPack, PackagesListsAndExtracts)
{
    cTempFolder folder;
    writeBytes(folder / "QeltView.dll", bytesOf(std::string(10000, 'q')));
    writeBytes(folder / "plinth_gl.dll", bytesOf("gl"));
    std::string package = folder / "dlls.pkg";
    ASSERT_EQ(pack(folder, {"package", package, "--folder", "data", folder / "QeltView.dll",
                            folder / "plinth_gl.dll"})
                  .status,
              0);

    cRun list = pack(folder, {"list", package});
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_NE(list.out.find("folder  data"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("QeltView.dll  10000 bytes"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("plinth_gl.dll  2 bytes"), std::string::npos) << list.out;

    cRun extract = pack(folder, {"extract", package, folder / "out"});
    EXPECT_EQ(extract.status, 0) << extract.err;
    EXPECT_EQ(readBytes(folder / "out/QeltView.dll"), readBytes(folder / "QeltView.dll"));
    EXPECT_EQ(readBytes(folder / "out/plinth_gl.dll"), bytesOf("gl"));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "out/data"));
}

TEST(QeltPack, ExtractGivesOneLineReasonForADamagedPackage)
{
    cTempFolder folder;
    writeBytes(folder / "a.dll", bytesOf(std::string(5000, 'a')));
    std::string package = folder / "dlls.pkg";
    ASSERT_EQ(pack(folder, {"package", package, folder / "a.dll"}).status, 0);
    std::vector<uint8_t> bytes = readBytes(package);
    bytes.resize(bytes.size() - 12); // cut into the stream
    writeBytes(package, bytes);

    cRun run = pack(folder, {"extract", package, folder / "out"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_FALSE(std::filesystem::exists(folder / "out/a.dll"));
}

TEST(QeltPack, ArchivesAndLists)
{
    cTempFolder folder;
    writeBytes(folder / "mode.dat", bytesOf("QELT-mode"));
    writeBytes(folder / "core.dat", bytesOf("scene"));
    std::string archive = folder / "scene.arc";
    ASSERT_EQ(pack(folder, {"archive", archive, folder / "mode.dat", folder / "core.dat"}).status,
              0);
    EXPECT_EQ(readBytes(archive).size(), 9u + 4 + 9 + 9 + 4 + 5 + 1);

    cRun list = pack(folder, {"list", archive});
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out, "mode.dat  9 bytes\ncore.dat  5 bytes\n");
}

TEST(QeltPack, NeverWritesOverAnInput)
{
    cTempFolder folder;
    writeBytes(folder / "a.dat", bytesOf("precious"));
    EXPECT_EQ(pack(folder, {"archive", folder / "a.dat", folder / "a.dat"}).status, 1);
    EXPECT_EQ(pack(folder, {"package", folder / "a.dat", folder / "a.dat"}).status, 1);
    EXPECT_EQ(readBytes(folder / "a.dat"), bytesOf("precious"));
}

TEST(QeltPack, AddsAndReplacesResourcesOfARunnableProgram)
{
    cTempFolder folder;
    std::string program = folder / "viewer";
    std::filesystem::copy_file("/bin/true", program);
    writeBytes(folder / "a.dat", bytesOf("first"));
    std::string archive = folder / "scene.arc";
    ASSERT_EQ(pack(folder, {"archive", archive, folder / "a.dat"}).status, 0);
    writeBytes(folder / "lib.dll", bytesOf("library"));
    std::string package = folder / "dlls.pkg";
    ASSERT_EQ(pack(folder, {"package", package, folder / "lib.dll"}).status, 0);

    ASSERT_EQ(pack(folder, {"resource", program, "BINARY", "SCENE", archive}).status, 0);
    ASSERT_EQ(pack(folder, {"resource", program, "BINARY", "DLLS", package}).status, 0);
    writeBytes(folder / "note.txt", bytesOf("v1"));
    ASSERT_EQ(pack(folder, {"resource", program, "TEXT", "NOTE", folder / "note.txt"}).status, 0);
    writeBytes(folder / "note.txt", bytesOf("v2 longer"));
    ASSERT_EQ(pack(folder, {"resource", program, "TEXT", "NOTE", folder / "note.txt"}).status, 0);

    cRun resources = pack(folder, {"resources", program});
    EXPECT_EQ(resources.status, 0) << resources.err;
    EXPECT_NE(resources.out.find("BINARY SCENE 0  " + std::to_string(readBytes(archive).size()) +
                                 " bytes"),
              std::string::npos)
        << resources.out;
    EXPECT_NE(resources.out.find("TEXT NOTE 0  9 bytes"), std::string::npos) << resources.out;
    EXPECT_EQ(resources.out.find("TEXT NOTE 0  2 bytes"), std::string::npos) << resources.out;

    cRun list = pack(folder, {"list", program});
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_NE(list.out.find("  a.dat  5 bytes"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("  file    lib.dll  7 bytes"), std::string::npos) << list.out;

    EXPECT_EQ(std::system(shellQuoted(program).c_str()), 0) << "the program still runs";
}

} // namespace
} // namespace qelt
