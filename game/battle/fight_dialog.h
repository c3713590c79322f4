// The battle screen: one battle between an attacking and a defending group
// on a six-by-six field. Local players give orders with the mouse and the
// keys, every side's orders travel as battle-orders records, and each round
// is played and drawn step by step. Battles the viewing player takes no part
// in run without it, with a marker on the map where the viewer can see them.
#pragma once

#include <string>

#include "combat/fight.h"
#include "controls/orv_window.h"
#include "engine/data/dynamic_array.h"
#include "world/scenario/action.h"

class TActionThread;
class TAudioStream;

namespace Gfx {
class TSprite;
}

namespace GameData {
class TGroup;
class TCity;
class TPlayer;
class TSpell;
}  // namespace GameData

namespace DXWin {
class TDXButton;
}

namespace Main {

class TUnitInfoControl;

// Animation states of a combatant on the field.
enum TFightAnimation : i32 { faStanding = 0, faWalking, faAttacking, faCasting, faDying, faDead, faHit };

// Sprite flags of TUnitData.
constexpr u32 UnitWalkLoaded = 2, UnitAttackLoaded = 4, UnitCastLoaded = 16;

// Requests of a side in its order phase.
enum TFightRequest : i32 { frNone = 0, frAutomatic = 1, frRetreat = 2, frAccept = 3 };

// The states of a round; see Update.
constexpr i32 FightLastState = 16;

// Sprite-table slots of the screen.
constexpr i32 SlotAutoButton = 1044, SlotRetreatButton = 1046, SlotAcceptButton = 1048, SlotAttackLine = 1050,
              SlotSpellLine = 1051, SlotSelfRing = 1052, SlotBattleMarker = 1078, SlotBannerSheet = 1111;

// A combatant's place and animation; pixels inside the field.
struct TUnitData {
  i32 X = 0, Y = 0;
  i32 Facing = 0;
  i32 Anim = faStanding;
  i32 Target = -1;
  i32 Frame = 0;
  i32 LastCellX = -1, LastCellY = -1;
  i32 BeforeLastCellX = -1, BeforeLastCellY = -1;
  u32 SpriteFlags = 0;
  Gfx::TSprite* Sprite = nullptr;
};

// floor(pixel / 64), also for negative pixels.
i32 CellOf(i32 pixel);
// The direction 0..7 from one cell toward another; 0 for the same cell.
i32 FacingTo(i32 x1, i32 y1, i32 x2, i32 y2);
bool IsAdjacent(i32 x1, i32 y1, i32 x2, i32 y2);
// The frames of a sprite that animate (0 for null).
i32 AnimFrames(const Gfx::TSprite* sprite);

// A battle-orders record of one side (first combatant 0 or 3); a retreat
// carries no orders.
GameData::TActionRecord FillOrdersRecord(const GameData::TFight& fight, u32 request, i32 first);

class TFightDialog : public TOrvWindow {
 public:
  struct TSoundInfo {
    u32 Delay;
    u32 Volume;
    TAudioStream* Sound;
  };

  explicit TFightDialog(DXWin::TDXWindowSystem* system);
  ~TFightDialog() override;

  // Starting and running a battle.
  void StartBattle(GameData::TGroup* attacker, GameData::TGroup* defender);
  void StartCityBattle(GameData::TGroup* attacker, GameData::TCity* city, i32 slot);
  // Shows the prepared battle until it has ended.
  void Execute();
  void ResolveBattle(GameData::TGroup* attacker, GameData::TGroup* defender);
  void ResolveCityBattle(GameData::TGroup* attacker, GameData::TCity* city, i32 slot);
  void End();
  void DrawBackground();
  void ClearPanels();
  void ShowNewUnits();
  void ReleaseResources();

  // Orders: the dispatcher's battle-orders record, and the local side's.
  void SetOrders(u32 request, const u32* orders);
  void PostOrders();
  void Accept();
  void Retreat();
  void AutoOrders();
  void UpdateButtons();
  void PollNetwork();
  // The spells, protect orders and blows of a round without the screen.
  void ExecuteUnseenRound();
  // A battle without the screen whose window is hidden still hears its peer.
  void PollWhileHidden();

  // Input.
  i32 HitTest(i32 x, i32 y) const;
  void ClickCombatant(i32 c);
  void CancelCombatant(i32 c);
  void SetHovered(i32 c);
  void OpenSpellBook(i32 c);
  void FightMouseDown(int button, DXWin::TShiftState shift, int x, int y);
  void FightMouseMove(DXWin::TShiftState shift, int x, int y);
  void FightKeyDown(Plat::WPARAM& key, DXWin::TShiftState shift);

  // The round.
  void FightUpdate(DXWin::TDXControl* = nullptr);
  void NextState();
  void BuildActingQueue();
  i32 NextStep(i32 c, i32 targetCellX, i32 targetCellY) const;
  i32 OccupiedCellX(i32 c) const;
  i32 OccupiedCellY(i32 c) const;
  bool UpdateHits();
  bool UpdateDeaths();
  void UpdateIdle();
  void QueueSound(TAudioStream* sound, i32 volume);
  void ServeSounds();

  // Drawing.
  void Paint(Plat::TSurface* surface, const Base::TRect& rect);
  void DrawSlotBadge(i32 slot, const GameData::TPlayer* owner, i32 x, i32 y, Plat::TSurface* surface);
  // Dying and dead first, then by y up, then by x down.
  static bool DrawsBefore(const TUnitData& a, const TUnitData& b);

