// The list of spells or skills for sale in a city's mage shop, battle master
// and healer: each offer with its pictures, requirements, price and
// description coloured by whether the buyer may learn it.
#pragma once

#include <string>

#include "engine/dxwin/list_box.h"

namespace GameData {
class TUnit;
struct TSkillPrototype;
}  // namespace GameData

namespace Main {

// Description colours (0x00RRGGBB).
constexpr u32 OfferLearnable = 0x00C000, OfferKnown = 0xA0A0A0, OfferNotAllowed = 0xD00000, OfferLevelTooLow = 0x008000;

// The school picture of a map spell offer: 0 druid .. 3 other.
i32 OfferSchool(i32 mapSpellNumber);
u32 SpellOfferColour(const GameData::TUnit& unit, i32 mapSpellNumber);
u32 SkillOfferColour(const GameData::TUnit& unit, i32 skillNumber);
// "(Level: n AP: m)" as far as the skill has them; empty for neither.
std::string SkillRequirements(const GameData::TSkillPrototype& skill);
// The text broken to width and cut to height with "...", and what of the
// broken text does not show.
void ShortenDescription(const std::string& text, i32 width, i32 height, std::string& shown, std::string& rest);

class TSpellListBox : public DXWin::TDXListBox {
 public:
  static constexpr i32 ItemHeightPixels = 72;

  // Mode 1 spells, 0 skills.
  TSpellListBox(DXWin::TDXGroup* owner, i32 itemWidth, u8 mode, i32 rowCount, DXWin::TDXScrollBar* scrollBar);
  ~TSpellListBox() override;

  void DrawItem(Plat::TSurface* surface, const Base::TRect& row, bool hot, bool selected, int index) override;
  // Item table: u32 count, then {index, price} pairs; owned by the caller.
  void SetItems(const u32* items, GameData::TUnit* unit);

  u8 Mode;
  const u32* Items = nullptr;
  GameData::TUnit* Unit = nullptr;

 private:
  void DrawSpellOffer(Plat::TSurface* surface, const Base::TRect& row, i32 index, u32 price, std::string (&rest)[2]);
  void DrawSkillOffer(Plat::TSurface* surface, const Base::TRect& row, i32 index, u32 price, std::string (&rest)[2]);
};

}  // namespace Main
