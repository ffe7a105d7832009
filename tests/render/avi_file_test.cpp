// Tests of the AVI file services: writing with stored and compressed video, reading back frame by
// frame, files made by the ffmpeg tool, and damaged files.
#include "render/avi_file.h"

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace qelt
{
namespace
{

constexpr int kWidth = 48;
constexpr int kHeight = 32;
constexpr int kFrames = 5;

int pitchOf(int width, int bitCount)
{
    return ((width * bitCount / 8) + 3) & ~3;
}

// A packed bottom-up picture of frame n: smooth gradients that move with n, so that every frame,
// every row and the row order differ.
std::vector<uint8_t> makePicture(int n, int bitCount)
{
    const int bytes = bitCount / 8;
    const int pitch = pitchOf(kWidth, bitCount);
    std::vector<uint8_t> pixels(static_cast<size_t>(pitch) * kHeight, 0);
    for (int row = 0; row < kHeight; ++row)
    {
        const int y = kHeight - 1 - row; // bottom row first
        for (int x = 0; x < kWidth; ++x)
        {
            uint8_t* p = &pixels[static_cast<size_t>(row) * pitch + x * bytes];
            p[0] = static_cast<uint8_t>(x * 3 + n * 20);  // blue
            p[1] = static_cast<uint8_t>(y * 7);           // green
            p[2] = static_cast<uint8_t>(20 + n * 45 + x); // red
            if (bytes == 4)
                p[3] = 255;
        }
    }
    return pixels;
}

// Writes kFrames frames of makePicture with the handler ("" for stored video), and an audio
// stream when asked.
void writeClip(const std::string& path, const std::string& handler, int bitCount, bool audio)
{
    std::unique_ptr<cAviWriter> writer = createAviWriter();
    ASSERT_EQ(writer->create(path), kAviOk);
    cAviStreamInfo video;
    video.rate = 25;
    video.scale = 1;
    video.right = kWidth;
    video.bottom = kHeight;
    video.name = "test video";
    int stream = -1;
    ASSERT_EQ(writer->createStream(video, stream), kAviOk);
    if (!handler.empty())
    {
        cAviCompressOptions options;
        options.handler = handler;
        int compressed = -1;
        ASSERT_EQ(writer->makeCompressedStream(stream, options, compressed), kAviOk);
        stream = compressed;
    }
    cBitmapHeader format;
    format.width = kWidth;
    format.height = kHeight;
    format.bitCount = static_cast<uint16_t>(bitCount);
    format.imageSize = static_cast<uint32_t>(pitchOf(kWidth, bitCount) * kHeight);
    ASSERT_EQ(writer->setFormat(stream, format), kAviOk);

    int sound = -1;
    cPcmFormat pcm;
    if (audio)
    {
        cAviStreamInfo info;
        std::memcpy(info.type, "auds", 4);
        ASSERT_EQ(writer->createStream(info, sound), kAviOk);
        ASSERT_EQ(writer->setFormat(sound, pcm), kAviOk);
    }
    for (int n = 0; n < kFrames; ++n)
    {
        const std::vector<uint8_t> picture = makePicture(n, bitCount);
        int written = 0;
        ASSERT_EQ(writer->write(stream, n, picture.data(), static_cast<int>(picture.size()),
                                kAviKeyFrame, written),
                  kAviOk);
        if (audio)
        {
            // One frame of sound at 25 frames a second.
            std::vector<uint8_t> block(pcm.samplesPerSec / 25 * pcm.blockAlign, 0x11);
            ASSERT_EQ(writer->write(sound, n, block.data(), static_cast<int>(block.size()),
                                    kAviKeyFrame, written),
                      kAviOk);
            EXPECT_EQ(written, static_cast<int>(block.size()));
        }
    }
    ASSERT_EQ(writer->release(), kAviOk);
}

// The largest difference of one channel between a decoded 24-bit bitmap and the picture written.
int largestDifference(const uint8_t* bitmap, const std::vector<uint8_t>& picture, int bitCount)
{
    const int bytes = bitCount / 8;
    const int pitchIn = pitchOf(kWidth, bitCount);
    const int pitchOut = pitchOf(kWidth, 24);
    const uint8_t* pixels = bitmap + 40;
    int largest = 0;
    for (int row = 0; row < kHeight; ++row)
        for (int x = 0; x < kWidth; ++x)
            for (int c = 0; c < 3; ++c)
                largest = std::max(
                    largest, std::abs(pixels[row * pitchOut + x * 3 + c] -
                                      picture[static_cast<size_t>(row) * pitchIn + x * bytes + c]));
    return largest;
}

struct cRoundTripCase
{
    const char* name;
    const char* handler;
    int bitCount;
    bool audio;
    int tolerance;
};

// Written frames come back through the reading operations, in any order.
TEST(AviFile, WrittenFramesReadBack)
{
    const cRoundTripCase cases[] = {
        {"stored 24-bit", "", 24, false, 0},     {"stored 32-bit", "", 32, false, 0},
        {"stored with sound", "", 24, true, 0},  {"lossless encoder", "ffv1", 24, false, 0},
        {"jpeg frames", "mjpeg", 24, false, 24},
    };
    testing::cTempFolder folder;
    for (const cRoundTripCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string path = folder / (std::string(c.name) + ".avi");
        writeClip(path, c.handler, c.bitCount, c.audio);
        if (::testing::Test::HasFatalFailure())
            return;

        std::unique_ptr<cAviReader> reader = createAviReader();
        ASSERT_EQ(reader->open(path), kAviOk);
        cAviFileInfo file;
        ASSERT_TRUE(reader->fileInfo(file));
        EXPECT_EQ(file.width, kWidth);
        EXPECT_EQ(file.height, kHeight);
        ASSERT_EQ(reader->openVideoStream(), kAviOk);
        cAviStreamInfo info;
        ASSERT_TRUE(reader->streamInfo(info));
        EXPECT_EQ(std::string(info.type, 4), "vids");
        EXPECT_EQ(info.rate, 25u);
        EXPECT_EQ(info.scale, 1u);
        EXPECT_EQ(info.length, kFrames);
        ASSERT_EQ(reader->openDecoder(), kAviOk);

        for (int n : {0, 1, 4, 2, 3, 0})
        {
            SCOPED_TRACE(n);
            const uint8_t* bitmap = reader->frame(n);
            ASSERT_NE(bitmap, nullptr);
            cBitmapHeader header;
            std::memcpy(&header, bitmap, sizeof(header));
            EXPECT_EQ(header.size, 40u);
            EXPECT_EQ(header.width, kWidth);
            EXPECT_EQ(header.height, kHeight);
            EXPECT_EQ(header.bitCount, 24);
            EXPECT_EQ(header.imageSize, static_cast<uint32_t>(pitchOf(kWidth, 24) * kHeight));
            EXPECT_LE(largestDifference(bitmap, makePicture(n, c.bitCount), c.bitCount),
                      c.tolerance);
            // Another frame differs by far more than the tolerance.
            EXPECT_GT(
                largestDifference(bitmap, makePicture((n + 1) % kFrames, c.bitCount), c.bitCount),
                c.tolerance + 10);
        }
        EXPECT_EQ(reader->frame(kFrames), nullptr);
        EXPECT_EQ(reader->frame(-1), nullptr);
        reader->release();
        EXPECT_EQ(reader->frame(0), nullptr);
    }
}

TEST(AviFile, WriterRefusesWhatItCannotStore)
{
    testing::cTempFolder folder;
    std::unique_ptr<cAviWriter> writer = createAviWriter();
    EXPECT_EQ(writer->create(folder / "missing/folder/clip.avi"), kAviFileOpen);
    ASSERT_EQ(writer->create(folder / "clip.avi"), kAviOk);

    const std::vector<std::string> encoders = writer->compressors();
    for (const char* name : {"rawvideo", "mjpeg", "ffv1"})
        EXPECT_NE(std::find(encoders.begin(), encoders.end(), name), encoders.end()) << name;
    EXPECT_EQ(std::find(encoders.begin(), encoders.end(), "pcm_s16le"), encoders.end());

    cAviStreamInfo video;
    video.right = 16;
    video.bottom = 16;
    int stream = -1, sound = -1, out = -1;
    cAviStreamInfo text;
    std::memcpy(text.type, "txts", 4);
    EXPECT_EQ(writer->createStream(text, out), kAviUnsupported);
    EXPECT_EQ(out, -1);
    ASSERT_EQ(writer->createStream(video, stream), kAviOk);
    cAviStreamInfo audio;
    std::memcpy(audio.type, "auds", 4);
    ASSERT_EQ(writer->createStream(audio, sound), kAviOk);

    cAviCompressOptions options;
    options.handler = "no-such-encoder";
    EXPECT_EQ(writer->makeCompressedStream(stream, options, out), kAviNoCompressor);
    options.handler = "mjpeg";
    EXPECT_EQ(writer->makeCompressedStream(sound, options, out), kAviUnsupported);
    EXPECT_EQ(writer->makeCompressedStream(9, options, out), kAviBadHandle);

    cBitmapHeader format;
    format.width = 16;
    format.height = 16;
    format.bitCount = 16;
    EXPECT_EQ(writer->setFormat(stream, format), kAviBadFormat);
    format.bitCount = 24;
    format.width = -16;
    EXPECT_EQ(writer->setFormat(stream, format), kAviBadFormat);
    format.width = 16;
    EXPECT_EQ(writer->setFormat(sound, format), kAviBadFormat);
    cPcmFormat pcm;
    pcm.blockAlign = 3;
    EXPECT_EQ(writer->setFormat(sound, pcm), kAviBadFormat);

    // Nothing is written before every stream has its format.
    std::vector<uint8_t> picture(static_cast<size_t>(pitchOf(16, 24)) * 16, 0);
    int written = -1;
    ASSERT_EQ(writer->setFormat(stream, format), kAviOk);
    EXPECT_EQ(writer->setFormat(stream, format), kAviReadOnly);
    EXPECT_EQ(writer->write(stream, 0, picture.data(), static_cast<int>(picture.size()),
                            kAviKeyFrame, written),
              kAviBadFormat);
    ASSERT_EQ(writer->setFormat(sound, cPcmFormat()), kAviOk);
    EXPECT_EQ(writer->write(stream, 0, picture.data(), static_cast<int>(picture.size()) - 1,
                            kAviKeyFrame, written),
              kAviBufferTooSmall);
    EXPECT_EQ(writer->write(sound, 0, picture.data(), 3, kAviKeyFrame, written), kAviBadSize);
    EXPECT_EQ(writer->write(stream, 0, picture.data(), static_cast<int>(picture.size()),
                            kAviKeyFrame, written),
              kAviOk);
    EXPECT_GT(written, 0);
    // Streams cannot be added once samples were written.
    EXPECT_EQ(writer->createStream(video, out), kAviReadOnly);
    EXPECT_EQ(writer->release(), kAviOk);
    EXPECT_EQ(writer->write(stream, 1, picture.data(), static_cast<int>(picture.size()),
                            kAviKeyFrame, written),
              kAviBadHandle);
}

TEST(AviFile, ResultsHaveTheirStandardNames)
{
    EXPECT_STREQ(aviResultName(kAviBadFormat), "AVIERR_BADFORMAT");
    EXPECT_STREQ(aviResultName(kAviNoCompressor), "AVIERR_NOCOMPRESSOR");
    EXPECT_STREQ(aviResultName(kAviError), "AVIERR_ERROR");
    EXPECT_EQ(aviResultName(kAviOk), nullptr);
    EXPECT_EQ(aviResultName(0x80000000u), nullptr);
}

// Runs the ffmpeg tool quietly; false when it is missing or fails.
bool runFfmpeg(const std::string& arguments)
{
    const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -y " + arguments;
    return std::system(command.c_str()) == 0;
}

// A video made elsewhere: top half white, bottom half black, so the row order shows.
TEST(AviFile, ReadsAVideoMadeByTheFfmpegTool)
{
    if (std::system("ffmpeg -version > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "the ffmpeg tool is not installed (scripts/install-deps)";
    testing::cTempFolder folder;
    struct cToolCase
    {
        const char* name;
        const char* codec;
        int tolerance;
    };
    const cToolCase cases[] = {
        {"raw", "-c:v rawvideo -pix_fmt bgr24", 0},
        {"mjpeg", "-c:v mjpeg -q:v 2", 40},
        {"mpeg4", "-c:v mpeg4 -q:v 2 -g 3", 40},
    };
    for (const cToolCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string path = folder / (std::string(c.name) + ".avi");
        ASSERT_TRUE(runFfmpeg("-f lavfi -i color=c=black:s=40x30:r=10 -frames:v 7 -vf "
                              "drawbox=x=0:y=0:w=40:h=15:color=white:t=fill " +
                              std::string(c.codec) + " " + path));
        std::unique_ptr<cAviReader> reader = createAviReader();
        ASSERT_EQ(reader->open(path), kAviOk);
        ASSERT_EQ(reader->openVideoStream(), kAviOk);
        cAviStreamInfo info;
        ASSERT_TRUE(reader->streamInfo(info));
        EXPECT_EQ(info.length, 7);
        EXPECT_EQ(info.rate / info.scale, 10u);
        ASSERT_EQ(reader->openDecoder(), kAviOk);
        const int pitch = pitchOf(40, 24);
        for (int n = 0; n < info.length; ++n)
        {
            SCOPED_TRACE(n);
            const uint8_t* bitmap = reader->frame(n);
            ASSERT_NE(bitmap, nullptr);
            const uint8_t* pixels = bitmap + 40;
            // Bottom row first: black first, white last (rows 2 and 27 keep clear of the edge
            // that lossy coding blurs).
            for (int x = 0; x < 40 * 3; ++x)
            {
                EXPECT_LE(pixels[2 * pitch + x], c.tolerance) << x;
                EXPECT_GE(pixels[27 * pitch + x], 255 - c.tolerance) << x;
            }
        }
        EXPECT_EQ(reader->frame(7), nullptr);
    }
}

// Damaged files open and read without harm: they fail, or give frames of the declared size.
TEST(AviFile, DamagedFilesFailCleanly)
{
    testing::cTempFolder folder;
    const std::string good = folder / "good.avi";
    writeClip(good, "mjpeg", 24, false);
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    const std::vector<uint8_t> bytes = testing::readBytes(good);
    ASSERT_GT(bytes.size(), 1000u);

    std::unique_ptr<cAviReader> reader = createAviReader();
    EXPECT_EQ(reader->open(folder / "missing.avi"), kAviFileOpen);
    testing::writeText(folder / "text.avi", "this is not a video file at all");
    EXPECT_EQ(reader->open(folder / "text.avi"), kAviBadFormat);
    EXPECT_EQ(reader->openVideoStream(), kAviBadHandle);
    EXPECT_EQ(reader->openDecoder(), kAviBadHandle);
    EXPECT_EQ(reader->frame(0), nullptr);

    struct cDamage
    {
        const char* name;
        size_t keep;    // bytes kept
        size_t stomped; // first byte overwritten, or 0
        bool lastFrameLost;
    };
    const cDamage damages[] = {
        {"header only", 12, 0, true},
        {"cut in the headers", 200, 0, true},
        {"cut in the frames", bytes.size() * 2 / 3, 0, true},
        {"index cut off", bytes.size() - 40, 0, false},
        {"frames overwritten", bytes.size(), bytes.size() / 2, false},
        {"headers overwritten", bytes.size(), 40, false},
    };
    for (const cDamage& d : damages)
    {
        SCOPED_TRACE(d.name);
        std::vector<uint8_t> damaged(bytes.begin(), bytes.begin() + static_cast<long>(d.keep));
        if (d.stomped)
        {
            for (size_t i = d.stomped; i < std::min(damaged.size(), d.stomped + 300); ++i)
                damaged[i] = static_cast<uint8_t>(i * 37);
        }
        const std::string path = folder / "damaged.avi";
        testing::writeBytes(path, damaged);
        if (reader->open(path) != kAviOk || reader->openVideoStream() != kAviOk ||
            reader->openDecoder() != kAviOk)
            continue;
        cAviFileInfo file;
        ASSERT_TRUE(reader->fileInfo(file));
        for (int n = 0; n <= kFrames; ++n)
        {
            const uint8_t* bitmap = reader->frame(n);
            if (!bitmap)
                continue;
            cBitmapHeader header;
            std::memcpy(&header, bitmap, sizeof(header));
            EXPECT_GT(header.width, 0);
            EXPECT_GT(header.height, 0);
            EXPECT_EQ(header.imageSize,
                      static_cast<uint32_t>(pitchOf(header.width, 24) * header.height));
        }
        if (d.lastFrameLost)
        {
            EXPECT_EQ(reader->frame(kFrames - 1), nullptr);
        }
    }
}

} // namespace
} // namespace qelt
