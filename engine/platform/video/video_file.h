// A video file read in decoding order: its pictures converted to 16-bit
// 5-6-5 at a size of the caller's choice, its sound to 44,100 Hz 16-bit
// stereo. The only place that speaks to the decoding libraries.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace Plat {

// Any file that cannot be played, and any failure while opening one.
class TVideoError : public std::runtime_error {
 public:
  TVideoError() : std::runtime_error("Video error.") {}
};

struct TVideoPicture {
  double Time = 0;  // seconds from the start of the file
  int Width = 0, Height = 0;
  std::vector<std::uint16_t> Pixels;  // rows of Width, 5-6-5
};

struct TVideoSound {
  double Time = 0;
  std::vector<std::int16_t> Samples;  // interleaved left, right
};

enum class TVideoPart { Picture, Sound, End };

class TVideoFile {
 public:
  static constexpr int SoundRate = 44100;
  // Larger pictures are refused rather than decoded.
  static constexpr int MaxSide = 4096;

  // Opens the file and its first picture stream (and its first sound
  // stream, when it has one); raises TVideoError. decoderThreads 0 lets the
  // decoder choose.
  explicit TVideoFile(const std::string& path, int decoderThreads = 0);
  ~TVideoFile();
  TVideoFile(const TVideoFile&) = delete;
  TVideoFile& operator=(const TVideoFile&) = delete;

  int Width() const;
  int Height() const;
  bool HasSound() const;
  // Pictures come at this size from now on; at least 1 by 1.
  void SetOutputSize(int width, int height);
  // On from the key frame at or before the time; false when the file
  // cannot seek (it then goes on from where it was).
  bool Seek(double seconds);
  // Decodes until a picture or a block of sound is ready, or the file
  // ended (a damaged rest of the file ends it too).
  TVideoPart Next();
  // What the last Next gave.
  const TVideoPicture& Picture() const { return LastPicture; }
  const TVideoSound& Sound() const { return LastSound; }

 private:
  struct TState;
  std::unique_ptr<TState> State;
  TVideoPicture LastPicture;
  TVideoSound LastSound;
  bool TakeFrame(bool picture);
};

}  // namespace Plat
