// The MP3 stream over mpg123: format, length, the short read at the end,
// tags, seeking, and damaged tracks.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "engine/astreams/mp3_stream.h"
#include "tests/engine/astreams/stream_helpers.h"
#include "tools/databuilder/mp3_encoder.h"

namespace {

using AudioTest::OpenOn;

constexpr i32 Frames = 44100;

// One second of two tones, left and right.
const std::vector<i16>& Original() {
  static const std::vector<i16> s = [] {
    std::vector<i16> v(2 * Frames);
    for (i32 i = 0; i < Frames; ++i) {
      v[2 * i] = static_cast<i16>(8000 * std::sin(i * 2 * 3.14159265 * 440 / 44100));
      v[2 * i + 1] = static_cast<i16>(6000 * std::sin(i * 2 * 3.14159265 * 660 / 44100));
    }
    return v;
  }();
  return s;
}

const std::string& Track() {
  static const std::string mp3 = Builder::EncodeMP3(Original(), 44100, 2, 192);
  return mp3;
}

std::vector<i16> Decode(TAudioStream& s) {
  std::vector<i16> out, chunk(2 * 1000);
  for (i32 n; (n = s.Read(chunk.data(), 1000)) > 0;) out.insert(out.end(), chunk.begin(), chunk.begin() + 2 * n);
  return out;
}

TEST(MP3Stream, DecodesTheWholeTrackAtItsOwnFormat) {
  TMP3Stream s;
  OpenOn(s, Track());
  EXPECT_EQ(s.Rate, 44100u);
  EXPECT_EQ(s.Channels, 2u);
  EXPECT_EQ(s.Bits, 16u);
  EXPECT_EQ(s.BlockAlign, 4u);
  // The estimate plus one second, so the real end comes as a short read.
  EXPECT_NEAR(s.Length, 2 * Frames, 2000);
  const std::vector<i16> decoded = Decode(s);
  ASSERT_EQ(decoded.size(), Original().size());
  double signal = 0, error = 0;
  for (std::size_t i = 0; i < decoded.size(); ++i) {
    signal += static_cast<double>(Original()[i]) * Original()[i];
    error += std::pow(static_cast<double>(decoded[i]) - Original()[i], 2);
  }
  EXPECT_GT(10 * std::log10(signal / error), 20.0);
  i16 more[4];
  EXPECT_EQ(s.Read(more, 1), 0);
  EXPECT_EQ(s.Position, Frames);
}

TEST(MP3Stream, TagsAreNotPlayed) {
  std::string id3v2 = std::string("ID3\x03\x00\x00\x00\x00\x00\x64", 10) + std::string(100, '\0');
  std::string id3v1 = "TAG" + std::string(125, 'x');
  TMP3Stream plain, tagged;
  OpenOn(plain, Track());
  OpenOn(tagged, id3v2 + Track() + id3v1);
  EXPECT_EQ(Decode(tagged), Decode(plain));
}

TEST(MP3Stream, SeekingResumesNearThePosition) {
  TMP3Stream s;
  OpenOn(s, Track());
  const std::vector<i16> all = Decode(s);
  for (i32 target : {22050, 5000, 30000}) {
    s.Seek(target);
    EXPECT_EQ(s.Position, target);
    std::vector<i16> got(2 * 1000);
    ASSERT_EQ(s.Read(got.data(), 1000), 1000);
    // Within one decoder frame before, up to the three dropped frames after.
    i32 best = -1;
    for (i32 at = std::max(0, target - 1152); at <= target + 4 * 1152 && best < 0; ++at) {
      if (static_cast<std::size_t>(2 * (at + 1000)) > all.size()) break;
      bool same = true;
      for (i32 k = 0; k < 2000 && same; ++k) same = std::abs(got[k] - all[2 * at + k]) <= 2;
      if (same) best = at;
    }
    EXPECT_GE(best, 0) << "frame " << target;
  }
}

// A source whose every read fails.
class TFailingStream : public Data::TMemoryStream {
 public:
  using TMemoryStream::TMemoryStream;
  i32 Read(void*, i32) override { throw Base::EReadError(); }
};

TEST(MP3Stream, DamagedTracks) {
  u32 x = 99;
  std::string noise(65536, '\0');
  for (char& c : noise) {
    x ^= x << 13, x ^= x >> 17, x ^= x << 5;
    c = static_cast<char>(x);
  }
  for (const std::string& bad : {noise, std::string(), std::string(5000, '\0')}) {
    TMP3Stream s;
    auto source = std::make_unique<Data::TMemoryStream>(bad);
    try {
      s.Open(source.get(), afRead, nullptr);
      source.release();
      ADD_FAILURE() << "opened " << bad.size() << " bytes";
    } catch (const EAudioStreamError& e) {
      EXPECT_STREQ(e.what(), "Error opening MP3.");
    }
    EXPECT_EQ(s.Source, nullptr);
  }

  // A track cut in half, or with junk in its middle, plays what it can.
  std::string junk = Track();
  std::memcpy(junk.data() + junk.size() / 2, noise.data(), 3000);
  for (const std::string& hurt : {Track().substr(0, Track().size() / 2), junk}) {
    TMP3Stream s;
    OpenOn(s, hurt);
    const std::size_t n = Decode(s).size() / 2;
    EXPECT_GT(n, 10000u);
    EXPECT_LT(n, 44100u + 1152);
  }

  // The source's own error passes through unchanged.
  TMP3Stream s;
  auto failing = std::make_unique<TFailingStream>(Track());
  EXPECT_THROW(s.Open(failing.get(), afRead, nullptr), Base::EReadError);
  EXPECT_EQ(s.Source, nullptr);
}

}  // namespace
