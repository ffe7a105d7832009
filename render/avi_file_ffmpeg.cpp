// The AVI file services on FFmpeg: the avi demuxer and muxer, the codecs' decoders and encoders,
// and swscale for the packed bottom-up bitmaps the renderers and the capture exchange.
#include "render/avi_file.h"

extern "C"
{
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace qelt
{

namespace
{
// The largest picture side accepted from a file or a caller.
constexpr int kMaxSide = 16384;
// Row alignment and room behind the last row for the scaler's output (see pack).
constexpr int kScaleAlign = 64;
constexpr size_t kScaleSlack = 256;

// FFmpeg's own messages would go to stderr; the services report through their results instead.
void quietLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

// Rows of a packed 24-bit bitmap are padded to 4 bytes.
int packedPitch(int width, int bitCount)
{
    return ((width * bitCount / 8) + 3) & ~3;
}

uint32_t openFailure(int error)
{
    if (error == AVERROR(ENOENT) || error == AVERROR(EACCES) || error == AVERROR(EISDIR))
        return kAviFileOpen;
    if (error == AVERROR(ENOMEM))
        return kAviMemory;
    if (error == AVERROR_INVALIDDATA)
        return kAviBadFormat;
    return kAviFileRead;
}
} // namespace

const char* aviResultName(uint32_t result)
{
    switch (result)
    {
    case kAviUnsupported:
        return "AVIERR_UNSUPPORTED";
    case kAviBadFormat:
        return "AVIERR_BADFORMAT";
    case kAviMemory:
        return "AVIERR_MEMORY";
    case kAviInternal:
        return "AVIERR_INTERNAL";
    case kAviBadFlags:
        return "AVIERR_BADFLAGS";
    case kAviBadParam:
        return "AVIERR_BADPARAM";
    case kAviBadSize:
        return "AVIERR_BADSIZE";
    case kAviBadHandle:
        return "AVIERR_BADHANDLE";
    case kAviFileRead:
        return "AVIERR_FILEREAD";
    case kAviFileWrite:
        return "AVIERR_FILEWRITE";
    case kAviFileOpen:
        return "AVIERR_FILEOPEN";
    case kAviCompressor:
        return "AVIERR_COMPRESSOR";
    case kAviNoCompressor:
        return "AVIERR_NOCOMPRESSOR";
    case kAviReadOnly:
        return "AVIERR_READONLY";
    case kAviNoData:
        return "AVIERR_NODATA";
    case kAviBufferTooSmall:
        return "AVIERR_BUFFERTOOSMALL";
    case kAviCantCompress:
        return "AVIERR_CANTCOMPRESS";
    case kAviUserAbort:
        return "AVIERR_USERABORT";
    case kAviError:
        return "AVIERR_ERROR";
    default:
        return nullptr;
    }
}

// ================================================================================================
// Reading
// ================================================================================================

namespace
{

class cAviReaderFFmpeg final : public cAviReader
{
  public:
    cAviReaderFFmpeg() { quietLibrary(); }
    ~cAviReaderFFmpeg() override { release(); }

    uint32_t open(const std::string& path) override;
    bool fileInfo(cAviFileInfo& out) override;
    uint32_t openVideoStream() override;
    bool streamInfo(cAviStreamInfo& out) override;
    uint32_t openDecoder() override;
    const uint8_t* frame(int n) override;
    void release() override;

  private:
    AVStream* videoStream() const;
    bool rewind();
    bool decodeNext();
    const uint8_t* pack();

    AVFormatContext* format_ = nullptr; // owned
    int stream_ = -1;
    AVCodecContext* decoder_ = nullptr; // owned
    SwsContext* scaler_ = nullptr;      // owned
    AVFrame* picture_ = nullptr;        // owned
    AVPacket* packet_ = nullptr;        // owned
    int nextFrame_ = 0;                 // the number of the frame decodeNext delivers
    bool draining_ = false;
    std::vector<uint8_t> bitmap_;
    std::vector<uint8_t> topDown_;
};

uint32_t cAviReaderFFmpeg::open(const std::string& path)
{
    release();
    const AVInputFormat* avi = av_find_input_format("avi");
    if (!avi)
        return kAviNoHandler;
    format_ = avformat_alloc_context();
    if (!format_)
        return kAviMemory;
    const int error = avformat_open_input(&format_, path.c_str(), avi, nullptr);
    if (error < 0)
    {
        // avformat_open_input frees the context on failure.
        format_ = nullptr;
        return openFailure(error);
    }
    return kAviOk;
}

AVStream* cAviReaderFFmpeg::videoStream() const
{
    if (!format_)
        return nullptr;
    for (unsigned i = 0; i < format_->nb_streams; ++i)
    {
        if (format_->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
            return format_->streams[i];
    }
    return nullptr;
}

bool cAviReaderFFmpeg::fileInfo(cAviFileInfo& out)
{
    const AVStream* video = videoStream();
    if (!video)
        return false;
    out.width = video->codecpar->width;
    out.height = video->codecpar->height;
    return true;
}

uint32_t cAviReaderFFmpeg::openVideoStream()
{
    if (!format_)
        return kAviBadHandle;
    const AVStream* video = videoStream();
    if (!video)
        return kAviNoData;
    stream_ = video->index;
    return kAviOk;
}

bool cAviReaderFFmpeg::streamInfo(cAviStreamInfo& out)
{
    if (!format_ || stream_ < 0)
        return false;
    const AVStream* video = format_->streams[stream_];
    std::memcpy(out.type, "vids", 4);
    out.scale = static_cast<uint32_t>(std::max(video->time_base.num, 0));
    out.rate = static_cast<uint32_t>(std::max(video->time_base.den, 0));
    out.start = video->start_time != AV_NOPTS_VALUE
                    ? static_cast<int32_t>(std::clamp<int64_t>(video->start_time, 0, INT32_MAX))
                    : 0;
    out.length = static_cast<int32_t>(std::clamp<int64_t>(video->nb_frames, 0, INT32_MAX));
    out.left = 0;
    out.top = 0;
    out.right = video->codecpar->width;
    out.bottom = video->codecpar->height;
    return true;
}

uint32_t cAviReaderFFmpeg::openDecoder()
{
    if (!format_ || stream_ < 0)
        return kAviBadHandle;
    const AVCodecParameters* parameters = format_->streams[stream_]->codecpar;
    if (parameters->width <= 0 || parameters->height <= 0 || parameters->width > kMaxSide ||
        parameters->height > kMaxSide)
        return kAviBadFormat;
    const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
    if (!codec)
        return kAviUnsupported;
    avcodec_free_context(&decoder_);
    decoder_ = avcodec_alloc_context3(codec);
    if (!decoder_)
        return kAviMemory;
    if (avcodec_parameters_to_context(decoder_, parameters) < 0)
        return kAviBadFormat;
    decoder_->thread_count = 1;
    decoder_->max_pixels = static_cast<int64_t>(kMaxSide) * kMaxSide;
    if (avcodec_open2(decoder_, codec, nullptr) < 0)
    {
        avcodec_free_context(&decoder_);
        return kAviUnsupported;
    }
    picture_ = av_frame_alloc();
    packet_ = av_packet_alloc();
    if (!picture_ || !packet_)
        return kAviMemory;
    nextFrame_ = 0;
    draining_ = false;
    return kAviOk;
}

// Back to the first frame: seek to the start and forget what the decoder holds.
bool cAviReaderFFmpeg::rewind()
{
    if (av_seek_frame(format_, stream_, INT64_MIN, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) < 0 &&
        av_seek_frame(format_, -1, 0, AVSEEK_FLAG_BYTE) < 0)
        return false;
    avcodec_flush_buffers(decoder_);
    nextFrame_ = 0;
    draining_ = false;
    return true;
}

// The next picture of the stream into picture_; false at the end or on a broken stream. Packets
// the decoder refuses are skipped; the file is read forward only, so this always ends.
bool cAviReaderFFmpeg::decodeNext()
{
    for (;;)
    {
        const int received = avcodec_receive_frame(decoder_, picture_);
        if (received == 0)
        {
            ++nextFrame_;
            return true;
        }
        if (received != AVERROR(EAGAIN) || draining_)
            return false;
        if (av_read_frame(format_, packet_) < 0)
        {
            draining_ = true;
            avcodec_send_packet(decoder_, nullptr);
            continue;
        }
        if (packet_->stream_index == stream_)
            avcodec_send_packet(decoder_, packet_);
        av_packet_unref(packet_);
    }
}

// picture_ as a packed 24-bit bitmap, bottom row first.
const uint8_t* cAviReaderFFmpeg::pack()
{
    const int width = picture_->width;
    const int height = picture_->height;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || picture_->format < 0)
        return nullptr;
    scaler_ =
        sws_getCachedContext(scaler_, width, height, static_cast<AVPixelFormat>(picture_->format),
                             width, height, AV_PIX_FMT_BGR24, SWS_POINT, nullptr, nullptr, nullptr);
    if (!scaler_)
        return nullptr;
    const int pitch = packedPitch(width, 24);
    cBitmapHeader header;
    header.width = width;
    header.height = height;
    header.bitCount = 24;
    header.imageSize = static_cast<uint32_t>(pitch) * height;
    bitmap_.assign(sizeof(header) + header.imageSize, 0);
    std::memcpy(bitmap_.data(), &header, sizeof(header));
    // Scaled top row first, then stored bottom row first: some of the library's converters do
    // not take a negative row pitch. Its vector converters write whole blocks of pixels, past
    // the end of a row whose width is not a multiple of the block (20 bytes past the last row of
    // a 2761-pixel-wide 4:2:0 picture), so the scaled rows are aligned and the buffer has room
    // behind its last row.
    const int scaledPitch = (pitch + kScaleAlign - 1) / kScaleAlign * kScaleAlign;
    topDown_.resize(static_cast<size_t>(scaledPitch) * height + kScaleSlack);
    uint8_t* rows[4] = {topDown_.data(), nullptr, nullptr, nullptr};
    int pitches[4] = {scaledPitch, 0, 0, 0};
    if (sws_scale(scaler_, picture_->data, picture_->linesize, 0, height, rows, pitches) != height)
        return nullptr;
    uint8_t* pixels = bitmap_.data() + sizeof(header);
    for (int row = 0; row < height; ++row)
        std::memcpy(pixels + static_cast<size_t>(pitch) * row,
                    topDown_.data() + static_cast<size_t>(scaledPitch) * (height - 1 - row),
                    static_cast<size_t>(pitch));
    return bitmap_.data();
}

const uint8_t* cAviReaderFFmpeg::frame(int n)
{
    if (!decoder_ || n < 0)
        return nullptr;
    const int64_t length = format_->streams[stream_]->nb_frames;
    if (length > 0 && n >= length)
        return nullptr;
    if (n < nextFrame_ && !rewind())
        return nullptr;
    while (nextFrame_ <= n)
    {
        if (!decodeNext())
            return nullptr;
    }
    return pack();
}

void cAviReaderFFmpeg::release()
{
    sws_freeContext(scaler_);
    scaler_ = nullptr;
    av_frame_free(&picture_);
    av_packet_free(&packet_);
    avcodec_free_context(&decoder_);
    avformat_close_input(&format_);
    stream_ = -1;
    nextFrame_ = 0;
    draining_ = false;
    bitmap_.clear();
}

} // namespace

// ================================================================================================
// Writing
// ================================================================================================

namespace
{

struct cOutputStream
{
    AVStream* stream = nullptr; // owned by the muxer
    bool video = false;
    cAviStreamInfo info;
    std::string handler; // encoder name; empty for uncompressed
    cAviCompressOptions options;
    bool formatSet = false;
    cBitmapHeader bitmap;
    cPcmFormat pcm;
    AVCodecContext* encoder = nullptr; // owned
    SwsContext* scaler = nullptr;      // owned
    AVFrame* picture = nullptr;        // owned
    int64_t samplesWritten = 0;        // audio position in samples
    std::vector<uint8_t> topDown;      // the frame being written, top row first
};

class cAviWriterFFmpeg final : public cAviWriter
{
  public:
    cAviWriterFFmpeg() { quietLibrary(); }
    ~cAviWriterFFmpeg() override { release(); }

    uint32_t create(const std::string& path) override;
    uint32_t createStream(const cAviStreamInfo& info, int& out) override;
    std::vector<std::string> compressors() override;
    uint32_t makeCompressedStream(int stream, const cAviCompressOptions& options,
                                  int& out) override;
    uint32_t setFormat(int stream, const cBitmapHeader& format) override;
    uint32_t setFormat(int stream, const cPcmFormat& format) override;
    uint32_t write(int stream, int sample, const void* data, int size, uint32_t flags,
                   int& bytesWritten) override;
    uint32_t release() override;

  private:
    cOutputStream* find(int stream);
    uint32_t writeHeader();
    uint32_t drain(cOutputStream& out, int& bytesWritten);

    AVFormatContext* format_ = nullptr; // owned, with its file
    std::vector<cOutputStream> streams_;
    bool headerWritten_ = false;
};

cOutputStream* cAviWriterFFmpeg::find(int stream)
{
    if (!format_ || stream < 0 || stream >= static_cast<int>(streams_.size()))
        return nullptr;
    return &streams_[stream];
}

uint32_t cAviWriterFFmpeg::create(const std::string& path)
{
    release();
    if (avformat_alloc_output_context2(&format_, nullptr, "avi", path.c_str()) < 0 || !format_)
        return kAviNoHandler;
    if (avio_open(&format_->pb, path.c_str(), AVIO_FLAG_WRITE) < 0)
    {
        avformat_free_context(format_);
        format_ = nullptr;
        return kAviFileOpen;
    }
    return kAviOk;
}

uint32_t cAviWriterFFmpeg::createStream(const cAviStreamInfo& info, int& out)
{
    out = -1;
    if (!format_)
        return kAviBadHandle;
    if (headerWritten_)
        return kAviReadOnly;
    const bool video = std::memcmp(info.type, "vids", 4) == 0;
    if (!video && std::memcmp(info.type, "auds", 4) != 0)
        return kAviUnsupported;
    if (video && (info.rate == 0 || info.scale == 0))
        return kAviBadParam;
    AVStream* stream = avformat_new_stream(format_, nullptr);
    if (!stream)
        return kAviMemory;
    cOutputStream entry;
    entry.stream = stream;
    entry.video = video;
    entry.info = info;
    streams_.push_back(entry);
    out = static_cast<int>(streams_.size() - 1);
    return kAviOk;
}

// Video encoders the avi muxer has a tag for, software only.
std::vector<std::string> cAviWriterFFmpeg::compressors()
{
    std::vector<std::string> names;
    const AVOutputFormat* avi = av_guess_format("avi", nullptr, nullptr);
    if (!avi)
        return names;
    void* state = nullptr;
    while (const AVCodec* codec = av_codec_iterate(&state))
    {
        if (!av_codec_is_encoder(codec) || codec->type != AVMEDIA_TYPE_VIDEO ||
            (codec->capabilities & (AV_CODEC_CAP_HARDWARE | AV_CODEC_CAP_EXPERIMENTAL)) ||
            !codec->pix_fmts)
            continue;
        if (avformat_query_codec(avi, codec->id, FF_COMPLIANCE_NORMAL) == 1)
            names.push_back(codec->name);
    }
    // Stored video is always possible.
    names.push_back("rawvideo");
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

uint32_t cAviWriterFFmpeg::makeCompressedStream(int stream, const cAviCompressOptions& options,
                                                int& out)
{
    out = -1;
    cOutputStream* entry = find(stream);
    if (!entry)
        return kAviBadHandle;
    if (!entry->video)
        return kAviUnsupported;
    if (entry->formatSet)
        return kAviReadOnly;
    const std::vector<std::string> names = compressors();
    if (std::find(names.begin(), names.end(), options.handler) == names.end())
        return kAviNoCompressor;
    entry->handler = options.handler;
    entry->options = options;
    out = stream;
    return kAviOk;
}

uint32_t cAviWriterFFmpeg::setFormat(int stream, const cBitmapHeader& format)
{
    cOutputStream* entry = find(stream);
    if (!entry)
        return kAviBadHandle;
    if (!entry->video)
        return kAviBadFormat;
    if (entry->formatSet || headerWritten_)
        return kAviReadOnly;
    if (format.size != 40 || format.width <= 0 || format.height <= 0 || format.width > kMaxSide ||
        format.height > kMaxSide || format.planes != 1 ||
        (format.bitCount != 24 && format.bitCount != 32) || format.compression != 0)
        return kAviBadFormat;

    const std::string name = entry->handler.empty() ? "rawvideo" : entry->handler;
    const AVCodec* codec = avcodec_find_encoder_by_name(name.c_str());
    if (!codec)
        return kAviNoCompressor;
    const AVPixelFormat source = format.bitCount == 32 ? AV_PIX_FMT_BGRA : AV_PIX_FMT_BGR24;
    // Stored uncompressed video keeps 24-bit pixels; an encoder gets its least lossy format.
    AVPixelFormat target = AV_PIX_FMT_BGR24;
    if (!entry->handler.empty())
    {
        int loss = 0;
        target = avcodec_find_best_pix_fmt_of_list(codec->pix_fmts, source, 0, &loss);
        if (target == AV_PIX_FMT_NONE)
            return kAviCantCompress;
    }

    AVCodecContext* encoder = avcodec_alloc_context3(codec);
    if (!encoder)
        return kAviMemory;
    encoder->width = format.width;
    encoder->height = format.height;
    encoder->pix_fmt = target;
    encoder->time_base =
        AVRational{static_cast<int>(entry->info.scale), static_cast<int>(entry->info.rate)};
    encoder->framerate = AVRational{encoder->time_base.den, encoder->time_base.num};
    encoder->max_b_frames = 0;
    encoder->thread_count = 1;
    encoder->gop_size = entry->options.keyFrameEvery > 0 ? entry->options.keyFrameEvery : 1;
    // Quality 0..10000 maps onto the quantiser 31..2; without one a fine quantiser is used.
    const int quality = entry->options.quality;
    const int quantiser = quality >= 0 ? 31 - std::clamp(quality, 0, 10000) * 29 / 10000 : 3;
    encoder->flags |= AV_CODEC_FLAG_QSCALE;
    encoder->global_quality = FF_QP2LAMBDA * quantiser;
    if (format_->oformat->flags & AVFMT_GLOBALHEADER)
        encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(encoder, codec, nullptr) < 0)
    {
        avcodec_free_context(&encoder);
        return kAviCompressor;
    }
    entry->encoder = encoder;
    if (avcodec_parameters_from_context(entry->stream->codecpar, encoder) < 0)
        return kAviInternal;
    entry->stream->time_base = encoder->time_base;
    entry->stream->avg_frame_rate = encoder->framerate;

    entry->scaler = sws_getContext(format.width, format.height, source, format.width, format.height,
                                   target, SWS_POINT, nullptr, nullptr, nullptr);
    entry->picture = av_frame_alloc();
    if (!entry->scaler || !entry->picture)
        return kAviMemory;
    entry->picture->format = target;
    entry->picture->width = format.width;
    entry->picture->height = format.height;
    if (av_frame_get_buffer(entry->picture, 0) < 0)
        return kAviMemory;
    entry->bitmap = format;
    entry->formatSet = true;
    return kAviOk;
}

uint32_t cAviWriterFFmpeg::setFormat(int stream, const cPcmFormat& format)
{
    cOutputStream* entry = find(stream);
    if (!entry)
        return kAviBadHandle;
    if (entry->video)
        return kAviBadFormat;
    if (entry->formatSet || headerWritten_)
        return kAviReadOnly;
    AVCodecID id = AV_CODEC_ID_NONE;
    switch (format.bitsPerSample)
    {
    case 8:
        id = AV_CODEC_ID_PCM_U8;
        break;
    case 16:
        id = AV_CODEC_ID_PCM_S16LE;
        break;
    case 24:
        id = AV_CODEC_ID_PCM_S24LE;
        break;
    case 32:
        id = AV_CODEC_ID_PCM_S32LE;
        break;
    default:
        return kAviBadFormat;
    }
    if (format.formatTag != 1 || format.channels < 1 || format.channels > 8 ||
        format.samplesPerSec == 0 || format.samplesPerSec > 384000 ||
        format.blockAlign != format.channels * format.bitsPerSample / 8)
        return kAviBadFormat;
    AVCodecParameters* parameters = entry->stream->codecpar;
    parameters->codec_type = AVMEDIA_TYPE_AUDIO;
    parameters->codec_id = id;
    parameters->sample_rate = static_cast<int>(format.samplesPerSec);
    av_channel_layout_default(&parameters->ch_layout, format.channels);
    parameters->bits_per_coded_sample = format.bitsPerSample;
    parameters->block_align = format.blockAlign;
    parameters->bit_rate = static_cast<int64_t>(format.samplesPerSec) * format.blockAlign * 8;
    entry->stream->time_base = AVRational{1, static_cast<int>(format.samplesPerSec)};
    entry->pcm = format;
    entry->formatSet = true;
    return kAviOk;
}

uint32_t cAviWriterFFmpeg::writeHeader()
{
    if (headerWritten_)
        return kAviOk;
    for (const cOutputStream& entry : streams_)
    {
        if (!entry.formatSet)
            return kAviBadFormat;
    }
    if (avformat_write_header(format_, nullptr) < 0)
        return kAviFileWrite;
    headerWritten_ = true;
    return kAviOk;
}

// Every packet the encoder has ready goes into the file.
uint32_t cAviWriterFFmpeg::drain(cOutputStream& out, int& bytesWritten)
{
    AVPacket* packet = av_packet_alloc();
    if (!packet)
        return kAviMemory;
    uint32_t result = kAviOk;
    while (avcodec_receive_packet(out.encoder, packet) == 0)
    {
        packet->stream_index = out.stream->index;
        av_packet_rescale_ts(packet, out.encoder->time_base, out.stream->time_base);
        const int size = packet->size;
        if (av_interleaved_write_frame(format_, packet) < 0)
            result = kAviFileWrite;
        else
            bytesWritten += size;
    }
    av_packet_free(&packet);
    return result;
}

uint32_t cAviWriterFFmpeg::write(int stream, int sample, const void* data, int size, uint32_t flags,
                                 int& bytesWritten)
{
    bytesWritten = 0;
    cOutputStream* entry = find(stream);
    if (!entry)
        return kAviBadHandle;
    if (!data || size < 0 || sample < 0)
        return kAviBadParam;
    if (const uint32_t header = writeHeader(); header != kAviOk)
        return header;

    if (!entry->video)
    {
        if (size % entry->pcm.blockAlign != 0)
            return kAviBadSize;
        AVPacket* packet = av_packet_alloc();
        if (!packet || av_new_packet(packet, size) < 0)
        {
            av_packet_free(&packet);
            return kAviMemory;
        }
        std::memcpy(packet->data, data, static_cast<size_t>(size));
        packet->stream_index = entry->stream->index;
        packet->pts = packet->dts = entry->samplesWritten;
        packet->duration = size / entry->pcm.blockAlign;
        packet->flags |= AV_PKT_FLAG_KEY;
        entry->samplesWritten += packet->duration;
        const int result = av_interleaved_write_frame(format_, packet);
        av_packet_free(&packet);
        if (result < 0)
            return kAviFileWrite;
        bytesWritten = size;
        return kAviOk;
    }

    const cBitmapHeader& bitmap = entry->bitmap;
    const int pitch = packedPitch(bitmap.width, bitmap.bitCount);
    if (size < pitch * bitmap.height)
        return kAviBufferTooSmall;
    if (av_frame_make_writable(entry->picture) < 0)
        return kAviMemory;
    // The caller's rows run bottom up; the encoder wants the top row first.
    entry->topDown.resize(static_cast<size_t>(pitch) * bitmap.height);
    for (int row = 0; row < bitmap.height; ++row)
        std::memcpy(entry->topDown.data() + static_cast<size_t>(pitch) * row,
                    static_cast<const uint8_t*>(data) +
                        static_cast<size_t>(pitch) * (bitmap.height - 1 - row),
                    static_cast<size_t>(pitch));
    const uint8_t* rows[4] = {entry->topDown.data(), nullptr, nullptr, nullptr};
    const int pitches[4] = {pitch, 0, 0, 0};
    sws_scale(entry->scaler, rows, pitches, 0, bitmap.height, entry->picture->data,
              entry->picture->linesize);
    entry->picture->pts = sample;
    entry->picture->pict_type = (flags & kAviKeyFrame) ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
    if (avcodec_send_frame(entry->encoder, entry->picture) < 0)
        return kAviCantCompress;
    return drain(*entry, bytesWritten);
}

uint32_t cAviWriterFFmpeg::release()
{
    uint32_t result = kAviOk;
    if (format_)
    {
        if (!headerWritten_ && !streams_.empty())
            result = writeHeader();
        if (headerWritten_)
        {
            for (cOutputStream& entry : streams_)
            {
                if (!entry.encoder)
                    continue;
                int bytes = 0;
                avcodec_send_frame(entry.encoder, nullptr);
                drain(entry, bytes);
            }
            if (av_write_trailer(format_) < 0)
                result = kAviFileWrite;
        }
        avio_closep(&format_->pb);
        avformat_free_context(format_);
        format_ = nullptr;
    }
    for (cOutputStream& entry : streams_)
    {
        avcodec_free_context(&entry.encoder);
        sws_freeContext(entry.scaler);
        av_frame_free(&entry.picture);
    }
    streams_.clear();
    headerWritten_ = false;
    return result;
}

} // namespace

std::unique_ptr<cAviReader> createAviReader()
{
    return std::make_unique<cAviReaderFFmpeg>();
}

std::unique_ptr<cAviWriter> createAviWriter()
{
    return std::make_unique<cAviWriterFFmpeg>();
}

} // namespace qelt
