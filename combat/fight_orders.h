// The automatic battle orders of one side: the quick decider (a human
// owner's "automatic orders") and the thorough one of a computer owner.
// Both try actions out on copies of the units and write only the orders of
// the real record.
#pragma once

#include "combat/fight.h"

namespace GameData {

class TPlayer;

// Copies of both groups of a real record and a private record over them.
class TScratchBattle {
 public:
  explicit TScratchBattle(const TFight& real);
  ~TScratchBattle();
  TScratchBattle(const TScratchBattle&) = delete;
  TScratchBattle& operator=(const TScratchBattle&) = delete;

  TFight Fight;

 private:
  TGroup* Groups[2] = {};
};

// The quick decider on fight, for its attacking or defending side.
void PlanAttackerOrders(TFight* fight, bool allowSpells);
void PlanDefenderOrders(TFight* fight, bool allowSpells);
// s = -1 a blow, s >= 0 the spell s + 64.
i32 ScoreAction(TUnit* actor, TUnit* target, bool counter, TFight* fight, i32 s);
void SimulateAction(TUnit* actor, TUnit* target, bool counter, TFight* fight, i32 s);

// The quick decider over copies, its orders written into fight.
void ChooseAttackerOrders(TFight* fight, bool allowSpells);
void ChooseDefenderOrders(TFight* fight, bool allowSpells);
// The thorough decider.
void ChooseComputerAttackerOrders(TFight* fight);
void ChooseComputerDefenderOrders(TFight* fight);

// Parts of the thorough decider; orders = {t0, t1, t2, s0, s1, s2}.
bool IsAttackerCandidateValid(TFight* fight, i32 unit, i32 s, i32 target);
bool IsDefenderCandidateValid(TFight* fight, i32 unit, i32 s, i32 target);
void ApplyAttackerCandidate(TFight* fight, const i32 orders[6]);
void ApplyDefenderCandidate(TFight* fight, const i32 orders[6]);
void TryAttackerCandidate(TFight* fight, const i32 orders[6], TFightEvaluation* best);
void TryDefenderCandidate(TFight* fight, const i32 orders[6], TFightEvaluation* best);
TFightEvaluation EvaluateAttackerRound(TFight* fight);
TFightEvaluation EvaluateDefenderRound(TFight* fight);

}  // namespace GameData
