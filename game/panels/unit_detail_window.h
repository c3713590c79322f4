// Every statistic of one unit on a 540 x 560 panel over the whole screen:
// picture, name, level and experience, the ten properties with their growth
// (what after-effects raise in blue, what they lower in red), the active
// spells with their turns, and the known skills. Any click or Esc closes it.
#pragma once

#include <string>
#include <vector>

#include "controls/orv_window.h"

namespace GameData {
class TUnit;
struct TUnitProperty;
}  // namespace GameData
namespace Gfx {
class TFont;
class TSprite;
}  // namespace Gfx

namespace Main {

// One piece of a statistics line: its text and colour (0x00RRGGBB).
struct TDetailPiece {
  std::string Text;
  u32 Colour;
  bool operator==(const TDetailPiece&) const = default;
};

// The pieces of a property's value column: effective against base record.
std::vector<TDetailPiece> PropertyPieces(const GameData::TUnit& unit, i32 property);
// A skill line: the name, with " (turns)" when a timed effect of the skill
// runs, shortened to width before its bracket.
std::string SkillLine(const GameData::TUnit& unit, const std::string& name, i32 skill, Gfx::TFont* font, i32 width);

class TUnitDetailWindow : public TOrvWindow {
 public:
  TUnitDetailWindow(DXWin::TDXWindowSystem* windowSystem, u32 flags);
  ~TUnitDetailWindow() override;

  void Draw(Plat::TSurface* surface, const Base::TRect& rect) override;
  void Update() override;
  void SetUnit(GameData::TUnit* unit);
  // The unit's panel at (left, top), shown modally.
  void ShowUnit(GameData::TUnit* unit, i32 left, i32 top);
  // Gives the picture back, result 1.
  void CloseDetail();

  GameData::TUnit* Unit = nullptr;
  Gfx::TSprite* Background = nullptr;
  i32 PanelLeft = 0, PanelTop = 0;

  // What the panel lists, in panel coordinates.
  struct TShownSpell {
    i32 SpellID;
    Base::TRect Square;
  };
  struct TShownSkill {
    i32 SkillID;
    Base::TRect Line;
  };
  std::vector<TShownSpell> ShownSpells() const;
  std::vector<TShownSkill> ShownSkills() const;
  // The hint at a point in panel coordinates, before wrapping.
  std::string HintAt(i32 x, i32 y) const;

 private:
  void KeyPressed(Plat::WPARAM& key, DXWin::TShiftState);
  void ButtonPressed(int button, DXWin::TShiftState, int, int);
  void ButtonReleased(int, DXWin::TShiftState, int, int) {}
};

}  // namespace Main
