// Publishing with "-embed": the resource path, the appended-trailer path with its filler rule,
// the copies that result and run, and every refusal with its message and exit code.
#include "tests/app/viewer_fixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace qelt::testing
{
namespace
{

using platform::cSceneTrailer;

class Publish : public cViewerFixture
{
  protected:
    // Makes the program's resource block unreadable: a footer with the block's magic but a
    // format version nobody knows, placed so that the file ends up size % 4096 == remainder.
    static void damageResourceBlock(const std::string& program, std::size_t remainder)
    {
        std::vector<uint8_t> footer(40, 0);
        footer[28] = 99; // version
        const char magic[] = "QELTRES1";
        std::copy(magic, magic + 8, footer.begin() + 32);
        const std::size_t end = std::filesystem::file_size(program) + footer.size();
        const std::size_t pad =
            (cSceneTrailer::kAlignment + remainder - end % cSceneTrailer::kAlignment) %
            cSceneTrailer::kAlignment;
        std::vector<uint8_t> tail(pad, 0x11);
        tail.insert(tail.end(), footer.begin(), footer.end());
        std::ofstream out(program, std::ios::binary | std::ios::app);
        out.write(reinterpret_cast<const char*>(tail.data()), std::streamsize(tail.size()));
        out.close();
        std::string error;
        ASSERT_EQ(platform::cResourceReader::open(program, &error), nullptr);
        ASSERT_NE(error.find("format version"), std::string::npos) << error;
    }
};

TEST_F(Publish, TheResourcePathEmbedsTheArchiveAndTheCopyShowsIt)
{
    const std::string source = viewerWithEngine("viewer");
    const std::string scene = writeArchive("scene.arc", {"mode.dat", "core.dat", "ctrl.jpg"});
    const std::string target = folder_ / "published";

    const cProcessResult result = run(source, {"-embed", target, scene});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err.find("Error:"), std::string::npos) << result.err;

    std::unique_ptr<platform::cResourceReader> published = platform::cResourceReader::open(target);
    ASSERT_NE(published, nullptr);
    const platform::cResourceEntry* entry = published->find("BINARY", "SCENE");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->language, 0);
    const std::vector<uint8_t> sceneBytes = readBytes(scene);
    EXPECT_EQ(
        std::vector<uint8_t>(published->bytes(*entry), published->bytes(*entry) + entry->size),
        sceneBytes);
    EXPECT_NE(published->find("BINARY", "DLLS"), nullptr) << "the copy carries the package too";
    struct stat info
    {
    };
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_NE(info.st_mode & S_IXUSR, 0u);

    const cProcessResult listing = runProcess(QELT_PACK_PATH, {"list", target});
    EXPECT_EQ(listing.exitCode, 0) << listing.err;
    EXPECT_TRUE(inOrder(listing.out, {"SCENE", "mode.dat", "core.dat", "ctrl.jpg"})) << listing.out;

    const cProcessResult viewing = run(target, {});
    EXPECT_EQ(viewing.exitCode, 0) << viewing.err;
    const std::vector<std::string> calls = engineCalls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[2], "LoadSceneFromMemory size=" + std::to_string(sceneBytes.size()) +
                            " entries=mode.dat,core.dat,ctrl.jpg");
}

TEST_F(Publish, PublishingAgainReplacesTheSceneAndTheResourceWinsOverAnAppendedOne)
{
    // A program published the older way, published again: the new scene is a resource, the old
    // one stays appended, and the resource is what the copy shows.
    const std::string source = viewerWithEngine("viewer");
    std::string error;
    ASSERT_TRUE(platform::appendScene(source, writeArchive("old.arc", {"old.dat"}), &error))
        << error;
    const std::string target = folder_ / "published";
    ASSERT_EQ(run(source, {"-embed", target, writeArchive("new.arc", {"new.dat"})}).exitCode, 0);
    EXPECT_TRUE(platform::readSceneTrailer(target).has_value());

    const cProcessResult viewing = run(target, {});
    EXPECT_EQ(viewing.exitCode, 0) << viewing.err;
    const std::vector<std::string> calls = engineCalls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_NE(calls[2].find("entries=new.dat"), std::string::npos) << calls[2];
}

