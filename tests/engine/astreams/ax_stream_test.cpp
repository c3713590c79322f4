// AUDX streams: PCM and IMA ADPCM written and read back, the buffer window,
// seeking through the seek table, shared state, and damaged files.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/astreams/ax_stream.h"
#include "engine/astreams/ima_adpcm.h"
#include "tests/engine/astreams/stream_helpers.h"
#include "tools/databuilder/sound_builder.h"

namespace {

using AudioTest::OpenOn;
using AudioTest::ReadAll;
using AudioTest::Signal;

const TAudioFormat Mono16{22050, 16, 1, 2};
const TAudioFormat Stereo16{44100, 16, 2, 4};

std::string AX(const TAudioFormat& f, const std::vector<i16>& s, bool adpcm) {
  return Builder::WriteAX(f, s.data(), static_cast<i32>(s.size() / f.Channels), adpcm);
}

// What the decoder makes of a whole ADPCM file, straight from its data bytes.
std::vector<i16> Reference(const std::string& file, const TAudioFormat& f, i32 frames) {
  std::vector<i16> out(static_cast<std::size_t>(frames) * f.Channels);
  const u8* data = reinterpret_cast<const u8*>(file.data()) + TAXHeader::StreamSize;
  i32 pl = 0, il = 0, pr = 0, ir = 0;
  if (f.Channels == 1)
    ImaDecodeMono(out.data(), data, frames, false, pl, il);
  else
    ImaDecodeStereo(out.data(), data, frames, pl, il, pr, ir);
  return out;
}

std::vector<i16> AsSamples(const std::vector<u8>& bytes) {
  std::vector<i16> s(bytes.size() / 2);
  std::memcpy(s.data(), bytes.data(), s.size() * 2);
  return s;
}

TEST(AXStream, PcmReadsBackExactly) {
  for (const TAudioFormat f : {TAudioFormat{11025, 8, 1, 1}, TAudioFormat{22050, 8, 2, 2}, Mono16, Stereo16}) {
    SCOPED_TRACE(testing::Message() << f.Bits << " bits, " << f.Channels << " channels");
    std::vector<u8> bytes(3000 * f.Bits / 8 * f.Channels);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<u8>(i * 7 + i / 13);
    const std::string file = Builder::WriteAX(f, bytes.data(), 3000, false);
    EXPECT_EQ(file.size(), TAXHeader::StreamSize + bytes.size());
    TAXStream s;
    OpenOn(s, file);
    EXPECT_EQ(s.Length, 3000);
    EXPECT_EQ(s.Rate, f.Rate);
    EXPECT_EQ(ReadAll(s, 777), bytes);
  }
}

TEST(AXStream, AdpcmStreamsLikeTheWholeDecodeAndSeeksThroughTheTable) {
  struct TCase {
    TAudioFormat Format;
    i32 Frames;
  };
  for (const TCase& c : {TCase{Mono16, 140001}, TCase{Stereo16, 70000}}) {
    SCOPED_TRACE(testing::Message() << c.Format.Channels << " channels");
    const std::string file = AX(c.Format, Signal(c.Frames, c.Format.Channels), true);
    const std::vector<i16> expected = Reference(file, c.Format, c.Frames);
    for (u32 flags : {u32{afRead}, u32{afRead | afLoadWhole}, u32{afRead | afNoSeekTable}}) {
      TAXStream s;
      OpenOn(s, file, flags);
      EXPECT_EQ(AsSamples(ReadAll(s, 3001)), expected);
      // Forward across an entry, back to the start, and from between.
      for (i32 target : {AXSeekInterval + 10, 10, AXSeekInterval + 5, AXSeekInterval + 10, c.Frames - 3}) {
        s.Seek(target);
        ASSERT_EQ(s.Position, target);
        std::vector<i16> got(3 * c.Format.Channels);
        s.Read(got.data(), 3);
        const std::vector<i16> want(expected.begin() + static_cast<std::ptrdiff_t>(target) * c.Format.Channels,
                                    expected.begin() + static_cast<std::ptrdiff_t>(target + 3) * c.Format.Channels);
        EXPECT_EQ(got, want) << "frame " << target << " flags " << flags;
      }
    }
  }
}

TEST(AXStream, WritingStoresOneSeekEntryMoreAtAWholeInterval) {
  const std::string file = AX(Mono16, Signal(AXSeekInterval, 1), true);
  EXPECT_EQ(file.size(), TAXHeader::StreamSize + AXSeekInterval / 2 + 2 * TAXSeekEntry::StreamSize);
  TAXStream s;
  OpenOn(s, file);
  EXPECT_EQ(s.SeekTableCount, 1);
  s.Seek(s.Length);
  EXPECT_EQ(s.Position, s.Length);
  i16 sample;
  EXPECT_THROW(s.Read(&sample, 1), EAudioStreamError);
  EXPECT_EQ(s.Position, s.Length);
}

TEST(AXStream, EmptyAndOddStreams) {
  TAXStream empty;
  OpenOn(empty, AX(Mono16, {}, true));
  EXPECT_EQ(empty.Length, 0);
  EXPECT_TRUE(empty.OpenFlags & afLoadWhole);
  EXPECT_EQ(empty.SeekTableCount, 0);
  EXPECT_EQ(empty.Read(nullptr, 0), 0);
  i16 sample;
  EXPECT_THROW(empty.Read(&sample, 1), EAudioStreamError);

  // Five mono samples: three data bytes, the last high nibble left 0.
  const std::vector<i16> five = {100, -200, 300, -400, 500};
  const std::string file = AX(Mono16, five, true);
  TAXHeader h;
  Data::TMemoryStream ms(file);
  h.Read(ms);
  EXPECT_EQ(h.DataBytes, 3u);
  EXPECT_EQ(static_cast<u8>(file[TAXHeader::StreamSize + 2]) >> 4, 0);
  TAXStream s;
  OpenOn(s, file);
  EXPECT_EQ(AsSamples(ReadAll(s)), Reference(file, Mono16, 5));
}

TEST(AXStream, ShortStreamsAreHeldWhole) {
  struct TCase {
    TAudioFormat Format;
    bool Adpcm;
    i32 Frames;
    bool Whole;
  };
  const TCase cases[] = {
      {Stereo16, false, 1023, true}, {Stereo16, false, 1024, false}, {Mono16, false, 2047, true},
      {Mono16, false, 2048, false},  {Mono16, true, 8191, true},     {Mono16, true, 8192, false},
  };
  for (const TCase& c : cases) {
    TAXStream s;
    OpenOn(s, AX(c.Format, Signal(c.Frames, c.Format.Channels), c.Adpcm));
    EXPECT_EQ((s.OpenFlags & afLoadWhole) != 0, c.Whole) << c.Frames << (c.Adpcm ? " adpcm" : " pcm");
    EXPECT_EQ(s.Source == nullptr, c.Whole);
  }
}

// Counts the reads that reach the source.
class TCountingStream : public Data::TMemoryStream {
 public:
  TCountingStream(const std::string& bytes, int& reads) : TMemoryStream(bytes), Reads(reads) {}
  i32 Read(void* buffer, i32 count) override {
    ++Reads;
    return TMemoryStream::Read(buffer, count);
  }

