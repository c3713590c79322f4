#include "engine/platform/video/video_file.h"

#include <mutex>

#include "engine/platform/system/files.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace Plat {

namespace {

// A damaged file is skipped without a word: the libraries stay silent.
void QuietLibraries() {
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

AVCodecContext* OpenDecoder(AVStream* stream, int threads) {
  const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
  if (!codec) return nullptr;
  AVCodecContext* c = avcodec_alloc_context3(codec);
  if (!c) return nullptr;
  c->thread_count = threads;
  if (avcodec_parameters_to_context(c, stream->codecpar) < 0 || avcodec_open2(c, codec, nullptr) < 0) {
    avcodec_free_context(&c);
    return nullptr;
  }
  return c;
}

}  // namespace

struct TVideoFile::TState {
  AVFormatContext* Format = nullptr;
  AVCodecContext* Video = nullptr;
  AVCodecContext* Sound = nullptr;
  int VideoIndex = -1, SoundIndex = -1;
  SwsContext* Scaler = nullptr;
  SwrContext* Resampler = nullptr;
  // What the resampler was made for; a stream may change it midway.
  int ResamplerRate = 0, ResamplerFormat = -1, ResamplerChannels = 0;
  AVPacket* Packet = nullptr;
  AVFrame* Frame = nullptr;
  int OutWidth = 1, OutHeight = 1;
  bool InputEnded = false, VideoDrained = false, SoundDrained = false;
  double NextPictureTime = 0, NextSoundTime = 0;

  ~TState() {
    sws_freeContext(Scaler);
    swr_free(&Resampler);
    av_frame_free(&Frame);
    av_packet_free(&Packet);
    avcodec_free_context(&Video);
    avcodec_free_context(&Sound);
    avformat_close_input(&Format);
  }

