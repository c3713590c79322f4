// WAV streams: written and read back, the chunk walk, the end of the data,
// and damaged files.
#include <gtest/gtest.h>

#include <string_view>

#include "engine/astreams/wav_stream.h"
#include "tests/engine/astreams/stream_helpers.h"
#include "tools/databuilder/sound_builder.h"

namespace {

using namespace std::string_view_literals;
using AudioTest::OpenOn;
using AudioTest::ReadAll;

void Put16(std::string& s, u16 v) { s += {static_cast<char>(v), static_cast<char>(v >> 8)}; }
void Put32(std::string& s, u32 v) {
  Put16(s, static_cast<u16>(v));
  Put16(s, static_cast<u16>(v >> 16));
}

// A RIFF file by hand: a format chunk of fmtSize bytes, the chunks between,
// then the data.
std::string Riff(u16 tag, u16 channels, u32 rate, u16 bits, u32 fmtSize, const std::string& between,
                 const std::string& data) {
  std::string body = "WAVEfmt ";
  Put32(body, fmtSize);
  Put16(body, tag);
  Put16(body, channels);
  Put32(body, rate);
  Put32(body, rate * channels * bits / 8);
  Put16(body, static_cast<u16>(channels * bits / 8));
  Put16(body, bits);
  body.append(fmtSize - 16, '\0');
  body += between + "data";
  Put32(body, static_cast<u32>(data.size()));
  body += data;
  std::string file = "RIFF";
  Put32(file, static_cast<u32>(body.size()));
  return file + body;
}

TEST(WAVStream, WritesTheHeaderAndReadsBack) {
  const TAudioFormat f{22050, 16, 2, 4};
  const std::vector<i16> s = AudioTest::Signal(500, 2);
  const std::string file = Builder::WriteWav(f, s.data(), 500);
  ASSERT_EQ(file.size(), 44u + 2000);
  EXPECT_EQ(file.substr(0, 4), "RIFF");
  EXPECT_EQ(file.substr(36, 4), "data");
  TWAVStream w;
  OpenOn(w, file);
  EXPECT_EQ(w.Rate, 22050u);
  EXPECT_EQ(w.Channels, 2u);
  EXPECT_EQ(w.Length, 500);
  EXPECT_EQ(w.DataStart, 44u);
  const std::vector<u8> bytes = ReadAll(w, 123);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), file.substr(44));
}

TEST(WAVStream, NothingWrittenGivesAnEmptyFile) {
  const std::string file = Builder::WriteWav({8000, 8, 1, 1}, nullptr, 0);
  ASSERT_EQ(file.size(), 44u);
  EXPECT_EQ(static_cast<u8>(file[4]), 36);
  EXPECT_EQ(file.substr(40), std::string(4, '\0'));
}

TEST(WAVStream, SkipsChunksUpToTheDataAndDropsAPartialFrame) {
  std::string list = "LIST";
  Put32(list, 5);
  list += "abcde";
  list += '\0';  // pad byte of the odd chunk
  for (u32 fmtSize : {16u, 18u}) {
    TWAVStream w;
    OpenOn(w, Riff(1, 2, 11025, 8, fmtSize, list, "\x80\x81\x82\x83\x84"));
    EXPECT_EQ(w.Length, 2) << fmtSize;
    const std::vector<u8> bytes = ReadAll(w);
    EXPECT_EQ(bytes, (std::vector<u8>{0x80, 0x81, 0x82, 0x83}));
  }
}

TEST(WAVStream, ReadingPastTheEndFailsAndStaysPut) {
  TWAVStream w;
  OpenOn(w, Riff(1, 1, 8000, 16, 16, "", std::string(20, '\x01')));
  u8 buffer[40];
  EXPECT_EQ(w.Read(buffer, 10), 10);
  w.Seek(4);
  try {
    w.Read(buffer, 7);
    FAIL();
  } catch (const EAudioStreamError& e) {
    EXPECT_STREQ(e.what(), "Reading past end of stream.");
  }
  EXPECT_EQ(w.Position, 4);
  EXPECT_EQ(w.Read(buffer, 6), 6);
}

TEST(WAVStream, DamagedFilesGiveClearErrors) {
  const std::string good = Riff(1, 2, 22050, 16, 16, "", std::string(40, '\0'));
  auto with = [&](std::size_t at, std::string_view bytes) {
    std::string f = good;
    f.replace(at, bytes.size(), bytes);
    return f;
  };
  std::string tooBig = good;
  tooBig[40] = static_cast<char>(41);  // data size past the end
  std::string negative = with(40, "\x00\x00\x00\x80"sv);
  struct TCase {
    const char* What;
    std::string File;
    const char* Message;
  };
  const TCase cases[] = {
      {"RIFF tag", with(0, "RIFX"sv), "Invalid WAV file."},
      {"RIFF size", with(4, "\xFF\x00\x00\x00"sv), "Invalid WAV file."},
      {"WAVE tag", with(8, "WAVF"sv), "Invalid WAV file."},
      {"fmt tag", with(12, "fmx "sv), "Invalid WAV file."},
      {"compressed", with(20, "\x02\x00"sv), "Compressed WAV files are not supported."},
      {"channels", with(22, "\x03\x00"sv), "Invalid WAV file."},
      {"rate 0", with(24, std::string(4, '\0')), "Invalid WAV file."},
      {"rate too high", with(24, "\x81\x77\x01\x00"sv), "Invalid WAV file."},
      {"bits", with(34, "\x0C\x00"sv), "Invalid WAV file."},
      {"data past the end", tooBig, "Invalid WAV file."},
      {"negative data size", negative, "Invalid WAV file."},
      {"no data chunk", with(36, "junk"sv), "Stream read error."},
      {"cut short", good.substr(0, 6), "Stream read error."},
  };
  for (const TCase& c : cases) {
    TWAVStream w;
    auto source = std::make_unique<Data::TMemoryStream>(c.File);
    try {
      w.Open(source.get(), afRead, nullptr);
      source.release();
      ADD_FAILURE() << c.What << ": opened";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), c.Message) << c.What;
    }
    EXPECT_EQ(w.Source, nullptr) << c.What;
  }
}

TEST(AudioStream, MillisecondsAndSamplesRoundHalvesAwayFromZero) {
  EXPECT_EQ(MillisecondsToSamples(500, 44100), 22050);
  EXPECT_EQ(MillisecondsToSamples(1, 44100), 44);
  EXPECT_EQ(MillisecondsToSamples(1, 22050), 22);  // 22.05
  EXPECT_EQ(MillisecondsToSamples(1, 44500), 45);  // 44.5 rounds up
  EXPECT_EQ(MillisecondsToSamples(-1, 44500), -45);
  EXPECT_EQ(SamplesToMilliseconds(22050, 44100), 500);
  EXPECT_EQ(SamplesToMilliseconds(1, 2000), 1);  // 0.5
  EXPECT_EQ(MillisecondsToSamples(100000000, 96000), -1);  // beyond 32 bits
}

}  // namespace
