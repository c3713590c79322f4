// Video files and their player: pictures and sound of the builder's films,
// files that are no film, pacing by the clock, the end event, a start from
// a saved position, and the sound on its own output.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>

#include "engine/platform/system/clock.h"
#include "engine/platform/video/video_player.h"
#include "tests/support/temp_dir.h"
#include "tools/databuilder/video_builder.h"

namespace {

using namespace Plat;

struct TFilmCase {
  int Width, Height;
  double Seconds;
  int OutHeight;  // as the screen shows it: 800 wide
};

const TFilmCase Films[] = {{320, 240, 2, 600}, {320, 180, 1, 450}};

class Video : public ::testing::Test {
 protected:
  std::string Film(const TFilmCase& c) {
    const std::string name = std::to_string(c.Width) + "x" + std::to_string(c.Height) + ".mpg";
    Dir.Write(name, Builder::TestFilm(c.Width, c.Height, c.Seconds));
    return Dir.File(name);
  }
  TestSupport::TTempDir Dir;
};

TEST_F(Video, FilmsGivePicturesAtTheirTimesAndAllTheirSound) {
  for (const TFilmCase& c : Films) {
    SCOPED_TRACE(c.Height);
    TVideoFile file(Film(c));
    EXPECT_EQ(file.Width(), c.Width);
    EXPECT_EQ(file.Height(), c.Height);
    ASSERT_TRUE(file.HasSound());
    file.SetOutputSize(800, c.OutHeight);
    int pictures = 0;
    std::size_t soundFrames = 0;
    double last = -1;
    for (TVideoPart part; (part = file.Next()) != TVideoPart::End;) {
      if (part == TVideoPart::Sound) {
        soundFrames += file.Sound().Samples.size() / 2;
        continue;
      }
      const TVideoPicture& p = file.Picture();
      ASSERT_EQ(p.Width, 800);
      ASSERT_EQ(p.Height, c.OutHeight);
      ASSERT_EQ(p.Pixels.size(), static_cast<std::size_t>(800 * c.OutHeight));
      EXPECT_NEAR(p.Time, last < 0 ? 0 : last + 0.04, 0.005);
      last = p.Time;
      ++pictures;
      // The bars are coloured: no picture is black in its middle.
      ASSERT_NE(p.Pixels[static_cast<std::size_t>(c.OutHeight / 2 * 800 + 400)], 0);
    }
    EXPECT_EQ(pictures, static_cast<int>(c.Seconds * 25));
    // Layer II rounds up to whole blocks of 1,152 samples.
    EXPECT_NEAR(static_cast<double>(soundFrames), c.Seconds * 44100, 2 * 1152);
    EXPECT_EQ(file.Next(), TVideoPart::End);
  }
}

TEST_F(Video, WhatIsNoFilmIsRefusedOrEndsAtOnce) {
  const std::string film = Builder::TestFilm(64, 48, 1);
  std::mt19937 random(7);
  std::string noise(4096, '\0');
  for (char& b : noise) b = static_cast<char>(random());
  const struct {
    const char* Name;
    std::string Bytes;
    bool MustRefuse;
  } cases[] = {
      {"empty", "", true},
      {"text", std::string(1024, 'x'), true},
      {"noise", noise, false},
      {"header only", film.substr(0, 40), false},
      {"first half", film.substr(0, film.size() / 2), false},
      {"middle", film.substr(film.size() / 3, film.size() / 3), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Dir.Write(c.Name, c.Bytes);
    try {
      TVideoFile file(Dir.File(c.Name));
      EXPECT_FALSE(c.MustRefuse);
      int parts = 0;
      while (file.Next() != TVideoPart::End && parts < 100000) ++parts;
      EXPECT_LT(parts, 100000);
    } catch (const TVideoError& e) {
      EXPECT_STREQ(e.what(), "Video error.");
    }
  }
  EXPECT_THROW(TVideoFile(Dir.File("missing.mpg")), TVideoError);
}

// Takes pictures while the fake clock runs in steps of 10 ms, until the end
// event; the clock leads the newest picture (or the start) by the lead at
// most, however slow the decoder. The real time is bounded.
struct TPlayed {
  std::vector<double> Times;
  int Ends = 0;
};

TPlayed PlayThrough(TVideoPlayer& player, TFakeClock& clock, double start, double lead) {
  TPlayed played;
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  long code = 0;
  while (played.Ends == 0 && std::chrono::steady_clock::now() < limit) {
    if (const TVideoPicture* p = player.TakePicture()) {
      EXPECT_LE(p->Time, player.Position());
      played.Times.push_back(p->Time);
    }
    while (player.GetEvent(code)) played.Ends += code == VideoComplete ? 1 : 100;
    if (player.Position() < (played.Times.empty() ? start : played.Times.back()) + lead) clock.Advance(10);
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return played;
}

TEST_F(Video, PlayerShowsDuePicturesAndReportsTheEndOnce) {
  TFakeClock clock(1000);
  SetClock(&clock);
  {
    TVideoPlayer player(Film(Films[1]));
    player.Run(800, 450, 0, false);
    const TPlayed played = PlayThrough(player, clock, 0, 0.05);
    EXPECT_EQ(played.Ends, 1);
    ASSERT_FALSE(played.Times.empty());
    EXPECT_LT(played.Times.front(), 0.05);
    EXPECT_GT(played.Times.back(), 0.9);
    EXPECT_TRUE(std::is_sorted(played.Times.begin(), played.Times.end()));
    long code = 0;
    EXPECT_FALSE(player.GetEvent(code));
  }
  SetClock(nullptr);
}

TEST_F(Video, PlayerStartsAtASavedPosition) {
  TFakeClock clock(1000);
  SetClock(&clock);
  {
    TVideoPlayer player(Film(Films[0]));
    player.Run(400, 300, 1.2, false);
    EXPECT_NEAR(player.Position(), 1.2, 1e-9);
    const TPlayed played = PlayThrough(player, clock, 1.2, 0.5);
    EXPECT_EQ(played.Ends, 1);
    ASSERT_FALSE(played.Times.empty());
    // On from the key frame before it; what lies before is not shown.
    EXPECT_GE(played.Times.front(), 1.18);
    EXPECT_LT(played.Times.size(), 25u);
  }
  SetClock(nullptr);
}

TEST_F(Video, SoundOnItsOwnOutputDrivesTheClock) {
  TVideoPlayer player(Film(Films[1]));
  player.Run(800, 450, 0, true);
  if (!player.HasSoundOutput()) GTEST_SKIP() << "no sound output here";
  // The output's thread plays at its own pace; pictures follow its clock.
  int pictures = 0;
  long code = 0;
  bool ended = false;
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!ended && std::chrono::steady_clock::now() < limit) {
    if (player.TakePicture()) ++pictures;
    while (player.GetEvent(code)) ended = ended || code == VideoComplete;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_TRUE(ended);
  EXPECT_GT(pictures, 0);
  EXPECT_GE(player.Position(), 0.9);
  player.Stop();
}

}  // namespace
