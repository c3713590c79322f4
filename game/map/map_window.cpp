// The map window's binding, scrolling, click classification and input.
#include "game/map/map_window.h"

#include <algorithm>
#include <cstdlib>

#include "engine/d3dframe/d3dframe.h"
#include "engine/dxapp/dxapp.h"
#include "engine/dxwin/window_system.h"
#include "engine/platform/window/platform.h"
#include "game/map/button_window.h"
#include "game/control/game.h"
#include "game/battle/fight_dialog.h"
#include "game/city/city_window.h"
#include "game/panels/group_panel.h"
#include "world/data2/global_data.h"
#include "world/data2/main_data.h"
#include "world/locations/city.h"
#include "world/map/fog.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace Main {

using namespace GameData;

namespace {

constexpr i32 FieldSize = 40;
constexpr i32 PanelWidth = 145;   // the right-hand panels cover this much of the view
constexpr i32 EdgeWidth = 5;

bool IsLocation(const TMapObject* o) { return o && (o->Type == otCity || o->Type == otBuilding); }

// Own, allied, or neutral with own units in it.
bool IsUsableCity(const TPlayer* player, const TCity* city) {
  if (!player || !city) return false;
  const i32 relation = player->GetRelationToCity(city);
  if (relation == rSelf || relation == rAllied) return true;
  if (relation != rNeutral) return false;
  for (const TUnit* u : city->DepartureGroup->Units)
    if (u && city->GetUnitOwner(u) == player) return true;
  for (const TUnit* u : city->Units)
    if (city->GetUnitOwner(u) == player) return true;
  return false;
}

TActionRecord Record(u32 type) {
  TActionRecord r;
  r.Words[0] = type;
  return r;
}

const TSpellPrototype* SpellOf(i32 number) {
  if (!Data2::GlobalData || number <= 0) return nullptr;
  const i32 index = Data2::GlobalData->FindSpellPrototype(static_cast<i16>(number));
  return index < 0 ? nullptr : &Data2::GlobalData->SpellPrototypes[index];
}

}  // namespace

TEdgeZone EdgeZone(i32 x, i32 y) {
  const bool left = x < EdgeWidth, right = x > 799 - EdgeWidth, top = y < EdgeWidth, bottom = y > 599 - EdgeWidth;
  if (top) return left ? ezTopLeft : right ? ezTopRight : ezTop;
  if (bottom) return left ? ezBottomLeft : right ? ezBottomRight : ezBottom;
  if (left) return ezLeft;
  if (right) return ezRight;
  return ezNone;
}

i32 DragSpeed(i32 distance) {
  distance = std::clamp(distance, -200, 200);
  return distance > -20 && distance < 20 ? 0 : distance / 10;
}

TMapWindow::TMapWindow(DXWin::TDXWindowSystem* windowSystem) : TDXWindow(windowSystem, DXWin::wfBackground, 0) {
  SetBounds({0, 0, 800, 600});
  OnDraw = DXWin::TDrawEvent::Of<&TMapWindow::OnPaint>(this);
  OnUpdate = DXWin::TNotifyEvent::Of<&TMapWindow::OnUpdateEvent>(this);
  OnMouseDown = DXWin::TMouseEvent::Of<&TMapWindow::OnDown>(this);
  OnMouseUp = DXWin::TMouseEvent::Of<&TMapWindow::OnUp>(this);
  OnKeyDown = DXWin::TKeyEvent::Of<&TMapWindow::OnKey>(this);
  if (WindowSystem) WindowSystem->OnDrawCursor = DXWin::TDrawCursorEvent::Of<&TMapWindow::DrawDragAnchor>(this);
  CreateCacheSurface();
}

TMapWindow::~TMapWindow() {
  if (WindowSystem && WindowSystem->OnDrawCursor.Object == this) WindowSystem->OnDrawCursor = {};
  ReleaseCacheSurface();
}

void TMapWindow::SetScenario(TScenario* scenario) {
  Scenario = scenario;
  RedrawAll = 1;
  Dragging = 0;
  Centring = Acknowledge = 0;
  MarkerShown = 0;
  PathLength = -1;
  Target = nullptr;
}

