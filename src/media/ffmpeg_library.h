// SPDX-License-Identifier: GPL-3.0-or-later
// FFmpeg's libraries, opened the first time a run reads sound: linked, they
// and the hundred libraries they pull in cost every start of orvane-shift
// some 75 ms, though few runs decode anything.
#pragma once

#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
}

namespace orvane::media {

// Every FFmpeg function the sound reader calls.
#define ORVANE_FFMPEG_FUNCTIONS(X)   \
    X(av_channel_layout_compare)     \
    X(av_channel_layout_copy)        \
    X(av_channel_layout_default)     \
    X(av_channel_layout_uninit)      \
    X(av_dict_get)                   \
    X(av_frame_alloc)                \
    X(av_frame_free)                 \
    X(av_frame_unref)                \
    X(av_log_set_level)              \
    X(av_packet_alloc)               \
    X(av_packet_free)                \
    X(av_packet_unref)               \
    X(av_read_frame)                 \
    X(av_strerror)                   \
    X(avcodec_alloc_context3)        \
    X(avcodec_find_decoder)          \
    X(avcodec_free_context)          \
    X(avcodec_get_name)              \
    X(avcodec_open2)                 \
    X(avcodec_parameters_to_context) \
    X(avcodec_receive_frame)         \
    X(avcodec_send_packet)           \
    X(avformat_close_input)          \
    X(avformat_find_stream_info)     \
    X(avformat_open_input)           \
    X(swr_alloc_set_opts2)           \
    X(swr_convert)                   \
    X(swr_free)                      \
    X(swr_get_delay)                 \
    X(swr_get_out_samples)           \
    X(swr_init)

struct FfmpegFunctions {
// A member per function, named as the function (no room for parentheses).
#define ORVANE_FFMPEG_POINTER(name) decltype(&::name) name = nullptr;  // NOLINT
    ORVANE_FFMPEG_FUNCTIONS(ORVANE_FFMPEG_POINTER)
#undef ORVANE_FFMPEG_POINTER
};

// The functions, loaded once; nullptr, with `missing` naming the library or
// function that could not be found, when the libraries are not installed
// (or not the versions the program was built with).
const FfmpegFunctions* LoadFfmpeg(std::string& missing);

}  // namespace orvane::media
