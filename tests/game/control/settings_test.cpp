// The settings file "orvandia.ini" beside the program.
#include <gtest/gtest.h>

#include "engine/base/errors.h"
#include "tests/game/game_fixture.h"
#include "tests/support/write_fault.h"
#include "world/scenario/settings.h"

namespace GameTest {
namespace {

struct TSettings {
  i32 Music, Effects, Speech, Speed, Difficulty;
  bool Confirm, Cast;
  bool operator==(const TSettings&) const = default;
};

TSettings Current() {
  return {Main::MusicVolume, Main::SFXVolume,     Main::SpeechVolume,    Main::MovementSpeed,
          Main::Difficulty,  Main::ConfirmEndTurn, Main::CastInAutoCombat};
}

constexpr TSettings Defaults{100, 100, 100, 2, 1, true, true};

using Settings = TGameFixture;

// Damaged files fall back to the defaults key by key; speed and difficulty
// are clamped; the volumes are taken as they stand unless far out of reach.
TEST_F(Settings, LoadingTakesWhatIsGoodAndDefaultsTheRest) {
  static constexpr char Binary[] = "\x01\xFF[Settings\x00]\x80=\x81\n=\n[";
  struct {
    const char* Name;
    std::string File;  // empty: no file
    TSettings Expected;
  } cases[] = {
      {"no file", "", Defaults},
      {"no section", "[Other]\r\nMusicVolume=5\r\n", Defaults},
      {"every key", "[Settings]\r\nMusicVolume=0\r\nSFXVolume=40\r\nSpeechVolume=250\r\nMovementSpeed=4\r\n"
                    "Difficulty=0\r\nConfirmEndTurn=0\r\nCastInAutoCombat=3\r\n",
       {0, 40, 250, 4, 0, false, true}},
      {"clamped", "[settings]\nmovementspeed=9\ndifficulty=5\n", {100, 100, 100, 4, 2, true, true}},
      {"clamped below", "[Settings]\nMovementSpeed=-3\nDifficulty=-1\n", {100, 100, 100, 0, 0, true, true}},
      {"not numbers", "[Settings]\nMusicVolume=laut\nMovementSpeed=\nConfirmEndTurn=ja\nDifficulty=1.5\n", Defaults},
      {"huge values", "[Settings]\nMusicVolume=99999999999\nSFXVolume=2147483647\nSpeechVolume=-5\n"
                      "MovementSpeed=2147483647\nDifficulty=-99999999999\n",
       {100, 100, 100, 4, 1, true, true}},
      {"binary", std::string(Binary, sizeof Binary - 1), Defaults},
  };
  for (const auto& c : cases) {
    std::remove(ProgramDir.File("orvandia.ini").c_str());
    if (!c.File.empty()) ProgramDir.Write("orvandia.ini", c.File);
    Main::MusicVolume = Main::SFXVolume = Main::SpeechVolume = Main::MovementSpeed = Main::Difficulty = 77;
    Main::ConfirmEndTurn = Main::CastInAutoCombat = false;
    Game->LoadSettings();
    EXPECT_TRUE(Current() == c.Expected) << c.Name;
  }
}

// Saving writes the seven keys and keeps the rest of the file; a write
// that fails leaves the old file.
TEST_F(Settings, SavingKeepsTheFileAndReadsBack) {
  ProgramDir.Write("orvandia.ini", "; meins\r\n[Settings]\r\nDifficulty=2\r\n[Andere]\r\nX=1\r\n");
  const TSettings chosen{30, 0, 55, 3, 0, false, true};
  Main::MusicVolume = chosen.Music;
  Main::SFXVolume = chosen.Effects;
  Main::SpeechVolume = chosen.Speech;
  Main::MovementSpeed = chosen.Speed;
  Main::Difficulty = chosen.Difficulty;
  Main::ConfirmEndTurn = chosen.Confirm;
  Main::CastInAutoCombat = chosen.Cast;
  Game->SaveSettings();
  const std::string written = ProgramDir.Read("orvandia.ini");
  EXPECT_EQ(written,
            "; meins\r\n[Settings]\r\nDifficulty=0\r\nMusicVolume=30\r\nSFXVolume=0\r\nSpeechVolume=55\r\n"
            "MovementSpeed=3\r\nConfirmEndTurn=0\r\nCastInAutoCombat=1\r\n[Andere]\r\nX=1\r\n");
  Main::MusicVolume = 1;
  Game->LoadSettings();
  EXPECT_TRUE(Current() == chosen);

  Main::MusicVolume = 90;
  {
    TestSupport::TWriteFault fault(10);
    EXPECT_THROW(Game->SaveSettings(), Base::EStreamError);
  }
  EXPECT_EQ(ProgramDir.Read("orvandia.ini"), written);
}

}  // namespace
}  // namespace GameTest
