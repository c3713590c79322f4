// The options page: the controls as the settings fill them, with and without
// a sound device; "OK" keeps and writes, "ABBRECHEN" restores; the volume
// sliders act on the playing tracks at once; the page as a picture.
#include <gtest/gtest.h>

#include "controls/menu_check_box.h"
#include "controls/sprite_scroll_bar.h"
#include "controls/text_buttons.h"
#include "engine/dsframe/dsframe.h"
#include "tests/frontend/menu_fixture.h"
#include "world/data2/global_data.h"
#include "world/scenario/settings.h"

namespace MenuTest {
namespace {

using namespace Main;

class OptionsPage : public TMenuFixture {
 protected:
  void SetUp() override {
    TMenuFixture::SetUp();
    MusicVolume = 70;
    SFXVolume = 60;
    SpeechVolume = 50;
    MovementSpeed = 2;
    Difficulty = 1;
    ConfirmEndTurn = true;
    CastInAutoCombat = false;
  }
  void TearDown() override {
    delete DSFramework;
    DSFramework = nullptr;
    Plat::SetSoundOutputKind(Plat::TSoundOutputKind::Sdl);
    MusicVolume = SFXVolume = SpeechVolume = 100;
    MovementSpeed = 2;
    Difficulty = 1;
    ConfirmEndTurn = CastInAutoCombat = true;
    TMenuFixture::TearDown();
  }
  void StartDevice() {
    Plat::SetSoundOutputKind(Plat::TSoundOutputKind::Manual);
    DSFramework = new DSFrame::TDSFramework(nullptr);
    DSFramework->Initialize(-1, 0x28, 16, 3, 500, 44100, 16, 2);
  }
  const DSFrame::TTrack& Track(int i) { return DSFramework->Tracks[static_cast<std::size_t>(i)]; }
  TSpriteScrollBar* Slider(int i) { return Menu->OptionSliders[i]; }
  // As a drag of the thumb ends: the position, then the notification.
  void Slide(int i, i32 position) {
    Slider(i)->Position = position;
    Slider(i)->Changed(true);
  }
  std::string Settings() const {
    return std::to_string(MusicVolume) + " " + std::to_string(SFXVolume) + " " + std::to_string(SpeechVolume) + " " +
           std::to_string(MovementSpeed) + " " + std::to_string(Difficulty) + " " + std::to_string(ConfirmEndTurn) +
           std::to_string(CastInAutoCombat);
  }
};

TEST_F(OptionsPage, OkKeepsAndCancelRestores) {
  const struct {
    bool Device, Ok;
    u8 OpenedOn;        // the main page (then "Optionen") or the options page itself
    const char* Shown;  // the sliders' positions and whether the volumes are enabled
    const char* After;
    std::vector<std::string> Calls;
  } cases[] = {
      {true, true, mpMain, "70 60 50 2 1 enabled", "0 30 40 4 2 01", {"save settings"}},
      {true, false, mpMain, "70 60 50 2 1 enabled", "70 60 50 2 1 10", {}},
      // Opened on its own page, the page returns to the game.
      {true, true, mpOptions, "70 60 50 2 1 enabled", "0 30 40 4 2 01", {"save settings", "activate"}},
      // Without a device the volumes show 0, cannot move, and keep their values.
      {false, true, mpMain, "0 0 0 2 1 disabled", "70 60 50 4 2 01", {"save settings"}},
      {false, false, mpOptions, "0 0 0 2 1 disabled", "70 60 50 2 1 10", {"activate"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Device ? "device " : "none ") + (c.Ok ? "OK" : "ABBRECHEN"));
    if (c.Device) StartDevice();
    Link.Calls.clear();
    Menu->Open(c.OpenedOn);
    Step();
    if (c.OpenedOn == mpMain) {
      ClickButton(Menu->MainButtons[mbOptions]);
      Step();
    }
    ASSERT_EQ(Menu->Page, mpOptions);
    std::string shown;
    for (TSpriteScrollBar* s : Menu->OptionSliders) shown += std::to_string(s->Position) + " ";
    shown += Slider(0)->IsEnabled() && Slider(1)->IsEnabled() && Slider(2)->IsEnabled() ? "enabled" : "disabled";
    EXPECT_EQ(shown, c.Shown);
    EXPECT_TRUE(Menu->OptionChecks[0]->Checked);
    EXPECT_FALSE(Menu->OptionChecks[1]->Checked);
    if (c.Device) {
      Slide(0, 0);
      Slide(1, 30);
      Slide(2, 40);
    }
    Slide(3, 4);
    Slide(4, 2);
    ClickButton(Menu->OptionChecks[0]);
    ClickButton(Menu->OptionChecks[1]);
    ClickButton(Menu->PageButtons[mpOptions][c.Ok ? pbConfirm : pbCancel]);
    Step();
    EXPECT_EQ(Settings(), c.After);
    EXPECT_EQ(Link.Calls, c.Calls);
    EXPECT_EQ(Menu->Page, mpMain);
    if (c.Device) {
      // OK with the music at 0 stops it; ABBRECHEN brings its volume back.
      EXPECT_EQ(DSFramework->IsPlaying(0), !c.Ok);
      if (!c.Ok) {
        EXPECT_EQ(Track(0).Volume, 70);
      }
      EXPECT_FALSE(DSFramework->IsPlaying(1));
      EXPECT_FALSE(DSFramework->IsPlaying(2));
    }
    delete DSFramework;
    DSFramework = nullptr;
    MusicVolume = 70, SFXVolume = 60, SpeechVolume = 50, MovementSpeed = 2, Difficulty = 1;
    ConfirmEndTurn = true, CastInAutoCombat = false;
  }
}

TEST_F(OptionsPage, VolumeSlidersActOnThePlayingSoundAtOnce) {
  StartDevice();
  Menu->Open(mpOptions);
  Step();
  DSFramework->Update();
  ASSERT_TRUE(DSFramework->IsPlaying(0));
  EXPECT_EQ(Track(0).CurrentID, Data2::GlobalData->MenuMusicID);
  Slide(0, 25);
  EXPECT_EQ(MusicVolume, 25);
  EXPECT_EQ(Track(0).Volume, 25);

  // The effect preview starts once; moving on while it sounds changes its level.
  const Base::TRect up = Slider(1)->IncrementRect();
  Click(up.Left + 5, up.Top + 5);
  Step();
  EXPECT_EQ(SFXVolume, 61);
  ASSERT_TRUE(DSFramework->IsPlaying(1));
  EXPECT_EQ(Track(1).Stream, Data2::GlobalData->InterfaceSounds[6]);
  DSFramework->Update();
  const i32 played = Track(1).StreamPosition;
  Slide(1, 20);
  EXPECT_EQ(Track(1).Volume, 20);
  EXPECT_EQ(Track(1).StreamPosition, played);
  // Once it has ended the next move plays it again; at 0 nothing starts.
  DSFramework->Stop(1);
  Slide(1, 0);
  EXPECT_FALSE(DSFramework->IsPlaying(1));
  Slide(1, 10);
  EXPECT_TRUE(DSFramework->IsPlaying(1));
  EXPECT_EQ(Track(1).Volume, 10);

  // The speech preview starts late in speech 1, which is long enough for it.
  Slide(2, 45);
  ASSERT_TRUE(DSFramework->IsPlaying(2));
  EXPECT_EQ(Track(2).CurrentID, 1u);
  EXPECT_EQ(Track(2).Volume, 45);
  EXPECT_EQ(SpeechVolume, 45);
}

TEST_F(OptionsPage, Picture) {
  Menu->Open(mpOptions);
  Slide(4, 2);
  Step();
  ExpectPicture("options_page");
}

}  // namespace
}  // namespace MenuTest
