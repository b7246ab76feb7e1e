// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/audio.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include "media/ffmpeg_library.h"

namespace orvane::media {
namespace {

// FFmpeg's functions, once DecodeAudio has loaded them.
const FfmpegFunctions* gFfmpeg = nullptr;

const FfmpegFunctions& Ff() {
    return *gFfmpeg;
}

// A jump in the stream's timestamps smaller than this is taken as rounding,
// not as a gap or an overlap.
constexpr double kJitterSeconds = 0.02;

struct FormatCloser {
    void operator()(AVFormatContext* context) const { Ff().avformat_close_input(&context); }
};
struct CodecFreer {
    void operator()(AVCodecContext* context) const { Ff().avcodec_free_context(&context); }
};
struct PacketFreer {
    void operator()(AVPacket* packet) const { Ff().av_packet_free(&packet); }
};
struct FrameFreer {
    void operator()(AVFrame* frame) const { Ff().av_frame_free(&frame); }
};
struct ResamplerFreer {
    void operator()(SwrContext* context) const { Ff().swr_free(&context); }
};

std::string ErrorWords(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    Ff().av_strerror(code, text, sizeof text);
    return text;
}

AudioResult Failed(AudioError error, std::string detail = {}) {
    AudioResult result;
    result.error = error;
    result.detail = std::move(detail);
    return result;
}

// FFmpeg takes file names as UTF-8 on every system, Windows included.
std::string Utf8Name(const std::filesystem::path& path) {
    const std::u8string name = path.u8string();
    return {name.begin(), name.end()};
}

// Hands samples to the sink on one gapless timeline: sample i plays at
// i / rate seconds. Samples before the start index are held back.
class Timeline {
public:
    Timeline(const AudioSink& sink, int rate, double startAt)
        : sink_(sink), rate_(rate), first_(std::llround(std::max(startAt, 0.0) * rate)) {}

    // Places samples whose first plays at `seconds`: a gap before them is
    // filled with silence, an overlap with what came before is dropped.
    void Place(double seconds, const float* data, std::int64_t count) {
        const std::int64_t at = std::llround(seconds * rate_);
        const std::int64_t jitter = std::llround(kJitterSeconds * rate_);
        if (!started_) {
            next_ = std::min<std::int64_t>(at, first_);
            begin_ = next_;
            started_ = true;
        } else if (at > next_ + jitter) {
            // Once the sound has run a second, a gap is sound the file has
            // lost: a stream with no gaps is the rule.
            if (next_ - begin_ >= rate_) {
                missing_ += at - next_;
            }
            Silence(at - next_);
        } else if (at < next_ - jitter) {
            const std::int64_t overlap = std::min(next_ - at, count);
            data += overlap;
            count -= overlap;
        }
        Append(data, count);
    }

    // Continues right after what came before.
    void Continue(const float* data, std::int64_t count) { Append(data, count); }

    double EndSeconds() const { return static_cast<double>(next_) / rate_; }
    double MissingSeconds() const { return static_cast<double>(missing_) / rate_; }

private:
    void Silence(std::int64_t count) {
        const std::vector<float> zeros(
            static_cast<std::size_t>(std::min<std::int64_t>(count, rate_)));
        while (count > 0) {
            const std::int64_t n =
                std::min<std::int64_t>(count, static_cast<std::int64_t>(zeros.size()));
            Append(zeros.data(), n);
            count -= n;
        }
    }

    void Append(const float* data, std::int64_t count) {
        if (count <= 0) {
            return;
        }
        const std::int64_t skip = std::clamp<std::int64_t>(first_ - next_, 0, count);
        if (skip < count) {
            AudioBlock block;
            block.start = static_cast<double>(next_ + skip) / rate_;
            block.samples = {data + skip, static_cast<std::size_t>(count - skip)};
            sink_(block);
        }
        next_ += count;
    }

    const AudioSink& sink_;
    int rate_;
    std::int64_t first_;
    std::int64_t next_ = 0;
    std::int64_t begin_ = 0;    // where the first samples were placed
    std::int64_t missing_ = 0;  // samples of gaps filled with silence
    bool started_ = false;
};

// The audio stream numbered `wanted` among the audio streams, or -1.
int FindAudioStream(const AVFormatContext& format, int wanted, int* audioCount) {
    int found = -1;
    *audioCount = 0;
    for (unsigned i = 0; i < format.nb_streams; ++i) {
        if (format.streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
            if (*audioCount == wanted) {
                found = static_cast<int>(i);
            }
            ++*audioCount;
        }
    }
    return found;
}

class Decoder {
public:
    Decoder(AVFormatContext& format, AVStream& stream, AVCodecContext& codec, Timeline& timeline,
            int rate)
        : stream_(stream), codec_(codec), timeline_(timeline), rate_(rate) {
        origin_ = format.start_time == AV_NOPTS_VALUE
                      ? 0.0
                      : static_cast<double>(format.start_time) / AV_TIME_BASE;
    }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
    ~Decoder() {
        Ff().av_channel_layout_uninit(&inLayout_);
        Ff().av_channel_layout_uninit(&frameLayout_);
    }