  // Seconds of a frame's time stamp from the start of the file; -1 when it has none.
  double Seconds(int stream, std::int64_t stamp) const {
    if (stamp == AV_NOPTS_VALUE) return -1;
    const AVStream* s = Format->streams[stream];
    double t = static_cast<double>(stamp) * av_q2d(s->time_base);
    if (s->start_time != AV_NOPTS_VALUE) t -= static_cast<double>(s->start_time) * av_q2d(s->time_base);
    return t;
  }
};

TVideoFile::TVideoFile(const std::string& path, int decoderThreads) : State(std::make_unique<TState>()) {
  QuietLibraries();
  TState& s = *State;
  const std::string native = NativePath(path);
  if (avformat_open_input(&s.Format, native.c_str(), nullptr, nullptr) < 0) throw TVideoError();
  if (avformat_find_stream_info(s.Format, nullptr) < 0) throw TVideoError();
  s.VideoIndex = av_find_best_stream(s.Format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (s.VideoIndex < 0) throw TVideoError();
  s.Video = OpenDecoder(s.Format->streams[s.VideoIndex], decoderThreads);
  if (!s.Video || s.Video->width <= 0 || s.Video->height <= 0 || s.Video->width > MaxSide ||
      s.Video->height > MaxSide)
    throw TVideoError();
  s.SoundIndex = av_find_best_stream(s.Format, AVMEDIA_TYPE_AUDIO, -1, s.VideoIndex, nullptr, 0);
  // A film whose sound cannot be decoded plays silent.
  if (s.SoundIndex >= 0) s.Sound = OpenDecoder(s.Format->streams[s.SoundIndex], 1);
  if (!s.Sound) s.SoundIndex = -1;
  s.Packet = av_packet_alloc();
  s.Frame = av_frame_alloc();
  if (!s.Packet || !s.Frame) throw TVideoError();
  s.SoundDrained = !s.Sound;
  SetOutputSize(s.Video->width, s.Video->height);
}

TVideoFile::~TVideoFile() = default;

int TVideoFile::Width() const { return State->Video->width; }
int TVideoFile::Height() const { return State->Video->height; }
bool TVideoFile::HasSound() const { return State->Sound != nullptr; }

void TVideoFile::SetOutputSize(int width, int height) {
  State->OutWidth = width < 1 ? 1 : width > MaxSide ? MaxSide : width;
  State->OutHeight = height < 1 ? 1 : height > MaxSide ? MaxSide : height;
}

bool TVideoFile::Seek(double seconds) {
  TState& s = *State;
  const AVStream* stream = s.Format->streams[s.VideoIndex];
  std::int64_t target = static_cast<std::int64_t>(seconds / av_q2d(stream->time_base));
  if (stream->start_time != AV_NOPTS_VALUE) target += stream->start_time;
  if (av_seek_frame(s.Format, s.VideoIndex, target, AVSEEK_FLAG_BACKWARD) < 0) return false;
  avcodec_flush_buffers(s.Video);
  if (s.Sound) avcodec_flush_buffers(s.Sound);
  if (s.Resampler) swr_init(s.Resampler);
  s.InputEnded = false;
  s.VideoDrained = false;
  s.SoundDrained = !s.Sound;
  return true;
}

// Converts the frame just received; false when it cannot be shown.
bool TVideoFile::TakeFrame(bool picture) {
  TState& s = *State;
  AVFrame* f = s.Frame;
  if (picture) {
    if (f->width <= 0 || f->height <= 0 || f->width > MaxSide || f->height > MaxSide) return false;
    s.Scaler = sws_getCachedContext(s.Scaler, f->width, f->height, static_cast<AVPixelFormat>(f->format),
                                    s.OutWidth, s.OutHeight, AV_PIX_FMT_RGB565LE, SWS_BILINEAR, nullptr, nullptr,
                                    nullptr);
    if (!s.Scaler) return false;
    LastPicture.Width = s.OutWidth;
    LastPicture.Height = s.OutHeight;
    LastPicture.Pixels.resize(static_cast<std::size_t>(s.OutWidth) * static_cast<std::size_t>(s.OutHeight));
    std::uint8_t* planes[4] = {reinterpret_cast<std::uint8_t*>(LastPicture.Pixels.data()), nullptr, nullptr, nullptr};
    int strides[4] = {s.OutWidth * 2, 0, 0, 0};
    if (sws_scale(s.Scaler, f->data, f->linesize, 0, f->height, planes, strides) <= 0) return false;
    const double t = s.Seconds(s.VideoIndex, f->best_effort_timestamp);
    LastPicture.Time = t >= 0 ? t : s.NextPictureTime;
    const AVRational rate = s.Format->streams[s.VideoIndex]->avg_frame_rate;
    s.NextPictureTime = LastPicture.Time + (rate.num > 0 && rate.den > 0 ? av_q2d(av_inv_q(rate)) : 0.04);
    return true;
  }
  const int channels = f->ch_layout.nb_channels;
  if (f->sample_rate <= 0 || channels <= 0 || channels > 64 || f->nb_samples <= 0) return false;
  if (!s.Resampler || s.ResamplerRate != f->sample_rate || s.ResamplerFormat != f->format ||
      s.ResamplerChannels != channels) {
    swr_free(&s.Resampler);
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    AVChannelLayout in{};
    if (f->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
      av_channel_layout_default(&in, channels);
    else if (av_channel_layout_copy(&in, &f->ch_layout) < 0)
      return false;
    const int made = swr_alloc_set_opts2(&s.Resampler, &stereo, AV_SAMPLE_FMT_S16, SoundRate, &in,
                                         static_cast<AVSampleFormat>(f->format), f->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&in);
    if (made < 0 || swr_init(s.Resampler) < 0) {
      swr_free(&s.Resampler);
      return false;
    }
    s.ResamplerRate = f->sample_rate;
    s.ResamplerFormat = f->format;
    s.ResamplerChannels = channels;
  }
  const int room = swr_get_out_samples(s.Resampler, f->nb_samples);
  if (room <= 0) return false;
  LastSound.Samples.resize(static_cast<std::size_t>(room) * 2);
  std::uint8_t* out[1] = {reinterpret_cast<std::uint8_t*>(LastSound.Samples.data())};
  const int got = swr_convert(s.Resampler, out, room, const_cast<const std::uint8_t**>(f->extended_data), f->nb_samples);
  if (got <= 0) return false;
  LastSound.Samples.resize(static_cast<std::size_t>(got) * 2);
  const double t = s.Seconds(s.SoundIndex, f->best_effort_timestamp);
  LastSound.Time = t >= 0 ? t : s.NextSoundTime;
  s.NextSoundTime = LastSound.Time + static_cast<double>(got) / SoundRate;
  return true;
}

TVideoPart TVideoFile::Next() {
  TState& s = *State;
  for (;;) {
    bool progress = false;
    // Frames the decoders already hold come first.
    for (const bool picture : {true, false}) {
      AVCodecContext* c = picture ? s.Video : s.Sound;
      bool& drained = picture ? s.VideoDrained : s.SoundDrained;
      while (c && !drained) {
        const int r = avcodec_receive_frame(c, s.Frame);
        if (r == AVERROR(EAGAIN)) break;
        if (r < 0) {
          drained = true;
          break;
        }
        progress = true;
        const bool usable = TakeFrame(picture);
        av_frame_unref(s.Frame);
        if (usable) return picture ? TVideoPart::Picture : TVideoPart::Sound;
      }
    }
    if (s.InputEnded) {
      if ((s.VideoDrained && s.SoundDrained) || !progress) return TVideoPart::End;
      continue;
    }
    if (av_read_frame(s.Format, s.Packet) < 0) {
      // Flushing lets the decoders give what they still hold.
      s.InputEnded = true;
      avcodec_send_packet(s.Video, nullptr);
      if (s.Sound) avcodec_send_packet(s.Sound, nullptr);
      continue;
    }
    if (s.Packet->stream_index == s.VideoIndex)
      avcodec_send_packet(s.Video, s.Packet);
    else if (s.Packet->stream_index == s.SoundIndex)
      avcodec_send_packet(s.Sound, s.Packet);
    av_packet_unref(s.Packet);
  }
}

}  // namespace Plat
