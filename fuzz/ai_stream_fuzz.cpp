// Input: a computer opponent's stream as a player's stream holds it. Once
// loaded, the queued messages are applied, each task's handler runs up to its
// first order, a unit of the world leaves its
// group (the hooks run over the loaded tasks and armies; the world keeps it), the reach map is
// computed, and the handler is saved and loaded again.
#include <memory>
#include <string>

#include "ai/ai_handler.h"
#include "world/data2/global_data.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace {

struct TWorld {
  Data2::TGlobalData Global{Data2::TGlobalData::TEmpty{}};
  std::unique_ptr<GameData::TScenario> Scenario;
  TWorld() {
    GameData::TUnitPrototype p{};
    p.ID = 1;
    Global.UnitPrototypes.Add(p);
    Data2::GlobalData = &Global;
    AIHandler::ConnectToWorld();
    Scenario = std::make_unique<GameData::TScenario>();
    Scenario->SetSize(16, 16);
    for (int i = 0; i < 3; ++i) Scenario->Players.Add(new GameData::TPlayer(Scenario.get()));
    Scenario->PlayerAt(2)->Relations[1] = GameData::rHostile;
    Group = MakeGroup();
  }
  // A group of two units of player 1 on (4, 4); the demo's IDs start low.
  GameData::TGroup* MakeGroup() {
    auto* g = new GameData::TGroup(Scenario.get());
    g->X = g->Y = 4 * 40 + 20;
    g->OwnerIndex = 1;
    Scenario->AddMapObject(g);
    for (int i = 0; i < 2; ++i) {
      auto* u = new GameData::TUnit;
      u->SetPrototype(&Global.UnitPrototypes[0]);
      g->AddUnit(u, true, false, true);
    }
    return g;
  }
  GameData::TGroup* Group;
};

// Each loaded task's handler runs up to its first order: the targets, their
// references, fields and radii are read as a turn reads them. With a stop
// requested the first posted order ends the run, as it ends a turn.
void RunTasks(AIHandler::TAIHandler& h, GameData::TPlayer& p) {
  p.StopRequested = 1;
  for (i32 i = 0; i < h.Tasks.Count(); ++i) {
    AIHandler::TAITask* t = h.Tasks[i];
    try {
      switch (t->Header.TaskType) {
        case AIHandler::ttAttackGroup: h.ExecuteAttackGroup(t); break;
        case AIHandler::ttGoToField: h.ExecuteGoToField(t); break;
        case AIHandler::ttGuardArea: h.ExecuteGuardArea(t); break;
        case AIHandler::ttProtectUnit: h.ExecuteProtectUnit(t); break;
        case AIHandler::ttFollowUnit: h.ExecuteFollowUnit(t); break;
        case AIHandler::ttCityTask: h.ExecuteCityTask(t); break;
        default: break;
      }
    } catch (const GameData::EThreadTermination&) {
    }
  }
  p.StopRequested = 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TWorld world;
  GameData::TScenario& s = *world.Scenario;
  GameData::TGroup* group = world.Group;
  {
    AIHandler::TAIHandler handler(s.PlayerAt(1));
    try {
      Data::TMemoryStream in(std::string(reinterpret_cast<const char*>(data), size));
      handler.Load(in);
      handler.AddUnit(group->Units[0]);
      handler.ProcessScriptMessages();
      RunTasks(handler, *s.PlayerAt(1));
      handler.BeginPass();
      if (handler.Units.Count() > 0) handler.RemoveAIUnit(handler.Units[0], true);
      handler.RemoveUnit(group->Units[0], true);
      handler.EndPass();
      AIHandler::TAIHandler other(s.PlayerAt(2));
      other.ComputeThreatMap();
      Data::TMemoryStream out;
      handler.Save(out);
      out.SetPosition(0);
      AIHandler::TAIHandler again(s.PlayerAt(1));
      again.Load(out);
    } catch (const std::runtime_error&) {
    }
  }
  return 0;
}
