// The seven settings in "orvandia.ini" beside the program.
#include <algorithm>

#include "engine/base/base.h"
#include "engine/base/ini_file.h"
#include "game/control/game.h"
#include "world/scenario/settings.h"

namespace Main {

namespace {

const char* const Section = "Settings";

std::string SettingsFile() { return Base::AppDir + "orvandia.ini"; }

// Volumes above 100 play at full volume, but a value far beyond any slider
// is damage, and the sound code multiplies with it: it reads as the default.
constexpr i32 MaxVolume = 1000;

i32 ReadVolume(const Base::TIniFile& ini, const char* key) {
  const i32 value = ini.ReadInteger(Section, key, 100);
  return value >= 0 && value <= MaxVolume ? value : 100;
}

}  // namespace

void TGame::LoadSettings() {
  const Base::TIniFile ini(SettingsFile());
  MusicVolume = ReadVolume(ini, "MusicVolume");
  SFXVolume = ReadVolume(ini, "SFXVolume");
  SpeechVolume = ReadVolume(ini, "SpeechVolume");
  MovementSpeed = std::clamp(ini.ReadInteger(Section, "MovementSpeed", 2), 0, 4);
  Difficulty = std::clamp(ini.ReadInteger(Section, "Difficulty", 1), 0, 2);
  ConfirmEndTurn = ini.ReadBool(Section, "ConfirmEndTurn", true);
  CastInAutoCombat = ini.ReadBool(Section, "CastInAutoCombat", true);
}

void TGame::SaveSettings() {
  Base::TIniFile ini(SettingsFile());
  ini.WriteInteger(Section, "MusicVolume", MusicVolume);
  ini.WriteInteger(Section, "SFXVolume", SFXVolume);
  ini.WriteInteger(Section, "SpeechVolume", SpeechVolume);
  ini.WriteInteger(Section, "MovementSpeed", MovementSpeed);
  ini.WriteInteger(Section, "Difficulty", Difficulty);
  ini.WriteBool(Section, "ConfirmEndTurn", ConfirmEndTurn);
  ini.WriteBool(Section, "CastInAutoCombat", CastInAutoCombat);
  ini.UpdateFile();
}

}  // namespace Main
