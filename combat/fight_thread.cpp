// The automatic orders of one side, computed on a worker thread. The worker
// keeps the main random stream aside and puts it back, so that trying
// orders out leaves no trace in the draws of the real round.
#include "combat/fight.h"
#include "combat/fight_orders.h"
#include "engine/athread/action_thread.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/settings.h"
#include "world/units/group.h"

namespace GameData {

namespace {

// Puts the main stream back even when a decider fails.
class TKeepMainStream {
 public:
  TKeepMainStream() { RandomSaved = RandomMain; }
  ~TKeepMainStream() { RandomMain = RandomSaved; }
  TKeepMainStream(const TKeepMainStream&) = delete;
  TKeepMainStream& operator=(const TKeepMainStream&) = delete;
};

}  // namespace

void TFight::StartOrders(bool attackerSide) {
  FreeOrderThread();
  OrdersDone = 0;
  OrderThread = std::make_unique<TActionThread>();
  if (attackerSide)
    OrderThread->SetMethod([this] { ComputeAttackerOrders(); });
  else
    OrderThread->SetMethod([this] { ComputeDefenderOrders(); });
  OrderThread->Start(0);
}

void TFight::StartAttackerOrders() { StartOrders(true); }
void TFight::StartDefenderOrders() { StartOrders(false); }

bool TFight::IsOrderThreadRunning() const { return OrderThread && OrderThread->IsRunning(); }

void TFight::FreeOrderThread() { OrderThread.reset(); }

void TFight::ComputeAttackerOrders() {
  {
    TKeepMainStream keep;
    TPlayer* owner = Attacker ? Attacker->GetOwner() : nullptr;
    if (owner && Unseen && owner->Kind != pkComputer)
      owner->ChooseAttackerOrders(this, true);
    else if (owner && owner->Kind == pkHuman)
      owner->ChooseAttackerOrders(this, Main::CastInAutoCombat);
    else if (owner)
      owner->ChooseComputerAttackerOrders(this);
    else
      ChooseComputerAttackerOrders(this);
  }
  OrdersDone = 1;
}

void TFight::ComputeDefenderOrders() {
  {
    TKeepMainStream keep;
    TPlayer* owner = Defender ? Defender->GetOwner() : nullptr;
    if (owner && Unseen && owner->Kind != pkComputer)
      owner->ChooseDefenderOrders(this, true);
    else if (owner && owner->Kind == pkHuman)
      owner->ChooseDefenderOrders(this, Main::CastInAutoCombat);
    else if (owner)
      owner->ChooseComputerDefenderOrders(this);
    else
      ChooseComputerDefenderOrders(this);
  }
  OrdersDone = 1;
}

}  // namespace GameData