// ---------------------------------------------------------------------------------------------
// The appended-trailer path
// ---------------------------------------------------------------------------------------------

struct cAppendCase
{
    const char* name;
    std::size_t remainder; // the program's size modulo 4096
};

class PublishAppended : public Publish, public ::testing::WithParamInterface<cAppendCase>
{
};

TEST_P(PublishAppended, FillsToTheNextMultipleOf4096ThenArchiveThenTrailer)
{
    const std::string source = copyViewer("viewer");
    damageResourceBlock(source, GetParam().remainder);
    const std::vector<uint8_t> program = readFile(source);
    const std::string scene = writeArchive("scene.arc", {"mode.dat", "core.dat"});
    const std::vector<uint8_t> sceneBytes = readBytes(scene);
    const std::string target = folder_ / "published";

    const cProcessResult result = run(source, {"-embed", target, scene});
    EXPECT_EQ(result.exitCode, 0) << result.err;

    const std::vector<uint8_t> published = readFile(target);
    const std::size_t offset = (program.size() + 4095) / 4096 * 4096;
    if (GetParam().remainder == 0)
    {
        EXPECT_EQ(offset, program.size()) << "no filler before an aligned scene";
    }
    ASSERT_EQ(published.size(), offset + sceneBytes.size() + cSceneTrailer::kSize);
    EXPECT_TRUE(std::equal(program.begin(), program.end(), published.begin()));
    for (std::size_t i = program.size(); i < offset; ++i)
        ASSERT_EQ(published[i], cSceneTrailer::kFiller) << "at " << i;
    EXPECT_TRUE(std::equal(sceneBytes.begin(), sceneBytes.end(), published.begin() + offset));
    const std::optional<cSceneTrailer> trailer =
        platform::decodeSceneTrailer(published.data() + published.size() - cSceneTrailer::kSize);
    ASSERT_TRUE(trailer.has_value());
    EXPECT_EQ(trailer->offset, offset);
    EXPECT_EQ(trailer->size, sceneBytes.size());

    // The copy shows its appended scene (its damaged block carries no package: the engine
    // comes from the folder it starts in).
    std::filesystem::copy_file(QELT_FAKE_ENGINE, folder_ / "qeltview.so");
    const cProcessResult viewing = run(target, {"-nodlls"});
    EXPECT_EQ(viewing.exitCode, 0) << viewing.err;
    EXPECT_NE(viewing.err.find("Viewer: loading scene using stdio\n"), std::string::npos);
    const std::vector<std::string> calls = engineCalls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[2], "LoadSceneFromMemory size=4096 entries=mode.dat,core.dat");
}