    // Sends one packet (nullptr: the end) and takes every frame it yields.
    // Returns false when the decoder fails in a way that is not a single
    // damaged packet.
    bool Feed(const AVPacket* packet) {
        const int sent = Ff().avcodec_send_packet(&codec_, packet);
        if (sent < 0 && sent != AVERROR_EOF) {
            // One damaged packet is skipped; the stream as a whole is judged
            // by whether anything decodes at all.
            ++damagedPackets_;
            lastError_ = sent;
            return sent == AVERROR_INVALIDDATA;
        }
        for (;;) {
            const int got = Ff().avcodec_receive_frame(&codec_, frame_.get());
            if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) {
                return true;
            }
            if (got < 0) {
                ++damagedPackets_;
                lastError_ = got;
                return got == AVERROR_INVALIDDATA;
            }
            const bool ok = Take(*frame_);
            Ff().av_frame_unref(frame_.get());
            if (!ok) {
                return false;
            }
        }
    }

    // The samples still held in the resampler.
    void Drain() {
        if (resampler_) {
            Convert(nullptr, 0);
        }
    }

    int Frames() const { return frames_; }
    int DamagedPackets() const { return damagedPackets_; }
    int LastError() const { return lastError_; }

private:
    // Made again whenever the decoded sound changes shape mid-stream.
    bool PrepareResampler(const AVFrame& frame) {
        // Compared with the frame's layout as it came: a layout without
        // channel names is replaced below, and would never compare equal.
        if (resampler_ && frame.sample_rate == inRate_ && frame.format == inFormat_ &&
            Ff().av_channel_layout_compare(&frame.ch_layout, &frameLayout_) == 0) {
            return true;
        }
        Drain();
        resampler_.reset();
        Ff().av_channel_layout_uninit(&inLayout_);
        Ff().av_channel_layout_uninit(&frameLayout_);
        if (Ff().av_channel_layout_copy(&frameLayout_, &frame.ch_layout) < 0 ||
            Ff().av_channel_layout_copy(&inLayout_, &frame.ch_layout) < 0) {
            return false;
        }
        if (inLayout_.order == AV_CHANNEL_ORDER_UNSPEC) {
            // Channels without names: mix them as the usual layout of that many.
            const int channels = inLayout_.nb_channels;
            Ff().av_channel_layout_uninit(&inLayout_);
            Ff().av_channel_layout_default(&inLayout_, channels);
        }
        AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
        SwrContext* made = nullptr;
        if (Ff().swr_alloc_set_opts2(&made, &mono, AV_SAMPLE_FMT_FLT, rate_, &inLayout_,
                                     static_cast<AVSampleFormat>(frame.format), frame.sample_rate,
                                     0, nullptr) < 0 ||
            Ff().swr_init(made) < 0) {
            Ff().swr_free(&made);
            return false;
        }
        resampler_.reset(made);
        inRate_ = frame.sample_rate;
        inFormat_ = frame.format;
        return true;
    }

    bool Take(const AVFrame& frame) {
        if (frame.sample_rate <= 0 || frame.nb_samples <= 0) {
            return true;
        }
        if (!PrepareResampler(frame)) {
            return false;
        }
        ++frames_;
        const std::int64_t pts = frame.best_effort_timestamp;
        double seconds = expected_;
        if (pts != AV_NOPTS_VALUE) {
            seconds = static_cast<double>(pts) * av_q2d(stream_.time_base) - origin_;
        }
        // What the resampler still holds plays before this frame.
        const double held =
            static_cast<double>(Ff().swr_get_delay(resampler_.get(), 1000000)) / 1e6;
        placeAt_ = seconds - held;
        placeNext_ = true;
        expected_ = seconds + static_cast<double>(frame.nb_samples) / frame.sample_rate;
        Convert(const_cast<const uint8_t**>(frame.extended_data), frame.nb_samples);
        return true;
    }

