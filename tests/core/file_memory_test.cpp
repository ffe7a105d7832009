// Tests of the read-only memory file: reading, seeking, the end, and clones.
#include "core/file_memory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

namespace qelt
{
namespace
{

const uint8_t kTen[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};

struct SeekCase
{
    const char* name;
    int64_t start;
    int64_t offset;
    cFile::Origin origin;
    bool succeeds;
    int64_t position; // after the seek, failed or not
};

std::ostream& operator<<(std::ostream& out, const SeekCase& c)
{
    return out << c.name;
}

const SeekCase kSeekCases[] = {
    {"BeginInside", 7, 4, cFile::Begin, true, 4},
    {"BeginAtEnd", 0, 10, cFile::Begin, true, 10},
    {"BeginPastEndStopsAtEnd", 0, 20, cFile::Begin, true, 10},
    {"BeginNegativeFails", 3, -1, cFile::Begin, false, 3},
    {"CurrentForward", 3, 2, cFile::Current, true, 5},
    {"CurrentBack", 5, -2, cFile::Current, true, 3},
    {"CurrentToStart", 5, -5, cFile::Current, true, 0},
    {"CurrentBeforeStartFails", 2, -3, cFile::Current, false, 2},
    {"CurrentHugeStopsAtEnd", 5, INT64_MAX, cFile::Current, true, 10},
    {"EndZero", 0, 0, cFile::End, true, 10},
    {"EndBack", 0, -4, cFile::End, true, 6},
    {"EndForwardStopsAtEnd", 0, 5, cFile::End, true, 10},
    {"EndBeforeStartFails", 4, -11, cFile::End, false, 4},
    {"EndHugeNegativeFails", 4, INT64_MIN, cFile::End, false, 4},
    {"UnknownOriginFails", 4, 1, static_cast<cFile::Origin>(7), false, 4},
};

class FileMemorySeek : public testing::TestWithParam<SeekCase>
{
};

TEST_P(FileMemorySeek, MovesOrFailsInPlace)
{
    const SeekCase& c = GetParam();
    cFileMemory file(kTen, sizeof kTen);
    ASSERT_TRUE(file.seek(c.start, cFile::Begin));
    EXPECT_EQ(file.seek(c.offset, c.origin), c.succeeds);
    EXPECT_EQ(file.tell(), c.position);
    // The next byte read is the one at the new position.
    uint8_t byte = 0xEE;
    EXPECT_EQ(file.read(&byte, 1), c.position < 10 ? 1u : 0u);
    if (c.position < 10)
    {
        EXPECT_EQ(byte, kTen[c.position]);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, FileMemorySeek, testing::ValuesIn(kSeekCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FileMemory, ReadStopsAtEnd)
{
    cFileMemory file(kTen, sizeof kTen);
    ASSERT_TRUE(file.seek(7, cFile::Begin));
    uint8_t buffer[8] = {};
    EXPECT_EQ(file.read(buffer, sizeof buffer), 3u);
    EXPECT_EQ(buffer[0], 7);
    EXPECT_EQ(buffer[2], 9);
    EXPECT_EQ(file.tell(), 10);
    EXPECT_EQ(file.read(buffer, sizeof buffer), 0u);
}

TEST(FileMemory, EofExactlyAtEnd)
{
    cFileMemory file(kTen, sizeof kTen);
    EXPECT_EQ(file.size(), 10);
    EXPECT_FALSE(file.eof());
    uint8_t buffer[9];
    ASSERT_EQ(file.read(buffer, sizeof buffer), 9u);
    EXPECT_FALSE(file.eof());
    ASSERT_EQ(file.read(buffer, 1), 1u);
    EXPECT_TRUE(file.eof());
    ASSERT_TRUE(file.seek(-1, cFile::Current));
    EXPECT_FALSE(file.eof());
}

TEST(FileMemory, EmptyIsAtEndAtOnce)
{
    cFileMemory file(nullptr, 0);
    EXPECT_EQ(file.size(), 0);
    EXPECT_TRUE(file.eof());
    uint8_t byte = 0;
    EXPECT_EQ(file.read(&byte, 1), 0u);
    EXPECT_TRUE(file.seek(5, cFile::Begin));
    EXPECT_EQ(file.tell(), 0);
    EXPECT_EQ(file.readText(), "");
}

TEST(FileMemory, WriteAndFlushFail)
{
    cFileMemory file(kTen, sizeof kTen);
    EXPECT_FALSE(file.write(kTen, 1));
    EXPECT_FALSE(file.flush());
    EXPECT_EQ(file.tell(), 0);
    EXPECT_THROW(file.writeUint8(1), cFileException);
}

TEST(FileMemory, CloneStartsAtZeroAndMovesAlone)
{
    cFileMemory file(kTen, sizeof kTen);
    ASSERT_TRUE(file.seek(6, cFile::Begin));
    std::unique_ptr<cFile> clone(file.clone());
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->tell(), 0);
    EXPECT_EQ(clone->size(), 10);

    EXPECT_EQ(clone->readUint32(), 0x03020100u);
    EXPECT_EQ(file.tell(), 6);
    EXPECT_EQ(file.readUint8(), 6);
    EXPECT_EQ(clone->tell(), 4);
}

} // namespace
} // namespace qelt
