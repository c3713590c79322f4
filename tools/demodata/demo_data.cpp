#include "tools/demodata/demo_data.h"

#include <fstream>
#include <utility>
#include <stdexcept>

#include "engine/base/base.h"
#include "engine/platform/system/files.h"
#include "tools/databuilder/demo_sounds.h"
#include "tools/databuilder/text_builder.h"
#include "tools/databuilder/video_builder.h"
#include "tools/demodata/art/demo_fonts.h"
#include "tools/demodata/art/demo_sprites.h"
#include "tools/demodata/rules/demo_rules.h"
#include "tools/demodata/scenario/demo_scenario.h"
#include "tools/demodata/screens/demo_menu.h"

namespace Builder {

namespace {

// File names of the index "default.txt", in its line order.
const char* const IndexNames[18] = {
    "ifaceids.txt", "iface.gfl",  "ifacenames.txt", "spritetable.txt", "winsprites.txt", "rules.txt",
    "units.txt",    "common.gfl", "windows.gfl",    "unitgfx.gfl",     "effects.aul",    "music.aul",
    "speech.aul",   "sounds.txt", "spellgfx.gfl",   "spells.txt",      "skills.txt",     "fonts.txt",
};

std::string IndexFile() {
  TTextBuilder t;
  t.Comment("Orvandia demo data: the files of the global data");
  for (const char* name : IndexNames) t.Token(name);
  return t.Text();
}

// Intro videos 0 to 2, after the first and the last mission, after a lost
// mission. Only the first two are films; the third is no video and the
// others are missing, so those are skipped.
std::string VideoNames() {
  TTextBuilder t;
  t.Comment("videos");
  for (const char* name : {"intro1.mpg", "intro2.mpg", "intro3.mpg", "mission1.mpg", "final.mpg", "defeat1.mpg",
                           "defeat2.mpg", "defeat3.mpg", "defeat4.mpg"})
    t.Token(name);
  return t.Text();
}

// Encoded once a process: many tests write the data set.
const std::pair<std::string, std::string>& DemoFilms() {
  static const std::pair<std::string, std::string> films{TestFilm(320, 240, 3), TestFilm(320, 180, 2)};
  return films;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(Plat::NativePath(path), std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string WindowSpriteIDs() {
  TTextBuilder t;
  t.Comment("window sprites");
  for (int i = 0; i < WindowSpriteCount; ++i) t.Int(FirstWindowSpriteID + static_cast<u32>(i));
  return t.Text();
}

}  // namespace

TDemoData BuildDemoData() {
  TDemoData d;
  d.Globals.Add("default.txt", IndexFile());
  d.Globals.Add(IndexNames[0], InterfaceSpriteIDFile());
  d.Globals.Add(IndexNames[2], VideoNames());
  d.Globals.Add(IndexNames[3], SpriteTableFile());
  d.Globals.Add(IndexNames[4], WindowSpriteIDs());
  d.Globals.Add(IndexNames[5], RulesFile());
  d.Globals.Add(IndexNames[6], UnitPrototypeFile());
  d.Globals.Add(IndexNames[15], SpellPrototypeFile());
  d.Globals.Add(IndexNames[16], SkillPrototypeFile());
  d.Globals.Add(IndexNames[17], FontDescriptionFile());
  d.Globals.Add("credits.txt", CreditsFile());
  d.Graphics.Add(IndexNames[1], InterfaceSprites());
  d.Graphics.Add(IndexNames[7], CommonSprites());
  d.Graphics.Add(IndexNames[8], WindowSprites());
  d.Graphics.Add(IndexNames[9], UnitSprites());
  d.Graphics.Add(IndexNames[14], SpellSprites());
  for (auto& [name, bytes] : DemoFonts()) d.Graphics.Add(name, bytes);
  for (i32 mission = 1; mission <= DemoMissionCount; ++mission)
    d.Scenario.Add(Base::Format("demo%d.scn", mission), DemoScenario(mission));
  d.Scenario.Add(NetworkScenarioFile, NetworkScenario());
  d.Scenario.Add(ScenarioSpriteFile, ScenarioSprites());
  d.Scenario.Add(DoodleFileName, DoodleFile());
  d.Scenario.Add(FaceFileName, FaceSprites());
  d.Scenario.Add("demo1.bkg", DemoBackground(1));
  d.Globals.Add(IndexNames[13], SoundFile());
  d.Sounds.Add(IndexNames[10], EffectsArchive());
  d.Sounds.Add(IndexNames[11], MusicArchive());
  d.Sounds.Add(IndexNames[12], SpeechArchive());
  for (i32 mission = 2; mission <= DemoMissionCount; ++mission)
    d.Scenario.Add(Base::Format("demo%d.bkg", mission), DemoBackground(mission));
  return d;
}

void WriteDemoData(const std::string& dataDir, TArchiveForm form, bool films) {
  TDemoData d = BuildDemoData();
  const std::pair<const TArchiveBuilder*, const char*> archives[] = {
      {&d.Globals, "globals"}, {&d.Graphics, "graphics"}, {&d.Scenario, "scenario"}, {&d.Sounds, "sounds"}};
  for (const auto& [builder, name] : archives) {
    if (form == TArchiveForm::Packed)
      builder->WritePacked(dataDir, name);
    else
      builder->WriteLoose(dataDir, name);
  }
  Plat::CreateDirectories(dataDir + "/Save");
  if (!films) return;
  // A film filling the screen, a wide one with bars, and one that is none.
  Plat::CreateDirectories(dataDir + "/Video");
  WriteFile(dataDir + "/Video/intro1.mpg", DemoFilms().first);
  WriteFile(dataDir + "/Video/intro2.mpg", DemoFilms().second);
  std::string noFilm;
  while (noFilm.size() < 1024) noFilm += "Dies ist kein Film. ";
  WriteFile(dataDir + "/Video/intro3.mpg", noFilm.substr(0, 1024));
}

void WriteDataIni(const std::string& programDir, const std::string& dataPath) {
  if (!Plat::DirectoryExists(programDir)) throw std::runtime_error("no such folder: " + programDir);
  std::ofstream ini(Plat::NativePath(programDir + "/data.ini"), std::ios::binary);
  ini << "[Main]\r\nDataPath=" << dataPath << "\r\n";
  ini.close();
  if (!ini) throw std::runtime_error("cannot write " + programDir + "/data.ini");
}

}  // namespace Builder
