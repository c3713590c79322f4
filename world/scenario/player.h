// One side of a scenario: a local human, a computer opponent or a remote
// human, with its fog, relations, selection, diary notes, the action mailbox
// and, during a computer or remote player's turn, a thread of its own.
#pragma once

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "engine/data/data_object.h"
#include "engine/data/dynamic_array.h"
#include "world/map/area.h"
#include "world/scenario/action.h"
#include "world/scenario/opponent.h"

namespace Gfx {
class TSprite;
}

namespace GameData {

class TScenario;
class TFog;
class TMapObject;
class TGroup;
class TCity;
class TFight;

enum TPlayerKind : u8 { pkHuman = 0, pkComputer = 1, pkRemote = 2 };
enum TRelation : i32 { rSelf = -2, rNone = -1, rNeutral = 0, rHostile = 1, rAllied = 2 };

constexpr i32 MaxPlayers = 5;

// Ends a player thread: raised by its waits when the thread must stop.
class EThreadTermination : public std::runtime_error {
 public:
  EThreadTermination() : std::runtime_error("Player thread terminated.") {}
};

// Where a player thread's failure is shown: the game connects the window's
// error box at start-up; until then it goes to standard error.
using TThreadErrorReport = void (*)(const std::exception& error);
void ConnectThreadErrorReport(TThreadErrorReport report);

class TPlayer : public Data::TDataObject {
 public:
  explicit TPlayer(TScenario* scenario);
  ~TPlayer() override;
  TPlayer(const TPlayer&) = delete;
  TPlayer& operator=(const TPlayer&) = delete;

  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  void Clear() override;

  i32 GetRelation(const TPlayer* other) const;
  i32 GetRelationToGroup(const TGroup* group) const;
  i32 GetRelationToCity(const TCity* city) const;
  TGroup* GetSelectedGroup() const;
  TCity* GetSelectedCity() const;
  TGroup* GetActingGroup() const;
  bool CanSee(const TMapObject* object) const;
  bool IsObjectShown(const TMapObject* object) const;
  bool IsFieldVisible(i32 fx, i32 fy) const;
  bool HasSightOfCity(const TCity* city) const;
  Gfx::TSprite* GetPortrait() const;
  i32 ScaleForDifficulty(i32 value) const;

  // The automatic battle orders of this player's side, by the battle engine
  // (world/scenario/battle_rules.h): the quick decider and the thorough one.
  void ChooseAttackerOrders(TFight* fight, bool allowSpells);
  void ChooseDefenderOrders(TFight* fight, bool allowSpells);
  void ChooseComputerAttackerOrders(TFight* fight);
  void ChooseComputerDefenderOrders(TFight* fight);

  void Select(TMapObject* object);
  void BeginTurn();
  void EndTurn();
  void StopThread();
  void WaitForThread();
  bool ThreadRunning() const { return Thread.joinable(); }
  void UpdateSightings(bool notify);
  void UpdateFog();
  void NoteSeenPrototypes();
  void NoteSeenPrototype(i32 prototypeID);
  void ClearFrameFlags();

  // The action mailbox: one record and the result word, under the lock.
  void PostAction(bool send, TActionRecord record);
  void TakeAction(TActionRecord& out);
  void SetResult(u32 code);
  void GetResult(u32& code);
  void PostResult(u32 code);
  // Player thread only: poll every 10 ms; a stop request raises EThreadTermination.
  u32 WaitForResult();
  void WaitForEmptyMailbox();
  void Lock() { Mutex.lock(); }
  void Unlock() { Mutex.unlock(); }
  void ClearNotifications();
  i32 GetNotificationCount();
  void AddNotification(TNotification* notification);
  // The caller deletes it; null when the queue is empty.
  TNotification* PopNotification();
  TNotification* GetNotification(i32 index);

  TScenario* Scenario;
  u8 Kind = pkHuman;
  u32 Gold = 0;
  u8 Colour = 0;
  std::string Name;
  u32 PortraitID = 0;
  std::unique_ptr<TFog> Fog;
  i8 Relations[MaxPlayers] = {};
  u8 OutOfActionPoints = 0;
  u8 SightingStop = 0;
  u8 GroupSighted = 0;
  u8 LocationSighted = 0;
  TActionRecord Mailbox;
  u32 Result = 1;
  std::vector<TArea*> SightAreas;
  std::atomic<u8> StopRequested{0};
  std::unique_ptr<TOpponent> AIHandler;
  TMapObject* Selection = nullptr;
  u32 LastSelectionID = 0;
  std::unique_ptr<TArea> StartArea = std::make_unique<TArea>();
  std::vector<std::string> Notes;
  std::vector<std::string> ConversationLog;
  Data::TDynamicArray<i32> SeenPrototypes;

 private:
  void ThreadEntry();
  // One wait step of the player thread.
  void ThreadSleep();
  bool MailboxEmpty();
  // A remote player's turn: its machine's records, posted in sequence order.
  void ReplayRemoteActions();
  // Ends the network game with the reason and this thread with it.
  [[noreturn]] void LoseSession(const std::string& reason);

  std::thread Thread;
  std::recursive_mutex Mutex;
  std::deque<std::unique_ptr<TNotification>> Notifications;
};

}  // namespace GameData
