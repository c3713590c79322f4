// The player thread of a computer or remote player's turn, and the action
// mailbox it shares with the main thread.
#include <chrono>

#include "engine/dpframe/dpframe.h"
#include "engine/platform/system/text.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"

namespace GameData {

namespace {

void PrintThreadError(const std::exception& e) { Plat::WriteErrorLine(e.what()); }

TThreadErrorReport ThreadErrorReport = PrintThreadError;

}  // namespace

void ConnectThreadErrorReport(TThreadErrorReport report) { ThreadErrorReport = report ? report : PrintThreadError; }

void TPlayer::ThreadEntry() {
  try {
    try {
      if (Kind == pkComputer) AIHandler->TakeTurn();
      if (Kind == pkRemote) ReplayRemoteActions();
    } catch (const EThreadTermination&) {
    }
  } catch (const std::exception& e) {
    ThreadErrorReport(e);
  }
}

void TPlayer::ThreadSleep() { std::this_thread::sleep_for(std::chrono::milliseconds(10)); }

void TPlayer::PostAction(bool send, TActionRecord record) {
  std::lock_guard<std::recursive_mutex> guard(Mutex);
  // The number and the send go together under the lock, so the peers see
  // the records in the order they are numbered.
  DPFrame::TDPFramework* network = send ? Scenario->Transport() : nullptr;
  if (network) {
    TActionMessage message;
    message.Sequence = Scenario->ActionCounter;
    message.Record = record;
    const std::vector<u8> bytes = message.Encode();
    try {
      network->Send(Scenario->NetworkPlayerID, Plat::DPID_ALLPLAYERS, Plat::DPSEND_GUARANTEED, bytes.data(),
                    static_cast<u32>(bytes.size()));
    } catch (const DPFrame::EDirectPlayError& e) {
      // The peers miss this action: the game cannot go on in step.
      Scenario->LoseSession(std::string("Network game ended: an action could not be sent (") + e.what() + ").");
      throw;
    }
  }
  ++Scenario->ActionCounter;
  Mailbox = record;
  Result = arPending;
}

void TPlayer::TakeAction(TActionRecord& out) {
  std::lock_guard<std::recursive_mutex> guard(Mutex);
  out = Mailbox;
  Mailbox = TActionRecord{};
}

void TPlayer::SetResult(u32 code) {
  std::lock_guard<std::recursive_mutex> guard(Mutex);
  Result = code;
}

void TPlayer::GetResult(u32& code) {
  std::lock_guard<std::recursive_mutex> guard(Mutex);
  code = Result;
}

void TPlayer::PostResult(u32 code) {
  TActionRecord r;
  r.Words[0] = atResult;
  r.Words[1] = code;
  PostAction(false, r);
}

u32 TPlayer::WaitForResult() {
  u32 code = 0;
  for (;;) {
    if (StopRequested) throw EThreadTermination();
    GetResult(code);
    if (code != 0) break;
    ThreadSleep();
  }
  while (Scenario->WaitingForDeaths) {
    if (StopRequested) throw EThreadTermination();
    ThreadSleep();
  }
  return code;
}

bool TPlayer::MailboxEmpty() {
  std::lock_guard<std::recursive_mutex> guard(Mutex);
  return Mailbox.Type() == atNone;
}

void TPlayer::WaitForEmptyMailbox() {
  for (;;) {
    if (StopRequested) throw EThreadTermination();
    const bool empty = MailboxEmpty();
    ThreadSleep();
    if (empty) return;
  }
}

void TPlayer::LoseSession(const std::string& reason) {
  Scenario->LoseSession(reason);
  throw EThreadTermination();
}

void TPlayer::ReplayRemoteActions() {
  DPFrame::TDPFramework* network = Scenario->Transport();
  if (!network) LoseSession("Network game ended: there is no network session.");
  TRemoteContext context;
  context.MapWidth = Scenario->Width;
  context.MapHeight = Scenario->Height;
  context.PlayerCount = Scenario->PlayerCount();
  std::vector<u8> data;
  for (;;) {
    if (StopRequested) throw EThreadTermination();
    DPFrame::DPID from = 0;
    for (;;) {
      bool received = false;
      try {
        received = network->Receive(&from, Scenario->NetworkPlayerID, Plat::DPRECEIVE_TOPLAYER, data);
      } catch (const DPFrame::EDirectPlayError& e) {
        LoseSession(std::string("Network game ended: ") + e.what() + ".");
      }
      if (received) break;
      if (StopRequested) throw EThreadTermination();
      ThreadSleep();
    }
    context.ActionCounter = Scenario->ActionCounter;
    TActionMessage message;
    std::string reason;
    switch (JudgeRemoteMessage(from, data, context, message, reason)) {
      case TRemoteVerdict::Ignore: continue;
      case TRemoteVerdict::EndSession: LoseSession(reason);
      case TRemoteVerdict::Replay: break;
    }
    const u32 type = message.Record.Type();
    if (type != atBattleOrders && type != atConversationAnswer) WaitForResult();
    // The follow-ups this machine makes itself bring the counter up to the
    // message's number (a game out of step would pass it); the last of them
    // must have been taken, or the post would overwrite it.
    for (;;) {
      if (StopRequested) throw EThreadTermination();
      const u32 counter = Scenario->ActionCounter;
      if (counter == message.Sequence && MailboxEmpty()) break;
      if (!CheckSequence(message.Sequence, counter, reason)) LoseSession("Network game ended: " + reason + ".");
      ThreadSleep();
    }
    PostAction(false, message.Record);
    WaitForEmptyMailbox();
    if (type == atEndTurn) return;
  }
}

void TPlayer::ClearNotifications() {
  std::lock_guard<std::recursive_mutex> guard(Mutex);
  Notifications.clear();
}

i32 TPlayer::GetNotificationCount() {
  std::lock_guard<std::recursive_mutex> guard(Mutex);
  return static_cast<i32>(Notifications.size());
}

void TPlayer::AddNotification(TNotification* notification) {
  std::lock_guard<std::recursive_mutex> guard(Mutex);
  Notifications.emplace_back(notification);
}

TNotification* TPlayer::PopNotification() {
  std::lock_guard<std::recursive_mutex> guard(Mutex);
  if (Notifications.empty()) return nullptr;
  TNotification* n = Notifications.front().release();
  Notifications.pop_front();
  return n;
}

TNotification* TPlayer::GetNotification(i32 index) {
  std::lock_guard<std::recursive_mutex> guard(Mutex);
  if (index < 0 || index >= static_cast<i32>(Notifications.size())) return nullptr;
  return Notifications[static_cast<std::size_t>(index)].get();
}

// The scenario's side of the mailbox.

bool TScenario::IsBusy() const {
  u32 result = 0;
  if (TPlayer* current = PlayerAt(CurrentPlayerIndex)) current->GetResult(result);
  return result == 0 || WaitingForDeaths;
}

DPFrame::TDPFramework* TScenario::Transport() const { return Network ? Network : DPFramework; }

void TScenario::LoseSession(const std::string& reason) {
  if (SessionLost || SessionLossClaimed.exchange(1)) return;
  SessionLostReason = reason;
  SessionLost = 1;
}

}  // namespace GameData
