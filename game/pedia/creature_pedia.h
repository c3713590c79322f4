// The modal book of the creatures the campaign player has seen, one a page,
// in three categories: animals and creatures, humans, undead. It reads the
// campaign player's seen list and the unit prototypes and changes nothing.
#pragma once

#include <string>
#include <vector>

#include "controls/orv_window.h"
#include "engine/gfx/color_text.h"

namespace GameData {
class TScenario;
struct TUnitPrototype;
struct TUnitProperty;
}  // namespace GameData
namespace Gfx {
class TFont;
class TSprite;
}  // namespace Gfx

namespace Main {

// A property's value at a level, with " + DELTA/EVERY" when it grows.
std::string CreatureValueText(const GameData::TUnitProperty& property, i32 level);

// One text of the attribute columns, in window coordinates.
struct TCreatureLine {
  i32 X, Y;
  std::string Text;
  bool operator==(const TCreatureLine&) const = default;
};
// The heading and both attribute columns of a creature's page.
std::vector<TCreatureLine> CreatureLines(const GameData::TUnitPrototype& prototype, i32 normalMorale);

struct TCreatureCategory {
  std::vector<const GameData::TUnitPrototype*> Entries;
  i32 Index = 0;
};

enum TCreatureArea : i32 { caClose, caNext, caPrevious, caAnimals, caHumans, caUndead, CreatureAreaCount };

class TCreaturePediaWindow : public TOrvWindow {
 public:
  TCreaturePediaWindow(DXWin::TDXWindowSystem* windowSystem, GameData::TScenario* scenario);
  ~TCreaturePediaWindow() override;

  void Draw(Plat::TSurface* surface, const Base::TRect& rect) override;

  void Fill();
  void ShowEntry(TCreatureCategory* category, i32 index);
  void UpdateButtons();
  void PreviousPage();
  void NextPage();
  void FirstEntry();
  void LastEntry();
  // 0 animals, 1 humans, 2 undead; only while its area is visible and enabled.
  void ChooseCategory(i32 category);
  void Finish();
  const GameData::TUnitPrototype* Shown() const;

  GameData::TScenario* Scenario = nullptr;
  Gfx::TSprite* CreaturePicture = nullptr;
  Gfx::TFont* TitleFont = nullptr;
  TCreatureCategory Animals, Humans, Undead;
  TCreatureCategory* Category = nullptr;
  Gfx::TColorText DescriptionText;
  static constexpr Base::TRect TextBox{420, 65, 730, 475};
  std::string MoreText;
  DXWin::TDXButton* Areas[CreatureAreaCount] = {};

 private:
  TCreatureCategory* CategoryAt(i32 index);
  void ReleasePicture();
  void KeyPressed(Plat::WPARAM& key, DXWin::TShiftState shift);
  void ButtonPressed(int button, DXWin::TShiftState, int, int);
  void Frame(DXWin::TDXControl*);
  void AreaClicked(DXWin::TDXControl* c);
};

}  // namespace Main
