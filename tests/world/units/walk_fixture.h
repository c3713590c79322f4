// Groups that walk: a 16 by 16 map of cost 2, player 1 moving (player 2
// hostile, player 0 neutral), the fastest movement speed, and a way to run
// ticks until the mover's owner has a record in its mailbox.
#pragma once

#include <algorithm>
#include <initializer_list>

#include "tests/world/world_fixture.h"
#include "world/scenario/settings.h"
#include "world/units/group.h"

namespace WorldTest {

class TWalkFixture : public TWorldFixture {
 protected:
  void SetUp() override {
    TWorldFixture::SetUp();
    SavedSpeed = Main::MovementSpeed;
    Main::MovementSpeed = 4;
    Fresh();
  }
  // A new scenario.
  void Fresh() {
    MakeScenario(16, 16, 3);
    Scenario->CurrentPlayerIndex = 1;
    Owner()->Relations[2] = GameData::rHostile;
  }
  void TearDown() override {
    Main::MovementSpeed = SavedSpeed;
    TWorldFixture::TearDown();
  }

  GameData::TPlayer* Owner() const { return Scenario->PlayerAt(1); }

  // A group of player 1 whose units have these action points.
  GameData::TGroup* Walker(i32 fx, i32 fy, i32 points, std::initializer_list<u32> prototypes = {Soldier}) {
    GameData::TGroup* g = NewGroup(1, fx, fy, prototypes);
    for (GameData::TUnit* u : g->Units)
      if (u) SetPoints(u, points);
    return g;
  }
  static void SetPoints(GameData::TUnit* u, i32 points) {
    u->Base.ActionPoints = {static_cast<i16>(points), static_cast<i16>(std::max(points, 12)), 0, 0};
    u->RecalcEffective(true);
  }
  static i32 Points(const GameData::TUnit* u) { return u->Effective.ActionPoints.Current; }
  // Another player's group, known to player 1.
  GameData::TGroup* Foreign(u8 owner, i32 fx, i32 fy, std::initializer_list<u32> prototypes = {Wolf}) {
    GameData::TGroup* g = NewGroup(owner, fx, fy, prototypes);
    g->Sighted = 1;
    Scenario->UpdateOccupancy();
    return g;
  }

  // Ticks the groups until player 1's mailbox holds a record, at most
  // limit ticks; takes the record out. Ticks counts the ticks run.
  GameData::TActionRecord Run(std::initializer_list<GameData::TGroup*> groups, i32 limit = 3000) {
    GameData::TActionRecord record;
    for (Ticks = 0; Ticks < limit && Owner()->Mailbox.Type() == GameData::atNone; ++Ticks) {
      for (GameData::TGroup* g : groups) g->Tick();
      Scenario->AddQueuedObjects();
    }
    Owner()->TakeAction(record);
    return record;
  }
  static bool IsResult(const GameData::TActionRecord& r, u32 code) {
    return r.Type() == GameData::atResult && r.Words[1] == code;
  }
  static GameData::TField At(const GameData::TGroup* g) {
    return {static_cast<i16>(g->FieldX()), static_cast<i16>(g->FieldY())};
  }

  i32 Ticks = 0;
  i32 SavedSpeed = 0;
};

}  // namespace WorldTest
