// The scene archive index and reading entries through their file windows.
#include "core/archive.h"

#include "core/file_memory.h"
#include "core/file_stdio.h"
#include "core/progress.h"
#include "tests/support/temp_folder.h"
#include "tools/pack_writer.h"

#include <gtest/gtest.h>

namespace qelt
{
namespace
{

using testing::bytesOf;
using tools::buildArchive;

std::string readAll(cFile& file)
{
    std::string text;
    char buffer[3]; // small, so reads cross the entry's end more than once
    std::size_t got;
    while ((got = file.read(buffer, sizeof buffer)) > 0)
        text.append(buffer, got);
    return text;
}

struct cArchiveFixture
{
    std::vector<uint8_t> bytes;
    cFileMemory file;
    cArchiveIndex index;

    explicit cArchiveFixture(std::vector<uint8_t> archive)
        : bytes(std::move(archive)), file(bytes.data(), bytes.size())
    {
    }
};

TEST(ArchiveIndex, IndexesEntriesInOrderWithTheirOffsets)
{
    cArchiveFixture archive(
        buildArchive({{"mode.dat", bytesOf("mode")}, {"core.dat", bytesOf("scene!")}}));
    cProgress progress;
    ASSERT_TRUE(archive.index.build(archive.file, &progress));
    EXPECT_EQ(progress.total(), float(archive.bytes.size()));

    const auto& entries = archive.index.entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "mode.dat");
    EXPECT_EQ(entries[0].offset, 9u + 4u);
    EXPECT_EQ(entries[0].size, 4u);
    EXPECT_EQ(entries[1].name, "core.dat");
    EXPECT_EQ(entries[1].offset, 13u + 4u + 9u + 4u);
    EXPECT_EQ(entries[1].size, 6u);
}

TEST(ArchiveIndex, LooksUpNamesWithoutRegardToCaseFirstMatchWinning)
{
    cArchiveFixture archive(buildArchive({{"refmap.jpg", bytesOf("first")},
                                          {"empty.tga", {}},
                                          {"REFMAP.JPG", bytesOf("second")},
                                          {"Ctrl.JPG", bytesOf("panel")}}));
    ASSERT_TRUE(archive.index.build(archive.file));

    struct Case
    {
        const char* name;
        const char* expected; // null: not found
    };
    const Case cases[] = {
        {"refmap.jpg", "first"},  {"REFMAP.JPG", "first"}, {"RefMap.Jpg", "first"},
        {"ctrl.jpg", "panel"},    {"empty.tga", ""},       {"refmap", nullptr},
        {"refmap.jpg ", nullptr}, {"", nullptr},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        auto file = openArchiveEntry(archive.index, archive.file, c.name);
        if (!c.expected)
        {
            EXPECT_EQ(file, nullptr);
            continue;
        }
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(readAll(*file), c.expected);
        EXPECT_TRUE(file->eof());
    }
}

TEST(ArchiveIndex, EndMarkerIsOptionalAtTheEndOfData)
{
    std::vector<uint8_t> withMarker =
        buildArchive({{"a.wav", bytesOf("abc")}, {"b.avi", bytesOf("de")}});
    std::vector<uint8_t> withoutMarker(withMarker.begin(), withMarker.end() - 1);
    cArchiveFixture a(withMarker), b(withoutMarker);
    ASSERT_TRUE(a.index.build(a.file));
    ASSERT_TRUE(b.index.build(b.file));
    ASSERT_EQ(a.index.entries().size(), b.index.entries().size());
    for (std::size_t i = 0; i < a.index.entries().size(); ++i)
    {
        EXPECT_EQ(a.index.entries()[i].name, b.index.entries()[i].name);
        EXPECT_EQ(a.index.entries()[i].offset, b.index.entries()[i].offset);
        EXPECT_EQ(a.index.entries()[i].size, b.index.entries()[i].size);
    }
}

TEST(ArchiveIndex, RefusesEntriesPastTheEnd)
{
    std::vector<uint8_t> good = buildArchive({{"good.jpg", bytesOf("ok")}});
    good.pop_back(); // continue after the first entry
    auto withTail = [&](std::vector<uint8_t> tail)
    {
        std::vector<uint8_t> bytes = good;
        bytes.insert(bytes.end(), tail.begin(), tail.end());
        return bytes;
    };
    const std::pair<const char*, std::vector<uint8_t>> cases[] = {
        {"size beyond the data", withTail({'b', 0, 10, 0, 0, 0, 'x'})},
        {"hostile size", withTail({'b', 0, 0xFF, 0xFF, 0xFF, 0xFF})},
        {"size cut short", withTail({'b', 0, 1, 0})},
    };
    for (const auto& [name, bytes] : cases)
    {
        SCOPED_TRACE(name);
        cArchiveFixture archive(bytes);
        std::string error;
        EXPECT_FALSE(archive.index.build(archive.file, nullptr, &error));
        EXPECT_FALSE(error.empty());
        ASSERT_EQ(archive.index.entries().size(), 1u);
        EXPECT_EQ(archive.index.entries()[0].name, "good.jpg");
    }
}

TEST(ArchiveFile, ReadsSeeksAndClonesInsideItsEntry)
{
    cArchiveFixture archive(
        buildArchive({{"a.txt", bytesOf("0123456789")}, {"b.txt", bytesOf("next")}}));
    ASSERT_TRUE(archive.index.build(archive.file));
    cProgress progress;
    auto file = openArchiveEntry(archive.index, archive.file, "a.txt", &progress);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->size(), 10);

    char buffer[16] = {};
    EXPECT_EQ(file->read(buffer, 4), 4u);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    EXPECT_EQ(progress.value(), 4.0f);

    ASSERT_TRUE(file->seek(-2, cFile::End));
    EXPECT_EQ(file->read(buffer, sizeof buffer), 2u); // never reads into the next entry
    EXPECT_EQ(std::string(buffer, 2), "89");
    EXPECT_TRUE(file->eof());

    ASSERT_TRUE(file->seek(100, cFile::Begin)); // cut at the entry's size
    EXPECT_EQ(file->tell(), 10);
    EXPECT_FALSE(file->seek(-1, cFile::Begin));
    EXPECT_EQ(file->tell(), 10);

    ASSERT_TRUE(file->seek(5, cFile::Begin));
    std::unique_ptr<cFile> copy(file->clone());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->tell(), 0);
    EXPECT_EQ(readAll(*copy), "0123456789");
    EXPECT_EQ(file->tell(), 5);
    EXPECT_EQ(readAll(*file), "56789");
    EXPECT_THROW(file->readUint8(), cFileException); // typed reads end at the entry too
}

TEST(ArchiveFile, ReadsFromAnArchiveOnDisk)
{
    testing::cTempFolder folder;
    std::vector<uint8_t> archive =
        buildArchive({{"mode.dat", bytesOf("mode")}, {"core.dat", bytesOf("core")}});
    testing::writeBytes(folder / "scene.bin", archive);

    cFileStdio file(folder / "scene.bin");
    cArchiveIndex index;
    ASSERT_TRUE(index.build(file));
    auto core = openArchiveEntry(index, file, "CORE.DAT");
    ASSERT_NE(core, nullptr);
    EXPECT_EQ(readAll(*core), "core");
    auto mode = openArchiveEntry(index, file, "mode.dat");
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(readAll(*mode), "mode");
}

} // namespace
} // namespace qelt