void TMapWindow::ReleaseCacheSurface() {
  if (Cache) Cache->Release();
  Cache = nullptr;
}

void TMapWindow::CreateCacheSurface() {
  ReleaseCacheSurface();
  if (D3DFramework && D3DFramework->DirectDraw)
    Cache = D3DFramework->CreateOffscreenSurface(ViewRect.Width(), ViewRect.Height(), 0);
  RedrawAll = 1;
}

// The view.

void TMapWindow::ScrollTo(i32 x, i32 y) {
  // The scenario clamps to the map, with the margin east of it.
  if (Scenario) Scenario->SetViewPosition(x, y);
}

void TMapWindow::CentreOn(i32 x, i32 y, i32 steps, bool acknowledge) {
  if (!Scenario) return;
  Scenario->ScrollViewTo(x - (Scenario->ViewWidth - PanelWidth) / 2, y - Scenario->ViewHeight / 2, steps);
  Centring = 1;
  Acknowledge = acknowledge ? 1 : 0;
}

bool TMapWindow::IsInView(i32 x, i32 y) const {
  return Scenario && x >= Scenario->ViewX && x < Scenario->ViewX + Scenario->ViewWidth && y >= Scenario->ViewY &&
         y < Scenario->ViewY + Scenario->ViewHeight;
}

void TMapWindow::ShowClickMarker(i32 x, i32 y) {
  if (!Scenario) return;
  MarkerX = (Scenario->ViewX + x) / FieldSize * FieldSize + FieldSize / 2;
  MarkerY = (Scenario->ViewY + y) / FieldSize * FieldSize + FieldSize / 2;
  MarkerFrame = 0;
  MarkerShown = 1;
}

// Who acts.

TPlayer* TMapWindow::CurrentPlayer() const {
  return Scenario ? Scenario->PlayerAt(Scenario->CurrentPlayerIndex) : nullptr;
}

bool TMapWindow::LocalTurn() const {
  const TPlayer* current = CurrentPlayer();
  return current && Scenario->ViewingPlayer == current && current->Kind == pkHuman;
}

TCity* TMapWindow::UsableSelectedCity() const {
  const TPlayer* current = CurrentPlayer();
  TCity* city = current ? current->GetSelectedCity() : nullptr;
  return IsUsableCity(current, city) ? city : nullptr;
}

TGroup* TMapWindow::MovingGroup() const {
  const TPlayer* current = CurrentPlayer();
  if (!current) return nullptr;
  if (TGroup* group = current->GetSelectedGroup()) return group->GetOwner() == current ? group : nullptr;
  TCity* city = UsableSelectedCity();
  return city && city->DepartureGroup->GetUnitCount() > 0 ? city->DepartureGroup.get() : nullptr;
}

bool TMapWindow::HasDepartingGroup() const {
  const TCity* city = UsableSelectedCity();
  return city && city->DepartureGroup->GetUnitCount() > 0;
}

i32 TMapWindow::PathTo(i32 fx, i32 fy) {
  TGroup* group = MovingGroup();
  if (!group) return PathLength = -1;
  const TPlayer* current = CurrentPlayer();
  if (!current->GetSelectedGroup()) return PathLength = Scenario->FindPathFromSources(fx, fy, group);
  return PathLength = Scenario->FindPath(group->FieldX(), group->FieldY(), fx, fy, group);
}

// Classification.

