// Tests of the shared cFile operations: typed, text, bit and counted reads over memory files, and
// writes through a writable in-memory double.
#include "core/file.h"
#include "core/file_memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace qelt
{
namespace
{

using Bytes = std::vector<uint8_t>;

// ---- helpers -----------------------------------------------------------------------------------

Bytes bytesOf(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Little-endian IEEE bytes of each float, assembled here independently of the code under test.
Bytes floatBytes(std::initializer_list<float> values)
{
    Bytes out;
    for (float value : values)
    {
        const uint32_t bits = std::bit_cast<uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8)
        {
            out.push_back(static_cast<uint8_t>(bits >> shift));
        }
    }
    return out;
}

template <typename... T> std::string joined(T... values)
{
    std::string out;
    ((out += (out.empty() ? "" : ",") + std::to_string(values)), ...);
    return out;
}

std::string floatsOf(const float* values, int count)
{
    std::string out;
    for (int i = 0; i < count; ++i)
    {
        char text[32];
        std::snprintf(text, sizeof text, "%s%g", i ? "," : "", values[i]);
        out += text;
    }
    return out;
}

template <int N> std::string floatsOf(const cMatrixNf<N>& m)
{
    return floatsOf(m.m, N * N);
}

// Reads into a buffer of max bytes prefilled with 'Z' and reports "text|length"; the text is
// taken up to the first 0, so a missing terminator shows as trailing Zs and an untouched
// buffer as "Z".
std::string viaBuffer(std::size_t max, const std::function<std::size_t(char*, std::size_t)>& read)
{
    std::vector<char> buffer(max + 2, 'Z');
    buffer[max + 1] = '\0';
    const std::size_t length = read(buffer.data(), max);
    return std::string(buffer.data()) + "|" + std::to_string(length);
}

// A writable file over a growing vector, standing in for the disk files that write. Writes past
// `capacity` fail whole, so the failure paths can be driven.
class cFileVector : public cFile
{
  public:
    Bytes bytes;
    std::size_t capacity = SIZE_MAX;

    cFile* clone() const override { return new cFileVector(*this); }
    std::size_t read(void* buffer, std::size_t n) override
    {
        const std::size_t count = std::min(n, bytes.size() - position_);
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(position_), count,
                    static_cast<uint8_t*>(buffer));
        position_ += count;
        return count;
    }
    bool write(const void* buffer, std::size_t n) override
    {
        if (n > capacity - position_)
        {
            return false;
        }
        const auto* in = static_cast<const uint8_t*>(buffer);
        if (position_ + n > bytes.size())
        {
            bytes.resize(position_ + n);
        }
        std::copy(in, in + n, bytes.begin() + static_cast<std::ptrdiff_t>(position_));
        position_ += n;
        return true;
    }
    bool seek(int64_t offset, Origin origin) override
    {
        const int64_t base = origin == Begin     ? 0
                             : origin == Current ? int64_t(position_)
                                                 : int64_t(bytes.size());
        if (base + offset < 0 || base + offset > int64_t(bytes.size()))
        {
            return false;
        }
        position_ = std::size_t(base + offset);
        return true;
    }
    bool flush() override { return true; }
    int64_t tell() override { return int64_t(position_); }
    bool eof() override { return position_ == bytes.size(); }

  private:
    std::size_t position_ = 0;
};

struct Failure
{
    int operation;
    int byteCount;
};

// ---- reads -------------------------------------------------------------------------------------

struct ReadCase
{
    const char* name;
    Bytes bytes;
    std::function<std::string(cFile&)> read;
    std::string expected; // when no failure is expected
    int64_t position;     // after a successful read
    std::optional<Failure> failure;
};

std::ostream& operator<<(std::ostream& out, const ReadCase& c)
{
    return out << c.name;
}

constexpr int kRead = cFileException::Read;
const std::string k512(512, 'x');

std::string u16(cFile& f)
{
    return joined(f.readUint16());
}
std::string u32(cFile& f)
{
    return joined(f.readUint32());
}
std::string u8(cFile& f)
{
    return joined(f.readUint8());
}
std::string boolean(cFile& f)
{
    return joined(int(f.readBool()));
}
std::string real(cFile& f)
{
    const float v = f.readFloat();
    return floatsOf(&v, 1);
}
std::string text(cFile& f)
{
    return f.readText();
}
std::string line(cFile& f)
{
    return f.readLine();
}
std::string counted(cFile& f)
{
    return f.readCountedText();
}
auto textIn(std::size_t max)
{
    return [max](cFile& f)
    { return viaBuffer(max, [&](char* b, std::size_t m) { return f.readText(b, m); }); };
}
auto lineIn(std::size_t max)
{
    return [max](cFile& f)
    { return viaBuffer(max, [&](char* b, std::size_t m) { return f.readLine(b, m); }); };
}
auto countedIn(std::size_t max)
{
    return [max](cFile& f)
    { return viaBuffer(max, [&](char* b, std::size_t m) { return f.readCountedText(b, m); }); };
}
// Reads bit fields of the given widths in turn; a negative width reads a signed field.
auto bits(std::initializer_list<int> widths)
{
    return [w = std::vector<int>(widths)](cFile& f)
    {
        std::string out;
        for (int width : w)
        {
            const int64_t v = width < 0 ? int64_t(f.readSignedBits(-width)) : f.readBits(width);
            out += (out.empty() ? "" : ",") + std::to_string(v);
        }
        return out;
    };
}

const ReadCase kReadCases[] = {
    // typed reads
    {"Uint8", {0xAB, 0x01}, u8, "171", 1, {}},
    {"Uint8Empty", {}, u8, "", 0, Failure{kRead, 1}},
    {"Uint16LittleEndian", {0x34, 0x12, 0xFF}, u16, "4660", 2, {}},
    {"Uint16HighBytes", {0xFE, 0xFF}, u16, "65534", 2, {}},
    {"Uint16OneByteLeft", {0x01}, u16, "", 0, Failure{kRead, 2}},
    {"Uint32LittleEndian", {0x78, 0x56, 0x34, 0x12}, u32, "305419896", 4, {}},
    {"Uint32HighBytes", {0xFF, 0xFE, 0xFD, 0xFC}, u32, "4244504319", 4, {}},
    {"Uint32ThreeBytesLeft", {1, 2, 3}, u32, "", 0, Failure{kRead, 4}},
    {"BoolZero", {0x00}, boolean, "0", 1, {}},
    {"BoolAnyNonZero", {0x80}, boolean, "1", 1, {}},
    {"BoolEmpty", {}, boolean, "", 0, Failure{kRead, 1}},
    {"Float", {0x00, 0x00, 0xC0, 0x3F}, real, "1.5", 4, {}},
    {"FloatNegative", {0x00, 0x00, 0x10, 0xC0}, real, "-2.25", 4, {}},
    {"FloatShort", {0x00, 0x00}, real, "", 0, Failure{kRead, 4}},
    {"Vector2",
     floatBytes({1, 2}),
     [](cFile& f)
     {
         const cVector2f v = f.readVector2f();
         return joined(v.x, v.y);
     },
     "1.000000,2.000000",
     8,
     {}},
    {"Vector3",
     floatBytes({1, -2, 3}),
     [](cFile& f)
     {
         const cVector3f v = f.readVector3f();
         return joined(v.x, v.y, v.z);
     },
     "1.000000,-2.000000,3.000000",
     12,
     {}},
    {"Vector4",
     floatBytes({1, 2, 3, 4}),
     [](cFile& f)
     {
         const cVector4f v = f.readVector4f();
         return joined(v.x, v.y, v.z, v.w);
     },
     "1.000000,2.000000,3.000000,4.000000",
     16,
     {}},
    {"Vector3Short", floatBytes({1, 2}) + Bytes{0},
     [](cFile& f)
     {
         f.readVector3f();
         return std::string();
     },
     "", 0, Failure{kRead, 4}},
    // stored value k lands at the array index k takes in the column-by-column order
    {"Matrix2ColumnByColumn",
     floatBytes({0, 1, 2, 3}),
     [](cFile& f) { return floatsOf(f.readMatrix2f()); },
     "0,2,1,3",
     16,
     {}},
    {"Matrix3ColumnByColumn",
     floatBytes({0, 1, 2, 3, 4, 5, 6, 7, 8}),
     [](cFile& f) { return floatsOf(f.readMatrix3f()); },
     "0,3,6,1,4,7,2,5,8",
     36,
     {}},
    {"Matrix4ColumnByColumn",
     floatBytes({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}),
     [](cFile& f) { return floatsOf(f.readMatrix4f()); },
     "0,4,8,12,1,5,9,13,2,6,10,14,3,7,11,15",
     64,
     {}},
    {"Matrix4Short", floatBytes({0, 1, 2}), [](cFile& f) { return floatsOf(f.readMatrix4f()); }, "",
     0, Failure{kRead, 4}},

    // text
    {"TextStopsAtZero", bytesOf(std::string("ab\0cd", 5)), text, "ab", 3, {}},
    {"TextStopsAtFF", {'a', 'b', 0xFF, 'c'}, text, "ab", 3, {}},
    {"TextKeepsOtherHighBytes", {0x80, 0xFE, 0xFF, 'c'}, text, "\x80\xFE", 3, {}},
    {"TextEndOfData", bytesOf("abc"), text, "abc", 3, {}},
    {"TextEmptyFile", {}, text, "", 0, {}},
    {"TextLimit", bytesOf(std::string(600, 'x')), text, k512, 512, {}},
    {"TextLimitCountsTerminator",
     bytesOf(std::string(511, 'x')) + Bytes{0, 'y'},
     text,
     std::string(511, 'x'),
     512,
     {}},
    {"TextLimitLeavesTerminator", bytesOf(k512) + Bytes{0}, text, k512, 512, {}},
    {"TextBufferFits", bytesOf(std::string("abc\0d", 5)), textIn(8), "abc|3", 4, {}},
    {"TextBufferCutLeavesRest", bytesOf(std::string("abcdef\0", 7)), textIn(4), "abc|3", 3, {}},
    {"TextBufferOneByte", bytesOf("abc"), textIn(1), "|0", 0, {}},
    {"TextBufferNoRoom", bytesOf("abc"), textIn(0), "Z|0", 0, {}},
    {"TextBufferLimit", bytesOf(std::string(600, 'x')), textIn(1000), k512 + "|512", 512, {}},

    // lines
    {"LineStopsAtLineFeed", bytesOf("ab\ncd"), line, "ab", 3, {}},
    {"LineStopsAtFormFeed", bytesOf("ab\fcd"), line, "ab", 3, {}},
    {"LineStopsAtZero", bytesOf(std::string("ab\0cd", 5)), line, "ab", 3, {}},
    {"LineStopsAtFF", {'a', 'b', 0xFF, 'c'}, line, "ab", 3, {}},
    {"LineSkipsCarriageReturns", bytesOf("a\rb\r\nc"), line, "ab", 5, {}},
    {"LineEndOfData", bytesOf("abc"), line, "abc", 3, {}},
    {"LineLimit", bytesOf(std::string(600, 'x')), line, k512, 512, {}},
    {"LineBufferFits", bytesOf("abc\r\nd"), lineIn(8), "abc|3", 5, {}},
    {"LineBufferCutLeavesRest", bytesOf("abcdef\n"), lineIn(4), "abc|3", 3, {}},
    {"LineBufferNoRoom", bytesOf("abc"), lineIn(0), "Z|0", 0, {}},

    // bits, most significant first
    {"BitsThreeThenFive", {0xA5}, bits({3, 5}), "5,5", 1, {}},
    {"BitsAcrossBytes", {0xA5, 0x5A}, bits({4, 8, 4}), "10,85,10", 2, {}},
    {"BitsWholeWord", {0x12, 0x34, 0x56, 0x78}, bits({32}), "305419896", 4, {}},
    {"BitsWordUnaligned",
     {0xF1, 0x23, 0x45, 0x67, 0x8F},
     bits({4, 32, 4}),
     "15,305419896,15",
     5,
     {}},
    {"BitsNoneTakesNothing", {0xA5}, bits({0}), "0", 0, {}},
    {"BitsShort", {0xFF}, bits({12}), "", 0, Failure{kRead, 1}},
    {"SignedBitsNegativeThenPositive", {0xA5}, bits({-3, -5}), "-3,5", 1, {}},
    {"SignedBitsOne", {0x80}, bits({-1}), "-1", 1, {}},
    {"SignedBitsWholeWord", {0xFF, 0xFF, 0xFF, 0xFE}, bits({-32}), "-2", 4, {}},
    {"SignedBits31", {0xFF, 0xFF, 0xFF, 0xFE}, bits({-31}), "-1", 4, {}},
    {"SignedBitsPositiveWord", {0x7F, 0xFF, 0xFF, 0xFF}, bits({-32}), "2147483647", 4, {}},
    {"ResetBitReaderDropsRest",
     {0xA5, 0x3C},
     [](cFile& f)
     {
         const uint32_t first = f.readBits(3);
         f.resetBitReader();
         return joined(first, f.readBits(8));
     },
     "5,60",
     2,
     {}},

    // counted text
    {"CountedText", {3, 0, 'a', 'b', 'c', 'd'}, counted, "abc", 5, {}},
    {"CountedTextEmpty", {0, 0, 'a'}, counted, "", 2, {}},
    {"CountedTextLengthLittleEndian",
     Bytes{0x02, 0x01} + bytesOf(std::string(258, 'q')),
     counted,
     std::string(258, 'q'),
     260,
     {}},
    {"CountedTextShortBody", {5, 0, 'a', 'b'}, counted, "", 0, Failure{kRead, 5}},
    {"CountedTextShortLength", {1}, counted, "", 0, Failure{kRead, 2}},
    {"CountedBufferFits", {3, 0, 'a', 'b', 'c', 'd'}, countedIn(4), "abc|3", 5, {}},
    {"CountedBufferTooSmall", {3, 0, 'a', 'b', 'c'}, countedIn(3), "|0", 2, {}},
    {"CountedBufferNoRoom", {3, 0, 'a', 'b', 'c'}, countedIn(0), "Z|0", 2, {}},
};

class FileRead : public testing::TestWithParam<ReadCase>
{
};

TEST_P(FileRead, GivesValueOrThrows)
{
    const ReadCase& c = GetParam();
    cFileMemory file(c.bytes.data(), c.bytes.size());
    if (c.failure)
    {
        try
        {
            c.read(file);
            FAIL() << "no exception";
        }
        catch (const cFileException& e)
        {
            EXPECT_EQ(e.operation, c.failure->operation);
            EXPECT_EQ(e.byteCount, c.failure->byteCount);
        }
        return;
    }
    EXPECT_EQ(c.read(file), c.expected);
    EXPECT_EQ(file.tell(), c.position);
}

INSTANTIATE_TEST_SUITE_P(Cases, FileRead, testing::ValuesIn(kReadCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- writes ------------------------------------------------------------------------------------

struct WriteCase
{
    const char* name;
    std::function<void(cFile&)> write;
    Bytes expected;
};

std::ostream& operator<<(std::ostream& out, const WriteCase& c)
{
    return out << c.name;
}

cMatrix4f countingMatrix4()
{
    cMatrix4f m;
    for (int i = 0; i < 16; ++i)
    {
        m.m[i] = float(i);
    }
    return m;
}

const WriteCase kWriteCases[] = {
    {"Uint16", [](cFile& f) { f.writeUint16(0x1234); }, {0x34, 0x12}},
    {"Uint32", [](cFile& f) { f.writeUint32(0xFCFDFEFF); }, {0xFF, 0xFE, 0xFD, 0xFC}},
    {"Uint8", [](cFile& f) { f.writeUint8(0xAB); }, {0xAB}},
    {"BoolTrue", [](cFile& f) { f.writeBool(true); }, {1}},
    {"BoolFalse", [](cFile& f) { f.writeBool(false); }, {0}},
    {"Float", [](cFile& f) { f.writeFloat(-2.25f); }, {0x00, 0x00, 0x10, 0xC0}},
    {"Raw32", [](cFile& f) { f.writeRaw32(0x7FC00001); }, {0x01, 0x00, 0xC0, 0x7F}},
    {"Text", [](cFile& f) { f.writeText("ab"); }, {'a', 'b', 0}},
    {"TextEmpty", [](cFile& f) { f.writeText(""); }, {0}},
    {"Line", [](cFile& f) { f.writeLine("ab"); }, {'a', 'b', '\n'}},
    {"CountedText", [](cFile& f) { f.writeCountedText("abc"); }, {3, 0, 'a', 'b', 'c'}},
    {"CountedTextLongest", [](cFile& f) { f.writeCountedText(std::string(65535, 'q')); },
     Bytes{0xFF, 0xFF} + bytesOf(std::string(65535, 'q'))},
    {"Vector2",
     [](cFile& f) {
         f.writeVector2f({1, 2});
     },
     floatBytes({1, 2})},
    {"Vector3",
     [](cFile& f) {
         f.writeVector3f({1, -2, 3});
     },
     floatBytes({1, -2, 3})},
    {"Vector4",
     [](cFile& f) {
         f.writeVector4f({1, 2, 3, 4});
     },
     floatBytes({1, 2, 3, 4})},
    {"Matrix2ColumnByColumn",
     [](cFile& f) {
         f.writeMatrix2f({{0, 1, 2, 3}});
     },
     floatBytes({0, 2, 1, 3})},
    {"Matrix3ColumnByColumn",
     [](cFile& f) {
         f.writeMatrix3f({{0, 1, 2, 3, 4, 5, 6, 7, 8}});
     },
     floatBytes({0, 3, 6, 1, 4, 7, 2, 5, 8})},
    {"Matrix4ColumnByColumn", [](cFile& f) { f.writeMatrix4f(countingMatrix4()); },
     floatBytes({0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15})},
    {"BitsThreeThenFive",
     [](cFile& f)
     {
         f.writeBits(5, 3);
         f.writeBits(5, 5);
     },
     {0xA5}},
    {"BitsKeepOnlyLowBits",
     [](cFile& f)
     {
         f.writeBits(0xFFFFFFF5, 4);
         f.flushBits();
     },
     {0x50}},
    {"BitsWholeWord", [](cFile& f) { f.writeBits(0x12345678, 32); }, {0x12, 0x34, 0x56, 0x78}},
    {"BitsPartialByteWaitsForFlush", [](cFile& f) { f.writeBits(5, 3); }, {}},
    {"FlushBitsPadsWithZeros",
     [](cFile& f)
     {
         f.writeBits(0xAB, 8);
         f.writeBits(1, 1);
         f.flushBits();
     },
     {0xAB, 0x80}},
    {"FlushBitsWithoutPartialByte",
     [](cFile& f)
     {
         f.writeBits(0xAB, 8);
         f.flushBits();
         f.flushBits();
     },
     {0xAB}},
    {"ResetBitWriterDropsPartialByte",
     [](cFile& f)
     {
         f.writeBits(7, 3);
         f.resetBitWriter();
         f.writeBits(0x3C, 8);
     },
     {0x3C}},
    {"Printf", [](cFile& f) { f.printf("%d-%s", 42, "x"); }, bytesOf("42-x")},
    {"PrintfLongerThanStackBuffer",
     [](cFile& f) { f.printf("<%s>", std::string(2000, 'y').c_str()); },
     bytesOf("<" + std::string(2000, 'y') + ">")},
};

class FileWrite : public testing::TestWithParam<WriteCase>
{
};

TEST_P(FileWrite, StoresExactBytes)
{
    cFileVector file;
    GetParam().write(file);
    EXPECT_EQ(file.bytes, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, FileWrite, testing::ValuesIn(kWriteCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A failed write throws with the size of the item it could not store, and stores nothing of it.
struct WriteFailureCase
{
    const char* name;
    std::size_t capacity;
    std::function<void(cFile&)> write;
    Failure failure;
};

std::ostream& operator<<(std::ostream& out, const WriteFailureCase& c)
{
    return out << c.name;
}

constexpr int kWrite = cFileException::Write;

const WriteFailureCase kWriteFailureCases[] = {
    {"Uint16", 1, [](cFile& f) { f.writeUint16(1); }, {kWrite, 2}},
    {"Uint32", 3, [](cFile& f) { f.writeUint32(1); }, {kWrite, 4}},
    {"Float", 0, [](cFile& f) { f.writeFloat(1); }, {kWrite, 4}},
    {"Raw32", 0, [](cFile& f) { f.writeRaw32(1); }, {kWrite, 4}},
    {"Uint8", 0, [](cFile& f) { f.writeUint8(1); }, {kWrite, 1}},
    {"Bool", 0, [](cFile& f) { f.writeBool(true); }, {kWrite, 1}},
    {"Text", 3, [](cFile& f) { f.writeText("abc"); }, {kWrite, 4}},
    {"Line", 3, [](cFile& f) { f.writeLine("abc"); }, {kWrite, 4}},
    {"CountedTextBody", 4, [](cFile& f) { f.writeCountedText("abc"); }, {kWrite, 3}},
    {"CountedTextTooLong",
     SIZE_MAX,
     [](cFile& f) { f.writeCountedText(std::string(65536, 'q')); },
     {kWrite, 65536}},
    {"Bits", 0, [](cFile& f) { f.writeBits(0xFF, 8); }, {kWrite, 1}},
    {"FlushBits",
     0,
     [](cFile& f)
     {
         f.writeBits(1, 1);
         f.flushBits();
     },
     {kWrite, 1}},
    {"Printf", 5, [](cFile& f) { f.printf("%s", "abcdef"); }, {kWrite, 6}},
};

class FileWriteFailure : public testing::TestWithParam<WriteFailureCase>
{
};

TEST_P(FileWriteFailure, ThrowsWithItemSize)
{
    const WriteFailureCase& c = GetParam();
    cFileVector file;
    file.capacity = c.capacity;
    try
    {
        c.write(file);
        FAIL() << "no exception";
    }
    catch (const cFileException& e)
    {
        EXPECT_EQ(e.operation, c.failure.operation);
        EXPECT_EQ(e.byteCount, c.failure.byteCount);
    }
    // Only a counted text's length word may have gone out before its body failed.
    EXPECT_LE(file.bytes.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Cases, FileWriteFailure, testing::ValuesIn(kWriteFailureCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- round trips -------------------------------------------------------------------------------

TEST(FileRoundTrip, TypedValuesReadBackAsWritten)
{
    cFileVector file;
    const cMatrix4f m4 = countingMatrix4();
    file.writeUint16(0xBEEF);
    file.writeUint32(0xDEADBEEF);
    file.writeUint8(0x7F);
    file.writeBool(true);
    file.writeFloat(-0.0f);
    file.writeFloat(3.4e38f);
    file.writeVector3f({1.5f, -2.5f, 1e-30f});
    file.writeMatrix3f({{1, 2, 3, 4, 5, 6, 7, 8, 9}});
    file.writeMatrix4f(m4);
    file.writeCountedText("counted");
    file.writeText("text");
    file.writeLine("line");
    ASSERT_TRUE(file.seek(0, cFile::Begin));

    EXPECT_EQ(file.readUint16(), 0xBEEF);
    EXPECT_EQ(file.readUint32(), 0xDEADBEEFu);
    EXPECT_EQ(file.readUint8(), 0x7F);
    EXPECT_TRUE(file.readBool());
    EXPECT_EQ(std::bit_cast<uint32_t>(file.readFloat()), 0x80000000u);
    EXPECT_EQ(file.readFloat(), 3.4e38f);
    const cVector3f v = file.readVector3f();
    EXPECT_EQ(joined(v.x, v.y, v.z), joined(1.5f, -2.5f, 1e-30f));
    EXPECT_EQ(floatsOf(file.readMatrix3f()), "1,2,3,4,5,6,7,8,9");
    EXPECT_EQ(floatsOf(file.readMatrix4f()), floatsOf(m4));
    EXPECT_EQ(file.readCountedText(), "counted");
    EXPECT_EQ(file.readText(), "text");
    EXPECT_EQ(file.readLine(), "line");
    EXPECT_TRUE(file.eof());
}

TEST(FileRoundTrip, BitFieldsReadBackAsWritten)
{
    struct Field
    {
        uint32_t value;
        int width;
    };
    const Field fields[] = {{1, 1}, {0x5, 3}, {0x1FF, 9}, {0, 2}, {0xDEADBEEF, 32}, {0x2A, 7}};
    cFileVector file;
    for (const Field& field : fields)
    {
        file.writeBits(field.value, field.width);
    }
    file.flushBits();
    EXPECT_EQ(file.bytes.size(), (1u + 3 + 9 + 2 + 32 + 7 + 7) / 8);

    ASSERT_TRUE(file.seek(0, cFile::Begin));
    for (const Field& field : fields)
    {
        EXPECT_EQ(file.readBits(field.width), field.value) << "width " << field.width;
    }
    // The same fields seen as signed: the top bit of each width is its sign.
    file.resetBitReader();
    ASSERT_TRUE(file.seek(0, cFile::Begin));
    EXPECT_EQ(file.readSignedBits(1), -1);
    EXPECT_EQ(file.readSignedBits(3), -3);
    EXPECT_EQ(file.readSignedBits(9), -1);
    EXPECT_EQ(file.readSignedBits(2), 0);
    EXPECT_EQ(file.readSignedBits(32), int32_t(0xDEADBEEF));
    EXPECT_EQ(file.readSignedBits(7), 0x2A);
}

// The shared size() finds the end by seeking there, and must leave the position where it was.
TEST(FileSize, DefaultKeepsPosition)
{
    cFileVector file;
    file.bytes = {1, 2, 3, 4, 5};
    ASSERT_TRUE(file.seek(2, cFile::Begin));
    EXPECT_EQ(file.size(), 5);
    EXPECT_EQ(file.tell(), 2);
}

} // namespace
} // namespace qelt
