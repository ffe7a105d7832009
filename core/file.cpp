// The shared part of every file: typed little-endian reads and writes, text, bits and printf,
// all built on the per-class read and write.
#include "core/file.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdio>
#include <vector>

namespace qelt
{

namespace
{

// Which bytes end a text or a line; the terminator is consumed and not stored.
enum class TextKind
{
    Text, // 0 or 0xFF
    Line, // 0, 0xFF, line feed or form feed; carriage returns are skipped
};

// Takes bytes one at a time until a terminator, the end of the data, kFileTextLimit bytes taken
// or `room` bytes stored, whichever comes first. Stopping for room leaves the rest of the text,
// terminator included, for the next read.
template <typename Store>
std::size_t takeText(cFile& file, TextKind kind, std::size_t room, Store store)
{
    std::size_t stored = 0;
    for (std::size_t taken = 0; taken < kFileTextLimit && stored < room; ++taken)
    {
        uint8_t byte = 0;
        if (file.read(&byte, 1) != 1)
        {
            break;
        }
        if (byte == 0 || byte == 0xFF)
        {
            break;
        }
        if (kind == TextKind::Line)
        {
            if (byte == '\n' || byte == '\f')
            {
                break;
            }
            if (byte == '\r')
            {
                continue;
            }
        }
        store(static_cast<char>(byte));
        ++stored;
    }
    return stored;
}

std::string takeText(cFile& file, TextKind kind)
{
    std::string text;
    takeText(file, kind, kFileTextLimit, [&](char c) { text.push_back(c); });
    return text;
}

std::size_t takeText(cFile& file, TextKind kind, char* buffer, std::size_t max)
{
    if (max == 0)
    {
        return 0;
    }
    const std::size_t length =
        takeText(file, kind, max - 1, [&, out = buffer](char c) mutable { *out++ = c; });
    buffer[length] = '\0';
    return length;
}

int clampCount(std::size_t n)
{
    return static_cast<int>(std::min<std::size_t>(n, INT_MAX));
}

} // namespace

// ---- defaults ----------------------------------------------------------------------------------

// Any seekable file knows its size: the end position, with the position put back afterwards.
int64_t cFile::size()
{
    const int64_t position = tell();
    if (position < 0 || !seek(0, End))
    {
        return -1;
    }
    const int64_t end = tell();
    seek(position, Begin);
    return end;
}

// ---- typed reads -------------------------------------------------------------------------------

void cFile::readExactly(void* buffer, std::size_t n)
{
    if (read(buffer, n) < n)
    {
        throw cFileException{cFileException::Read, clampCount(n)};
    }
}

uint16_t cFile::readUint16()
{
    uint8_t b[2];
    readExactly(b, sizeof b);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t cFile::readUint32()
{
    uint8_t b[4];
    readExactly(b, sizeof b);
    return uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
}

uint8_t cFile::readUint8()
{
    uint8_t b = 0;
    readExactly(&b, 1);
    return b;
}

bool cFile::readBool()
{
    return readUint8() != 0;
}

float cFile::readFloat()
{
    return std::bit_cast<float>(readUint32());
}

// ---- text reads --------------------------------------------------------------------------------

std::string cFile::readText()
{
    return takeText(*this, TextKind::Text);
}

std::size_t cFile::readText(char* buffer, std::size_t max)
{
    return takeText(*this, TextKind::Text, buffer, max);
}

std::string cFile::readLine()
{
    return takeText(*this, TextKind::Line);
}

std::size_t cFile::readLine(char* buffer, std::size_t max)
{
    return takeText(*this, TextKind::Line, buffer, max);
}

// ---- bit reading -------------------------------------------------------------------------------

void cFile::resetBitReader()
{
    readBitByte_ = 0;
    readBitsLeft_ = 0;
}

// Takes bits from the top of the current byte, fetching the next byte when it runs out.
uint32_t cFile::readBits(int n)
{
    n = std::clamp(n, 0, 32);
    uint32_t value = 0;
    while (n > 0)
    {
        if (readBitsLeft_ == 0)
        {
            readBitByte_ = readUint8();
            readBitsLeft_ = 8;
        }
        const int take = std::min(n, readBitsLeft_);
        const uint32_t bits = (readBitByte_ >> (readBitsLeft_ - take)) & ((1u << take) - 1);
        value = (value << take) | bits;
        readBitsLeft_ -= take;
        n -= take;
    }
    return value;
}

int32_t cFile::readSignedBits(int n)
{
    n = std::clamp(n, 0, 32);
    uint32_t value = readBits(n);
    if (n > 0 && n < 32 && (value >> (n - 1)) & 1)
    {
        value |= ~0u << n;
    }
    return static_cast<int32_t>(value);
}

// ---- vector and matrix reads -------------------------------------------------------------------

cVector2f cFile::readVector2f()
{
    cVector2f v;
    v.x = readFloat();
    v.y = readFloat();
    return v;
}

cVector3f cFile::readVector3f()
{
    cVector3f v;
    v.x = readFloat();
    v.y = readFloat();
    v.z = readFloat();
    return v;
}

cVector4f cFile::readVector4f()
{
    cVector4f v;
    v.x = readFloat();
    v.y = readFloat();
    v.z = readFloat();
    v.w = readFloat();
    return v;
}

// Stored column by column: element (row, column) of the row-major array is at column * N + row.
template <int N> cMatrixNf<N> cFile::readMatrix()
{
    cMatrixNf<N> m;
    for (int column = 0; column < N; ++column)
    {
        for (int row = 0; row < N; ++row)
        {
            m(row, column) = readFloat();
        }
    }
    return m;
}

cMatrix2f cFile::readMatrix2f()
{
    return readMatrix<2>();
}

cMatrix3f cFile::readMatrix3f()
{
    return readMatrix<3>();
}

cMatrix4f cFile::readMatrix4f()
{
    return readMatrix<4>();
}

// ---- typed writes ------------------------------------------------------------------------------

void cFile::writeExactly(const void* buffer, std::size_t n)
{
    if (!write(buffer, n))
    {
        throw cFileException{cFileException::Write, clampCount(n)};
    }
}

void cFile::writeUint16(uint16_t value)
{
    const uint8_t b[2] = {uint8_t(value), uint8_t(value >> 8)};
    writeExactly(b, sizeof b);
}

void cFile::writeUint32(uint32_t value)
{
    const uint8_t b[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                          uint8_t(value >> 24)};
    writeExactly(b, sizeof b);
}

void cFile::writeFloat(float value)
{
    writeUint32(std::bit_cast<uint32_t>(value));
}

void cFile::writeUint8(uint8_t value)
{
    writeExactly(&value, 1);
}

void cFile::writeBool(bool value)
{
    writeUint8(value ? 1 : 0);
}

void cFile::writeRaw32(uint32_t bits)
{
    writeUint32(bits);
}

// ---- text writes -------------------------------------------------------------------------------

void cFile::writeText(const std::string& text)
{
    // The string's own terminator goes out with it, in one write.
    writeExactly(text.c_str(), text.size() + 1);
}

void cFile::writeLine(const std::string& text)
{
    const std::string line = text + '\n';
    writeExactly(line.data(), line.size());
}

void cFile::writeVector2f(const cVector2f& v)
{
    writeFloat(v.x);
    writeFloat(v.y);
}

void cFile::writeVector3f(const cVector3f& v)
{
    writeFloat(v.x);
    writeFloat(v.y);
    writeFloat(v.z);
}

void cFile::writeVector4f(const cVector4f& v)
{
    writeFloat(v.x);
    writeFloat(v.y);
    writeFloat(v.z);
    writeFloat(v.w);
}

template <int N> void cFile::writeMatrix(const cMatrixNf<N>& m)
{
    for (int column = 0; column < N; ++column)
    {
        for (int row = 0; row < N; ++row)
        {
            writeFloat(m(row, column));
        }
    }
}

void cFile::writeMatrix2f(const cMatrix2f& m)
{
    writeMatrix<2>(m);
}

void cFile::writeMatrix3f(const cMatrix3f& m)
{
    writeMatrix<3>(m);
}

void cFile::writeMatrix4f(const cMatrix4f& m)
{
    writeMatrix<4>(m);
}

// ---- bit writing -------------------------------------------------------------------------------

void cFile::resetBitWriter()
{
    writeBitByte_ = 0;
    writeBitsUsed_ = 0;
}

void cFile::writeBits(uint32_t value, int n)
{
    n = std::clamp(n, 0, 32);
    for (int bit = n - 1; bit >= 0; --bit)
    {
        writeBitByte_ = static_cast<uint8_t>((writeBitByte_ << 1) | ((value >> bit) & 1));
        if (++writeBitsUsed_ == 8)
        {
            const uint8_t byte = writeBitByte_;
            resetBitWriter();
            writeUint8(byte);
        }
    }
}

void cFile::flushBits()
{
    if (writeBitsUsed_ == 0)
    {
        return;
    }
    const uint8_t byte = static_cast<uint8_t>(writeBitByte_ << (8 - writeBitsUsed_));
    resetBitWriter();
    writeUint8(byte);
}

// ---- length-prefixed text ----------------------------------------------------------------------

// A text too long for its 16-bit length is refused whole: a cut text or a wrapped length would
// leave the file readable but wrong.
void cFile::writeCountedText(const std::string& text)
{
    if (text.size() > 0xFFFF)
    {
        throw cFileException{cFileException::Write, clampCount(text.size())};
    }
    writeUint16(static_cast<uint16_t>(text.size()));
    writeExactly(text.data(), text.size());
}

std::string cFile::readCountedText()
{
    const uint16_t length = readUint16();
    std::string text(length, '\0');
    readExactly(text.data(), length);
    return text;
}

std::size_t cFile::readCountedText(char* buffer, std::size_t max)
{
    const uint16_t length = readUint16();
    if (length >= max)
    {
        if (max > 0)
        {
            buffer[0] = '\0';
        }
        return 0;
    }
    readExactly(buffer, length);
    buffer[length] = '\0';
    return length;
}

// ---- formatted writes --------------------------------------------------------------------------

void cFile::printf(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    try
    {
        vprintf(format, args);
    }
    catch (...)
    {
        va_end(args);
        throw;
    }
    va_end(args);
}

// Most texts fit the stack buffer; a longer one is formatted again into a heap buffer of the
// exact size, so nothing is ever cut.
void cFile::vprintf(const char* format, va_list args)
{
    char small[512];
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (length < 0)
    {
        throw cFileException{cFileException::Write, 0};
    }
    if (static_cast<std::size_t>(length) < sizeof small)
    {
        writeExactly(small, static_cast<std::size_t>(length));
        return;
    }
    std::vector<char> large(static_cast<std::size_t>(length) + 1);
    va_copy(copy, args);
    std::vsnprintf(large.data(), large.size(), format, copy);
    va_end(copy);
    writeExactly(large.data(), static_cast<std::size_t>(length));
}

} // namespace qelt