TClickOutcome TMapWindow::ClassifyClick(i32 x, i32 y) {
  Target = nullptr;
  if (!Scenario) return TClickOutcome::None;
  const i32 px = Scenario->ViewX + x, py = Scenario->ViewY + y;
  if (px < 0 || py < 0 || px >= Scenario->Width * FieldSize || py >= Scenario->Height * FieldSize)
    return TClickOutcome::None;
  TGroup* moving = MovingGroup();
  if (!moving) return TClickOutcome::None;
  TPlayer* current = CurrentPlayer();
  const i32 index = Scenario->GetVisibleObjectIndexAt(px, py);
  TMapObject* target = index >= 0 ? Scenario->MapObjects[index] : nullptr;
  Target = target;
  TargetFieldX = std::clamp(px / FieldSize, 0, Scenario->Width - 1);
  TargetFieldY = std::clamp(py / FieldSize, 0, Scenario->Height - 1);
  const auto pathOutcome = [&](i32 fx, i32 fy, TClickOutcome found) {
    return PathTo(fx, fy) >= 0 ? found : TClickOutcome::Blocked;
  };
  if (target == moving) return TClickOutcome::None;
  if (!target) return pathOutcome(TargetFieldX, TargetFieldY, TClickOutcome::Move);
  if (target->Type == otGroup) {
    auto* group = static_cast<TGroup*>(target);
    const i32 relation = current->GetRelationToGroup(group);
    const auto approach = [&](TClickOutcome found) {
      i32 fx, fy;
      if (!Scenario->FindFieldNextToGroup(group, moving, fx, fy)) return TClickOutcome::Blocked;
      return pathOutcome(fx, fy, found);
    };
    if (relation == rSelf) {
      switch (moving->CheckMerge(group)) {
        case 0: return pathOutcome(group->FieldX(), group->FieldY(), TClickOutcome::Join);
        case 1: return TClickOutcome::GroupFull;
        default: return TClickOutcome::TwoHeroes;
      }
    }
    if (group->HasConversation(Scenario->CurrentPlayerIndex, 2)) return approach(TClickOutcome::Meet);
    if (relation == rHostile) return approach(TClickOutcome::Attack);
    return TClickOutcome::None;
  }
  if (IsLocation(target)) {
    auto* location = static_cast<TLocation*>(target);
    if (target == current->GetSelectedCity() && UsableSelectedCity()) return TClickOutcome::EnterSelectedCity;
    i32 fx, fy;
    if (!Scenario->FindFieldInLocation(location, moving, fx, fy)) return TClickOutcome::Blocked;
    const bool hostileCity = target->Type == otCity &&
                             current->GetRelationToCity(static_cast<TCity*>(target)) == rHostile &&
                             static_cast<TCity*>(target)->HasDefenders();
    return pathOutcome(fx, fy, hostileCity ? TClickOutcome::AttackCity : TClickOutcome::Enter);
  }
  return pathOutcome(TargetFieldX, TargetFieldY, TClickOutcome::Move);
}

i32 TMapWindow::ClassifySelectClick(i32 x, i32 y) {
  Target = nullptr;
  if (!Scenario) return 0;
  const i32 px = Scenario->ViewX + x, py = Scenario->ViewY + y;
  if (px < 0 || py < 0 || px >= Scenario->Width * FieldSize || py >= Scenario->Height * FieldSize) return 0;
  const i32 index = Scenario->GetVisibleObjectIndexAt(px, py);
  if (index < 0) return 0;
  TMapObject* target = Scenario->MapObjects[index];
  Target = target;
  switch (target->Type) {
    case otGroup: return 1;
    case otBuilding: return 2;
    case otCity: {
      const auto* city = static_cast<const TCity*>(target);
      if (city->Closed) return 2;
      const TPlayer* current = CurrentPlayer();
      return current && current->GetSelectedCity() == city && IsUsableCity(current, city) ? 3 : 2;
    }
    default: return 0;
  }
}

// Input.

void TMapWindow::Post(const TActionRecord& record) {
  if (TPlayer* current = CurrentPlayer()) current->PostAction(true, record);
}

void TMapWindow::PostOutcome(TClickOutcome outcome, i32 x, i32 y) {
  TActionRecord r = Record(atMove);
  u32* w = r.Words;
  w[1] = static_cast<u32>(TargetFieldX);
  w[2] = static_cast<u32>(TargetFieldY);
  w[7] = 1;  // rebuild the move costs
  switch (outcome) {
    case TClickOutcome::Move: break;
    case TClickOutcome::Join:
      w[4] = 1;
      w[6] = Target->ID;
      break;
    case TClickOutcome::Attack:
    case TClickOutcome::Meet:
      w[3] = outcome == TClickOutcome::Attack ? amAttack : amMeet;
      w[6] = Target->ID;
      break;
    case TClickOutcome::Enter:
    case TClickOutcome::AttackCity:
      w[1] = w[2] = 0;
      w[4] = 1u << 8;
      w[6] = Target->ID;
      break;
    case TClickOutcome::EnterSelectedCity:
      r = Record(atEnterCity);
      r.Words[1] = Target->ID;
      break;
    case TClickOutcome::Blocked: Game->AddMessage("Weg versperrt."); return;
    case TClickOutcome::GroupFull: Game->AddMessage("Vereinigung nicht m\xF6glich. Zu viele Einheiten in der Gruppe"); return;
    case TClickOutcome::TwoHeroes:
      Game->AddMessage("Vereinigung nicht m\xF6glich. Es befinden sich Helden in beiden Gruppen.");
      return;
    default: return;
  }
  Post(r);
  ShowClickMarker(x, y);
}

