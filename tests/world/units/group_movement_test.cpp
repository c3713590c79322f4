#include <algorithm>
#include <string>
#include <vector>

#include "tests/world/units/walk_fixture.h"
#include "world/locations/city.h"
#include "world/map/drawing.h"
#include "world/map/fog.h"
#include "world/scenario/conversation.h"
#include "world/scenario/spell_course.h"
#include "world/units/unit.h"

namespace WorldTest {
namespace {

using namespace GameData;

class GroupMovement : public TWalkFixture {
 protected:
  // Ticks until the group has left its field's centre.
  void TickUntilUnderway(TGroup* g) {
    const i16 x = g->X, y = g->Y;
    for (i32 i = 0; i < 200 && g->X == x && g->Y == y; ++i) g->Tick();
    ASSERT_NE(g->X, x);
  }
  TConversation* Conversation(u32 ownerType, u32 ownerID) {
    auto* c = new TConversation;
    c->ID = Scenario->NewID();
    c->OwnerType = ownerType;
    c->OwnerID = ownerID;
    c->TargetPlayers = 1 << 1;
    Scenario->Conversations->Items.Add(c);
    return c;
  }
};

TEST_F(GroupMovement, WalksToTheFieldPayingEachStep) {
  TGroup* g = Walker(2, 5, 12);
  g->MoveTo(6, 5, 0, true);
  EXPECT_EQ(g->PendingAction, gaWalk);
  EXPECT_EQ(Owner()->Mailbox.Type(), atNone) << "the walk reports when it ends";
  TActionRecord r = Run({g});
  EXPECT_TRUE(IsResult(r, arDone));
  EXPECT_EQ(At(g), (TField{6, 5}));
  EXPECT_EQ(g->X, 6 * 40 + 20);
  EXPECT_EQ(g->Y, 5 * 40 + 20);
  EXPECT_EQ(g->Direction, dEast);
  EXPECT_EQ(g->AnimationState, asIdle);
  EXPECT_EQ(Points(g->Units[0]), 4) << "four steps of 2";
  EXPECT_EQ(Scenario->MoveCosts[Scenario->FieldIndex(6, 5)], 0) << "move costs from where it stands";
  EXPECT_EQ(Scenario->OccupantAt(6, 5), g);
  EXPECT_EQ(Scenario->OccupantAt(2, 5), nullptr);
}

TEST_F(GroupMovement, WalksUntilItsActionPointsRunOut) {
  TGroup* g = Walker(2, 5, 12);
  g->MoveTo(12, 5, 0, true);
  TActionRecord r = Run({g});
  EXPECT_TRUE(IsResult(r, arNoActionPoints));
  EXPECT_EQ(At(g), (TField{8, 5})) << "six steps of 2";
  EXPECT_EQ(Points(g->Units[0]), 0);
  EXPECT_EQ(Owner()->OutOfActionPoints, 1);
}

TEST_F(GroupMovement, TheReserveIsKept) {
  TGroup* g = Walker(2, 5, 12);
  g->MoveTo(12, 5, 4, true);
  EXPECT_TRUE(IsResult(Run({g}), arNoActionPoints));
  EXPECT_EQ(At(g), (TField{6, 5}));
  EXPECT_EQ(Points(g->Units[0]), 4);
}

TEST_F(GroupMovement, StopsShortOfAnOccupiedLastField) {
  TGroup* g = Walker(2, 5, 12);
  NewGroup(1, 8, 5, {Wolf});  // own: the path leads through it
  g->MoveTo(12, 5, 0, true);
  EXPECT_EQ(g->ShortStop, 1);
  EXPECT_EQ(g->StopField, (TField{7, 5}));
  EXPECT_TRUE(IsResult(Run({g}), arNoActionPoints));
  EXPECT_EQ(At(g), (TField{7, 5}));
  EXPECT_EQ(Points(g->Units[0]), 2);
}

TEST_F(GroupMovement, DoesNotMoveWhenNoAffordableFieldIsFree) {
  TGroup* g = Walker(2, 5, 2);
  NewGroup(1, 3, 5, {Wolf});
  g->MoveTo(6, 5, 0, true);
  TActionRecord r;
  Owner()->TakeAction(r);
  EXPECT_TRUE(IsResult(r, arNoActionPoints)) << "at once";
  EXPECT_EQ(g->PendingAction, gaNone);
  EXPECT_EQ(Owner()->OutOfActionPoints, 1);
}

TEST_F(GroupMovement, ASightingStopsTheWalkAtTheNextField) {
  TGroup* g = Walker(2, 5, 12);
  g->MoveTo(8, 5, 0, true);
  TickUntilUnderway(g);
  Owner()->SightingStop = 1;  // what the fog update raises when something comes into view
  EXPECT_TRUE(IsResult(Run({g}), arSighted));
  EXPECT_EQ(At(g), (TField{3, 5}));
  EXPECT_EQ(g->X, 3 * 40 + 20);
  EXPECT_EQ(g->AnimationState, asIdle);
}

TEST_F(GroupMovement, ASightingOnAnotherGroupsFieldStopsAtTheNextFreeOne) {
  TGroup* g = Walker(2, 5, 12);
  NewGroup(1, 3, 5, {Wolf});
  g->MoveTo(8, 5, 0, true);
  TickUntilUnderway(g);
  Owner()->SightingStop = 1;
  while (!(g->FieldX() == 3 && g->X == 3 * 40 + 20)) g->Tick();
  EXPECT_EQ(g->DeferredStop, 1);
  Owner()->ClearFrameFlags();  // as the controller does every frame
  EXPECT_TRUE(IsResult(Run({g}), arSighted));
  EXPECT_EQ(At(g), (TField{4, 5}));
}

TEST_F(GroupMovement, AnAreaConversationStopsTheWalk) {
  auto* area = new TArea;
  area->ID = 77;
  area->AddField(4, 5);
  Scenario->Areas.AddSorted(area);
  TConversation* c = Conversation(coAreaEntered, 77);
  TGroup* g = Walker(2, 5, 12);
  g->MoveTo(8, 5, 0, true);
  EXPECT_TRUE(IsResult(Run({g}), arStopped));
  EXPECT_EQ(At(g), (TField{4, 5}));
  EXPECT_EQ(Scenario->PopConversation(), c);
}

TEST_F(GroupMovement, SpeedFollowsTheSettingAndWhatTheViewerSees) {
  const i32 ticksPerStep[5] = {7, 5, 4, 2, 1};
  TGroup* g = Walker(2, 5, 12);
  g->CurrentField = {2, 5};
  g->NextField = {3, 5};
  for (i32 speed = 0; speed < 5; ++speed) {
    Main::MovementSpeed = speed;
    g->UpdateSpeed();
    EXPECT_EQ(g->TicksPerStep, ticksPerStep[speed]) << speed;
    EXPECT_EQ(g->PixelsPerStep, 4);
  }
  // Player 0 watches: it sees neither field, so the group crosses a field a tick.
  Scenario->ViewingPlayer = Scenario->PlayerAt(0);
  g->UpdateSpeed();
  EXPECT_EQ(g->TicksPerStep, 1);
  EXPECT_EQ(g->PixelsPerStep, 40);
  Scenario->PlayerAt(0)->Fog->SetState(3, 5, fsVisible);
  g->UpdateSpeed();
  EXPECT_EQ(g->PixelsPerStep, 4) << "one of the two fields in sight";

  Main::MovementSpeed = 3;
  g->Direction = dEast;
  g->MoveTo(3, 5, 0, true);
  for (i32 i = 0; i < 5; ++i) g->Tick();
  EXPECT_EQ(g->X, 2 * 40 + 24) << "the first 4-pixel step";
  Run({g});
  EXPECT_EQ(Ticks, 17) << "nine more 4-pixel steps, one every second tick";
}

TEST_F(GroupMovement, AnUnseenForeignGroupJumpsFieldByField) {
  Scenario->ViewingPlayer = Scenario->PlayerAt(0);
  TGroup* g = Walker(2, 5, 12);
  g->Direction = dEast;
  g->MoveTo(5, 5, 0, true);
  for (i32 i = 0; i < 5; ++i) g->Tick();
  EXPECT_EQ(g->X, 3 * 40 + 20) << "a whole field in one tick";
  EXPECT_TRUE(IsResult(Run({g}), arDone));
  EXPECT_EQ(Ticks, 2);
}

TEST_F(GroupMovement, OthersWhoSeeTheFieldAreNotified) {
  Scenario->PlayerAt(2)->Fog->SetState(3, 5, fsVisible);
  TGroup* g = Walker(2, 5, 12, {Soldier, Wolf});
  g->MoveTo(4, 5, 0, true);
  Run({g});
  ASSERT_EQ(Scenario->PlayerAt(2)->GetNotificationCount(), 2) << "one per unit, on the field it saw";
  TNotification* n = Scenario->PlayerAt(2)->GetNotification(0);
  EXPECT_EQ(n->Kind, 1u);
  EXPECT_EQ(n->X, 3);
  EXPECT_EQ(n->UnitID, g->Units[0]->ID);
  EXPECT_EQ(Scenario->PlayerAt(0)->GetNotificationCount(), 0);
  EXPECT_EQ(Owner()->GetNotificationCount(), 0);
}

TEST_F(GroupMovement, AStopOrderEndsTheWalkAtTheNextCentre) {
  TGroup* g = Walker(2, 5, 12);
  g->MoveTo(8, 5, 0, true);
  TickUntilUnderway(g);
  g->Stop();
  EXPECT_TRUE(IsResult(Run({g}), arDone));
  EXPECT_EQ(At(g), (TField{3, 5}));
  EXPECT_EQ(g->X, 3 * 40 + 20);
}

TEST_F(GroupMovement, JoiningMergesOnArrival) {
  TGroup* g = Walker(2, 5, 12);
  TGroup* target = NewGroup(1, 5, 5, {Wolf});
  TUnit* wolf = target->Units[0];
  const u32 targetID = target->ID;
  g->JoinGroup(target, 0, true);
  EXPECT_TRUE(IsResult(Run({g}), arDone));
  EXPECT_EQ(At(g), (TField{5, 5}));
  EXPECT_EQ(g->GetUnitCount(), 2);
  EXPECT_EQ(g->Units[0], wolf) << "the joined group's units come first";
  EXPECT_EQ(wolf->Container, g);
  EXPECT_EQ(Scenario->FindGroup(targetID), nullptr);
}

TEST_F(GroupMovement, AnAttackBeginsWhenBothFaceEachOther) {
  TGroup* g = Walker(2, 5, 12);
  TGroup* enemy = Foreign(2, 6, 5);
  g->ApproachGroup(enemy, amAttack, 0, true);
  TActionRecord r = Run({g, enemy});
  EXPECT_EQ(r.Type(), atAttackGroup);
  EXPECT_EQ(r.Words[1], enemy->ID);
  EXPECT_EQ(At(g), (TField{5, 5}));
  EXPECT_EQ(g->Direction, dEast);
  EXPECT_EQ(enemy->Direction, dWest);
  EXPECT_EQ(g->InBattle + enemy->InBattle, 2);
  EXPECT_EQ(g->EncounterMode + enemy->ApproachedMark, 0);
  Scenario->ClearBattleFlags(g, enemy);
  EXPECT_EQ(g->InBattle + enemy->InBattle, 0);
}

TEST_F(GroupMovement, AMeetingTriggersTheOthersConversations) {
  TGroup* g = Walker(2, 5, 12);
  TGroup* other = Foreign(0, 6, 5);
  TConversation* c = Conversation(coGroupMet, other->Units[0]->ID);
  g->ApproachGroup(other, amMeet, 0, true);
  EXPECT_TRUE(IsResult(Run({g, other}), arDone));
  EXPECT_EQ(Scenario->PopConversation(), c);
  EXPECT_EQ(g->InBattle + other->InBattle, 0);
}

TEST_F(GroupMovement, ACastTurnsPaysAndHandsTheSpellOver) {
  TGroup* g = Walker(2, 5, 12);
  TUnit* caster = g->Units[0];
  const i32 mana = caster->Effective.Mana.Current;
  g->CastSpell(caster->ID, 1, 5, 5);
  for (i32 i = 0; i < 30 && !Scenario->CurrentSpell; ++i) g->Tick();
  ASSERT_NE(Scenario->CurrentSpell, nullptr);
  EXPECT_EQ(Scenario->CurrentSpell->CasterID, caster->ID);
  EXPECT_EQ(Scenario->CurrentSpell->TargetX, 5);
  EXPECT_EQ(Scenario->CurrentSpell->TargetY, 5);
  EXPECT_EQ(Scenario->CurrentSpell->Spell->Number, 1);
  EXPECT_EQ(g->Direction, dEast);
  EXPECT_EQ(Points(caster), 12 - 3);
  EXPECT_EQ(caster->Effective.Mana.Current, mana - 5);
  EXPECT_EQ(g->AnimationState, asIdle);
  EXPECT_FALSE(g->PreparedSpell);
}

TEST_F(GroupMovement, ACampedGroupCastsAtOnceKeepingItsPicture) {
  TGroup* g = Walker(2, 5, 12);
  g->CampState = csCamped;
  g->Frame = 3;
  g->CastSpell(g->Units[0]->ID, 1, 2, 5);
  for (i32 i = 0; i < 5; ++i) g->Tick();
  EXPECT_NE(Scenario->CurrentSpell, nullptr);
  EXPECT_EQ(g->Frame, 3);
}

TEST_F(GroupMovement, TheDeadBecomeCorpsesTheLeaderStays) {
  TGroup* g = Walker(2, 5, 12, {Soldier, Wolf, Skeleton});
  TUnit* leader = g->Units[0];
  const u32 wolfID = g->Units[1]->ID;
  for (i32 slot : {1, 2}) {
    g->Units[slot]->Base.HitPoints.Current = 0;
    g->Units[slot]->RecalcEffective(true);
  }
  g->Units[2]->KilledByScript = 1;
  ASSERT_TRUE(g->CheckDying());
  EXPECT_EQ(g->PendingAction, gaDie);
  // Without pictures every dying animation is one frame long.
  for (i32 i = 0; i < 5; ++i) g->Tick();
  Scenario->AddQueuedObjects();
  EXPECT_EQ(Scenario->WaitingForDeaths, 1) << "the scenario tick clears it";
  EXPECT_EQ(g->GetUnitCount(), 1);
  EXPECT_EQ(g->Units[0], leader);
  EXPECT_EQ(g->AnimationState, asIdle);
  EXPECT_EQ(Scenario->FindUnit(wolfID), nullptr);
  std::vector<i32> lifetimes;
  for (TMapObject* o : Scenario->MapObjects)
    if (o->Type == otNaturalCorpse) lifetimes.push_back(static_cast<TNaturalCorpse*>(o)->Lifetime);
  ASSERT_EQ(lifetimes.size(), 2u);
  std::sort(lifetimes.begin(), lifetimes.end());
  EXPECT_EQ(lifetimes[0], -1) << "killed by a script: never decays";
  EXPECT_GE(lifetimes[1], 3) << "3 to 6 rounds with a corpse lifetime of 5";
  EXPECT_LE(lifetimes[1], 6);
}

TEST_F(GroupMovement, DeathAnimationsBeginForGroupsHoldingTheDead) {
  TGroup* dying = Walker(2, 5, 12, {Soldier, Wolf});
  TGroup* living = Walker(5, 5, 12, {Soldier});
  dying->Units[1]->Base.HitPoints.Current = 0;
  dying->Units[1]->RecalcEffective(true);
  Scenario->BeginDeathAnimations();
  EXPECT_EQ(dying->PendingAction, gaDie);
  EXPECT_EQ(living->PendingAction, gaNone);
  EXPECT_EQ(Scenario->WaitingForDeaths, 1);
}

TEST_F(GroupMovement, CaptionByTheViewersRelation) {
  TGroup* g = Walker(2, 5, 12, {Soldier, Wolf});
  Scenario->PlayerAt(2)->Relations[1] = rHostile;
  Scenario->PlayerAt(0)->Relations[1] = rAllied;
  struct Case {
    i32 viewer;
    std::string caption;
  };
  const Case cases[] = {
      {1, "Deine Gruppe:\nSoldat (1), Wolf (1)"},
      {2, "Feindliche Gruppe:\nSoldat (1), Wolf (1)"},
      {0, "Verb\xFC" "ndete Gruppe:\nSoldat (1), Wolf (1)"},
  };
  for (const Case& c : cases) {
    Scenario->ViewingPlayer = Scenario->PlayerAt(c.viewer);
    g->Tick();
    EXPECT_EQ(g->Caption, c.caption) << c.viewer;
  }
  Scenario->PlayerAt(2)->Relations[1] = rNeutral;
  Scenario->ViewingPlayer = Scenario->PlayerAt(2);
  g->Tick();
  EXPECT_EQ(g->Caption, "Neutrale Gruppe:\nSoldat (1), Wolf (1)");
}

// The caption is composed again only when what it shows changed: after random
// changes of the viewer, relations, levels, names and the units' places it is
// the caption composed afresh in every step.
TEST_F(GroupMovement, CachedCaptionEqualsOneComposedEveryStep) {
  TGroup* g = Walker(2, 5, 12, {Soldier, Wolf, Soldier});
  TUnit* units[MaxGroupUnits] = {g->Units[0], g->Units[1], g->Units[2]};
  const std::string names[] = {"Soldat", "Wolf", "Gro\xDF" "er Wolf"};
  u32 state = 12345;
  auto next = [&](u32 n) {
    state = state * 1103515245u + 12345u;
    return (state >> 16) % n;
  };
  i32 changes = 0;
  for (i32 step = 0; step < 400; ++step) {
    switch (next(7)) {
      case 0: Scenario->ViewingPlayer = next(4) == 3 ? nullptr : Scenario->PlayerAt(static_cast<i32>(next(3))); break;
      case 1: Scenario->PlayerAt(static_cast<i32>(next(3)))->Relations[1] = static_cast<i8>(next(5)); break;
      case 2: units[next(3)]->Effective.Level = static_cast<i16>(next(3)); break;
      case 3: units[next(3)]->Name = names[next(3)]; break;
      case 4: std::swap(g->Units[next(3)], g->Units[next(3)]); break;
      case 5: {  // a unit leaves its place, or one that left comes back
        TUnit*& place = g->Units[next(3)];
        if (place) {
          if (g->GetUnitCount() > 1) place = nullptr;
        } else {
          for (TUnit* u : units)
            if (std::find(std::begin(g->Units), std::end(g->Units), u) == std::end(g->Units)) place = u;
        }
        break;
      }
      default: break;
    }
    const std::string before = g->Caption;
    g->Tick();
    std::string composed;
    if (g->ComposeCaption(Scenario->ViewingPlayer, composed)) {
      ASSERT_EQ(g->Caption, composed) << "step " << step;
    } else {
      ASSERT_EQ(g->Caption, before) << "no caption shown, the old one stays; step " << step;
    }
    changes += g->Caption != before;
  }
  EXPECT_GT(changes, 50);
  for (i32 i = 0; i < MaxGroupUnits; ++i) g->Units[i] = units[i];
}

}  // namespace
}  // namespace WorldTest
