#include "tools/databuilder/mp3_encoder.h"

#include <lame/lame.h>

#include <memory>
#include <stdexcept>

namespace Builder {

std::string EncodeMP3(const std::vector<i16>& samples, int rate, int channels, int kilobitsPerSecond) {
  std::unique_ptr<lame_global_flags, int (*)(lame_global_flags*)> lame(lame_init(), lame_close);
  if (!lame) throw std::runtime_error("MP3 encoder could not start.");
  lame_set_num_channels(lame.get(), channels);
  lame_set_in_samplerate(lame.get(), rate);
  lame_set_out_samplerate(lame.get(), rate);
  lame_set_mode(lame.get(), channels == 1 ? MONO : JOINT_STEREO);
  lame_set_brate(lame.get(), kilobitsPerSecond);
  lame_set_quality(lame.get(), 7);
  if (lame_init_params(lame.get()) < 0) throw std::runtime_error("MP3 encoder refused its settings.");

  const int frames = static_cast<int>(samples.size()) / channels;
  std::vector<unsigned char> out(static_cast<std::size_t>(frames) * 5 / 4 + 7200);
  // Interleaved input is taken as stereo; mono goes in as one channel.
  int n = channels == 2 ? lame_encode_buffer_interleaved(lame.get(), const_cast<short*>(samples.data()), frames,
                                                         out.data(), static_cast<int>(out.size()))
                        : lame_encode_buffer(lame.get(), samples.data(), samples.data(), frames, out.data(),
                                             static_cast<int>(out.size()));
  if (n < 0) throw std::runtime_error("MP3 encoding failed.");
  const int tail = lame_encode_flush(lame.get(), out.data() + n, static_cast<int>(out.size()) - n);
  if (tail < 0) throw std::runtime_error("MP3 encoding failed.");
  std::string mp3(reinterpret_cast<const char*>(out.data()), static_cast<std::size_t>(n + tail));
  // The information tag (frame count, delays) is known only now; it replaces
  // the placeholder frame at the front.
  unsigned char tag[2880];
  const std::size_t tagBytes = lame_get_lametag_frame(lame.get(), tag, sizeof tag);
  if (tagBytes > 0 && tagBytes <= sizeof tag && tagBytes <= mp3.size())
    mp3.replace(0, tagBytes, reinterpret_cast<const char*>(tag), tagBytes);
  return mp3;
}

}  // namespace Builder
