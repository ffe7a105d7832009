// Tests of the resource block appended to a program file: updates, reading back, an appended
// scene beside the block, and damaged blocks.
#include "platform/resources.h"

#include "platform/scene_trailer.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <ostream>
#include <tuple>

namespace qelt::platform
{
namespace
{

using qelt::testing::cTempFolder;
using qelt::testing::readBytes;
using qelt::testing::writeBytes;

using Key = std::tuple<std::string, std::string, uint16_t>;
using Contents = std::map<Key, std::string>;

std::vector<uint8_t> bytesOf(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

// Every entry of the file with its bytes; fails the test when the file cannot be read.
Contents readAll(const std::string& path)
{
    std::string error;
    const std::unique_ptr<cResourceReader> reader = cResourceReader::open(path, &error);
    EXPECT_NE(reader, nullptr) << error;
    Contents contents;
    if (reader == nullptr)
    {
        return contents;
    }
    for (const cResourceEntry& entry : reader->entries())
    {
        const uint8_t* bytes = reader->bytes(entry);
        EXPECT_NE(bytes, nullptr);
        contents[{entry.type, entry.name, entry.language}] =
            bytes != nullptr ? std::string(reinterpret_cast<const char*>(bytes), entry.size) : "";
    }
    return contents;
}

struct Change
{
    std::string type;
    std::string name;
    uint16_t language;
    std::string data; // empty: remove
};

// One begin, the changes, one commit.
void applyUpdate(const std::string& path, bool deleteExisting, const std::vector<Change>& changes)
{
    cResourceUpdate update;
    ASSERT_TRUE(update.begin(path, deleteExisting)) << update.error();
    for (const Change& change : changes)
    {
        update.update(change.type, change.name, change.language, bytesOf(change.data));
    }
    ASSERT_TRUE(update.commit()) << update.error();
}

// A folder holding a copy of a real small program.
class ProgramCopy : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        program = folder / "program";
        std::filesystem::copy_file("/bin/true", program);
        original = readBytes(program);
        ASSERT_FALSE(original.empty());
    }

    bool runs() const { return std::system(("'" + program + "'").c_str()) == 0; }

    bool programBytesKept() const
    {
        const std::vector<uint8_t> now = readBytes(program);
        return now.size() > original.size() &&
               std::equal(original.begin(), original.end(), now.begin());
    }

    cTempFolder folder;
    std::string program;
    std::vector<uint8_t> original;
};

// ---------------------------------------------------------------------------------------------
// Updating and reading back
// ---------------------------------------------------------------------------------------------

TEST_F(ProgramCopy, AProgramWithoutABlockHasNoEntries)
{
    EXPECT_TRUE(readAll(program).empty());
    std::string error;
    const std::unique_ptr<cResourceReader> reader = cResourceReader::open(program, &error);
    ASSERT_NE(reader, nullptr) << error;
    EXPECT_EQ(reader->find("BINARY", "DLLS"), nullptr);
}

TEST_F(ProgramCopy, AddedResourcesLeaveTheProgramRunnable)
{
    struct stat before
    {
    };
    ASSERT_EQ(::stat(program.c_str(), &before), 0);
    applyUpdate(program, false,
                {{"BINARY", "DLLS", 0, std::string(70000, 'd')}, {"BINARY", "SCENE", 0, "scene"}});

    EXPECT_TRUE(programBytesKept());
    EXPECT_TRUE(runs());
    struct stat after
    {
    };
    ASSERT_EQ(::stat(program.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode, before.st_mode);
    // Written beside the program and renamed over it: nothing else is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1);

    std::string error;
    const std::unique_ptr<cResourceReader> reader = cResourceReader::open(program, &error);
    ASSERT_NE(reader, nullptr) << error;
    const cResourceEntry* scene = reader->find("BINARY", "SCENE");
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(reader->bytes(*scene)), scene->size),
              "scene");
    // The block starts right behind the program bytes.
    const cResourceEntry* dlls = reader->find("BINARY", "DLLS");
    ASSERT_NE(dlls, nullptr);
    EXPECT_EQ(dlls->offset, original.size());
    EXPECT_EQ(reader->find("binary", "SCENE"), nullptr);
}

struct UpdateCase
{
    const char* name;
    std::vector<Change> first;  // onto the bare program
    bool deleteExisting;        // for the second update
    std::vector<Change> second; // onto the result of the first
    Contents expected;
};

// Test names and failure messages show the row's name, not its bytes.
void PrintTo(const UpdateCase& row, std::ostream* out)
{
    *out << row.name;
}

class ResourceUpdates : public ProgramCopy, public ::testing::WithParamInterface<UpdateCase>
{
};