  bool IsAttackerLocal() const;
  bool IsDefenderLocal() const;
  bool IsAttackerComputer() const;
  bool IsDefenderComputer() const;
  bool IsAttackerRemote() const;
  bool IsDefenderRemote() const;
  bool IsCurrentPlayerRemote() const;
  // The side's orders come from another machine: a remote player's side, or
  // in a joined network game a side without an owner, which the host alone
  // decides, as it does its computer players' sides.
  bool IsSideFromPeer(bool attackerSide) const;
  // The side whose order phase it is sends its orders from another machine
  // and no remote current player's thread receives them: the screen does.
  bool IsPhasePolled() const;
  // The side whose order phase it is, given by a local human.
  bool IsPhaseLocal() const;
  i32 ScreenX(i32 c) const { return Field.Left + Units[c].X; }
  i32 ScreenY(i32 c) const { return Field.Top + Units[c].Y; }
  // The order thread or the spell worker is still at work.
  bool WorkerRunning() const;
  // False while a battle runs outside its order phases (or a request waits).
  bool TakesOrders() const {
    return !Fight.Attacker || !Fight.Defender || ((State == 0 || State == 1) && Request == frNone);
  }
  bool BattleShown() const { return Fight.Attacker && Fight.Defender && !MarkerMode; }

  GameData::TFight Fight;
  i32 State = 0;
  i32 Selected = -1;
  Base::TRect Field{208, 150, 592, 534};
  i32 ArmedSpell = 0;
  std::string StatusText;
  u8 AutoFlag = 0;
  TActionThread* SpellWorker = nullptr;
  u32 StateFrame = 0;
  GameData::TCity* City = nullptr;
  Gfx::TSprite* Background = nullptr;
  TUnitData Units[GameData::CombatantCount];
  Data::TDynamicArray<i32> ActingQueue;
  GameData::TSpell* CurrentSpell = nullptr;
  GameData::TSpell* PreparedSpell = nullptr;
  u32 FrameClock = 0;
  Gfx::TSprite* SavedCursor = nullptr;
  u8 MarkerMode = 0;
  Gfx::TSprite* MarkerSprite = nullptr;
  i32 MarkerX = 0, MarkerY = 0;
  i32 Hovered = -1;
  i32 Request = frNone;
  Data::TDynamicArray<TSoundInfo> Sounds;
  u8 MarkerCycleDone = 1;
  DXWin::TDXButton* AcceptButton = nullptr;
  DXWin::TDXButton* AutoButton = nullptr;
  DXWin::TDXButton* RetreatButton = nullptr;
  TUnitInfoControl* Panels[GameData::CombatantCount] = {};
  // Set once this order phase's record has been posted.
  u8 OrdersPosted = 0;
  // Set once the caster in front of the queue has paid and been judged.
  u8 SpellDecided = 0;
  // Rounds of the battle so far; a battle without the screen stops at a bound.
  i32 Rounds = 0;

 private:
  void Start(GameData::TGroup* attacker, GameData::TGroup* defender);
  void Resolve(GameData::TGroup* attacker, GameData::TGroup* defender);
  void ResetScreen();
  void LoadResources();
  void ChooseBackground(GameData::TGroup* defender);
  // The aftermath both ends share; reloading changed sprites after a shown one.
  void Aftermath(bool reloadSprites);
  // A nested frame loop until the test holds or the session is lost.
  void WaitFor(bool (TFightDialog::*test)() const);
  bool OrdersComputed() const;
  bool RequestArrived() const;
  bool MarkerCycled() const;
  // One side's orders in a battle without the screen: computed here for a
  // side of this machine, awaited from the peer for a remote one.
  void TakeUnseenOrders(bool attackerSide);
  void UpdateMarker();
  void OrderPhase();
  void RefreshPanels();
  void ExecuteSpells();
  void Approach();
  void StartBlows(bool attackers);
  bool Blows(bool attackers);
  void EndBlows(bool attackers);
  void EndRound();
  // One step toward the wanted facing, the shorter way (+1 on a tie).
  void Turn(TUnitData& u, i32 wanted);
  void StartHits();
  void PrepareSpell();
  void FinishSpellWorker();
  void LoadSprites(u32 flag, i32 first, i32 count);
  void ReleaseSprites(u32 flag, i32 first, i32 count);
  bool OwnSide(i32 c) const { return State == 0 ? c < 3 : c >= 3; }
  Gfx::TSprite* CursorSprite(i32 slot) const;
  void ButtonClick(DXWin::TDXControl* button);
  void DrawButton(Plat::TSurface* surface, const Base::TRect& rect, DXWin::TDXButton* button, i32 slot);
  void DrawAutoButton(Plat::TSurface* surface, const Base::TRect& rect);
  void DrawRetreatButton(Plat::TSurface* surface, const Base::TRect& rect);
  void DrawAcceptButton(Plat::TSurface* surface, const Base::TRect& rect);
  void PortraitClick(DXWin::TDXControl* button);
  template <int K>
  void PortraitHover(DXWin::TShiftState, int, int) {
    SetHovered(K);
  }
  void SpellBookClick(DXWin::TDXControl* button);
  template <int K>
  void DrawBadge(Plat::TSurface* surface, const Base::TRect& rect) {
    DrawPanelBadge(K, surface, rect);
  }
  void DrawPanelBadge(i32 panel, Plat::TSurface* surface, const Base::TRect& rect);
  i32 PanelOf(const DXWin::TDXControl* control) const;
  void DrawOrderMarks(Plat::TSurface* surface, i32 first);
  void DrawDamage(Plat::TSurface* surface);
  // Set while the battle ended inside the round (a retreat, the end test).
  u8 Ended = 0;
};

}  // namespace Main
