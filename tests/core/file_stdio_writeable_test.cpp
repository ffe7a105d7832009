// The writable disk file: created or truncated, and read back across changes of direction.
#include "core/file_stdio_writeable.h"

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

namespace qelt
{
namespace
{

using testing::cTempFolder;

TEST(FileStdioWriteable, CreatesOrTruncates)
{
    cTempFolder folder;
    const std::string path = folder / "out.bin";
    testing::writeText(path, "old contents");
    {
        cFileStdioWriteable file(path);
        EXPECT_EQ(file.size(), 0);
        EXPECT_TRUE(file.eof());
        file.writeUint32(0x04030201);
        file.writeText("ab");
    }
    EXPECT_EQ(testing::readBytes(path), (std::vector<uint8_t>{1, 2, 3, 4, 'a', 'b', 0}));
}

TEST(FileStdioWriteable, SwitchesBetweenWritingAndReadingWithoutASeek)
{
    cTempFolder folder;
    const std::string path = folder / "mixed.bin";
    cFileStdioWriteable file(path);
    ASSERT_TRUE(file.write("abcde", 5));
    ASSERT_TRUE(file.seek(1, cFile::Begin));

    char c = 0;
    ASSERT_EQ(file.read(&c, 1), 1u); // position 2
    EXPECT_EQ(c, 'b');
    ASSERT_TRUE(file.write("X", 1)); // read, then write: lands at position 2
    EXPECT_EQ(file.tell(), 3);
    ASSERT_EQ(file.read(&c, 1), 1u); // write, then read: sees the byte after it
    EXPECT_EQ(c, 'd');
    EXPECT_FALSE(file.eof());
    ASSERT_TRUE(file.write("YZ", 2)); // eof peeked, then write: overwrites e, then appends
    EXPECT_TRUE(file.eof());
    EXPECT_EQ(file.size(), 6);
    ASSERT_TRUE(file.flush());
    EXPECT_EQ(testing::readText(path), "abXdYZ");
}

TEST(FileStdioWriteable, ThrowsWhenTheFileCannotBeCreated)
{
    cTempFolder folder;
    try
    {
        cFileStdioWriteable file(folder / "missing/out.bin");
        ADD_FAILURE() << "opened a file in a missing folder";
    }
    catch (const cFileException& e)
    {
        EXPECT_EQ(e.operation, cFileException::Open);
    }
}

} // namespace
} // namespace qelt