TEST_P(ResourceUpdates, ReadBackAsExpected)
{
    const UpdateCase& row = GetParam();
    applyUpdate(program, false, row.first);
    applyUpdate(program, row.deleteExisting, row.second);
    EXPECT_EQ(readAll(program), row.expected);
    EXPECT_TRUE(programBytesKept());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResourceUpdates,
    ::testing::Values(
        UpdateCase{"add_to_existing",
                   {{"BINARY", "DLLS", 0, "package"}},
                   false,
                   {{"BINARY", "SCENE", 0, "archive"}},
                   {{{"BINARY", "DLLS", 0}, "package"}, {{"BINARY", "SCENE", 0}, "archive"}}},
        UpdateCase{"replace_keeps_others",
                   {{"BINARY", "DLLS", 0, "old"}, {"BINARY", "SCENE", 0, "archive"}},
                   false,
                   {{"BINARY", "DLLS", 0, "a much longer replacement"}},
                   {{{"BINARY", "DLLS", 0}, "a much longer replacement"},
                    {{"BINARY", "SCENE", 0}, "archive"}}},
        UpdateCase{"remove_one",
                   {{"BINARY", "DLLS", 0, "package"}, {"BINARY", "SCENE", 0, "archive"}},
                   false,
                   {{"BINARY", "DLLS", 0, ""}},
                   {{{"BINARY", "SCENE", 0}, "archive"}}},
        UpdateCase{"remove_all",
                   {{"BINARY", "DLLS", 0, "package"}},
                   false,
                   {{"BINARY", "DLLS", 0, ""}},
                   {}},
        UpdateCase{"delete_existing",
                   {{"BINARY", "DLLS", 0, "package"}, {"BINARY", "SCENE", 0, "archive"}},
                   true,
                   {{"ICON", "MAIN", 0, "icon"}},
                   {{{"ICON", "MAIN", 0}, "icon"}}},
        UpdateCase{"languages_are_separate",
                   {{"BINARY", "TEXT", 1033, "english"}, {"BINARY", "TEXT", 1031, "deutsch"}},
                   false,
                   {{"BINARY", "TEXT", 1031, "neu"}},
                   {{{"BINARY", "TEXT", 1033}, "english"}, {{"BINARY", "TEXT", 1031}, "neu"}}},
        UpdateCase{"replace_within_one_update",
                   {{"BINARY", "DLLS", 0, "first"}, {"BINARY", "DLLS", 0, "second"}},
                   false,
                   {},
                   {{{"BINARY", "DLLS", 0}, "second"}}},
        UpdateCase{"removing_a_missing_entry_changes_nothing",
                   {{"BINARY", "DLLS", 0, "package"}},
                   false,
                   {{"BINARY", "OTHER", 0, ""}},
                   {{{"BINARY", "DLLS", 0}, "package"}}}),
    [](const ::testing::TestParamInfo<UpdateCase>& info) { return info.param.name; });

TEST_F(ProgramCopy, FailedUpdatesLeaveTheFileAlone)
{
    applyUpdate(program, false, {{"BINARY", "DLLS", 0, "package"}});
    const std::vector<uint8_t> before = readBytes(program);

    cResourceUpdate emptyName;
    ASSERT_TRUE(emptyName.begin(program, false)) << emptyName.error();
    emptyName.update("BINARY", "", 0, bytesOf("x"));
    EXPECT_FALSE(emptyName.commit());
    EXPECT_FALSE(emptyName.error().empty());

    cResourceUpdate changed;
    ASSERT_TRUE(changed.begin(program, false)) << changed.error();
    changed.update("BINARY", "SCENE", 0, bytesOf("archive"));
    applyUpdate(program, false, {{"BINARY", "OTHER", 0, "x"}});
    const std::vector<uint8_t> between = readBytes(program);
    EXPECT_FALSE(changed.commit());
    EXPECT_NE(changed.error().find("changed"), std::string::npos) << changed.error();
    EXPECT_EQ(readBytes(program), between);
    EXPECT_NE(between, before);

    cResourceUpdate notBegun;
    EXPECT_FALSE(notBegun.commit());
    EXPECT_FALSE(notBegun.error().empty());

    cResourceUpdate missing;
    EXPECT_FALSE(missing.begin(folder / "missing", false));
    EXPECT_NE(missing.error().find("missing"), std::string::npos) << missing.error();
    EXPECT_EQ(cResourceReader::open(folder / "missing"), nullptr);

    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1);
}

// ---------------------------------------------------------------------------------------------
// An appended scene beside the block
// ---------------------------------------------------------------------------------------------

// The scene bytes the trailer at the end of path points to; empty when there is no trailer.
std::optional<std::string> appendedScene(const std::string& path)
{
    const std::optional<cSceneTrailer> trailer = readSceneTrailer(path);
    if (!trailer)
    {
        return std::nullopt;
    }
    const std::vector<uint8_t> file = readBytes(path);
    return std::string(file.begin() + trailer->offset,
                       file.begin() + trailer->offset + trailer->size);
}

