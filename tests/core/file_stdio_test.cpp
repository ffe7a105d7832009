// Tests of the stdio disk file on real files in a scratch folder.
#include "core/file_stdio.h"

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace qelt
{
namespace
{

namespace fs = std::filesystem;

class FileStdio : public ::testing::Test
{
  protected:
    // Writes the bytes to a file in the folder, making its folders, and returns its full name.
    std::string make(const std::string& relative, const std::string& bytes)
    {
        const std::string path = folder_ / relative;
        fs::create_directories(fs::path(path).parent_path());
        testing::writeBytes(path, testing::bytesOf(bytes));
        return path;
    }

    testing::cTempFolder folder_;
};

TEST_F(FileStdio, MissingFileThrowsOpen)
{
    try
    {
        cFileStdio file(folder_ / "missing.bin");
        FAIL() << "opened a missing file";
    }
    catch (const cFileException& e)
    {
        EXPECT_EQ(e.operation, cFileException::Open);
        EXPECT_EQ(e.byteCount, 0);
    }
}

TEST_F(FileStdio, ReadsTypedValuesAndText)
{
    cFileStdio file(make("data.bin", std::string("\x34\x12\x78\x56\x34\x12hello\0rest", 16)));
    EXPECT_EQ(file.readUint16(), 0x1234);
    EXPECT_EQ(file.readUint32(), 0x12345678u);
    EXPECT_EQ(file.readText(), "hello");
    EXPECT_EQ(file.tell(), 12);
    char buffer[8];
    EXPECT_EQ(file.read(buffer, sizeof buffer), 4u);
    EXPECT_EQ(std::string(buffer, 4), "rest");
    EXPECT_THROW(file.readUint8(), cFileException);
}

TEST_F(FileStdio, SeekTellAndSize)
{
    cFileStdio file(make("data.bin", "0123456789"));
    EXPECT_EQ(file.size(), 10);
    EXPECT_TRUE(file.seek(4, cFile::Begin));
    EXPECT_EQ(file.tell(), 4);
    EXPECT_TRUE(file.seek(2, cFile::Current));
    EXPECT_EQ(file.readUint8(), '6');
    EXPECT_TRUE(file.seek(-3, cFile::End));
    EXPECT_EQ(file.readUint8(), '7');
    // size() leaves the position where it was.
    EXPECT_EQ(file.size(), 10);
    EXPECT_EQ(file.tell(), 8);
    EXPECT_FALSE(file.seek(-1, cFile::Begin));
    EXPECT_FALSE(file.seek(0, static_cast<cFile::Origin>(7)));
    EXPECT_EQ(file.tell(), 8);
}

// The end shows as soon as the last byte is taken, before any read has failed.
TEST_F(FileStdio, EofExactlyAtEnd)
{
    cFileStdio file(make("data.bin", "abc"));
    EXPECT_FALSE(file.eof());
    EXPECT_EQ(file.readUint8(), 'a');
    EXPECT_EQ(file.readUint8(), 'b');
    EXPECT_FALSE(file.eof());
    EXPECT_EQ(file.tell(), 2);
    EXPECT_EQ(file.readUint8(), 'c');
    EXPECT_TRUE(file.eof());
    EXPECT_TRUE(file.seek(1, cFile::Begin));
    EXPECT_FALSE(file.eof());
    EXPECT_EQ(file.readUint8(), 'b');
}

TEST_F(FileStdio, EmptyFileIsAtEndAtOnce)
{
    cFileStdio file(make("empty.bin", ""));
    EXPECT_EQ(file.size(), 0);
    EXPECT_TRUE(file.eof());
    EXPECT_EQ(file.readText(), "");
}

TEST_F(FileStdio, WritesFail)
{
    const std::string path = make("data.bin", "abc");
    cFileStdio file(path);
    EXPECT_FALSE(file.write("x", 1));
    EXPECT_THROW(file.writeUint8(1), cFileException);
    EXPECT_EQ(file.path(), path);
}

TEST_F(FileStdio, CloneHasItsOwnPosition)
{
    cFileStdio file(make("data.bin", "0123456789"));
    ASSERT_TRUE(file.seek(5, cFile::Begin));
    std::unique_ptr<cFile> clone(file.clone());
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->tell(), 0);
    EXPECT_EQ(clone->readUint8(), '0');
    EXPECT_EQ(file.readUint8(), '5');
    EXPECT_EQ(clone->readUint8(), '1');
}

TEST_F(FileStdio, CloneOfRemovedFileIsNull)
{
    const std::string path = make("data.bin", "abc");
    cFileStdio file(path);
    fs::remove(path);
    EXPECT_EQ(std::unique_ptr<cFile>(file.clone()), nullptr);
    // The open file still reads.
    EXPECT_EQ(file.readUint8(), 'a');
}

// Names as scenes write them: backslashes and any letter case.
struct NameCase
{
    const char* name;
    const char* onDisk;
    const char* asWritten;
};

std::ostream& operator<<(std::ostream& out, const NameCase& c)
{
    return out << c.name;
}

const NameCase kNameCases[] = {
    {"Backslashes", "Scenes/level/Data.bin", "Scenes\\level\\Data.bin"},
    {"OtherCase", "Scenes/level/Data.bin", "SCENES/Level/data.BIN"},
    {"BackslashesAndOtherCase", "Scenes/level/Data.bin", "scenes\\LEVEL\\data.bin"},
};

class FileStdioName : public FileStdio, public ::testing::WithParamInterface<NameCase>
{
};

TEST_P(FileStdioName, OpensTheFileOnDisk)
{
    make(GetParam().onDisk, "found");
    cFileStdio file(folder_ / GetParam().asWritten);
    EXPECT_EQ(file.readText(), "found");
    std::unique_ptr<cFile> clone(file.clone());
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->readText(), "found");
}

INSTANTIATE_TEST_SUITE_P(Cases, FileStdioName, ::testing::ValuesIn(kNameCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A writable subclass opens with its own mode and writes through the stream.
class cFileStdioWritable : public cFileStdio
{
  public:
    explicit cFileStdioWritable(const std::string& path) : cFileStdio(path, "w+b") {}
    bool write(const void* buffer, std::size_t n) override
    {
        return std::fwrite(buffer, 1, n, stream()) == n;
    }
};

TEST_F(FileStdio, SubclassOpensWithItsMode)
{
    const std::string path = folder_ / "new.bin";
    cFileStdioWritable file(path);
    file.writeUint32(0xCAFEF00D);
    ASSERT_TRUE(file.flush());
    EXPECT_EQ(file.size(), 4);
    ASSERT_TRUE(file.seek(0, cFile::Begin));
    EXPECT_EQ(file.readUint32(), 0xCAFEF00Du);

    cFileStdio reader(path);
    EXPECT_EQ(reader.readUint32(), 0xCAFEF00Du);
}

} // namespace
} // namespace qelt