void TMapWindow::BeginDrag(i32 x, i32 y) {
  Dragging = 1;
  AnchorX = x;
  AnchorY = y;
}

void TMapWindow::MapMouseDown(int button, DXWin::TShiftState, int x, int y) {
  if (!Scenario || !Scenario->ViewingPlayer || !LocalTurn() || Dragging || Centring || !Game) return;
  TPlayer* current = CurrentPlayer();
  u32 result = 1;
  current->GetResult(result);
  if (result == 0)
    if (TGroup* walking = current->GetSelectedGroup())
      if (walking->AnimationState == asTurningOnWalk || walking->AnimationState == asStepping) walking->Stop();
  if (Scenario->IsBusy()) return;
  if (button == DXWin::mbMiddle) {
    BeginDrag(x, y);
    return;
  }
  if (button == DXWin::mbLeft && EdgeZone(x, y) == ezNone) {
    if (Game->ArmedSpell > 0) {
      const i32 fx = (Scenario->ViewX + x) / FieldSize, fy = (Scenario->ViewY + y) / FieldSize;
      if (!Scenario->CanCastSpellAt(Game->ArmedCaster, Game->ArmedSpell, fx, fy)) return;
      TGroup* moving = MovingGroup();
      const TUnit* caster = moving && Game->ArmedCaster >= 0 && Game->ArmedCaster < MaxGroupUnits
                                ? moving->Units[Game->ArmedCaster]
                                : nullptr;
      if (!caster) return;
      TActionRecord r = Record(atCastSpell);
      r.Words[1] = caster->ID;
      r.Words[2] = static_cast<u32>(Game->ArmedSpell);
      r.Words[3] = static_cast<u32>(fx);
      r.Words[4] = static_cast<u32>(fy);
      Post(r);
      Game->ArmedSpell = Game->ArmedCaster = 0;
      ShowClickMarker(x, y);
    } else if (CanAct()) {
      PostOutcome(ClassifyClick(x, y), x, y);
    } else {
      const i32 answer = ClassifySelectClick(x, y);
      if (answer == 0) return;
      TActionRecord r = Record(answer == 3 ? atEnterCity : atSelect);
      r.Words[1] = Target->ID;
      Post(r);
    }
    return;
  }
  if (button == DXWin::mbRight) {
    if (Game->ArmedSpell > 0) {
      Game->ArmedSpell = Game->ArmedCaster = 0;
    } else if (current->Selection) {
      Post(Record(atSelect));
    }
  }
}

void TMapWindow::MapMouseUp(int button, DXWin::TShiftState, int, int) {
  if (button == DXWin::mbMiddle) Dragging = 0;
}

