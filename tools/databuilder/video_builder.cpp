#include "tools/databuilder/video_builder.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <stdexcept>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
}

namespace Builder {

namespace {

constexpr int FramesPerSecond = 25;
constexpr int SoundRate = 44100;
constexpr double Pi = 3.14159265358979323846;

void Check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string("cannot write the test film: ") + what);
}

// What an encoder and its stream need until the end.
struct TTrack {
  AVCodecContext* Codec = nullptr;
  AVStream* Stream = nullptr;
  AVFrame* Frame = nullptr;
  std::int64_t Next = 0;  // the next frame's time in the codec's time base
};

struct TFilm {
  AVFormatContext* Format = nullptr;
  TTrack Video, Sound;
  AVPacket* Packet = nullptr;
  ~TFilm() {
    for (TTrack* t : {&Video, &Sound}) {
      av_frame_free(&t->Frame);
      avcodec_free_context(&t->Codec);
    }
    av_packet_free(&Packet);
    if (Format) {
      if (Format->pb) {
        std::uint8_t* rest = nullptr;
        avio_close_dyn_buf(Format->pb, &rest);
        av_free(rest);
      }
      avformat_free_context(Format);
    }
  }
};

void OpenTrack(TFilm& film, TTrack& t, AVCodecID id, const std::function<void(AVCodecContext*)>& setUp) {
  const AVCodec* codec = avcodec_find_encoder(id);
  Check(codec != nullptr, "no encoder");
  t.Codec = avcodec_alloc_context3(codec);
  Check(t.Codec != nullptr, "no encoder context");
  t.Codec->thread_count = 1;
  t.Codec->flags |= AV_CODEC_FLAG_BITEXACT;
  setUp(t.Codec);
  if (film.Format->oformat->flags & AVFMT_GLOBALHEADER) t.Codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  Check(avcodec_open2(t.Codec, codec, nullptr) >= 0, "encoder refused its settings");
  t.Stream = avformat_new_stream(film.Format, nullptr);
  Check(t.Stream != nullptr, "no stream");
  t.Stream->time_base = t.Codec->time_base;
  Check(avcodec_parameters_from_context(t.Stream->codecpar, t.Codec) >= 0, "stream parameters");
  t.Frame = av_frame_alloc();
  Check(t.Frame != nullptr, "no frame");
}

// Sends a frame (null: the end) and writes every packet the encoder gives.
void Encode(TFilm& film, TTrack& t, AVFrame* frame) {
  Check(avcodec_send_frame(t.Codec, frame) >= 0, "encoding");
  for (;;) {
    const int r = avcodec_receive_packet(t.Codec, film.Packet);
    if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return;
    Check(r >= 0, "encoding");
    av_packet_rescale_ts(film.Packet, t.Codec->time_base, t.Stream->time_base);
    film.Packet->stream_index = t.Stream->index;
    Check(av_interleaved_write_frame(film.Format, film.Packet) >= 0, "writing");
  }
}

// Colour bars that move to the right, and a light square going round.
void DrawPicture(AVFrame* f, int index) {
  const int w = f->width, h = f->height;
  const int sx = w / 2 + static_cast<int>(w / 3 * std::cos(index * 0.15)) - 8;
  const int sy = h / 2 + static_cast<int>(h / 3 * std::sin(index * 0.15)) - 8;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int bar = ((x + index * 4) / (w / 8 > 0 ? w / 8 : 1)) % 8;
      const bool square = x >= sx && x < sx + 16 && y >= sy && y < sy + 16;
      f->data[0][y * f->linesize[0] + x] = static_cast<std::uint8_t>(square ? 235 : 40 + bar * 24);
    }
  for (int y = 0; y < h / 2; ++y)
    for (int x = 0; x < w / 2; ++x) {
      const int bar = ((x * 2 + index * 4) / (w / 8 > 0 ? w / 8 : 1)) % 8;
      f->data[1][y * f->linesize[1] + x] = static_cast<std::uint8_t>(64 + (bar * 37) % 128);
      f->data[2][y * f->linesize[2] + x] = static_cast<std::uint8_t>(64 + (bar * 53) % 128);
    }
}

