// The city screen: the square with the departure group, the defender slots
// and the city's other units, buttons for the merchants present, and inside
// a building that merchant's panel. It is also the executor of the city
// actions for whichever player posts them; it touches the screen only when
// the player whose turn it is views the game.
#pragma once

#include "engine/base/types.h"
#include "engine/dxwin/window.h"
#include "game/city/portrait_drag.h"

namespace GameData {
class TScenario;
class TGroup;
class TCity;
class TUnit;
class TPlayer;
}  // namespace GameData
namespace Gfx {
class TFont;
class TSprite;
}  // namespace Gfx

namespace Main {

class TFaceControl;
class TMenuButton;
class TIconTextButton;
class TSpriteScrollBar;
class TSpriteButton;
class TSpellListBox;

// Offers of a merchant: u32 count, then up to 64 pairs {index, price}.
using TOfferTable = u32[1 + 2 * 64];
// Fills a table from a merchant's 64 prices: every index with a price above 0.
void FillOffers(TOfferTable& table, const u32* prices);

// The x of a present merchant's button: the i-th of n in the 740-pixel strip from 30.
i32 BuildingButtonX(i32 i, i32 n, i32 width);
// Rows of the recruit grid (7 a row, 2 at least).
i32 RecruitRows(i32 count);

enum TCityBuilding : i32 { cbSquare = -1, cbTavern = 0, cbMageShop = 1, cbBattleMaster = 2, cbHealer = 3 };

class TCityWindow : public DXWin::TDXWindow, public TPortraitDrag {
 public:
  static constexpr i32 CellWidth = 94, CellHeight = 130, MaxShownRows = 4;

  explicit TCityWindow(DXWin::TDXWindowSystem* windowSystem);
  ~TCityWindow() override;

  void SetScenario(GameData::TScenario* scenario);
  void SetCity(GameData::TCity* city) { City = city; }
  void Open(GameData::TCity* city, GameData::TGroup* group);
  void CloseCity();
  void MoveUnit(i32 fromList, u32 unitID, i32 toList, i32 slot);
  void VisitMerchant(i32 index);
  void ExecutePurchase(u32 kind, u32 unitID, i32 playerIndex, i32 number);
  void LayoutBuildingButtons();
  void DrawBackground();

  void LayoutGrids();
  void UpdatePanels();
  void SelectUnit(GameData::TUnit* unit);
  void CheckSelection();
  void ReturnToSquare();
  // The leave button and Esc: from a building to the square, from the
  // square back to the map (posted).
  void LeavePressed();
  void ShowTavern();
  void ShowMageShop();
  void ShowBattleMaster();
  void ShowHealer();
  // The action buttons' work: a purchase posted, or one refusal in the ticker.
  void FirstActionPressed();
  void SecondActionPressed();
  void EnterBuilding(i32 index);

  // Input as the closures receive it, public for the tests: grid presses in
  // the grid's coordinates, moves and releases in the window's (the screen's).
  void GridPressed(TFaceControl* grid, int button, int x, int y);
  void GridDoubleClicked(TFaceControl* grid, int button, int x, int y);
  void PointerMoved(int x, int y);
  void ButtonReleased(int x, int y);
  void RecruitPressed(int button, int x, int y);

  // The unit shown in a cell of a grid (row counted with the scroll), or null.
  GameData::TUnit* UnitInCell(const TFaceControl* grid, i32 row, i32 column) const;
  // The hire list's entry shown in a recruit cell (-1 none).
  i32 RecruitAt(i32 row, i32 column) const;
  bool ViewerIsCurrent() const;

  GameData::TCity* City = nullptr;
  GameData::TScenario* Scenario = nullptr;
  u8 ShowAllDefenders = 0, ShowAllOthers = 0;
  GameData::TUnit* SelectedUnit = nullptr;
  i32 Building = cbSquare;
  i32 SelectedRecruit = -1;
  TOfferTable SpellItems = {}, BattleMasterItems = {}, HerbalistItems = {};
  Gfx::TSprite* CityPicture = nullptr;
  Gfx::TSprite* BuildingPicture = nullptr;
  Gfx::TSprite* BuildingIcons[6] = {};