    void Convert(const uint8_t** input, int count) {
        const int room = Ff().swr_get_out_samples(resampler_.get(), count);
        if (room <= 0) {
            return;
        }
        buffer_.resize(static_cast<std::size_t>(room));
        auto* out = reinterpret_cast<uint8_t*>(buffer_.data());
        const int made = Ff().swr_convert(resampler_.get(), &out, room, input, count);
        if (made <= 0) {
            return;
        }
        if (placeNext_) {
            timeline_.Place(placeAt_, buffer_.data(), made);
            placeNext_ = false;
        } else {
            timeline_.Continue(buffer_.data(), made);
        }
    }

    AVStream& stream_;
    AVCodecContext& codec_;
    Timeline& timeline_;
    int rate_;
    double origin_ = 0;
    double expected_ = 0;
    double placeAt_ = 0;
    bool placeNext_ = false;
    std::unique_ptr<AVFrame, FrameFreer> frame_{Ff().av_frame_alloc()};
    std::unique_ptr<SwrContext, ResamplerFreer> resampler_;
    AVChannelLayout inLayout_{};     // as given to the resampler
    AVChannelLayout frameLayout_{};  // as the decoder gave it
    int inRate_ = 0;
    int inFormat_ = -1;
    std::vector<float> buffer_;
    int frames_ = 0;
    int damagedPackets_ = 0;
    int lastError_ = 0;
};

// The share of the file read, judged by the packet's time.
double Fraction(const AVFormatContext& format, const AVStream& stream, const AVPacket& packet) {
    if (format.duration <= 0 || packet.pts == AV_NOPTS_VALUE) {
        return 0;
    }
    const double total = static_cast<double>(format.duration) / AV_TIME_BASE;
    const double at = static_cast<double>(packet.pts) * av_q2d(stream.time_base);
    return std::clamp(at / total, 0.0, 1.0);
}

// The seconds "H:MM:SS.fraction" stands for, or 0.
double ClockSeconds(const char* text) {
    int hours = 0;
    int minutes = 0;
    double seconds = 0;
    if (std::sscanf(text, "%d:%d:%lf", &hours, &minutes, &seconds) != 3) {
        return 0;
    }
    return hours * 3600.0 + minutes * 60.0 + seconds;
}

// Where the stream's sound should end on the playing time, as the file
// says: the stream's own length, the length Matroska notes for it, or the
// file's; 0 when nothing says.
double ExpectedEnd(const AVFormatContext& format, const AVStream& stream) {
    const double origin = format.start_time == AV_NOPTS_VALUE
                              ? 0.0
                              : static_cast<double>(format.start_time) / AV_TIME_BASE;
    if (stream.duration != AV_NOPTS_VALUE && stream.duration > 0) {
        const double start =
            stream.start_time == AV_NOPTS_VALUE
                ? origin
                : static_cast<double>(stream.start_time) * av_q2d(stream.time_base);
        return start - origin + static_cast<double>(stream.duration) * av_q2d(stream.time_base);
    }
    if (const AVDictionaryEntry* noted =
            Ff().av_dict_get(stream.metadata, "DURATION", nullptr, 0)) {
        if (const double seconds = ClockSeconds(noted->value); seconds > 0) {
            return seconds;
        }
    }
    return format.duration > 0 ? static_cast<double>(format.duration) / AV_TIME_BASE : 0.0;
}

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", seconds);
    return text;
}

// Sound the file has lost, when it is too much to trust the rest: the
// stream breaks off well before its end, or much of it is missing in gaps.
// A few seconds lost, as a damaged packet here and there, are borne.
std::optional<std::string> LostSound(const AVFormatContext& format, const AVStream& stream,
                                     const Timeline& timeline) {
    constexpr double kBorne = 10.0;        // seconds lost in any file
    constexpr double kBorneEnd = 0.05;     // share of the length the end may fall short
    constexpr double kBorneMissing = 0.1;  // share of the sound that may be missing
    const double end = timeline.EndSeconds();
    const double expected = ExpectedEnd(format, stream);
    if (expected > 0 && expected - end > std::max(kBorne, kBorneEnd * expected)) {
        return "it breaks off at " + Seconds(end) + " of " + Seconds(expected);
    }
    const double missing = timeline.MissingSeconds();
    if (missing > std::max(kBorne, kBorneMissing * end)) {
        return Seconds(missing) + " of sound missing";
    }
    return std::nullopt;
}

}  // namespace