void FillTone(AVFrame* f, std::int64_t first) {
  auto* out = reinterpret_cast<std::int16_t*>(f->data[0]);
  for (int i = 0; i < f->nb_samples; ++i) {
    const double t = static_cast<double>(first + i) / SoundRate;
    const auto v = static_cast<std::int16_t>(8000 * std::sin(2 * Pi * 440 * t));
    out[i * 2] = v;
    out[i * 2 + 1] = v;
  }
}

}  // namespace

std::string TestFilm(int width, int height, double seconds) {
  Check(width > 0 && height > 0 && width % 2 == 0 && height % 2 == 0 && seconds > 0, "bad size");
  // The encoders' advice on buffer sizes is of no use here.
  if (av_log_get_level() > AV_LOG_ERROR) av_log_set_level(AV_LOG_ERROR);
  TFilm film;
  Check(avformat_alloc_output_context2(&film.Format, nullptr, "mpeg", nullptr) >= 0, "no program stream");
  film.Format->flags |= AVFMT_FLAG_BITEXACT;
  OpenTrack(film, film.Video, AV_CODEC_ID_MPEG1VIDEO, [&](AVCodecContext* c) {
    c->width = width;
    c->height = height;
    c->time_base = {1, FramesPerSecond};
    c->framerate = {FramesPerSecond, 1};
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->bit_rate = 1000000;
    c->gop_size = 12;
    c->max_b_frames = 0;
  });
  OpenTrack(film, film.Sound, AV_CODEC_ID_MP2, [](AVCodecContext* c) {
    c->sample_fmt = AV_SAMPLE_FMT_S16;
    c->sample_rate = SoundRate;
    c->ch_layout = AV_CHANNEL_LAYOUT_STEREO;
    c->bit_rate = 128000;
    c->time_base = {1, SoundRate};
  });
  AVFrame* picture = film.Video.Frame;
  picture->format = AV_PIX_FMT_YUV420P;
  picture->width = width;
  picture->height = height;
  Check(av_frame_get_buffer(picture, 0) >= 0, "picture buffer");
  AVFrame* tone = film.Sound.Frame;
  tone->format = AV_SAMPLE_FMT_S16;
  tone->sample_rate = SoundRate;
  tone->nb_samples = film.Sound.Codec->frame_size;
  Check(av_channel_layout_copy(&tone->ch_layout, &film.Sound.Codec->ch_layout) >= 0, "sound layout");
  Check(av_frame_get_buffer(tone, 0) >= 0, "sound buffer");
  film.Packet = av_packet_alloc();
  Check(film.Packet != nullptr, "no packet");
  Check(avio_open_dyn_buf(&film.Format->pb) >= 0, "no memory");
  Check(avformat_write_header(film.Format, nullptr) >= 0, "header");
  const auto pictures = static_cast<std::int64_t>(seconds * FramesPerSecond);
  const auto samples = static_cast<std::int64_t>(seconds * SoundRate);
  // Interleaved by time, the earlier track first.
  while (film.Video.Next < pictures || film.Sound.Next < samples) {
    const bool video = film.Sound.Next >= samples ||
                       (film.Video.Next < pictures &&
                        film.Video.Next * SoundRate <= film.Sound.Next * FramesPerSecond);
    TTrack& t = video ? film.Video : film.Sound;
    Check(av_frame_make_writable(t.Frame) >= 0, "frame");
    if (video)
      DrawPicture(t.Frame, static_cast<int>(t.Next));
    else
      FillTone(t.Frame, t.Next);
    t.Frame->pts = t.Next;
    t.Next += video ? 1 : t.Frame->nb_samples;
    Encode(film, t, t.Frame);
  }
  Encode(film, film.Video, nullptr);
  Encode(film, film.Sound, nullptr);
  Check(av_write_trailer(film.Format) >= 0, "trailer");
  std::uint8_t* bytes = nullptr;
  const int size = avio_close_dyn_buf(film.Format->pb, &bytes);
  film.Format->pb = nullptr;
  std::string result(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(size > 0 ? size : 0));
  av_free(bytes);
  return result;
}

}  // namespace Builder
