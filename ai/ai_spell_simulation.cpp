// Choosing damaging spells by trying each on copies of the caster's and the
// target's groups. The copies live on the player thread only: no registry,
// no AI unit and no draw of the main stream ever sees them.
#include <memory>

#include "ai/ai_handler.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace AIHandler {

using namespace GameData;

namespace {

// Owner and position of the group, new units copied from its own. The owner
// index is set directly: the owner's hooks must not learn of the copies.
class TGroupCopy {
 public:
  explicit TGroupCopy(const TGroup& source) : Group(std::make_unique<TGroup>(source.Scenario)) {
    Group->OwnerIndex = source.OwnerIndex;
    Group->X = source.X;
    Group->Y = source.Y;
    Group->CampState = source.CampState;
    for (i32 i = 0; i < MaxGroupUnits; ++i) {
      if (!source.Units[i]) continue;
      Units[i] = std::make_unique<TUnit>();
      Units[i]->Assign(source.Units[i]);
      Units[i]->Container = Group.get();
      Group->Units[i] = Units[i].get();
    }
  }
  ~TGroupCopy() { Group->ClearSlots(); }
  TGroupCopy(const TGroupCopy&) = delete;
  TGroupCopy& operator=(const TGroupCopy&) = delete;

  std::unique_ptr<TGroup> Group;
  std::unique_ptr<TUnit> Units[MaxGroupUnits];
};

// The sixteen damaging spells, tried in this order and never shuffled.
constexpr i32 SimulatedSpells[] = {10, 43, 24, 42, 41, 17, 57, 40, 53, 20, 5, 48, 60, 31, 29, 14};
constexpr i32 SimulatedCount = static_cast<i32>(sizeof SimulatedSpells / sizeof SimulatedSpells[0]);

// Each cast ends the rule or changes the target; the bound keeps a world
// that answers Done without a change from holding the turn.
constexpr i32 MaxSimulatedCasts = 64;

}  // namespace

i32 TAIHandler::FindBestSpellBySimulation(TGroup* caster, TGroup* target, i32& slot, i32& index, i32 count,
                                          const i32* list) {
  slot = index = -1;
  if (!caster || !target || !list) return 0;
  const i32 fx = target->FieldX(), fy = target->FieldY();
  const i32 before = target->GetTotalHitPoints();
  i32 best = 0;
  for (i32 s = 0; s < MaxGroupUnits; ++s) {
    if (!caster->Units[s]) continue;
    for (i32 i = 0; i < count; ++i) {
      const i32 spell = list[i];
      if (spell == 0 || !Scenario->CanCastSpellAt(s, spell, fx, fy) || !Scenario->SpellHasEffect(s, spell, fx, fy))
        continue;
      TGroupCopy from(*caster), to(*target);
      Scenario->SimulateSpellEffect(from.Units[s].get(), spell, to.Group.get());
      i32 damage = before - to.Group->GetTotalHitPoints();
      if (damage < 0) damage = 0;
      if (damage >= best) {
        best = damage;
        slot = s;
        index = i;
      }
    }
  }
  return best;
}

bool TAIHandler::CastSimulatedSpells(TGroup*, TGroup* target) {
  if (!target) return false;
  const u32 id = target->ID;
  bool cast = false;
  for (i32 round = 0; round < MaxSimulatedCasts; ++round) {
    TGroup* caster = Player->GetActingGroup();
    TGroup* t = ResolveGroup(id);
    if (!caster || !t) break;
    i32 slot = -1, index = -1;
    if (FindBestSpellBySimulation(caster, t, slot, index, SimulatedCount, SimulatedSpells) <= 0) break;
    if (PostCastSpell(slot, static_cast<u32>(SimulatedSpells[index]), t->FieldX(), t->FieldY()) != arDone) break;
    cast = true;
    if (!ResolveGroup(id)) break;
  }
  return cast;
}

}  // namespace AIHandler
