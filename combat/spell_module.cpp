#include "combat/map_spell_effects.h"
#include "combat/spell.h"

namespace GameData {

namespace {

TSpellCourse* NewSpell() { return new TSpell; }

}  // namespace

void ConnectSpellModule() {
  TSpellRules rules;
  rules.NewSpell = NewSpell;
  rules.ApplyEffect = ApplyMapSpellEffect;
  rules.HasEffect = MapSpellHasEffect;
  rules.SimulateEffect = SimulateMapSpellEffect;
  ConnectSpellRules(rules);
}

}  // namespace GameData