AudioResult DecodeAudio(const std::filesystem::path& path, const AudioOptions& options,
                        const AudioSink& sink, const AudioProgress& progress,
                        const std::atomic<bool>* stop) {
    std::string missing;
    gFfmpeg = LoadFfmpeg(missing);
    if (gFfmpeg == nullptr) {
        return Failed(AudioError::kNoLibrary, missing);
    }
    Ff().av_log_set_level(AV_LOG_QUIET);
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return Failed(AudioError::kUnreadable, "not an ordinary file");
    }
    AVFormatContext* opened = nullptr;
    const std::string name = Utf8Name(path);
    if (const int code = Ff().avformat_open_input(&opened, name.c_str(), nullptr, nullptr);
        code < 0) {
        return Failed(AudioError::kUnreadable, ErrorWords(code));
    }
    const std::unique_ptr<AVFormatContext, FormatCloser> format(opened);
    if (const int code = Ff().avformat_find_stream_info(format.get(), nullptr); code < 0) {
        return Failed(AudioError::kUnreadable, ErrorWords(code));
    }
    int audioCount = 0;
    const int index = FindAudioStream(*format, options.audioStream, &audioCount);
    if (audioCount == 0) {
        return Failed(AudioError::kNoAudio);
    }
    if (index < 0) {
        return Failed(AudioError::kNoSuchStream, std::to_string(audioCount));
    }
    AVStream& stream = *format->streams[index];
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        format->streams[i]->discard =
            static_cast<int>(i) == index ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    }
    const AVCodec* codec = Ff().avcodec_find_decoder(stream.codecpar->codec_id);
    if (codec == nullptr) {
        return Failed(AudioError::kNoDecoder, Ff().avcodec_get_name(stream.codecpar->codec_id));
    }
    const std::unique_ptr<AVCodecContext, CodecFreer> context(Ff().avcodec_alloc_context3(codec));
    if (!context || Ff().avcodec_parameters_to_context(context.get(), stream.codecpar) < 0) {
        return Failed(AudioError::kNoDecoder, Ff().avcodec_get_name(stream.codecpar->codec_id));
    }
    context->pkt_timebase = stream.time_base;
    if (const int code = Ff().avcodec_open2(context.get(), codec, nullptr); code < 0) {
        return Failed(AudioError::kNoDecoder, ErrorWords(code));
    }

    const int rate = options.sampleRate == 16000 ? 16000 : 8000;
    Timeline timeline(sink, rate, options.startAt);
    Decoder decoder(*format, stream, *context, timeline, rate);
    const std::unique_ptr<AVPacket, PacketFreer> packet(Ff().av_packet_alloc());
    double reported = -1;
    for (;;) {
        if (stop != nullptr && stop->load()) {
            return Failed(AudioError::kStopped);
        }
        const int read = Ff().av_read_frame(format.get(), packet.get());
        if (read == AVERROR_EOF) {
            break;
        }
        if (read < 0) {
            return Failed(AudioError::kDamaged, ErrorWords(read));
        }
        bool ok = true;
        if (packet->stream_index == index) {
            ok = decoder.Feed(packet.get());
            const double fraction = Fraction(*format, stream, *packet);
            if (progress && fraction >= reported + 0.01) {
                reported = fraction;
                progress(fraction);
            }
        }
        Ff().av_packet_unref(packet.get());
        if (!ok) {
            return Failed(AudioError::kDamaged, ErrorWords(decoder.LastError()));
        }
    }
    decoder.Feed(nullptr);
    decoder.Drain();
    if (decoder.Frames() == 0) {
        return Failed(AudioError::kDamaged, decoder.DamagedPackets() > 0
                                                ? ErrorWords(decoder.LastError())
                                                : std::string("no sound decoded"));
    }
    if (const std::optional<std::string> lost = LostSound(*format, stream, timeline)) {
        return Failed(AudioError::kDamaged, *lost);
    }
    if (progress) {
        progress(1.0);
    }
    AudioResult result;
    result.seconds = timeline.EndSeconds();
    return result;
}

std::string AudioErrorText(const AudioResult& result, const AudioOptions& options) {
    const std::string detail = result.detail.empty() ? "" : " (" + result.detail + ")";
    switch (result.error) {
        case AudioError::kNone:
            return "read";
        case AudioError::kUnreadable:
            return "cannot be read as a media file" + detail;
        case AudioError::kNoAudio:
            return "has no audio stream";
        case AudioError::kNoSuchStream:
            return "has no audio stream " + std::to_string(options.audioStream) + " (it has " +
                   result.detail + ", counted from 0)";
        case AudioError::kNoDecoder:
            return "its audio cannot be decoded" + detail;
        case AudioError::kDamaged:
            return "its audio stream is damaged" + detail;
        case AudioError::kStopped:
            return "stopped";
        case AudioError::kNoLibrary:
            return "cannot be read: FFmpeg's libraries are not installed" + detail;
    }
    return "cannot be read";
}

}  // namespace orvane::media
