// The file manager: the search path, findFile's lookup rules, mounted archives, the temporary
// copies of video and sound entries, and openFile in both modes.
#include "core/file_manager.h"

#include "core/file_memory.h"
#include "core/file_stdio.h"
#include "core/progress.h"
#include "platform/path.h"
#include "platform/system.h"
#include "tests/support/temp_folder.h"
#include "tools/pack_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <set>

namespace qelt
{
namespace
{

using testing::bytesOf;
using testing::cCurrentFolder;
using testing::cTempFolder;
using tools::buildArchive;

std::string readAll(cFile& file)
{
    std::string text;
    char buffer[5];
    std::size_t got;
    while ((got = file.read(buffer, sizeof buffer)) > 0)
        text.append(buffer, got);
    return text;
}

// Replaces every "{T}" with the folder.
std::string expand(const std::string& text, const std::string& folder)
{
    std::string result = text;
    for (std::size_t at = result.find("{T}"); at != std::string::npos; at = result.find("{T}"))
        result.replace(at, 3, folder);
    return result;
}

// An archive in memory that stays alive for the manager that mounts it.
struct cArchiveBytes
{
    std::vector<uint8_t> bytes;
    explicit cArchiveBytes(const std::vector<tools::cArchiveItem>& items)
        : bytes(buildArchive(items))
    {
    }
    std::unique_ptr<cFile> file() const
    {
        return std::make_unique<cFileMemory>(bytes.data(), bytes.size());
    }
};

// ---------------------------------------------------------------------------------------------
// Helpers of the lookup
// ---------------------------------------------------------------------------------------------

TEST(ExtensionList, ParsesLowerCaseWordsSortedOnceUpToAClosingParenthesis)
{
    struct Case
    {
        const char* text;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {"dll", {"dll"}},
        {"TGA;jpg,Bmp", {"bmp", "jpg", "tga"}},
        {"  jpg  jpg\tJPG ", {"jpg"}},
        {"dds)tga", {"dds"}},
        {"a-b.c_d", {"a", "b", "c", "d"}},
        {"mp3 \xe9t\xe9", {"mp3", "t"}},
        {"", {}},
        {")", {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseExtensionList(c.text), c.words);
    }
    EXPECT_TRUE(parseExtensionList(nullptr).empty());
}

TEST(SearchPathEntry, SplitsARestrictionFromTheDirectory)
{
    cSearchPathEntry split;
    ASSERT_TRUE(splitSearchPathEntry("(tga jpg)textures\\", &split));
    EXPECT_TRUE(split.restricted);
    EXPECT_EQ(split.extensions, (std::vector<std::string>{"jpg", "tga"}));
    EXPECT_EQ(split.directory, "textures\\");

    ASSERT_TRUE(splitSearchPathEntry("data/", &split));
    EXPECT_FALSE(split.restricted);
    EXPECT_EQ(split.directory, "data/");

    ASSERT_TRUE(splitSearchPathEntry("()", &split));
    EXPECT_TRUE(split.restricted);
    EXPECT_TRUE(split.extensions.empty());
    EXPECT_EQ(split.directory, "");

    EXPECT_FALSE(splitSearchPathEntry("(tga textures\\", &split));
}

TEST(TemporaryCopyName, KeepsPlainNamesAndReducesOthersToTheirLastPart)
{
    struct Case
    {
        const char* entry;
        std::size_t index;
        const char* copy;
    };
    const Case cases[] = {
        {"intro.avi", 3, "intro.avi"},
        {"..\\..\\evil.wav", 7, "7_evil.wav"},
        {"../../evil.wav", 7, "7_evil.wav"},
        {"/etc/evil.wav", 0, "0_evil.wav"},
        {"sub\\dir/clip.AVI", 12, "12_clip.AVI"},
        {"dir/", 1, "1_entry"},
        {"..", 2, "2_entry"},
        {"", 4, "4_entry"},
        {"C:movie.avi", 5, "C:movie.avi"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.entry);
        EXPECT_EQ(temporaryCopyName(c.entry, c.index), c.copy);
    }
}

// ---------------------------------------------------------------------------------------------
// The search path
// ---------------------------------------------------------------------------------------------

struct PathCase
{
    const char* name;
    std::vector<std::string> steps; // "+dir" adds, "-dir" removes
    std::vector<std::string> expected;
};

void PrintTo(const PathCase& row, std::ostream* out)
{
    *out << row.name;
}

class SearchPath : public ::testing::TestWithParam<PathCase>
{
};

TEST_P(SearchPath, AddAndRemove)
{
    cFileManager files;
    for (const std::string& step : GetParam().steps)
    {
        if (step[0] == '+')
            files.addPath(step.substr(1));
        else
            files.removePath(step.substr(1));
    }
    std::vector<std::string> entries;
    for (int i = 0; i < files.pathCount(); ++i)
        entries.push_back(files.path(i));
    EXPECT_EQ(entries, GetParam().expected);
    EXPECT_EQ(files.path(-1), "");
    EXPECT_EQ(files.path(files.pathCount()), "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SearchPath,
    ::testing::Values(
        PathCase{"adds_a_backslash", {"+data"}, {"data\\"}},
        PathCase{"same_entry_once", {"+data", "+data\\"}, {"data\\"}},
        PathCase{"separators_kept", {"+data/", "+c:", "+x\\", "+"}, {"data/", "c:", "x\\", ""}},
        PathCase{"byte_for_byte", {"+Data", "+data"}, {"Data\\", "data\\"}},
        PathCase{"slash_differs_from_backslash", {"+data/", "+data"}, {"data/", "data\\"}},
        PathCase{"remove_completes_the_name", {"+data", "-data"}, {}},
        PathCase{"remove_keeps_order", {"+a", "+b", "+c", "-b\\"}, {"a\\", "c\\"}},
        PathCase{"remove_missing", {"+a", "-b", "-A"}, {"a\\"}},
        PathCase{"restriction_kept", {"+(tga)textures"}, {"(tga)textures\\"}}),
    [](const ::testing::TestParamInfo<PathCase>& info) { return info.param.name; });

// ---------------------------------------------------------------------------------------------
// findFile
// ---------------------------------------------------------------------------------------------

// The folder every lookup runs in:
//   data/wall.jpg data/wall.tga data/readme data/Mixed.PNG
//   first/other.txt  second/plinth_gl.dll  textures/Ctrl.JPG  folder.jpg/ (a folder)
class cLookupTree
{
  public:
    cLookupTree()
    {
        for (const char* folder : {"data", "first", "second", "textures", "folder.jpg"})
            std::filesystem::create_directory(root_ / folder);
        for (const char* file : {"data/wall.jpg", "data/wall.tga", "data/readme", "data/Mixed.PNG",
                                 "first/other.txt", "second/plinth_gl.dll", "textures/Ctrl.JPG"})
            testing::writeText(root_ / file, file);
    }
    const std::string& path() const { return root_.path(); }

  private:
    cTempFolder root_;
};

struct FindCase
{
    const char* name;
    std::vector<std::string> entries; // added with addPath; "{T}" is the tree
    const char* base;                 // base directory
    const char* current;              // current folder below the tree
    const char* query;
    const char* extensions;
    const char* expected; // null: not found
};

void PrintTo(const FindCase& row, std::ostream* out)
{
    *out << row.name;
}

class FindFile : public ::testing::TestWithParam<FindCase>
{
};

TEST_P(FindFile, Finds)
{
    const FindCase& row = GetParam();
    cLookupTree tree;
    cCurrentFolder current(tree.path() + "/" + row.current);
    cFileManager files;
    files.setBaseDirectory(expand(row.base, tree.path()));
    for (const std::string& entry : row.entries)
        files.addPath(expand(entry, tree.path()));

    std::string found = "untouched";
    const bool ok = files.findFile(expand(row.query, tree.path()).c_str(), row.extensions, found);
    if (row.expected)
    {
        EXPECT_TRUE(ok);
        EXPECT_EQ(found, expand(row.expected, tree.path()));
    }
    else
    {
        EXPECT_FALSE(ok) << found;
        EXPECT_EQ(found, "untouched");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindFile,
    ::testing::Values(
        FindCase{"exists_as_written", {}, "", "", "data/readme", nullptr, "data/readme"},
        FindCase{"exists_in_other_case_and_separators",
                 {},
                 "",
                 "",
                 "DATA\\README",
                 nullptr,
                 "DATA\\README"},
        FindCase{"second_entry_when_first_lacks_it",
                 {"first", "second"},
                 "",
                 "",
                 "plinth_gl",
                 "dll",
                 "second\\plinth_gl.dll"},
        FindCase{
            "list_tried_in_ascending_order", {"data"}, "", "", "wall", "tga jpg", "data\\wall.jpg"},
        FindCase{"list_in_upper_case", {"data"}, "", "", "wall", "TGA", "data\\wall.tga"},
        FindCase{"list_ends_at_parenthesis", {"data"}, "", "", "wall", "bmp)jpg", nullptr},
        FindCase{
            "own_extension_other_case", {"data"}, "", "", "mixed.png", nullptr, "data\\mixed.png"},
        FindCase{"restricted_entry_skipped", {"(tga)data"}, "", "", "wall.jpg", nullptr, nullptr},
        FindCase{"restricted_entry_serves_its_list",
                 {"(tga)data"},
                 "",
                 "",
                 "wall",
                 "jpg tga",
                 "data\\wall.tga"},
        FindCase{"restricted_then_open_entry",
                 {"(TGA)textures", "data"},
                 "",
                 "",
                 "wall.jpg",
                 nullptr,
                 "data\\wall.jpg"},
        FindCase{"unclosed_restriction_ignored",
                 {"(jpg data", "data"},
                 "",
                 "",
                 "wall",
                 "jpg",
                 "data\\wall.jpg"},
        FindCase{"name_unchanged_in_entry", {"data"}, "", "", "readme", nullptr, "data\\readme"},
        FindCase{"other_case_in_entry", {"textures"}, "", "", "CTRL", "jpg", "textures\\CTRL.jpg"},
        FindCase{
            "absolute_name_with_list", {}, "", "", "{T}/data/wall", "jpg", "{T}/data/wall.jpg"},
        FindCase{"absolute_name_not_searched", {"data"}, "", "", "/nowhere/wall", "jpg", nullptr},
        FindCase{"drive_name_not_searched", {"data"}, "", "", "C:/shots/wall", "jpg", nullptr},
        FindCase{"base_for_relative_entry",
                 {"data"},
                 "{T}/",
                 "first",
                 "wall",
                 "jpg",
                 "{T}/data\\wall.jpg"},
        FindCase{"no_base_for_absolute_entry",
                 {"{T}/data"},
                 "{T}/first/",
                 "first",
                 "wall",
                 "jpg",
                 "{T}/data\\wall.jpg"},
        FindCase{
            "relative_entry_without_base_misses", {"data"}, "", "first", "wall", "jpg", nullptr},
        FindCase{"empty_entry_is_the_base",
                 {""},
                 "{T}/data/",
                 "first",
                 "wall",
                 "tga",
                 "{T}/data/wall.tga"},
        FindCase{"folder_is_not_a_file", {""}, "", "", "folder", "jpg", nullptr},
        FindCase{"folder_as_written", {}, "", "", "folder.jpg", nullptr, nullptr},
        FindCase{"empty_name", {"data"}, "", "", "", nullptr, nullptr},
        FindCase{"missing", {"data", "second"}, "", "", "nothing", "jpg", nullptr}),
    [](const ::testing::TestParamInfo<FindCase>& info) { return info.param.name; });

TEST(FindFile, IntoABufferCutsAndTerminates)
{
    cLookupTree tree;
    cCurrentFolder current(tree.path());
    cFileManager files;
    files.addPath("second");

    char buffer[64];
    ASSERT_TRUE(files.findFile("plinth_gl", "dll", buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "second\\plinth_gl.dll");

    char small[8] = "xxxxxxx";
    ASSERT_TRUE(files.findFile("plinth_gl", "dll", small, sizeof small));
    EXPECT_STREQ(small, "second\\");

    EXPECT_TRUE(files.findFile("plinth_gl", "dll", nullptr, 0));
    EXPECT_FALSE(files.findFile("missing", "dll", buffer, sizeof buffer));
    EXPECT_FALSE(files.findFile(nullptr, "dll", buffer, sizeof buffer));
}

// ---------------------------------------------------------------------------------------------
// openFile
// ---------------------------------------------------------------------------------------------

class OpenFile : public ::testing::Test
{
  protected:
    cTempFolder folder_;
    cCurrentFolder current_{folder_.path()};
    cFileManager files_;
};

TEST_F(OpenFile, ReadsFromTheSearchPath)
{
    std::filesystem::create_directory(folder_ / "data");
    testing::writeText(folder_ / "data/core.dat", "scene");
    files_.addPath("data");
    std::unique_ptr<cFile> file(files_.openFile("core", "dat"));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(readAll(*file), "scene");
}

TEST_F(OpenFile, RefusesWhatCannotBeOpened)
{
    std::filesystem::create_directory(folder_ / "folder.dat");
    EXPECT_EQ(files_.openFile(nullptr), nullptr);
    EXPECT_EQ(files_.openFile("missing.dat"), nullptr);
    EXPECT_EQ(files_.openFile("folder.dat"), nullptr);
    EXPECT_EQ(files_.openFile("new.dat", nullptr, 7), nullptr);
    EXPECT_FALSE(std::filesystem::exists(folder_ / "new.dat"));
    EXPECT_EQ(files_.openFile("no/such/folder/out", "txt", cFileManager::ModeWrite), nullptr);
}

TEST_F(OpenFile, WriteModeCreatesOrTruncatesWithoutSearching)
{
    std::filesystem::create_directory(folder_ / "data");
    testing::writeText(folder_ / "data/out.txt", "elsewhere");
    testing::writeText(folder_ / "out.txt", "old contents");
    files_.addPath("data");

    std::unique_ptr<cFile> file(files_.openFile("out", "txt", cFileManager::ModeWrite));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->size(), 0);
    ASSERT_TRUE(file->write("new", 3));
    ASSERT_TRUE(file->seek(0, cFile::Begin));
    EXPECT_EQ(readAll(*file), "new");
    file.reset();
    EXPECT_EQ(testing::readText(folder_ / "out.txt"), "new");
    EXPECT_EQ(testing::readText(folder_ / "data/out.txt"), "elsewhere");

    std::unique_ptr<cFile> plain(files_.openFile("plain.log", nullptr, cFileManager::ModeWrite));
    ASSERT_NE(plain, nullptr);
    EXPECT_TRUE(std::filesystem::exists(folder_ / "plain.log"));
}

// ---------------------------------------------------------------------------------------------
// Mounted archives
// ---------------------------------------------------------------------------------------------

TEST_F(OpenFile, LooksInTheArchivesFirstByWholeNameInAnyCase)
{
    const cArchiveBytes archive({{"mode.dat", bytesOf("mode")},
                                 {"Ctrl.JPG", bytesOf("panel")},
                                 {"ctrl.jpg", bytesOf("second panel")},
                                 {"empty.tga", {}}});
    ASSERT_TRUE(files_.mountArchive(archive.file()));
    files_.addPath(""); // the current folder
    testing::writeText(folder_ / "mode.dat", "from disk");
    testing::writeText(folder_ / "only.dat", "disk only");

    struct Case
    {
        const char* name;
        const char* extensions;
        const char* expected; // null: not found
    };
    const Case cases[] = {
        {"mode.dat", nullptr, "mode"},      {"CTRL.jpg", nullptr, "panel"},
        {"ctrl.jpg", nullptr, "panel"},     {"empty.tga", nullptr, ""},
        {"only.dat", nullptr, "disk only"}, {"mode", "dat", "from disk"},
        {"ctrl", nullptr, nullptr},         {"missing.tga", nullptr, nullptr},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::unique_ptr<cFile> file(files_.openFile(c.name, c.extensions));
        if (!c.expected)
        {
            EXPECT_EQ(file, nullptr);
            continue;
        }
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(file->size(), int64_t(std::strlen(c.expected)));
        EXPECT_EQ(readAll(*file), c.expected);
        EXPECT_TRUE(file->eof());
    }
}

TEST_F(OpenFile, AskTheArchivesInMountOrder)
{
    const cArchiveBytes first({{"shared.txt", bytesOf("first")}});
    const cArchiveBytes second({{"SHARED.TXT", bytesOf("second")}, {"own.txt", bytesOf("own")}});
    ASSERT_TRUE(files_.mountArchive(first.file()));
    ASSERT_TRUE(files_.mountArchive(second.file()));
    std::unique_ptr<cFile> shared(files_.openFile("shared.txt"));
    std::unique_ptr<cFile> own(files_.openFile("own.txt"));
    ASSERT_NE(shared, nullptr);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(readAll(*shared), "first");
    EXPECT_EQ(readAll(*own), "own");
}

TEST_F(OpenFile, ADamagedArchiveIsNotMounted)
{
    std::vector<uint8_t> bytes =
        buildArchive({{"a.txt", bytesOf("aaaa")}, {"b.txt", bytesOf("b")}});
    bytes.erase(bytes.end() - 3, bytes.end()); // b.txt now runs past the end
    EXPECT_FALSE(files_.mountArchive(std::make_unique<cFileMemory>(bytes.data(), bytes.size())));
    EXPECT_EQ(files_.openFile("a.txt"), nullptr);
    EXPECT_FALSE(files_.mountArchive(nullptr));
}

TEST_F(OpenFile, ArchiveReadsReportToTheProgressUntilReleased)
{
    const cArchiveBytes archive({{"core.dat", bytesOf("0123456789")}});
    cProgress progress;
    ASSERT_TRUE(files_.mountArchive(archive.file(), &progress));
    EXPECT_EQ(progress.total(), float(archive.bytes.size()));

    std::unique_ptr<cFile> file(files_.openFile("core.dat"));
    ASSERT_NE(file, nullptr);
    char buffer[4];
    file->read(buffer, 4);
    EXPECT_EQ(progress.value(), 4.0f);

    files_.releaseProgress();
    std::unique_ptr<cFile> later(files_.openFile("core.dat"));
    ASSERT_NE(later, nullptr);
    readAll(*later);
    EXPECT_EQ(progress.value(), 4.0f);
}

// ---------------------------------------------------------------------------------------------
// Temporary copies of video and sound entries
// ---------------------------------------------------------------------------------------------

// The folder that holds a returned copy, checked to lie under the system's temporary folder.
std::string copyPathOf(cFile* file)
{
    auto* disk = dynamic_cast<cFileStdio*>(file);
    EXPECT_NE(disk, nullptr) << "a copied entry must come back as a disk file";
    return disk ? disk->path() : std::string();
}

TEST_F(OpenFile, VideoAndSoundEntriesComeBackAsDiskCopiesThatTheSearchFinds)
{
    const cArchiveBytes archive({{"intro.avi", bytesOf("RIFF video")},
                                 {"Click.WAV", bytesOf("RIFF sound")},
                                 {"ctrl.jpg", bytesOf("picture")}});
    ASSERT_TRUE(files_.mountArchive(archive.file()));
    const int entriesBefore = files_.pathCount();

    struct Case
    {
        const char* name;
        const char* contents;
    };
    for (const Case& c : {Case{"INTRO.AVI", "RIFF video"}, Case{"click.wav", "RIFF sound"}})
    {
        SCOPED_TRACE(c.name);
        std::unique_ptr<cFile> file(files_.openFile(c.name));
        ASSERT_NE(file, nullptr);
        const std::string path = copyPathOf(file.get());
        EXPECT_EQ(path.rfind(platform::temporaryFolder(), 0), 0u) << path;
        EXPECT_EQ(testing::readText(path), c.contents);
        EXPECT_EQ(readAll(*file), c.contents);

        // Code that resolves the name to a path, as the video and sound services do, finds the
        // copy too.
        std::string found;
        ASSERT_TRUE(files_.findFile(c.name, nullptr, found));
        EXPECT_TRUE(std::filesystem::equivalent(platform::resolvePath(found), path)) << found;
    }
    // One search path entry for the archive's copies, however many copies.
    EXPECT_EQ(files_.pathCount(), entriesBefore + 1);
    // Other entries are read in place.
    std::unique_ptr<cFile> picture(files_.openFile("ctrl.jpg"));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(dynamic_cast<cFileStdio*>(picture.get()), nullptr);
}

TEST_F(OpenFile, ACopyIsRewrittenOnEveryOpenWithoutDisturbingAnEarlierReader)
{
    const cArchiveBytes archive({{"loop.wav", bytesOf("0123456789")}});
    ASSERT_TRUE(files_.mountArchive(archive.file()));
    std::unique_ptr<cFile> first(files_.openFile("loop.wav"));
    ASSERT_NE(first, nullptr);
    const std::string path = copyPathOf(first.get());
    // Spoilt in place, under the open first reader.
    testing::writeText(path, "spoilt");

    std::unique_ptr<cFile> second(files_.openFile("loop.wav"));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(copyPathOf(second.get()), path);
    EXPECT_EQ(readAll(*second), "0123456789");
    EXPECT_EQ(testing::readText(path), "0123456789");
    // The new copy was put beside the first reader's file, not written into it.
    EXPECT_EQ(readAll(*first), "spoilt");
}

TEST_F(OpenFile, EntryNamesCannotPlaceACopyOutsideItsFolder)
{
    const std::vector<std::string> names = {"..\\..\\escape.wav", "../../escape.wav",
                                            "sub/dir/escape.avi", "/tmp/escape.avi"};
    std::vector<tools::cArchiveItem> items;
    for (const std::string& name : names)
        items.push_back({name, bytesOf("from " + name)});
    const cArchiveBytes archive(items);
    ASSERT_TRUE(files_.mountArchive(archive.file()));

    std::set<std::string> folders;
    std::set<std::string> paths;
    for (const std::string& name : names)
    {
        SCOPED_TRACE(name);
        std::unique_ptr<cFile> file(files_.openFile(name.c_str()));
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(readAll(*file), "from " + name);
        const std::filesystem::path path = copyPathOf(file.get());
        const std::string leaf = path.filename().string();
        EXPECT_EQ(leaf.find_first_of("/\\"), std::string::npos) << leaf;
        EXPECT_EQ(path.lexically_normal(), path) << path;
        folders.insert(path.parent_path().string());
        paths.insert(path.string());
    }
    // All in the archive's copy folder, each under a name of its own.
    EXPECT_EQ(folders.size(), 1u);
    EXPECT_EQ(paths.size(), names.size());
    EXPECT_FALSE(std::filesystem::exists(folder_ / "escape.wav"));
    const std::filesystem::path copyRoot = std::filesystem::path(*folders.begin()).parent_path();
    EXPECT_FALSE(std::filesystem::exists(copyRoot / "escape.wav"));
    EXPECT_FALSE(std::filesystem::exists(copyRoot.parent_path() / "escape.wav"));
}

TEST(TemporaryCopies, ArchivesWithEntriesOfTheSameNameKeepTheirOwnCopies)
{
    cTempFolder folder;
    cCurrentFolder current(folder.path());
    const cArchiveBytes first({{"intro.avi", bytesOf("first scene")}});
    const cArchiveBytes second(
        {{"intro.avi", bytesOf("second scene")}, {"music.wav", bytesOf("second music")}});

    // Two managers stand for two viewers running at once; one manager with both archives for
    // two scenes loaded one after the other.
    cFileManager one;
    cFileManager two;
    cFileManager both;
    ASSERT_TRUE(one.mountArchive(first.file()));
    ASSERT_TRUE(two.mountArchive(second.file()));
    ASSERT_TRUE(both.mountArchive(first.file()));
    ASSERT_TRUE(both.mountArchive(second.file()));

    std::unique_ptr<cFile> a(one.openFile("intro.avi"));
    std::unique_ptr<cFile> b(two.openFile("intro.avi"));
    std::unique_ptr<cFile> music(both.openFile("music.wav"));
    std::unique_ptr<cFile> c(both.openFile("intro.avi"));
    std::unique_ptr<cFile> again(one.openFile("intro.avi"));
    ASSERT_TRUE(a && b && music && c && again);

    EXPECT_EQ(readAll(*a), "first scene");
    EXPECT_EQ(readAll(*b), "second scene");
    EXPECT_EQ(readAll(*music), "second music");
    EXPECT_EQ(readAll(*c), "first scene");
    EXPECT_EQ(readAll(*again), "first scene");
    const std::set<std::string> paths = {copyPathOf(a.get()), copyPathOf(b.get()),
                                         copyPathOf(c.get())};
    EXPECT_EQ(paths.size(), 3u);
    EXPECT_NE(std::filesystem::path(copyPathOf(music.get())).parent_path(),
              std::filesystem::path(copyPathOf(c.get())).parent_path());

    // What a resolver of names finds is the copy of the archive that openFile used.
    std::string found;
    ASSERT_TRUE(both.findFile("intro.avi", nullptr, found));
    EXPECT_EQ(testing::readText(platform::resolvePath(found)), "first scene");
    ASSERT_TRUE(two.findFile("intro.avi", nullptr, found));
    EXPECT_EQ(testing::readText(platform::resolvePath(found)), "second scene");
}

TEST(TemporaryCopies, GoWithTheirManager)
{
    cTempFolder folder;
    cCurrentFolder current(folder.path());
    const cArchiveBytes archive({{"intro.avi", bytesOf("video")}});
    std::string path;
    {
        cFileManager files;
        ASSERT_TRUE(files.mountArchive(archive.file()));
        std::unique_ptr<cFile> file(files.openFile("intro.avi"));
        ASSERT_NE(file, nullptr);
        path = copyPathOf(file.get());
        EXPECT_TRUE(std::filesystem::exists(path));

        files.removeTemporaryCopies();
        EXPECT_FALSE(std::filesystem::exists(path));
        EXPECT_EQ(files.pathCount(), 0);
        // Copied again on the next open.
        std::unique_ptr<cFile> again(files.openFile("intro.avi"));
        ASSERT_NE(again, nullptr);
        path = copyPathOf(again.get());
        EXPECT_TRUE(std::filesystem::exists(path));
    }
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(path).parent_path()));
}

} // namespace
} // namespace qelt
