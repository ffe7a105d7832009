// qelt_viewer run as a user runs it, without a display: unpacking its library package, binding
// and calling the engine in order, the ways the scene is handed over, and the engine failures.
#include "tests/app/viewer_fixture.h"

#include <gtest/gtest.h>

namespace qelt::testing
{
namespace
{

using ViewerProgram = cViewerFixture;

TEST_F(ViewerProgram, BindsTheEngineAndCallsItInOrderWithTheEmbeddedScene)
{
    const std::string program = viewerWithEngine("viewer");
    const std::vector<uint8_t> scene = sceneArchive({"mode.dat", "core.dat"});
    setResource(program, "SCENE", scene);

    const cProcessResult result = run(program, {});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(engineCalls(),
              (std::vector<std::string>{
                  "SetRenderWindow title=qelt Viewer class=qelt Publisher size=800x600 "
                  "style=16cf0000 visible=1 focus=1 cursor=1:arrow",
                  "Run 0 gl DPVS",
                  "LoadSceneFromMemory size=" + std::to_string(scene.size()) +
                      " entries=mode.dat,core.dat",
                  "hook WM_CLOSE", "hook WM_DESTROY", "Close"}));
    EXPECT_TRUE(
        inOrder(result.err, {"Viewer: loading scene using resource\n", "Viewer window closing\n",
                             "     destroyed\n", "Viewer terminated\n"}))
        << result.err;
    EXPECT_TRUE(std::filesystem::exists(temporary() + "/_qelt_viewer_000/qeltview.so"));
}

// ---------------------------------------------------------------------------------------------
// Handing over the scene
// ---------------------------------------------------------------------------------------------

struct cHandoverCase
{
    const char* name;
    bool sceneResource; // carries "SCENE" with a1.dat, a2.dat
    bool appendedScene; // carries b1.dat behind a scene trailer
    std::vector<std::string> args;
    std::string runCall;
    std::string loadCall;  // "" when nothing is loaded
    std::string debugLine; // "" when neither embedded scene is used
};

class SceneHandover : public cViewerFixture, public ::testing::WithParamInterface<cHandoverCase>
{
};

TEST_P(SceneHandover, UsesThePreferredSource)
{
    const cHandoverCase& c = GetParam();
    const std::string program = viewerWithEngine("viewer");
    if (c.appendedScene)
    {
        std::string error;
        ASSERT_TRUE(platform::appendScene(program, writeArchive("b.arc", {"b1.dat"}), &error))
            << error;
    }
    if (c.sceneResource)
        setResource(program, "SCENE", sceneArchive({"a1.dat", "a2.dat"}));

    const cProcessResult result = run(program, c.args);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::vector<std::string> expected = {"Run " + c.runCall};
    if (!c.loadCall.empty())
    {
        // A scene file named relative to the test's folder, where the program starts, reaches
        // the engine as a full path.
        const std::string fileLoad = "LoadSceneFromFile ";
        std::string load = c.loadCall;
        if (load.rfind(fileLoad, 0) == 0)
            load = fileLoad + (folder_ / load.substr(fileLoad.size()));
        expected.push_back(load);
    }
    expected.push_back("hook WM_CLOSE");
    std::vector<std::string> calls = engineCalls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(calls.begin() + 1, calls.end() - 2), expected);
    for (const char* line :
         {"Viewer: loading scene using resource\n", "Viewer: loading scene using stdio\n"})
    {
        EXPECT_EQ(result.err.find(line) != std::string::npos, c.debugLine == line) << line;
    }
}

const std::string kResourceLoad =
    "LoadSceneFromMemory size=" + std::to_string(sceneArchive({"a1.dat", "a2.dat"}).size()) +
    " entries=a1.dat,a2.dat";
// The appended scene is handed over in its 4096-byte rounding.
const std::string kAppendedLoad = "LoadSceneFromMemory size=4096 entries=b1.dat";
const std::string kFileLoad = "LoadSceneFromFile my scene.arc";
const std::string kResource = "Viewer: loading scene using resource\n";
const std::string kStdio = "Viewer: loading scene using stdio\n";
const std::string kGl = "0 gl DPVS";
using Args = std::vector<std::string>;

INSTANTIATE_TEST_SUITE_P(
    Cases, SceneHandover,
    ::testing::Values(
        // name, SCENE resource, appended scene, arguments, Run, scene call, debug line
        cHandoverCase{"path_over_both", true, true, {"my scene.arc"}, kGl, kFileLoad, ""},
        cHandoverCase{"resource_over_appended", true, true, {}, kGl, kResourceLoad, kResource},
        cHandoverCase{"appended_alone", false, true, {}, kGl, kAppendedLoad, kStdio},
        cHandoverCase{"nothing_leaves_the_engine_idle", false, false, {}, kGl, "", ""},
        cHandoverCase{
            "embed_last_views", true, false, {"my scene.arc", "-embed"}, kGl, kFileLoad, ""},
        cHandoverCase{"noscene_is_no_path", false, false, {"-noscene"}, kGl, "", ""},
        cHandoverCase{
            "noscene_suppresses_nothing", true, false, {"-noscene"}, kGl, kResourceLoad, kResource},
        cHandoverCase{"driver_and_visibility", false, false, Args{"-dx8", "-vis", "Octree"},
                      "0 dx8 Octree", "", ""},
        cHandoverCase{"vis_last_gives_no_name", false, false, {"-vis"}, "0 gl (null)", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Finding the engine
// ---------------------------------------------------------------------------------------------

TEST_F(ViewerProgram, WithoutAnEngineLibraryItSaysSoAndEndsWithZero)
{
    // The program as built carries the engine; this copy's package carries none.
    const std::string program = copyViewer("viewer");
    setResource(program, "DLLS", tools::buildPackage({}));
    const cProcessResult result = run(program, {});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.err.find("VaziZozova: Could not load library\n"), std::string::npos)
        << result.err;
    EXPECT_TRUE(engineCalls().empty());
    EXPECT_TRUE(std::filesystem::is_directory(temporary() + "/_qelt_viewer_000"));
}

TEST_F(ViewerProgram, AMissingExportIsNamedAndNothingIsCalled)
{
    const std::string program = viewerWithEngine("viewer", QELT_FAKE_ENGINE_WITHOUT_EXEC);
    const cProcessResult result = run(program, {});
    EXPECT_EQ(result.exitCode, 10);
    EXPECT_NE(result.err.find("VaziZozova: Could not find procedure _Exec@4\n"), std::string::npos)
        << result.err;
    EXPECT_TRUE(engineCalls().empty());
}

TEST_F(ViewerProgram, NodllsUnpacksNothingAndFindsTheEngineWhereTheSystemLooks)
{
    // Unpacking would bring the engine that lacks an export; the folder the program starts in
    // holds the complete one.
    const std::string program = viewerWithEngine("viewer", QELT_FAKE_ENGINE_WITHOUT_EXEC);
    std::filesystem::copy_file(QELT_FAKE_ENGINE, folder_ / "qeltview.so");
    const cProcessResult result = run(program, {"-nodlls"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::vector<std::string> calls = engineCalls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[1], "Run 0 gl DPVS");
    EXPECT_FALSE(std::filesystem::exists(temporary() + "/_qelt_viewer_000"));
}

struct cUnpackCase
{
    const char* name;
    const char* package;  // "complete", "incomplete" or "damaged"
    const char* unpacked; // what the folder holds before the start: "", "complete", "incomplete"
    int exitCode;
    const char* message; // what the box says, "" for none
};

class Unpacking : public cViewerFixture, public ::testing::WithParamInterface<cUnpackCase>
{
  protected:
    static std::string engineFile(const std::string& kind)
    {
        return kind == "complete" ? QELT_FAKE_ENGINE : QELT_FAKE_ENGINE_WITHOUT_EXEC;
    }
};

TEST_P(Unpacking, RewritesTheFolderOrLeavesItAsItWas)
{
    const cUnpackCase& c = GetParam();
    const std::string program = copyViewer("viewer");
    const std::string kind = c.package;
    setResource(program, "DLLS",
                kind == "damaged" ? bytesOf("not a package") : enginePackage(engineFile(kind)));
    const std::string unpacked = temporary() + "/_qelt_viewer_000";
    if (*c.unpacked != '\0')
    {
        std::filesystem::create_directories(unpacked);
        std::filesystem::copy_file(engineFile(c.unpacked), unpacked + "/qeltview.so");
    }

    const cProcessResult result = run(program, {});
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
    if (*c.message != '\0')
    {
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
    else
    {
        EXPECT_EQ(result.err.find("VaziZozova"), std::string::npos) << result.err;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Unpacking,
    ::testing::Values(
        cUnpackCase{"package_replaces_what_the_folder_held", "complete", "incomplete", 0, ""},
        cUnpackCase{"a_damaged_package_leaves_the_folder_as_it_was", "damaged", "complete", 0, ""},
        cUnpackCase{"a_damaged_package_and_an_empty_folder", "damaged", "", 0,
                    "VaziZozova: Could not load library\n"},
        cUnpackCase{"the_unpacked_engine_lacks_an_export", "incomplete", "", 10,
                    "VaziZozova: Could not find procedure _Exec@4\n"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace qelt::testing
