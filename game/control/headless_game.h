// The game without a screen: the data path's global data, the game
// controller and the front end's windows, driven one update step at a time
// with a clock and the run-time generator that depend only on the seed, so
// that the same actions give the same game every time. The base of the
// replay tool and of the end-to-end tests.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "engine/base/types.h"
#include "engine/dxapp/dxapp.h"
#include "world/scenario/action.h"

namespace Plat {
class TFakeClock;
}

namespace Main {

class TTalkDialog;
class TFightDialog;
class TTransferWindow;

// A hash of the game's state: the scenario as a save holds it (its stream
// and the players' selections), the campaign transfer and the main random
// stream.
u64 GameStateHash();

class THeadlessGame {
 public:
  // Data::DataPath names the data set. The seed is the clock's time at the
  // start, which single-player games seed their random stream with.
  explicit THeadlessGame(u32 seed);
  ~THeadlessGame();
  THeadlessGame(const THeadlessGame&) = delete;
  THeadlessGame& operator=(const THeadlessGame&) = delete;

  // Starts campaign mission n (1-based) as a new campaign does.
  void StartMission(i32 number);
  // Starts a scenario of the "scenario" archive on its own.
  void StartScenario(const std::string& name);
  // Saves and loads through the main menu's pages.
  void Save(const std::string& fileName);
  void Load(const std::string& fileName);

  // One update step as the frame loop runs it. While a computer player's
  // thread is thinking the step waits for its next record, so that its
  // records meet the same steps every time.
  void Step();
  // Posts a record for the current player, who must be a local human, and
  // steps until the game waits for the next one (see Settle).
  void Act(const GameData::TActionRecord& record);
  // Steps until a local human's turn waits for input, or no game is loaded.
  void Settle();
  // True while a game is running.
  bool Running() const;

  // Called after every executed record with the record and the state hash
  // (taken once a thinking computer player has posted again or waits).
  std::function<void(const GameData::TActionRecord&, u64 hash)> OnAction;

  // A conversation page shown to a local human is answered as a click would:
  // a page without choices is read to its end; a page with choices takes the
  // next of these choice numbers (1 the first), or its first choice when none
  // is left. A number the page does not offer raises.
  std::deque<i32> PageAnswers;
  // Called once for every page shown to a local human, before it is
  // answered; it may answer the page itself (TTalkDialog::Answer).
  std::function<void(TTalkDialog& page)> OnPage;

  // Called in every step in which a local human's side of a shown battle
  // may give orders; whatever it leaves unanswered gets automatic orders,
  // so that a battle never waits for a person who is not there.
  std::function<void(TFightDialog& battle)> OnBattle;

  // Called in the first step the transfer window between two missions is
  // open; it may move units and press "FERTIG" itself. A window it leaves
  // open is finished as it stands, so that no choice waits for a person.
  std::function<void(TTransferWindow& window)> OnTransfer;

  static constexpr i32 MaxSettleSteps = 200000;
  static constexpr i32 LongBattleRounds = 20;
  // The update steps a modal window may stay open before the game gives up.
  i32 ModalStepLimit = MaxSettleSteps;

 private:
  void WaitForThinkingPlayer();
  bool WaitsForHuman() const;
  void AnswerOpenPage();
  void AnswerBattle();
  void AnswerTransfer();
  void WaitForBattleWorkers();
  // A step of a modal window's loop (the conversation window, the wait for
  // animations), which the frame loop would run.
  static void NestedStep();
  void RestoreApplication();

  u32 Seed;
  std::unique_ptr<Plat::TFakeClock> Clock;
  // The window system's input reads the key state: a platform without a
  // screen when none is installed.
  bool OwnsPlatform = false;
  i32 NestedSteps = 0;
  DXApp::TCallback SavedUpdate = nullptr;
  DXApp::TCallback SavedWindowlessStep = nullptr;
};

}  // namespace Main
