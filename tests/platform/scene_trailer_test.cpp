// Tests of the scene trailer: its bytes, reading it from files, and appending a scene.
#include "platform/scene_trailer.h"

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

namespace qelt::platform
{
namespace
{

using qelt::testing::cTempFolder;
using qelt::testing::readBytes;
using qelt::testing::writeBytes;

std::vector<uint8_t> pattern(std::size_t size, uint8_t seed)
{
    std::vector<uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
    {
        bytes[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 8));
    }
    return bytes;
}

// ---------------------------------------------------------------------------------------------
// Bytes
// ---------------------------------------------------------------------------------------------

TEST(SceneTrailer, EncodesTheDocumentedBytes)
{
    uint8_t bytes[cSceneTrailer::kSize];
    encodeSceneTrailer({0x00012000, 0x01020304}, bytes);
    const uint8_t expected[cSceneTrailer::kSize] = {'Q',  'E',  'L',  0,    0x00, 0x20, 0x01, 0x00,
                                                    0x04, 0x03, 0x02, 0x01, 'V',  'I',  'E',  0};
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 16),
              std::vector<uint8_t>(expected, expected + 16));

    const std::optional<cSceneTrailer> decoded = decodeSceneTrailer(bytes);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->offset, 0x00012000u);
    EXPECT_EQ(decoded->size, 0x01020304u);
}

struct DamageCase
{
    const char* name;
    std::size_t index;
    uint8_t value;
};

// Test names and failure messages show the row's name, not its bytes.
void PrintTo(const DamageCase& row, std::ostream* out)
{
    *out << row.name;
}

class SceneTrailerDamage : public ::testing::TestWithParam<DamageCase>
{
};

TEST_P(SceneTrailerDamage, IsNotATrailer)
{
    uint8_t bytes[cSceneTrailer::kSize];
    encodeSceneTrailer({4096, 10}, bytes);
    bytes[GetParam().index] = GetParam().value;
    EXPECT_FALSE(decodeSceneTrailer(bytes));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SceneTrailerDamage,
    ::testing::Values(DamageCase{"first_magic", 0, 'q'}, DamageCase{"first_magic_end", 3, 1},
                    DamageCase{"second_magic", 12, 'v'}, DamageCase{"second_magic_end", 15, 1}),
    [](const ::testing::TestParamInfo<DamageCase>& info) { return info.param.name; });

// ---------------------------------------------------------------------------------------------
// Files
// ---------------------------------------------------------------------------------------------

TEST(SceneTrailer, FilesWithoutAUsableTrailer)
{
    cTempFolder folder;
    EXPECT_FALSE(readSceneTrailer(folder / "missing"));

    uint8_t bytes[cSceneTrailer::kSize];
    encodeSceneTrailer({0, 0}, bytes);
    writeBytes(folder / "short", std::vector<uint8_t>(bytes + 1, bytes + 16));
    EXPECT_FALSE(readSceneTrailer(folder / "short"));

    // Exactly a trailer with an empty scene at offset 0 is a valid file.
    writeBytes(folder / "only", std::vector<uint8_t>(bytes, bytes + 16));
    EXPECT_TRUE(readSceneTrailer(folder / "only"));

    std::vector<uint8_t> file(4096 + 10, 0);
    encodeSceneTrailer({4096, 11}, bytes);
    file.insert(file.end(), bytes, bytes + 16);
    writeBytes(folder / "past_end", file);
    EXPECT_FALSE(readSceneTrailer(folder / "past_end"));

    file.resize(4096 + 10);
    encodeSceneTrailer({4000, 10}, bytes);
    file.insert(file.end(), bytes, bytes + 16);
    writeBytes(folder / "off_grid", file);
    EXPECT_FALSE(readSceneTrailer(folder / "off_grid"));
}

struct AppendCase
{
    const char* name;
    std::size_t programSize;
    std::size_t sceneSize;
    uint32_t expectedOffset;
};

// Test names and failure messages show the row's name, not its bytes.
void PrintTo(const AppendCase& row, std::ostream* out)
{
    *out << row.name;
}

class AppendScene : public ::testing::TestWithParam<AppendCase>
{
};

TEST_P(AppendScene, LaysOutFillerSceneAndTrailer)
{
    const AppendCase& row = GetParam();
    cTempFolder folder;
    const std::vector<uint8_t> program = pattern(row.programSize, 1);
    const std::vector<uint8_t> scene = pattern(row.sceneSize, 99);
    writeBytes(folder / "program", program);
    writeBytes(folder / "scene.qsc", scene);

    std::string error;
    ASSERT_TRUE(appendScene(folder / "program", folder / "scene.qsc", &error)) << error;

    const std::vector<uint8_t> file = readBytes(folder / "program");
    ASSERT_EQ(file.size(), row.expectedOffset + row.sceneSize + cSceneTrailer::kSize);
    EXPECT_TRUE(std::equal(program.begin(), program.end(), file.begin()));
    for (std::size_t i = row.programSize; i < row.expectedOffset; ++i)
    {
        ASSERT_EQ(file[i], cSceneTrailer::kFiller) << "at " << i;
    }
    EXPECT_TRUE(std::equal(scene.begin(), scene.end(), file.begin() + row.expectedOffset));

    const std::optional<cSceneTrailer> trailer = readSceneTrailer(folder / "program");
    ASSERT_TRUE(trailer);
    EXPECT_EQ(trailer->offset, row.expectedOffset);
    EXPECT_EQ(trailer->size, row.sceneSize);
    const std::optional<cSceneTrailer> inMemory = findSceneTrailer(file.data(), file.size());
    ASSERT_TRUE(inMemory);
    EXPECT_EQ(inMemory->offset, row.expectedOffset);

    // A second scene would hide the first.
    EXPECT_FALSE(appendScene(folder / "program", folder / "scene.qsc", &error));
    EXPECT_NE(error.find("already"), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(Cases, AppendScene,
                         ::testing::Values(AppendCase{"filler", 1000, 5000, 4096},
                                         AppendCase{"aligned_program_no_filler", 8192, 100, 8192},
                                         AppendCase{"one_byte_over", 4097, 1, 8192},
                                         AppendCase{"scene_of_many_blocks", 10, 3 * 4096 + 5, 4096},
                                         AppendCase{"empty_scene", 3, 0, 4096}),
                         [](const ::testing::TestParamInfo<AppendCase>& info)
                         { return info.param.name; });

TEST(SceneTrailer, AppendSceneReportsMissingFiles)
{
    cTempFolder folder;
    writeBytes(folder / "program", pattern(100, 0));
    std::string error;
    EXPECT_FALSE(appendScene(folder / "program", folder / "missing.qsc", &error));
    EXPECT_NE(error.find("missing.qsc"), std::string::npos) << error;
    EXPECT_EQ(readBytes(folder / "program").size(), 100u);

    EXPECT_FALSE(appendScene(folder / "missing", folder / "program", &error));
    EXPECT_NE(error.find("missing"), std::string::npos) << error;
}

} // namespace
} // namespace qelt::platform