void TMapWindow::MapKeyDown(Plat::WPARAM& key, DXWin::TShiftState shift) {
  const Plat::WPARAM pressed = key;
  // The map takes every key it sees.
  key = 0;
  if (shift & (DXWin::ssShift | DXWin::ssCtrl | DXWin::ssAlt)) return;
  if (!Scenario || !Scenario->ViewingPlayer || !Game) return;
  const TPlayer* current = CurrentPlayer();
  if (Scenario->ViewingPlayer->Kind != pkHuman || !current || current->Kind != pkHuman) return;
  if (Scenario->IsBusy()) return;
  TShortcutKey* s = Game->Shortcuts;
  const auto matches = [&](i32 record) {
    Plat::WPARAM k = pressed;
    return s[record].Matches(k);
  };
  for (i32 i = 0; i < 3; ++i)
    if (matches(scPanelSpellBook1 + i)) {
      if (Game->GroupInfoWindow) Game->GroupInfoWindow->OpenSpellBook(i);
      return;
    }
  if (Game->GameType == SinglePlayer)
    for (i32 i = 0; i < HeroHotkeyCount; ++i) {
      if (!matches(scHero1 + i)) continue;
      const TUnit* hero = Scenario->FindUnit(HeroHotkeyUnits[i]);
      const TGroup* group = hero ? hero->GetGroup() : nullptr;
      if (!group || group->GetOwner() != current) continue;
      TActionRecord r = Record(atSelect);
      r.Words[1] = group->ID;
      Post(r);
      return;
    }
  TButtonWindow* buttons = Game->ButtonWindow.get();
  if (matches(scEndTurn)) {
    if (buttons) buttons->EndTurnClick();
    return;
  }
  if (matches(scNextGroup)) {
    if (buttons) buttons->NextGroupClick();
    return;
  }
  if (matches(scNextGroupWithAPs)) {
    if (buttons) buttons->NextActiveGroupClick();
    return;
  }
  if (matches(scCreatureBook)) {
    if (buttons) buttons->CreatureBookClick();
    return;
  }
  if (matches(scDiary)) {
    if (buttons) buttons->DiaryClick();
    return;
  }
  if (matches(scCamp)) {
    if (buttons) buttons->CampClick();
    return;
  }
  if (matches(scMainMenu)) {
    if (buttons) buttons->MainMenuClick();
    return;
  }
  switch (pressed) {
    case Plat::VK_LEFT: ScrollTo(Scenario->ViewX - FieldSize, Scenario->ViewY); break;
    case Plat::VK_RIGHT: ScrollTo(Scenario->ViewX + FieldSize, Scenario->ViewY); break;
    case Plat::VK_UP: ScrollTo(Scenario->ViewX, Scenario->ViewY - FieldSize); break;
    case Plat::VK_DOWN: ScrollTo(Scenario->ViewX, Scenario->ViewY + FieldSize); break;
    case Plat::VK_F1 + 5: Game->ReturnToMainMenu(1); break;
    case Plat::VK_F1 + 6: Game->ReturnToMainMenu(2); break;
    default: break;
  }
}

// The update step.

Gfx::TSprite* TMapWindow::Cursor(i32 number) const {
  return Data2::MainData && number >= 0 && number < Data2::InterfaceSpriteCount ? Data2::MainData->InterfaceSprites[number]
                                                                                : nullptr;
}

void TMapWindow::ChooseCursor(i32 mx, i32 my) {
  DXWin::TDXWindowSystem* ws = WindowSystem;
  if (Dragging) {
    if (ws) ws->SetOverrideCursor(Cursor(mcDrag));
    return;
  }
  if (!LocalTurn()) {
    if (ws) ws->SetOverrideCursor(Scenario->BattleRunning ? nullptr : Cursor(mcWaiting));
    Hint.clear();
    return;
  }
  if (ws) ws->SetOverrideCursor(nullptr);
  const TEdgeZone zone = EdgeZone(mx, my);
  if (zone != ezNone) {
    if (ws) ws->SetOverrideCursor(Cursor(mcScrollFirst + static_cast<i32>(zone)));
    Hint.clear();
    return;
  }
  if (Game && Game->ArmedSpell > 0) {
    const i32 fx = (Scenario->ViewX + mx) / FieldSize, fy = (Scenario->ViewY + my) / FieldSize;
    SetCursor(Cursor(Scenario->CanCastSpellAt(Game->ArmedCaster, Game->ArmedSpell, fx, fy) ? mcSpellHere
                                                                                           : mcSpellNotHere));
    return;
  }
  const bool covered = ws && ws->WindowAt(mx, my) != this;
  if (Scenario->IsBusy() || covered) {
    SetCursor(Cursor(mcNormal));
    Hint.clear();
    return;
  }
  if (CanAct()) {
    i32 cursor = mcNormal;
    switch (ClassifyClick(mx, my)) {
      case TClickOutcome::Move:
      case TClickOutcome::Join: cursor = mcMove; break;
      case TClickOutcome::Attack:
      case TClickOutcome::AttackCity: cursor = mcAttack; break;
      case TClickOutcome::Meet: cursor = mcMeet; break;
      case TClickOutcome::Enter: cursor = mcEnter; break;
      case TClickOutcome::Blocked:
      case TClickOutcome::GroupFull:
      case TClickOutcome::TwoHeroes: cursor = mcRefused; break;
      case TClickOutcome::EnterSelectedCity: cursor = mcOwnLocation; break;
      default: break;
    }
    SetCursor(Cursor(cursor));
    const TPlayer* viewer = Scenario->ViewingPlayer;
    const bool explored = !viewer || !viewer->Fog ||
                          (Target && viewer->Fog->GetState(Target->FieldX(), Target->FieldY(), fsUnexplored) != fsUnexplored);
    Hint = Target && explored ? Target->Caption : std::string();
    return;
  }
  SetCursor(Cursor(ClassifySelectClick(mx, my) != 0 ? mcOwnLocation : mcNormal));
  Hint = Target ? Target->Caption : std::string();
}

