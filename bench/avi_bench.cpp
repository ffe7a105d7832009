// Decoding frames of a 640 x 480 MJPEG AVI into the packed bottom-up bitmap, in frames per second.
#include "render/avi_file.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kFrames = 50;

// A clip written once by the services themselves: moving gradients, every frame a key frame.
struct Clip
{
    std::string path;
    Clip()
    {
        path = (std::filesystem::temp_directory_path() /
                ("qelt_avi_bench_" + std::to_string(::getpid()) + ".avi"))
                   .string();
        std::unique_ptr<qelt::cAviWriter> writer = qelt::createAviWriter();
        int stream = -1, compressed = -1, written = 0;
        qelt::cAviStreamInfo info;
        info.rate = 25;
        info.right = kWidth;
        info.bottom = kHeight;
        qelt::cAviCompressOptions options;
        options.handler = "mjpeg";
        qelt::cBitmapHeader format;
        format.width = kWidth;
        format.height = kHeight;
        format.imageSize = kWidth * 3 * kHeight;
        if (writer->create(path) != qelt::kAviOk ||
            writer->createStream(info, stream) != qelt::kAviOk ||
            writer->makeCompressedStream(stream, options, compressed) != qelt::kAviOk ||
            writer->setFormat(compressed, format) != qelt::kAviOk)
        {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            std::exit(1);
        }
        std::vector<uint8_t> pixels(static_cast<size_t>(kWidth) * 3 * kHeight);
        for (int n = 0; n < kFrames; ++n)
        {
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x)
                {
                    uint8_t* p = &pixels[(static_cast<size_t>(y) * kWidth + x) * 3];
                    p[0] = static_cast<uint8_t>(x + n * 4);
                    p[1] = static_cast<uint8_t>(y + n * 2);
                    p[2] = static_cast<uint8_t>((x ^ y) + n);
                }
            writer->write(compressed, n, pixels.data(), static_cast<int>(pixels.size()),
                          qelt::kAviKeyFrame, written);
        }
        writer->release();
    }
    ~Clip() { std::filesystem::remove(path); }
};

void BM_DecodeMjpegFrames(benchmark::State& state)
{
    static const Clip clip;
    std::unique_ptr<qelt::cAviReader> reader = qelt::createAviReader();
    if (reader->open(clip.path) != qelt::kAviOk || reader->openVideoStream() != qelt::kAviOk ||
        reader->openDecoder() != qelt::kAviOk)
    {
        state.SkipWithError("cannot read the clip");
        return;
    }
    int n = 0;
    for (auto _ : state)
    {
        const uint8_t* bitmap = reader->frame(n);
        benchmark::DoNotOptimize(bitmap);
        if (!bitmap)
        {
            state.SkipWithError("frame missing");
            return;
        }
        // Frames in playing order; the wrap rewinds once per pass, as a looping texture does.
        n = (n + 1) % kFrames;
    }
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecodeMjpegFrames)->Unit(benchmark::kMillisecond);

} // namespace
