// Page 3 of the menu: the volumes, the movement speed, the difficulty and
// the two switches. The volume sliders act on the playing sound at once;
// "OK" makes the settings persistent, "ABBRECHEN" puts them back.
#include <algorithm>
#include <iterator>

#include "controls/menu_check_box.h"
#include "controls/sprite_scroll_bar.h"
#include "engine/base/base.h"
#include "engine/dsframe/dsframe.h"
#include "engine/gfx/font.h"
#include "frontend/game_link.h"
#include "frontend/main_menu.h"
#include "world/data2/global_data.h"
#include "world/scenario/settings.h"

namespace Main {

namespace {

enum TOptionSlider : int { osMusic, osEffects, osSpeech, osSpeed, osDifficulty };

struct TSliderPlace {
  i32 Top, Max;
};

constexpr TSliderPlace SliderPlaces[5] = {{134, 100}, {184, 100}, {234, 100}, {299, 4}, {349, 2}};
constexpr i32 SliderLeft = 130, SliderWidth = 300, SliderHeight = 15;

struct TLabel {
  i32 Y;
  const char* Text;
};

constexpr TLabel Labels[4] = {{102, "Musik-Lautst\xE4rke:"},
                              {152, "Effekt-Lautst\xE4rke:"},
                              {202, "Sprach-Lautst\xE4rke:"},
                              {267, "Spiel-Geschwindigkeit:"}};
constexpr const char* DifficultyNames[3] = {"Leicht", "Normal", "Schwer"};

constexpr const char* CheckCaptions[2] = {"Ende der Runde best\xE4tigen", "Erlaube Zauberspr\xFC" "che im Auto-Kampf"};
constexpr i32 CheckTops[2] = {389, 426};

// The tracks of the music, the effect preview and the speech preview.
constexpr int MusicTrack = 0, EffectTrack = 1, SpeechTrack = 2;
// The speech preview starts near the end of its sample.
constexpr i32 SpeechPreviewStart = 121250;

// The control sprites: the vertical bar's 13, the horizontal bar's 13, the
// check box's 6.
constexpr int HorizontalSprites = 13, CheckBoxSprites = 26;

void SetQuietly(TSpriteScrollBar* bar, i32 position) {
  bar->Position = position;
  bar->Changed(false);
}

void StopPreviews() {
  if (MusicVolume == 0) DSFramework->Stop(MusicTrack);
  DSFramework->Stop(EffectTrack);
  DSFramework->Stop(SpeechTrack);
}

}  // namespace

void TMainMenu::BuildOptionsPage() {
  DXWin::TDXGroup* group = Groups[mpOptions];
  for (int i = 0; i < 5; ++i) {
    auto* bar = new TSpriteScrollBar(group, false, 52, 26);
    bar->SetBounds({SliderLeft, SliderPlaces[i].Top, SliderLeft + SliderWidth, SliderPlaces[i].Top + SliderHeight});
    bar->Max = SliderPlaces[i].Max;
    if (i <= osSpeech) bar->RepeatInterval = 2;
    OptionSliders[i] = bar;
  }
  OptionSliders[osMusic]->OnChange = DXWin::TNotifyEvent::Of<&TMainMenu::MusicChange>(this);
  OptionSliders[osEffects]->OnChange = DXWin::TNotifyEvent::Of<&TMainMenu::EffectsChange>(this);
  OptionSliders[osSpeech]->OnChange = DXWin::TNotifyEvent::Of<&TMainMenu::SpeechChange>(this);
  for (int i = 0; i < 2; ++i) {
    auto* box = new TMenuCheckBox(group, this);
    box->Caption = CheckCaptions[i];
    box->SetPosition(134, CheckTops[i]);
    OptionChecks[i] = box;
  }
}

void TMainMenu::StyleOptionControls(bool release) {
  TScrollBarSprites horizontal{};
  if (!release)
    for (int i = 0; i < ScrollBarSpriteCount; ++i)
      horizontal[static_cast<std::size_t>(i)] = ControlSprites[HorizontalSprites + i];
  // The set's order is the vertical one's: thumb, unused, arrows, track.
  TScrollBarSprites ordered{};
  for (int i = 0; i < 4; ++i) {
    ordered[static_cast<std::size_t>(sbDecrementNormal + i)] = horizontal[static_cast<std::size_t>(4 + i)];
    ordered[static_cast<std::size_t>(sbIncrementNormal + i)] = horizontal[static_cast<std::size_t>(8 + i)];
  }
  for (int i = 0; i < 3; ++i) ordered[static_cast<std::size_t>(sbThumbNormal + i)] = horizontal[static_cast<std::size_t>(i)];
  ordered[sbTrack] = horizontal[12];
  for (TSpriteScrollBar* bar : OptionSliders) bar->SetSprites(ordered);
  for (TMenuCheckBox* box : OptionChecks) {
    if (release) {
      box->SetSprites(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
      box->SetFonts(nullptr, nullptr, nullptr, nullptr);
      continue;
    }
    Gfx::TSprite* const* s = ControlSprites + CheckBoxSprites;
    box->SetSprites(s[0], s[1], s[2], s[3], s[4], s[5]);
    box->SetFonts(LabelFont, LabelFont, LabelFont, LabelFont);
    box->AutoSize();
  }
}

void TMainMenu::ShowOptionsPage() {
  EnterPage(mpOptions);
  const i32 words[6] = {MusicVolume, SFXVolume, SpeechVolume, MovementSpeed, Difficulty,
                        (ConfirmEndTurn ? 1 : 0) | (CastInAutoCombat ? 0x100 : 0)};
  std::copy(std::begin(words), std::end(words), OptionsBackup);
  LoadOptionControls();
  Groups[mpOptions]->Show();
  // So that the music volume can be heard.
  if (DSFramework && !DSFramework->IsPlaying(MusicTrack) && Data2::GlobalData)
    DSFramework->PlayFromList(MusicTrack, &Data2::GlobalData->MusicList, Data2::GlobalData->MenuMusicID, MusicVolume,
                              0, false, true);
}

void TMainMenu::LoadOptionControls() {
  SetQuietly(OptionSliders[osSpeed], MovementSpeed);
  SetQuietly(OptionSliders[osDifficulty], Difficulty);
  OptionChecks[0]->Checked = ConfirmEndTurn;
  OptionChecks[1]->Checked = CastInAutoCombat;
  const bool sound = DSFramework != nullptr;
  const i32 volumes[3] = {MusicVolume, SFXVolume, SpeechVolume};
  for (int i = osMusic; i <= osSpeech; ++i) {
    OptionSliders[i]->SetEnabled(sound);
    SetQuietly(OptionSliders[i], sound ? volumes[i] : 0);
  }
}

void TMainMenu::MusicChange(DXWin::TDXControl*) {
  MusicVolume = OptionSliders[osMusic]->Position;
  if (DSFramework) DSFramework->SetVolume(MusicTrack, MusicVolume);
}

void TMainMenu::EffectsChange(DXWin::TDXControl*) {
  SFXVolume = OptionSliders[osEffects]->Position;
  if (!DSFramework) return;
  // A preview still sounding only changes its level.
  if (DSFramework->IsPlaying(EffectTrack))
    DSFramework->SetVolume(EffectTrack, SFXVolume);
  else if (SFXVolume > 0 && Data2::GlobalData)
    DSFramework->PlayOnTrack(EffectTrack, Data2::GlobalData->InterfaceSounds[6], SFXVolume, 0, false, false);
}

void TMainMenu::SpeechChange(DXWin::TDXControl*) {
  SpeechVolume = OptionSliders[osSpeech]->Position;
  if (!DSFramework) return;
  if (DSFramework->IsPlaying(SpeechTrack))
    DSFramework->SetVolume(SpeechTrack, SpeechVolume);
  else if (SpeechVolume > 0 && Data2::GlobalData)
    DSFramework->PlayFromList(SpeechTrack, &Data2::GlobalData->SpeechList, 1, SpeechVolume, SpeechPreviewStart, false,
                              false);
}

void TMainMenu::ApplyOptions() {
  if (DSFramework) {
    MusicVolume = OptionSliders[osMusic]->Position;
    SFXVolume = OptionSliders[osEffects]->Position;
    SpeechVolume = OptionSliders[osSpeech]->Position;
  }
  MovementSpeed = OptionSliders[osSpeed]->Position;
  Difficulty = OptionSliders[osDifficulty]->Position;
  ConfirmEndTurn = OptionChecks[0]->Checked;
  CastInAutoCombat = OptionChecks[1]->Checked;
  if (GameLink) GameLink->SaveSettings();
  if (DSFramework) StopPreviews();
  LeaveOptionsPage();
}

void TMainMenu::RevertOptions() {
  MusicVolume = OptionsBackup[0];
  SFXVolume = OptionsBackup[1];
  SpeechVolume = OptionsBackup[2];
  MovementSpeed = OptionsBackup[3];
  Difficulty = OptionsBackup[4];
  ConfirmEndTurn = (OptionsBackup[5] & 0xFF) != 0;
  CastInAutoCombat = (OptionsBackup[5] & 0xFF00) != 0;
  if (DSFramework) {
    DSFramework->SetVolume(MusicTrack, MusicVolume);
    StopPreviews();
  }
  LeaveOptionsPage();
}

void TMainMenu::LeaveOptionsPage() {
  if (OpenedFrom != mpMain)
    ContinueGame();
  else
    ShowMainPage();
}

void TMainMenu::DrawOptionsPage(Plat::TSurface* surface) {
  if (!LabelFont) return;
  for (const TLabel& label : Labels) LabelFont->DrawText(surface, Left + 135, Top + label.Y, label.Text, 0, nullptr);
  const i32 level = OptionSliders[osDifficulty]->Position;
  const std::string difficulty =
      Base::Format("%s: %s", "Schwierigkeit", DifficultyNames[level >= 0 && level <= 2 ? level : 1]);
  LabelFont->DrawText(surface, Left + 135, Top + 317, difficulty, 0, nullptr);
}

}  // namespace Main
