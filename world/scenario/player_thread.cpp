// The player thread of a computer or remote player's turn, and the action
// mailbox it shares with the main thread.
#include <chrono>

#include "engine/platform/text.h"
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
      // The remote player's replay loop comes with the network transport.
      if (Kind == pkComputer) AIHandler->TakeTurn();
    } catch (const EThreadTermination&) {
    }
  } catch (const std::exception& e) {
    ThreadErrorReport(e);
  }
}

void TPlayer::ThreadSleep() { std::this_thread::sleep_for(std::chrono::milliseconds(10)); }

void TPlayer::PostAction(bool, TActionRecord record) {
  std::lock_guard<std::recursive_mutex> guard(Mutex);
  // Sending to the peers comes with the network transport.
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

void TPlayer::WaitForEmptyMailbox() {
  for (;;) {
    if (StopRequested) throw EThreadTermination();
    bool empty;
    {
      std::lock_guard<std::recursive_mutex> guard(Mutex);
      empty = Mailbox.Type() == atNone;
    }
    ThreadSleep();
    if (empty) return;
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

}  // namespace GameData
