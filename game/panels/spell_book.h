// The modal spell book of one unit: the spells it knows and may use now,
// sorted into four school tabs, four to a page and two pages to a spread.
// Its result is SpellResultBase plus the chosen spell's number, or
// SpellResultBase alone when it was closed without a choice.
#pragma once

#include <string>
#include <vector>

#include "controls/book_window.h"
#include "engine/dxwin/button.h"

namespace GameData {
class TUnit;
struct TSpellPrototype;
}  // namespace GameData
namespace Gfx {
class TSprite;
}

namespace Main {

constexpr u32 SpellUsageMap = 1, SpellUsageBattle = 2;
constexpr i32 SpellResultBase = 1000;

// A school tab: its picture at the top-left while open, 17 pixels higher
// (and the tab 17 pixels taller) while closed.
class TSpellBookTab : public DXWin::TDXButton {
 public:
  TSpellBookTab(DXWin::TDXGroup* owner, DXWin::TDXWindow* window, Gfx::TSprite* picture);
  ~TSpellBookTab() override;
  void Draw(Plat::TSurface* surface, const Base::TRect& rect) override;
  void SetOpen(bool open);

  Gfx::TSprite* Picture = nullptr;
  u8 IsOpen = 0;
};

class TSpellSelectDialog : public TBookWindow {
 public:
  struct TSpellInfo {
    Gfx::TSprite* Icon;
    const GameData::TSpellPrototype* Spell;
  };
  static constexpr i32 TabCount = 4, SlotsPerSpread = 8, EdgeWidth = 60;

  explicit TSpellSelectDialog(DXWin::TDXWindowSystem* windowSystem);
  ~TSpellSelectDialog() override;

  void Draw(Plat::TSurface* surface, const Base::TRect& rect) override;
  void SetUnit(GameData::TUnit* unit, u32 usage);

  void SelectTab(i32 tab);
  void PageBack();
  void PageForward();
  void FirstPage() { Page = 0; }
  void LastPage();
  // Slot 0..7 of the open spread: chooses the spell when the unit can cast it.
  void CastSlot(i32 slot);
  // The entry of the open spread at a window point: its list index, -1 none.
  i32 EntryAt(i32 x, i32 y) const;
  i32 OpenCount() const { return Tab >= 0 ? static_cast<i32>(SpellLists[Tab].size()) : 0; }

  // A spell's number less 64 for a battle spell, and its tab.
  static i32 BaseNumber(const GameData::TSpellPrototype& spell);
  static i32 TabOf(i32 baseNumber);
  // "Selbst + Feind" and so on, in the book's order.
  static std::string TargetKinds(u32 targetFlags);
  // The entry's anchor on page 0 or 1, row 0..3, in window coordinates.
  static void EntryAnchor(i32 page, i32 row, i32& x, i32& y);

  GameData::TUnit* Unit = nullptr;
  u32 Usage = 0;
  i32 Page = 0;
  i32 Tab = -1;
  i32 MouseX = 0, MouseY = 0;
  bool PointerSeen = false;
  u32 FrameCount = 0;
  i32 HotEntry = -1;
  i32 SpellsPerPage = 4;
  std::vector<TSpellInfo> SpellLists[TabCount];
  TSpellBookTab* Tabs[TabCount] = {};

 private:
  void KeyPressed(Plat::WPARAM& key, DXWin::TShiftState shift);
  // A tab or page key: the spread it turns to; false for other keys.
  bool TurnSpreadByKey(Plat::WPARAM& key);
  // After a turn of the spread or the tab from (page, tab).
  void FollowPointer(i32 page, i32 tab);
  void ButtonPressed(int button, DXWin::TShiftState, int x, int y);
  void PointerMoved(DXWin::TShiftState, int x, int y);
  void Counted(DXWin::TDXControl*) { ++FrameCount; }
  void TabClicked(DXWin::TDXControl* c) { SelectTab(static_cast<i32>(c->Tag)); }
  void Finish(i32 result);
  void DrawEntry(Plat::TSurface* surface, const Base::TRect& clip, i32 x, i32 y, const TSpellInfo& info, bool hot);
  bool HasNextSpread() const { return (Page + 2) * SpellsPerPage < OpenCount(); }
};

// Shows the unit's book modally; the chosen spell's number, 0 for none.
i32 ChooseSpell(DXWin::TDXWindowSystem* windowSystem, GameData::TUnit* unit, u32 usage);

}  // namespace Main