TEST_F(ProgramCopy, SceneAppendedAfterTheBlockStaysBesideIt)
{
    const std::string sceneText(5000, 's');
    qelt::testing::writeText(folder / "scene.qsc", sceneText);
    applyUpdate(program, false, {{"BINARY", "DLLS", 0, "package"}});
    std::string error;
    ASSERT_TRUE(appendScene(program, folder / "scene.qsc", &error)) << error;

    EXPECT_EQ(appendedScene(program), sceneText);
    EXPECT_EQ(readAll(program), (Contents{{{"BINARY", "DLLS", 0}, "package"}}));

    applyUpdate(program, false,
                {{"BINARY", "DLLS", 0, std::string(9000, 'p')}, {"BINARY", "SCENE", 0, "arc"}});
    EXPECT_EQ(appendedScene(program), sceneText);
    EXPECT_EQ(readAll(program), (Contents{{{"BINARY", "DLLS", 0}, std::string(9000, 'p')},
                                          {{"BINARY", "SCENE", 0}, "arc"}}));
    EXPECT_TRUE(programBytesKept());
    EXPECT_TRUE(runs());
    EXPECT_EQ(readSceneTrailer(program)->offset % cSceneTrailer::kAlignment, 0u);
}

TEST_F(ProgramCopy, ResourcesAddedToAProgramWithAScene)
{
    const std::string sceneText = "scene bytes";
    qelt::testing::writeText(folder / "scene.qsc", sceneText);
    std::string error;
    ASSERT_TRUE(appendScene(program, folder / "scene.qsc", &error)) << error;
    ASSERT_TRUE(readAll(program).empty());

    applyUpdate(program, false, {{"BINARY", "DLLS", 0, "package"}});
    EXPECT_EQ(appendedScene(program), sceneText);
    EXPECT_EQ(readAll(program), (Contents{{{"BINARY", "DLLS", 0}, "package"}}));
    EXPECT_TRUE(programBytesKept());
    EXPECT_TRUE(runs());

    applyUpdate(program, true, {});
    EXPECT_EQ(appendedScene(program), sceneText);
    EXPECT_TRUE(readAll(program).empty());
}

TEST(ResourceLayout, BlockFollowsAnAlignedProgramDirectly)
{
    cTempFolder folder;
    const std::vector<uint8_t> program(8192, 0x5A);
    writeBytes(folder / "program", program);
    applyUpdate(folder / "program", false, {{"T", "N", 0, "data"}});

    const std::vector<uint8_t> file = readBytes(folder / "program");
    cResourceLayout layout;
    std::string error;
    ASSERT_TRUE(parseResourceLayout(file.data(), file.size(), &layout, &error)) << error;
    EXPECT_TRUE(layout.hasBlock);
    EXPECT_EQ(layout.blockStart, 8192u);
    EXPECT_EQ(layout.blockEnd, file.size());
    ASSERT_EQ(layout.entries.size(), 1u);
    EXPECT_EQ(layout.entries[0].offset, 8192u);
    EXPECT_FALSE(layout.scene);
}

TEST(ResourceLayout, EmptyAndTinyFilesHaveNoBlock)
{
    cResourceLayout layout;
    std::string error;
    EXPECT_TRUE(parseResourceLayout(nullptr, 0, &layout, &error)) << error;
    EXPECT_FALSE(layout.hasBlock);
    const uint8_t tiny[3] = {'R', 'E', 'S'};
    EXPECT_TRUE(parseResourceLayout(tiny, sizeof tiny, &layout, &error)) << error;
    EXPECT_TRUE(layout.entries.empty());

    cTempFolder folder;
    writeBytes(folder / "empty", {});
    EXPECT_TRUE(readAll(folder / "empty").empty());
}

// ---------------------------------------------------------------------------------------------
// Damaged blocks
// ---------------------------------------------------------------------------------------------

