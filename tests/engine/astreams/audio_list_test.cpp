// Audio archives: look-up by ID, streaming and preloading, windows on an
// enciphered archive file, and damaged archives.
#include <gtest/gtest.h>

#include <memory>
#include <string_view>

#include "engine/astreams/audio_list.h"
#include "engine/astreams/ax_stream.h"
#include "engine/astreams/mp3_stream.h"
#include "engine/data/archive.h"
#include "tests/engine/astreams/stream_helpers.h"
#include "tests/support/temp_dir.h"
#include "tools/databuilder/archive_builder.h"
#include "tools/databuilder/mp3_encoder.h"
#include "tools/databuilder/sound_builder.h"

namespace {

using namespace std::string_view_literals;

const TAudioFormat Mono16{22050, 16, 1, 2};

std::string Sound(i32 frames, bool adpcm = false) {
  const auto s = AudioTest::Signal(frames, 1);
  return Builder::WriteAX(Mono16, s.data(), frames, adpcm);
}

const std::string& ShortMP3() {
  static const std::string mp3 = Builder::EncodeMP3(AudioTest::Signal(22050, 2), 44100, 2, 96);
  return mp3;
}

// IDs 3, 5 (twice: 100 frames first, then 200), 7 (MP3) and 9 (ADPCM).
std::string Archive() {
  Builder::TAudioListBuilder b;
  b.Add(9, AudioEntryAX, Sound(300, true));
  b.Add(5, AudioEntryAX, Sound(100));
  b.Add(3, AudioEntryAX, Sound(50));
  b.Add(5, AudioEntryAX, Sound(200));
  b.Add(7, AudioEntryMP3, ShortMP3());
  return b.Bytes();
}

void OpenList(TAudioList& list, const std::string& bytes, bool preload) {
  list.Open(new Data::TMemoryStream(bytes), preload);
}

TEST(AudioList, FindsByIDTheFirstOfEqualOnes) {
  for (bool preload : {false, true}) {
    TAudioList list;
    OpenList(list, Archive(), preload);
    ASSERT_EQ(list.Entries.Count(), 5);
    EXPECT_EQ(list.FindStream(0), nullptr);
    EXPECT_EQ(list.FindStream(4), nullptr);
    EXPECT_EQ(list.FindStream(10), nullptr);
    std::unique_ptr<TAudioStream> owned;
    auto find = [&](u32 id) {
      TAudioStream* s = list.FindStream(id);
      if (!preload) owned.reset(s);
      return s;
    };
    EXPECT_EQ(find(5)->Length, 100);
    EXPECT_EQ(find(3)->Length, 50);
    EXPECT_NE(dynamic_cast<TMP3Stream*>(find(7)), nullptr);
    EXPECT_NE(dynamic_cast<TAXStream*>(find(9)), nullptr);
  }
}

TEST(AudioList, StreamingGivesNewStreamsPreloadingSharesOne) {
  TAudioList streaming;
  OpenList(streaming, Archive(), false);
  std::unique_ptr<TAudioStream> a(streaming.FindStream(9)), b(streaming.FindStream(9));
  ASSERT_NE(a.get(), b.get());
  std::vector<i16> chunk(100);
  a->Read(chunk.data(), 100);
  EXPECT_EQ(a->Position, 100);
  EXPECT_EQ(b->Position, 0);

  TAudioList preloaded;
  OpenList(preloaded, Archive(), true);
  EXPECT_EQ(preloaded.FindStream(9), preloaded.GetStream(9));
  EXPECT_EQ(preloaded.ArchiveStream, nullptr);
  EXPECT_TRUE(static_cast<TAXStream*>(preloaded.FindStream(9))->OpenFlags & afLoadWhole);
}

TEST(AudioList, GetStreamNamesAMissingID) {
  TAudioList list;
  OpenList(list, Builder::TAudioListBuilder().Bytes(), true);
  EXPECT_EQ(list.Entries.Count(), 0);
  EXPECT_EQ(list.FindStream(7), nullptr);
  EXPECT_EQ(list.GetStream(0), nullptr);
  try {
    list.GetStream(0xFFFFFFF9);
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Audio stream with given ID not found (-7).");
  }
}

TEST(AudioList, EntriesAreWindowsOnAnArchiveFile) {
  TestSupport::TTempDir dir;
  const std::string saved = Data::DataPath;
  Data::DataPath = dir.Path();
  Builder::TArchiveBuilder b;
  b.Add("first.txt", "something before");
  b.Add("effects.aul", Archive());
  b.WritePacked(dir.Path(), "sounds");
  {
    Data::TArchive archive("sounds");
    for (bool preload : {false, true}) {
      TAudioList list;
      list.OpenFromArchive(&archive, "effects.aul", preload);
      TAudioStream* s = list.GetStream(9);
      std::unique_ptr<TAudioStream> owned(preload ? nullptr : s);
      TAXStream reference;
      AudioTest::OpenOn(reference, Sound(300, true));
      EXPECT_EQ(AudioTest::ReadAll(*s), AudioTest::ReadAll(reference)) << preload;
      std::unique_ptr<TAudioStream> mp3(preload ? nullptr : list.GetStream(7));
      TAudioStream* music = preload ? list.GetStream(7) : mp3.get();
      EXPECT_EQ(music->Rate, 44100u);
    }
  }
  Data::DataPath = saved;
}

TEST(AudioList, DamagedArchivesGiveClearErrors) {
  const std::string good = Archive();
  auto with = [&](std::size_t at, std::string_view bytes) {
    std::string f = good;
    f.replace(at, bytes.size(), bytes);
    return f;
  };
  // Entry i starts at 8 + 16 i: ID, offset, size, type.
  struct TCase {
    const char* What;
    std::string File;
    bool Preload;
    const char* Message;
  };
  const TCase cases[] = {
      {"tag", with(0, "AUDX"sv), false, "Invalid data."},
      {"negative count", with(4, "\xFF\xFF\xFF\xFF"sv), false, "Invalid data."},
      {"count past the end", with(4, "\x00\x10\x00\x00"sv), false, "Stream read error."},
      {"order", with(8, "\x06"sv), false, "Invalid data."},
      {"type", with(8 + 16 + 12, "\x03"sv), false, "Invalid data."},
      {"entry past the end", with(8 + 4 * 16 + 8, "\xFF\xFF\x00\x00"sv), true, "Invalid size of substream."},
      {"offset past the end", with(8 + 4 * 16 + 4, "\xFF\xFF\x0F\x00"sv), true, "Invalid offset of substream."},
      {"bad sound", with(8 + 5 * 16, "AUDY"sv), true, "Invalid AX file."},
      {"cut short", good.substr(0, 30), false, "Stream read error."},
  };
  for (const TCase& c : cases) {
    TAudioList list;
    try {
      OpenList(list, c.File, c.Preload);
      ADD_FAILURE() << c.What << ": opened";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), c.Message) << c.What;
    }
    // A failed open leaves an empty list.
    EXPECT_EQ(list.Entries.Count(), 0) << c.What;
    EXPECT_EQ(list.ArchiveStream, nullptr) << c.What;
    EXPECT_EQ(list.FindStream(3), nullptr) << c.What;
  }
  // Streaming finds the damage only when the entry is asked for.
  TAudioList streaming;
  OpenList(streaming, with(8 + 4 * 16 + 8, "\xFF\xFF\x00\x00"sv), false);
  EXPECT_THROW(streaming.FindStream(9), Base::EStreamError);
  std::unique_ptr<TAudioStream> fine(streaming.FindStream(3));
  EXPECT_EQ(fine->Length, 50);
}

}  // namespace