 private:
  int& Reads;
};

TEST(AXStream, SeekingInsideTheWindowReadsNothing) {
  const std::string file = AX(Mono16, Signal(70000, 1), true);
  int reads = 0;
  TAXStream s;
  s.Open(new TCountingStream(file, reads), afRead, nullptr);
  std::vector<i16> buffer(65540);
  s.Read(buffer.data(), 65540);  // the window now starts at frame 65536
  const int before = reads;
  s.Seek(AXSeekInterval + 10);
  s.Seek(AXSeekInterval + 2);
  EXPECT_EQ(reads, before);
  s.Seek(10);
  EXPECT_GT(reads, before);
}

TEST(AXStream, SavedStatesLetTwoPlayersShareOneStream) {
  const std::string file = AX(Stereo16, Signal(3000, 2), true);
  TAXStream s;
  OpenOn(s, file, afRead | afLoadWhole);
  const std::vector<i16> expected = Reference(file, Stereo16, 3000);
  TAudioStreamState a, b;
  s.SaveState(&a);
  s.Seek(1000);
  s.SaveState(&b);
  std::vector<i16> fromA, fromB, chunk(2 * 100);
  for (int round = 0; round < 5; ++round) {
    s.RestoreState(&a);
    s.Read(chunk.data(), 100);
    s.SaveState(&a);
    fromA.insert(fromA.end(), chunk.begin(), chunk.end());
    s.RestoreState(&b);
    s.Read(chunk.data(), 100);
    s.SaveState(&b);
    fromB.insert(fromB.end(), chunk.begin(), chunk.end());
  }
  EXPECT_EQ(fromA, std::vector<i16>(expected.begin(), expected.begin() + 1000));
  EXPECT_EQ(fromB, std::vector<i16>(expected.begin() + 2000, expected.begin() + 3000));
}

TEST(AXStream, OnlySixteenBitsEncode) {
  TAXStream s;
  const TAudioFormat eight{22050, 8, 1, 1};
  auto sink = std::make_unique<Data::TMemoryStream>();
  try {
    s.Open(sink.get(), afWrite | afStoreADPCM, &eight);
    FAIL();
  } catch (const EAudioStreamError& e) {
    EXPECT_STREQ(e.what(), "Only 16-bit wave can be encoded.");
  }
}

TEST(AXStream, DamagedFilesGiveClearErrors) {
  const std::string adpcm = AX(Mono16, Signal(70000, 1), true);
  const std::string pcm = AX(Mono16, Signal(100, 1), false);
  auto put32 = [](std::string f, std::size_t at, u32 v) {
    const char bytes[4] = {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                           static_cast<char>(v >> 24)};
    f.replace(at, 4, bytes, 4);
    return f;
  };
  const std::size_t dataEnd = TAXHeader::StreamSize + 35000;
  struct TCase {
    const char* What;
    std::string File;
    const char* Message;
  };
  std::string badIndex = adpcm;
  badIndex[dataEnd + 8 + 2] = 89;  // the second entry's left step index
  const TCase cases[] = {
      {"tag", put32(adpcm, 0, 0x59445541), "Invalid AX file."},
      {"type", put32(adpcm, 4, 3), "Invalid AX file."},
      {"rate 0", put32(adpcm, 8, 0), "Invalid AX file."},
      {"rate too high", put32(adpcm, 8, 96001), "Invalid AX file."},
      {"channels", put32(pcm, 12, 3), "Invalid AX file."},
      {"bits", put32(pcm, 16, 12), "Invalid AX file."},
      {"ADPCM of 8 bits", put32(adpcm, 16, 8), "Invalid AX file."},
      {"negative samples", put32(adpcm, 20, 0xFFFFFFFF), "Invalid AX file."},
      {"data size", put32(pcm, 24, 201), "Invalid AX file."},
      {"samples past the data", put32(adpcm, 20, 90000), "Invalid AX file."},
      // The seek-table count near 2^31 samples must not overflow (a 1 GiB claim in a small file).
      {"samples near 2^31", put32(put32(adpcm, 20, 0x7FFFFFFF), 24, 0x40000000), "Invalid AX file."},
      {"data cut short", adpcm.substr(0, dataEnd - 1), "Invalid AX file."},
      {"seek table cut short", adpcm.substr(0, adpcm.size() - 1), "Invalid AX file."},
      {"seek table index", badIndex, "Invalid AX file."},
      {"header cut short", adpcm.substr(0, 40), "Stream read error."},
  };
  for (const TCase& c : cases) {
    TAXStream s;
    auto source = std::make_unique<Data::TMemoryStream>(c.File);
    try {
      s.Open(source.get(), afRead, nullptr);
      source.release();
      ADD_FAILURE() << c.What << ": opened";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), c.Message) << c.What;
    }
    // The source is still the caller's.
    EXPECT_EQ(s.Source, nullptr) << c.What;
  }
}

}  // namespace
