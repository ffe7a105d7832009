// The abstract file every byte of the system passes through, with typed little-endian reads and
// writes.
#pragma once

#include "core/math.h"

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>

namespace qelt
{

// Thrown by value from typed reads and writes and from constructors that cannot open their file.
struct cFileException
{
    enum Operation : int
    {
        Open = 0,
        Read = 1,
        Write = 2,
    };

    int operation = Open;
    int byteCount = 0;
};

// The longest text the text reads take, terminator included.
inline constexpr std::size_t kFileTextLimit = 512;

// A readable (and for some classes writable) byte sequence with a position. The one who opened or
// constructed a file owns it. Plain read and write report by their results; only the typed
// operations throw cFileException.
class cFile
{
  public:
    enum Origin : int
    {
        Begin = 0,
        Current = 1,
        End = 2,
    };

    virtual ~cFile() = default;

    // ---- implemented by every file class ------------------------------------------------------
    // A new independent file on the same data, with its own position; null when that fails.
    virtual cFile* clone() const = 0;
    // Reads up to n bytes; returns how many were read.
    virtual std::size_t read(void* buffer, std::size_t n) = 0;
    // Writes n bytes; true when all were written.
    virtual bool write(const void* buffer, std::size_t n) = 0;
    // Moves the position; true on success.
    virtual bool seek(int64_t offset, Origin origin) = 0;
    // Pushes buffered writes out; true on success.
    virtual bool flush() = 0;
    // The current position.
    virtual int64_t tell() = 0;
    // The total length in bytes.
    virtual int64_t size();
    // True at the end of the data.
    virtual bool eof() = 0;

    // ---- typed reads: throw cFileException(Read, n) on a short read ----------------------------
    uint16_t readUint16();
    uint32_t readUint32();
    uint8_t readUint8();
    bool readBool();
    float readFloat();

    // ---- text reads ----------------------------------------------------------------------------
    // Bytes up to a 0 byte or a 0xFF byte (consumed, not stored), the end of the data, or
    // kFileTextLimit bytes taken, whichever comes first.
    std::string readText();
    // The same into a caller buffer of max bytes, always terminated when max > 0; returns the
    // length. Taking stops when max - 1 bytes are stored: the rest, terminator included, stays.
    std::size_t readText(char* buffer, std::size_t max);
    // A line: as the buffer form, with room for kFileTextLimit bytes.
    std::string readLine();
    // Stops at a 0 byte, a line feed, a form feed or a 0xFF byte (consumed), the end of the data
    // or kFileTextLimit bytes taken; skips carriage returns. Taking stops when max - 1 bytes are
    // stored. Always terminated when max > 0; returns the length.
    std::size_t readLine(char* buffer, std::size_t max);

    // ---- bit reading: most significant bit first -----------------------------------------------
    void resetBitReader();
    // n from 0 to 32 (clamped); a byte that cannot be read throws cFileException(Read, 1).
    uint32_t readBits(int n);
    // n bits sign-extended from bit n - 1.
    int32_t readSignedBits(int n);

    // ---- vector and matrix reads; matrices are stored column by column --------------------------
    cVector2f readVector2f();
    cVector3f readVector3f();
    cVector4f readVector4f();
    cMatrix2f readMatrix2f();
    cMatrix3f readMatrix3f();
    cMatrix4f readMatrix4f();

    // ---- typed writes: throw cFileException(Write, n) on failure --------------------------------
    void writeUint16(uint16_t value);
    void writeUint32(uint32_t value);
    void writeFloat(float value);
    void writeUint8(uint8_t value);
    void writeBool(bool value);
    // The raw bits of a float, or any other 32-bit word.
    void writeRaw32(uint32_t bits);

    // ---- text writes
    // ----------------------------------------------------------------------------- The bytes
    // followed by a 0 byte.
    void writeText(const std::string& text);
    // The bytes followed by a line feed.
    void writeLine(const std::string& text);

    void writeVector2f(const cVector2f& v);
    void writeVector3f(const cVector3f& v);
    void writeVector4f(const cVector4f& v);
    void writeMatrix2f(const cMatrix2f& m);
    void writeMatrix3f(const cMatrix3f& m);
    void writeMatrix4f(const cMatrix4f& m);

    // ---- bit writing: most significant bit first
    // -------------------------------------------------
    void resetBitWriter();
    // The low n bits of value (n from 0 to 32, clamped); every completed byte is written.
    void writeBits(uint32_t value, int n);
    // Writes a partial byte, its remaining low bits 0; nothing when no byte is started.
    void flushBits();

    // ---- length-prefixed text: a 16-bit length, then the bytes
    // ------------------------------------ A text over 65535 bytes writes nothing and throws
    // cFileException(Write, its length).
    void writeCountedText(const std::string& text);
    std::string readCountedText();
    // A stored length not below max reads nothing (the length word excepted), leaves the buffer
    // empty and returns 0; otherwise the text, terminated, and its length.
    std::size_t readCountedText(char* buffer, std::size_t max);

    // ---- formatted writes (printf conventions); the whole text is written, never cut
    // --------------
    void printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void vprintf(const char* format, va_list args);

    // Comments for text-producing files; every file class here ignores them.
    virtual void comment(const char* text) {}
    virtual void commentf(const char* format, ...) __attribute__((format(printf, 2, 3))) {}

  protected:
    cFile() = default;
    cFile(const cFile&) = default;
    cFile& operator=(const cFile&) = default;

  private:
    void readExactly(void* buffer, std::size_t n);
    void writeExactly(const void* buffer, std::size_t n);
    template <int N> cMatrixNf<N> readMatrix();
    template <int N> void writeMatrix(const cMatrixNf<N>& m);

    uint8_t readBitByte_ = 0;
    int readBitsLeft_ = 0;
    uint8_t writeBitByte_ = 0;
    int writeBitsUsed_ = 0;
};

} // namespace qelt