void TMapWindow::UpdateMap() {
  const i32 mx = DXApplication ? DXApplication->MouseX : 0, my = DXApplication ? DXApplication->MouseY : 0;
  // Without the application's window there is no mouse (a headless game).
  const bool mouse = DXApplication && DXApplication->hWnd;
  if (Dragging && (!mouse || !Plat::Current().IsKeyDown(Plat::VK_MBUTTON))) Dragging = 0;
  if (!Scenario || !Scenario->ViewingPlayer) return;
  const bool local = LocalTurn();
  if (mouse && local && Dragging) {
    const i32 dx = mx - AnchorX, dy = my - AnchorY;
    i32 vx = Scenario->ViewX + DragSpeed(dx), vy = Scenario->ViewY + DragSpeed(dy);
    if (dx != 0 || dy != 0) {
      vx += dx;
      vy += dy;
      DXApplication->SetMousePos(AnchorX, AnchorY);
    }
    ScrollTo(vx, vy);
  } else if (mouse && local && (!WindowSystem || WindowSystem->WindowAt(400, 300) == this)) {
    i32 dx = 0, dy = 0;
    switch (EdgeZone(mx, my)) {
      case ezBottom: dy = 1; break;
      case ezTop: dy = -1; break;
      case ezLeft: dx = -1; break;
      case ezRight: dx = 1; break;
      case ezTopLeft: dx = dy = -1; break;
      case ezTopRight: dx = 1, dy = -1; break;
      case ezBottomLeft: dx = -1, dy = 1; break;
      case ezBottomRight: dx = dy = 1; break;
      case ezNone: break;
    }
    if (dx || dy) ScrollTo(Scenario->ViewX + dx * EdgeWidth, Scenario->ViewY + dy * EdgeWidth);
  }
  if (Centring && Scenario->ScrollSteps <= 0) {
    Centring = 0;
    if (Acknowledge)
      if (TPlayer* current = CurrentPlayer()) current->SetResult(1);
    Acknowledge = 0;
  }
  PathLength = -1;
  if (mouse) ChooseCursor(mx, my);
  TPlayer* current = CurrentPlayer();
  const TGroup* followed = current ? current->GetSelectedGroup() : nullptr;
  if (followed && !Centring && Scenario->ViewingPlayer->CanSee(followed) && !local)
    Scenario->SetViewPosition(followed->X - (ViewRect.Width() - PanelWidth) / 2, followed->Y - ViewRect.Height() / 2);
  if (MarkerShown && DXApplication && DXApplication->UpdateCount % 5 == 0) {
    ++MarkerFrame;
    const Gfx::TSprite* marker = Cursor(mcClickMarker);
    if (!marker || MarkerFrame >= AnimationFrameCount(marker)) MarkerShown = 0;
  }
  if (Game && Game->ArmedSpell > 0 && local && followed) {
    const TSpellPrototype* spell = SpellOf(Game->ArmedSpell);
    if (spell && spell->TargetFlags == 16)
      MapMouseDown(DXWin::mbLeft, 0, followed->X - Scenario->ViewX, followed->Y - Scenario->ViewY);
  }
}

}  // namespace Main