  // Window sprite entries held while open.
  Gfx::TSprite* TileFrame = nullptr;
  Gfx::TSprite* ButtonBackground = nullptr;
  Gfx::TSprite* TitlePlate = nullptr;
  Gfx::TSprite* GoldIcon = nullptr;
  Gfx::TSprite* PriceIcons[4] = {};
  Gfx::TSprite* ScrollSprites[13] = {};
  Gfx::TFont* ButtonFonts[4] = {};  // 25, 24, 23, 22: normal, hover, pressed, disabled
  Gfx::TFont* TitleFont = nullptr;  // 26
  Gfx::TFont* TextFont = nullptr;   // 21

  TMenuButton* LeaveButton = nullptr;
  TMenuButton* BuildingButtons[6] = {};
  TIconTextButton* PriceDisplay = nullptr;
  TMenuButton* FirstAction = nullptr;
  TIconTextButton* GoldDisplay = nullptr;
  TMenuButton* SecondAction = nullptr;
  TFaceControl* DepartureGrid = nullptr;
  DXWin::TDXGroup* DefenderGroup = nullptr;
  TFaceControl* DefenderGrid = nullptr;
  TSpriteScrollBar* DefenderScroll = nullptr;
  TSpriteButton* DefenderExpand = nullptr;
  DXWin::TDXGroup* OthersGroup = nullptr;
  TFaceControl* OthersGrid = nullptr;
  TSpriteScrollBar* OthersScroll = nullptr;
  TSpriteButton* OthersExpand = nullptr;
  DXWin::TDXGroup* BuildingButtonGroup = nullptr;
  DXWin::TDXGroup* Panels[4] = {};
  TFaceControl* RecruitGrid = nullptr;
  TSpriteScrollBar* RecruitScroll = nullptr;
  TSpellListBox* OfferLists[3] = {};  // mage, battle master, healer
  TSpriteScrollBar* OfferScrolls[3] = {};

 private:
  void AcquireGraphics();
  void ReleaseGraphics();
  void ApplyGraphics();
  void Reselect();
  void DropOn(TFaceControl* target, i32 row);
  GameData::TPlayer* CurrentPlayer() const;
  u32 CurrentGold() const;
  void ShowGold();
  void FillOfferList(i32 list, TOfferTable& table, const u32* prices);
  // The sound test of an executed purchase: a record that names no unit of
  // this city, a foreign payer, an offer not for sale or more than the
  // payer's gold changes nothing.
  bool PurchaseIsSound(u32 kind, GameData::TUnit* unit, i32 playerIndex, i32 number) const;

  // Closures.
  void PaintWindow(Plat::TSurface* surface, const Base::TRect& rect);
  void PaintDepartureCell(int row, int column, const Base::TRect& cell, Plat::TSurface* surface);
  void PaintDefenderCell(int row, int column, const Base::TRect& cell, Plat::TSurface* surface);
  void PaintOtherCell(int row, int column, const Base::TRect& cell, Plat::TSurface* surface);
  void PaintRecruitCell(int row, int column, const Base::TRect& cell, Plat::TSurface* surface);
  void OnDepartureDown(int button, DXWin::TShiftState, int x, int y) { GridPressed(DepartureGrid, button, x, y); }
  void OnDefenderDown(int button, DXWin::TShiftState, int x, int y) { GridPressed(DefenderGrid, button, x, y); }
  void OnOthersDown(int button, DXWin::TShiftState, int x, int y) { GridPressed(OthersGrid, button, x, y); }
  void OnDepartureDouble(int button, DXWin::TShiftState, int x, int y) {
    GridDoubleClicked(DepartureGrid, button, x, y);
  }
  void OnOthersDouble(int button, DXWin::TShiftState, int x, int y) { GridDoubleClicked(OthersGrid, button, x, y); }
  void OnRecruitDown(int button, DXWin::TShiftState, int x, int y) { RecruitPressed(button, x, y); }
  void OnMove(DXWin::TShiftState, int x, int y);
  void OnUp(int button, DXWin::TShiftState, int x, int y);
  void OnKey(Plat::WPARAM& key, DXWin::TShiftState shift);
  void OnFrame(DXWin::TDXControl*) { CheckSelection(); }
  void OnLeave(DXWin::TDXControl*) { LeavePressed(); }
  void OnBuilding(DXWin::TDXControl* c) { EnterBuilding(static_cast<i32>(c->Tag)); }
  void OnExpand(DXWin::TDXControl* c);
  void OnFirstAction(DXWin::TDXControl*) { FirstActionPressed(); }
  void OnSecondAction(DXWin::TDXControl*) { SecondActionPressed(); }
};

}  // namespace Main
