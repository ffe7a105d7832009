// The qelt_viewer command line: every option, the values options take, and the edge cases.
#include "app/command_line.h"

#include <gtest/gtest.h>

namespace qelt
{
namespace
{

struct cCommandLineCase
{
    const char* name;
    std::vector<std::string> args;
    bool usePackage;
    std::string driver;
    std::optional<std::string> visibility;
    std::optional<std::string> publishTarget;
    std::optional<std::string> scenePath;
};

class CommandLine : public ::testing::TestWithParam<cCommandLineCase>
{
};

TEST_P(CommandLine, Parses)
{
    const cCommandLineCase& c = GetParam();
    const cStartSettings settings = parseCommandLine(c.args);
    EXPECT_EQ(settings.usePackage, c.usePackage);
    EXPECT_EQ(settings.driver, c.driver);
    EXPECT_EQ(settings.visibility, c.visibility);
    EXPECT_EQ(settings.publishTarget, c.publishTarget);
    EXPECT_EQ(settings.scenePath, c.scenePath);
}

const std::optional<std::string> kNone;

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLine,
    ::testing::Values(
        cCommandLineCase{"no_arguments", {}, true, "gl", "DPVS", kNone, kNone},
        cCommandLineCase{"nodlls", {"-nodlls"}, false, "gl", "DPVS", kNone, kNone},
        cCommandLineCase{
            "noscene_is_not_a_scene_path", {"-noscene"}, true, "gl", "DPVS", kNone, kNone},
        cCommandLineCase{"dx8", {"-dx8"}, true, "dx8", "DPVS", kNone, kNone},
        cCommandLineCase{
            "the_last_driver_counts", {"-dx8", "-gl"}, true, "gl", "DPVS", kNone, kNone},
        cCommandLineCase{"vis_with_a_name", {"-vis", "Octree"}, true, "gl", "Octree", kNone, kNone},
        cCommandLineCase{
            "vis_last_leaves_the_name_absent", {"-dx8", "-vis"}, true, "dx8", kNone, kNone, kNone},
        cCommandLineCase{
            "vis_takes_an_option_as_its_name", {"-vis", "-dx8"}, true, "gl", "-dx8", kNone, kNone},
        cCommandLineCase{"scene_path", {"scene.arc"}, true, "gl", "DPVS", kNone, "scene.arc"},
        cCommandLineCase{"the_last_scene_path_counts",
                         {"a.arc", "-gl", "b.arc"},
                         true,
                         "gl",
                         "DPVS",
                         kNone,
                         "b.arc"},
        cCommandLineCase{
            "embed", {"-embed", "out", "scene.arc"}, true, "gl", "DPVS", "out", "scene.arc"},
        cCommandLineCase{"embed_last_leaves_the_target_absent",
                         {"scene.arc", "-embed"},
                         true,
                         "gl",
                         "DPVS",
                         kNone,
                         "scene.arc"},
        cCommandLineCase{"a_second_embed_last_clears_the_target",
                         {"-embed", "out", "-embed"},
                         true,
                         "gl",
                         "DPVS",
                         kNone,
                         kNone},
        cCommandLineCase{"arguments_after_embed_are_still_parsed",
                         {"-embed", "out", "a.arc", "-nodlls", "b.arc"},
                         false,
                         "gl",
                         "DPVS",
                         "out",
                         "b.arc"},
        cCommandLineCase{"embed_takes_an_option_as_its_target",
                         {"-embed", "-nodlls"},
                         true,
                         "gl",
                         "DPVS",
                         "-nodlls",
                         kNone},
        cCommandLineCase{
            "options_are_case_sensitive", {"-GL", "-NoDlls"}, true, "gl", "DPVS", kNone, "-NoDlls"},
        cCommandLineCase{
            "options_are_compared_whole", {"-nodllsx"}, true, "gl", "DPVS", kNone, "-nodllsx"}),
    [](const auto& info) { return std::string(info.param.name); });

struct cScenePathCase
{
    const char* name;
    std::string path;
    std::string startFolder;
    std::string opened;
};

class SceneStartPath : public ::testing::TestWithParam<cScenePathCase>
{
};

// The program changes its current directory before the engine opens the scene, so relative
// names are joined to the folder it started in; everything else is opened as given.
TEST_P(SceneStartPath, KeepsTheSceneReachable)
{
    const cScenePathCase& c = GetParam();
    EXPECT_EQ(sceneStartPath(c.path, c.startFolder), c.opened);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SceneStartPath,
    ::testing::Values(
        cScenePathCase{"relative", "scene.arc", "/home/u", "/home/u/scene.arc"},
        cScenePathCase{"relative_in_folder", "demo/scene.arc", "/home/u", "/home/u/demo/scene.arc"},
        cScenePathCase{"relative_backslash", "demo\\scene.arc", "/home/u/",
                       "/home/u/demo\\scene.arc"},
        cScenePathCase{"climbing", "../scene.arc", "/home/u", "/home/u/../scene.arc"},
        cScenePathCase{"absolute", "/data/scene.arc", "/home/u", "/data/scene.arc"},
        cScenePathCase{"absolute_backslash", "\\data\\scene.arc", "/home/u", "\\data\\scene.arc"},
        cScenePathCase{"drive_prefix", "C:/scenes/a.arc", "/home/u", "C:/scenes/a.arc"},
        cScenePathCase{"internet", "http://host/scene.arc", "/home/u", "http://host/scene.arc"},
        cScenePathCase{"empty", "", "/home/u", ""},
        cScenePathCase{"start_folder_unknown", "scene.arc", "", "scene.arc"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace qelt