INSTANTIATE_TEST_SUITE_P(Cases, PublishAppended,
                         ::testing::Values(cAppendCase{"needs_filler", 1000},
                                           cAppendCase{"already_a_multiple_of_4096", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Refusals
// ---------------------------------------------------------------------------------------------

struct cRefusalCase
{
    const char* name;
    bool damagedSource;  // the trailer path instead of the resource path
    const char* archive; // "" for none given; "scene" for a real one; else a name in the folder
    const char* target;  // in the folder
    const char* message; // after "Error: "; "copy" for the copy failure's message
    int exitCode;
};

class PublishRefusal : public Publish, public ::testing::WithParamInterface<cRefusalCase>
{
};

TEST_P(PublishRefusal, SaysWhyAndEndsWithItsCode)
{
    const cRefusalCase& c = GetParam();
    const std::string source = copyViewer("viewer");
    if (c.damagedSource)
        damageResourceBlock(source, 1000);
    std::filesystem::create_directory(folder_ / "a folder");
    writeBytes(folder_ / "empty.arc", {});
    const std::string target = folder_ / c.target;
    std::vector<std::string> args = {"-embed", target};
    const std::string archive = c.archive;
    if (archive == "scene")
        args.push_back(writeArchive("scene.arc", {"mode.dat"}));
    else if (!archive.empty())
        args.push_back(folder_ / archive);

    const cProcessResult result = run(source, args);
    EXPECT_EQ(result.exitCode, c.exitCode);
    std::string message = c.message;
    if (message == "copy")
        message = "Cannot copy viewer file from \"" + std::filesystem::canonical(source).string() +
                  "\" to \"" + target + "\"";
    EXPECT_NE(result.err.find("Error: " + message + "\n"), std::string::npos) << result.err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PublishRefusal,
    ::testing::Values(
        cRefusalCase{"no_archive_given", false, "", "out", "No scene archive given to publish.",
                     10},
        cRefusalCase{"archive_missing", false, "missing.arc", "out", "Cannot open viewer file.",
                     10},
        cRefusalCase{"archive_unreadable", false, "a folder", "out", "Cannot publish data file.",
                     10},
        cRefusalCase{"empty_archive", false, "empty.arc", "out", "Cannot publish data file.", 10},
        cRefusalCase{"archive_missing_on_the_trailer_path", true, "missing.arc", "out",
                     "Cannot open viewer file.", 10},
        cRefusalCase{"archive_unreadable_on_the_trailer_path", true, "a folder", "out",
                     "Cannot publish data file.", 10},
        cRefusalCase{"target_folder_missing", false, "scene", "no such folder/out", "copy", 20},
        cRefusalCase{"target_is_a_folder", false, "scene", "a folder", "copy", 20}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Publish, NoArchiveMeansNoCopy)
{
    const std::string source = copyViewer("viewer");
    EXPECT_EQ(run(source, {"-embed", folder_ / "out"}).exitCode, 10);
    EXPECT_FALSE(std::filesystem::exists(folder_ / "out"));
}

TEST_F(Publish, ARunningTargetIsRefusedAsBusy)
{
    const std::string source = copyViewer("viewer");
    const std::string scene = writeArchive("scene.arc", {"mode.dat"});

    // A program that is running, and the publishing program itself.
    const std::string running = folder_ / "running";
    std::filesystem::copy_file(findProgram("sleep"), running);
    cBackgroundProcess sleeper(running, {"60"});
    std::error_code ec;
    for (int tries = 0;
         tries < 2000 &&
         std::filesystem::read_symlink("/proc/" + std::to_string(sleeper.pid()) + "/exe", ec) !=
             std::filesystem::path(running);
         ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));

    for (const std::string& target : {running, source})
    {
        const cProcessResult result = run(source, {"-embed", target, scene});
        EXPECT_EQ(result.exitCode, 10) << target;
        EXPECT_NE(
            result.err.find("Error: This viewer is currently running and cannot be overwriten.\n"),
            std::string::npos)
            << result.err;
    }
    EXPECT_TRUE(sleeper.running()) << "the running program was left alone";
}

TEST_F(Publish, AReadOnlyProgramPublishesAWritableCopy)
{
    const std::string source = copyViewer("viewer");
    std::filesystem::permissions(
        source, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec |
                    std::filesystem::perms::group_read | std::filesystem::perms::group_exec);
    const std::string target = folder_ / "published";
    const cProcessResult result =
        run(source, {"-embed", target, writeArchive("scene.arc", {"mode.dat"})});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::filesystem::perms perms = std::filesystem::status(target).permissions();
    EXPECT_NE(perms & std::filesystem::perms::owner_write, std::filesystem::perms::none);
    EXPECT_NE(perms & std::filesystem::perms::owner_exec, std::filesystem::perms::none);
    std::unique_ptr<platform::cResourceReader> published = platform::cResourceReader::open(target);
    ASSERT_NE(published, nullptr);
    EXPECT_NE(published->find("BINARY", "SCENE"), nullptr);
}

} // namespace
} // namespace qelt::testing