void putLittle(std::vector<uint8_t>& file, std::size_t at, uint64_t value, int count)
{
    for (int i = 0; i < count; ++i)
    {
        file[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

// Footer fields, counted back from the footer's end.
constexpr std::size_t kBlockStart = 40;
constexpr std::size_t kDirectoryOffset = 32;
constexpr std::size_t kDirectorySize = 24;
constexpr std::size_t kCount = 16;
constexpr std::size_t kVersion = 12;

struct DamagedCase
{
    const char* name;
    std::function<void(std::vector<uint8_t>&)> damage;
    const char* expectedError; // empty: readable, without entries
};

// Test names and failure messages show the row's name, not its bytes.
void PrintTo(const DamagedCase& row, std::ostream* out)
{
    *out << row.name;
}

class DamagedBlock : public ::testing::TestWithParam<DamagedCase>
{
};

// A small program, a block with two entries (directory: 2+1+2+4+2+8+8 = 27 and 2+1+2+5+2+8+8 =
// 28 bytes), and the footer.
TEST_P(DamagedBlock, GivesACleanAnswer)
{
    cTempFolder folder;
    writeBytes(folder / "program", std::vector<uint8_t>(100, 1));
    applyUpdate(folder / "program", false, {{"T", "DLLS", 0, "abc"}, {"T", "SCENE", 0, "defg"}});
    std::vector<uint8_t> file = readBytes(folder / "program");
    ASSERT_EQ(file.size(), 100u + 7 + 55 + 40);
    GetParam().damage(file);
    writeBytes(folder / "program", file);

    std::string error;
    const std::unique_ptr<cResourceReader> reader =
        cResourceReader::open(folder / "program", &error);
    cResourceUpdate update;
    const bool begun = update.begin(folder / "program", false);
    if (std::string(GetParam().expectedError).empty())
    {
        ASSERT_NE(reader, nullptr) << error;
        EXPECT_TRUE(reader->entries().empty());
        EXPECT_TRUE(begun) << update.error();
    }
    else
    {
        EXPECT_EQ(reader, nullptr);
        EXPECT_NE(error.find(GetParam().expectedError), std::string::npos) << error;
        EXPECT_NE(error.find("program"), std::string::npos) << error;
        EXPECT_FALSE(begun);
        EXPECT_NE(update.error().find(GetParam().expectedError), std::string::npos)
            << update.error();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedBlock,
    ::testing::Values(
        DamagedCase{"unknown_version", [](auto& f) { putLittle(f, f.size() - kVersion, 2, 4); },
                    "version"},
        DamagedCase{"hostile_count",
                    [](auto& f) { putLittle(f, f.size() - kCount, 0xFFFFFFFF, 4); }, "claims"},
        DamagedCase{"count_beyond_directory",
                    [](auto& f) { putLittle(f, f.size() - kCount, 3, 4); }, "claims"},
        DamagedCase{"count_one_too_few", [](auto& f) { putLittle(f, f.size() - kCount, 1, 4); },
                    "after its last"},
        DamagedCase{"directory_past_footer",
                    [](auto& f) { putLittle(f, f.size() - kDirectoryOffset, f.size(), 8); },
                    "damaged"},
        DamagedCase{"directory_offset_huge",
                    [](auto& f) { putLittle(f, f.size() - kDirectoryOffset, ~0ull, 8); },
                    "damaged"},
        DamagedCase{"directory_size_huge",
                    [](auto& f) { putLittle(f, f.size() - kDirectorySize, ~0ull, 8); }, "damaged"},
        DamagedCase{"block_start_after_directory",
                    [](auto& f) { putLittle(f, f.size() - kBlockStart, f.size(), 8); }, "damaged"},
        DamagedCase{"entry_size_huge",
                    // The first entry's size: the last 8 bytes of its 27 directory bytes.
                    [](auto& f) { putLittle(f, 107 + 27 - 8, 1ull << 63, 8); }, "outside"},
        DamagedCase{"entry_offset_before_block",
                    [](auto& f) { putLittle(f, 107 + 27 - 16, 10, 8); }, "outside"},
        DamagedCase{"type_length_huge", [](auto& f) { putLittle(f, 107, 0xFFFF, 2); }, "truncated"},
        DamagedCase{"bytes_missing_before_footer",
                    [](auto& f) { f.erase(f.end() - 50, f.end() - 40); }, "damaged"},
        DamagedCase{"footer_cut_short", [](auto& f) { f.erase(f.end() - 5, f.end()); }, ""},
        DamagedCase{"magic_damaged", [](auto& f) { f.back() ^= 1; }, ""},
        DamagedCase{"only_the_footer_tail", [](auto& f) { f.erase(f.begin(), f.end() - 20); }, ""},
        DamagedCase{"scene_trailer_pointing_past_the_end",
                    [](auto& f)
                    {
                        uint8_t trailer[cSceneTrailer::kSize];
                        encodeSceneTrailer({0, 0xFFFFFFFF}, trailer);
                        f.insert(f.end(), trailer, trailer + sizeof trailer);
                    },
                    ""},
        DamagedCase{"scene_trailer_pointing_into_the_block",
                    [](auto& f)
                    {
                        uint8_t trailer[cSceneTrailer::kSize];
                        encodeSceneTrailer({0, 150}, trailer);
                        f.insert(f.end(), trailer, trailer + sizeof trailer);
                    },
                    ""}),
    [](const ::testing::TestParamInfo<DamagedCase>& info) { return info.param.name; });

} // namespace
} // namespace qelt::platform
