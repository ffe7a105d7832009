// The AVI file services: reading a video stream frame by frame and writing compressed AVI files,
// spoken in the operations the video textures and the video capture use.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qelt
{

// ---- results ----------------------------------------------------------------------------------
// 0 is success; failures carry the codes the capture maps onto its messages.
enum eAviResult : uint32_t
{
    kAviOk = 0,
    kAviNoHandler = 0x80040154,
    kAviUnsupported = 0x80044065,
    kAviBadFormat = 0x80044066,
    kAviMemory = 0x80044067,
    kAviInternal = 0x80044068,
    kAviBadFlags = 0x80044069,
    kAviBadParam = 0x8004406A,
    kAviBadSize = 0x8004406B,
    kAviBadHandle = 0x8004406C,
    kAviFileRead = 0x8004406D,
    kAviFileWrite = 0x8004406E,
    kAviFileOpen = 0x8004406F,
    kAviCompressor = 0x80044070,
    kAviNoCompressor = 0x80044071,
    kAviReadOnly = 0x80044072,
    kAviNoData = 0x80044073,
    kAviBufferTooSmall = 0x80044074,
    kAviCantCompress = 0x80044075,
    kAviUserAbort = 0x800440C6,
    kAviError = 0x800440C7,
};

// The standard name of a failure code ("AVIERR_BADFORMAT"); null for an unknown code.
const char* aviResultName(uint32_t result);

// ---- records ----------------------------------------------------------------------------------
// The 40-byte bitmap header in front of a packed bitmap.
struct cBitmapHeader
{
    uint32_t size = 40;
    int32_t width = 0;
    int32_t height = 0; // positive: bottom row first
    uint16_t planes = 1;
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    uint32_t imageSize = 0;
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    uint32_t clrUsed = 0;
    uint32_t clrImportant = 0;
};
static_assert(sizeof(cBitmapHeader) == 40);

// The 18-byte PCM wave format.
#pragma pack(push, 2)
struct cPcmFormat
{
    uint16_t formatTag = 1;
    uint16_t channels = 2;
    uint32_t samplesPerSec = 48000;
    uint32_t avgBytesPerSec = 192000;
    uint16_t blockAlign = 4;
    uint16_t bitsPerSample = 16;
    uint16_t extraSize = 0;
};
#pragma pack(pop)
static_assert(sizeof(cPcmFormat) == 18);

// What the information of a file and of a stream tell.
struct cAviFileInfo
{
    int width = 0;
    int height = 0;
};
struct cAviStreamInfo
{
    char type[4] = {'v', 'i', 'd', 's'}; // "vids" or "auds"
    uint32_t scale = 1;
    uint32_t rate = 25; // samples per second = rate / scale
    int32_t start = 0;
    int32_t length = 0;
    int32_t suggestedBufferSize = 0;
    int32_t quality = -1;
    int32_t left = 0, top = 0, right = 0, bottom = 0; // frame rectangle of video
    std::string name;
};
// The chosen compressor: an encoder by name, with its options.
struct cAviCompressOptions
{
    std::string handler; // encoder name, as listed by compressors()
    int quality = -1;    // 0..10000; -1 the encoder's default
    int keyFrameEvery = 0;
};

// Flag of a sample written as a key frame.
constexpr uint32_t kAviKeyFrame = 16;

// ---- reading ----------------------------------------------------------------------------------
// One AVI file opened for reading. Owned by one thread at a time.
class cAviReader
{
  public:
    virtual ~cAviReader() = default;
    // Opens the file at a disk path.
    virtual uint32_t open(const std::string& path) = 0;
    // The video's width and height.
    virtual bool fileInfo(cAviFileInfo& out) = 0;
    // Opens the first video stream.
    virtual uint32_t openVideoStream() = 0;
    // Rate, scale, start and length in frames of the open stream.
    virtual bool streamInfo(cAviStreamInfo& out) = 0;
    // Opens a frame decoder on the stream.
    virtual uint32_t openDecoder() = 0;
    // Frame n as a packed bitmap: the 40-byte header, then 24-bit pixels bottom row first, rows
    // padded to 4 bytes. Valid until the next call; null when the frame cannot be had.
    virtual const uint8_t* frame(int n) = 0;
    // Releases the decoder, the stream and the file.
    virtual void release() = 0;
};

// ---- writing ----------------------------------------------------------------------------------
// One AVI file being created. Streams are numbered from 0 in creation order.
class cAviWriter
{
  public:
    virtual ~cAviWriter() = default;
    // Creates (or truncates) the file.
    virtual uint32_t create(const std::string& path) = 0;
    // A "vids" or "auds" stream; its number in out.
    virtual uint32_t createStream(const cAviStreamInfo& info, int& out) = 0;
    // The encoders that can go into an AVI file, by name.
    virtual std::vector<std::string> compressors() = 0;
    // The stream compressed with the options; its number in out. Without one, video is stored
    // uncompressed.
    virtual uint32_t makeCompressedStream(int stream, const cAviCompressOptions& options,
                                          int& out) = 0;
    // The format of the samples written to a video stream (24 or 32 bits, bottom row first).
    virtual uint32_t setFormat(int stream, const cBitmapHeader& format) = 0;
    // The format of an audio stream.
    virtual uint32_t setFormat(int stream, const cPcmFormat& format) = 0;
    // Writes one frame of pixels (flags kAviKeyFrame) or a block of PCM samples at a sample number.
    virtual uint32_t write(int stream, int sample, const void* data, int size, uint32_t flags,
                           int& bytesWritten) = 0;
    // Finishes the file and releases every stream.
    virtual uint32_t release() = 0;
};

std::unique_ptr<cAviReader> createAviReader();
std::unique_ptr<cAviWriter> createAviWriter();

} // namespace qelt
