// Input: group sizes and the owners' kinds, the phase, then a battle-orders
// record's request and three 16-byte orders as a peer sends them. The
// battle screen takes them (SetOrders), the other side's orders come from
// the rest of the input, and the whole round runs on the unseen path.
#include <cstring>
#include <memory>

#include "game/battle/fight_dialog.h"
#include "world/data2/global_data.h"
#include "world/scenario/opponent.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace {

class TNoOpponent : public GameData::TOpponent {
 public:
  bool AddUnit(GameData::TUnit*) override { return true; }
  bool RemoveUnit(GameData::TUnit*, bool) override { return true; }
  void TakeTurn() override {}
  void Clear() override {}
};

struct TReader {
  const uint8_t* Data;
  size_t Size;
  size_t At = 0;
  u8 Byte() { return At < Size ? Data[At++] : 0; }
  u32 Word() {
    u32 w = 0;
    for (i32 i = 0; i < 4; ++i) w |= u32{Byte()} << (8 * i);
    return w;
  }
};

struct TRules {
  Data2::TGlobalData Global{Data2::TGlobalData::TEmpty{}};
  TRules() {
    for (u32 id = 1; id <= 4; ++id) {
      GameData::TUnitPrototype p{};
      p.ID = id;
      p.Kind = id == 4 ? 4 : static_cast<i16>(id);
      std::strcpy(p.Name, "Einheit");
      p.Properties.Level = 1;
      p.Properties.HitPoints = {30, 30, 3, 1};
      p.Properties.Attack = {15, 15, 1, 1};
      p.Properties.ActionPoints = {12, 12, 1, 1};
      p.Properties.Mana = {20, 20, 1, 1};
      Global.UnitPrototypes.Add(p);
    }
    Global.AttackCost = 4;
    Global.DifficultyPercent[0] = Global.DifficultyPercent[1] = Global.DifficultyPercent[2] = 100;
    for (i16 n = 65; n <= 126; ++n) {
      GameData::TSpellPrototype s{};
      s.Number = n;
      s.Usage = 2;
      s.Level = static_cast<i16>(1 + n % 5);
      s.Class = static_cast<i16>(1 + n % 3);
      s.TargetFlags = n % 2 ? 2 : 17;
      s.ManaCost = 3;
      s.APCost = 2;
      s.Params[2] = 100;
      Global.SpellPrototypes.Add(s);
    }
    Data2::GlobalData = &Global;
    GameData::ConnectOpponent([](GameData::TPlayer*) -> std::unique_ptr<GameData::TOpponent> {
      return std::make_unique<TNoOpponent>();
    });
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TRules rules;
  static Main::TFightDialog dialog(nullptr);
  TReader r{data, size};
  const i32 attackers = 1 + r.Byte() % 3, defenders = 1 + r.Byte() % 3;
  const u8 kinds = r.Byte();
  auto scenario = std::make_unique<GameData::TScenario>();
  scenario->SetSize(8, 8);
  for (i32 i = 0; i < 2; ++i) {
    auto* p = new GameData::TPlayer(scenario.get());
    p->Kind = static_cast<u8>((kinds >> (2 * i)) % 3);
    scenario->Players.Add(p);
  }
  scenario->Players[0]->Relations[1] = GameData::rHostile;
  GameData::TGroup* groups[2] = {};
  for (i32 k = 0; k < 2; ++k) {
    groups[k] = new GameData::TGroup(scenario.get());
    groups[k]->X = static_cast<i16>(20 + 40 * k);
    groups[k]->Y = 20;
    groups[k]->OwnerIndex = static_cast<u8>(k);
    scenario->AddMapObject(groups[k]);
    for (i32 i = 0; i < (k == 0 ? attackers : defenders); ++i) {
      auto* u = new GameData::TUnit;
      u->SetPrototype(&rules.Global.UnitPrototypes[r.Byte() % 4]);
      u->Base.KnownSpells = u->Base.AllowedSpells = r.Byte() & 1 ? ~0ull : 0;
      u->Base.HitPoints.Current = static_cast<i16>(r.Byte() % 40);
      u->RecalcEffective(true);
      scenario->AddUnit(u, true);
      groups[k]->AddUnit(u, false, true, false);
    }
  }
  dialog.StartBattle(groups[0], groups[1]);
  for (i32 phase = 0; phase < 2; ++phase) {
    dialog.State = phase;
    const u32 request = r.Word();
    u32 orders[12];
    for (u32& w : orders) w = r.Word();
    dialog.SetOrders(request, orders);
    dialog.Request = Main::frNone;
  }
  dialog.ExecuteUnseenRound();
  (void)dialog.Fight.IsAttackerDefeated();
  dialog.End();
  return 0;
}
