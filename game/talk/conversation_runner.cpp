// The conversation runner of the controller: the queued conversations one
// after the other, each page in a modal conversation window whose answer
// goes back to the conversation's script, and every page into the current
// player's conversation log.
#include <memory>

#include "engine/dxapp/dxapp.h"
#include "engine/dxwin/window_system.h"
#include "engine/gfx/sprite_list.h"
#include "game/control/game.h"
#include "game/control/shell.h"
#include "game/talk/talk_dialog.h"
#include "game/talk/talk_page.h"
#include "world/data2/global_data.h"
#include "world/scenario/conversation.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace Main {

namespace {

using namespace GameData;

// The owner's face: the one a script gave it, else the sprite of its face ID
// in the unit sprite list, held while the page is built.
class TOwnerFace {
 public:
  explicit TOwnerFace(const TConversation& conversation) : Face(conversation.OwnerFace) {
    if (!Face && conversation.OwnerFaceID != 0 && List()) Face = Held = List()->FindSprite(conversation.OwnerFaceID);
  }
  ~TOwnerFace() {
    if (Held && List()) List()->ReleaseSprite(Held);
  }
  TOwnerFace(const TOwnerFace&) = delete;
  TOwnerFace& operator=(const TOwnerFace&) = delete;

  Gfx::TSprite* Face = nullptr;

 private:
  static Gfx::TSpriteList* List() { return Data2::GlobalData ? &Data2::GlobalData->UnitSpriteList : nullptr; }
  Gfx::TSprite* Held = nullptr;
};

// The animation wait's loop: the game goes on updating until every
// animation on the map has finished or the game has left its scenario.
bool* AnimationWaitDone = nullptr;

void UpdateWhileAnimating() {
  UpdateFrame();
  if (AnimationWaitDone && (!Game || !Game->Active || !Game->Scenario || Game->Scenario->NoAnimationRunning != 0))
    *AnimationWaitDone = true;
}

}  // namespace

void TGame::RunPendingConversations() {
  const u32 serial = ScenarioSerial;
  // A remote player's answers that no page took when the conversations end
  // answered pages this machine never showed.
  struct TRun {
    TGame& Game;
    u32 Serial;
    ~TRun() {
      if (--Game.ConversationRuns > 0 || Game.KeptAnswers.empty()) return;
      Game.KeptAnswers.clear();
      if (Game.ScenarioSerial == Serial && Game.Scenario) Game.Scenario->LoseSession(StrayAnswerEnd);
    }
  } run{*this, serial};
  ++ConversationRuns;
  Scenario->UpdateQuestObjectives();
  while (TConversation* conversation = Scenario->PopConversation()) {
    conversation->ChosenAnswer = 0;
    TPlayer* player = CurrentPlayer();
    RunConversation(conversation, player ? player->GetActingGroup() : nullptr);
    // A lost session closes the scenario inside a page's loop.
    if (ScenarioSerial != serial) return;
    Scenario->BeginDeathAnimations();
    Scenario->UpdateQuestObjectives();
  }
}

void TGame::RunConversation(TConversation* conversation, TGroup* group) {
  const u32 serial = ScenarioSerial;
  TConversation& k = *conversation;
  k.Running = 1;
  k.SetGroup(group);
  try {
    for (i32 i = 0; i < static_cast<i32>(k.Texts.size()); ++i) {
      const std::string text = k.GetText(i);
      TUnit* leader = group ? group->GetLeader() : nullptr;
      Gfx::TSprite* talker2 = leader ? leader->Portrait : nullptr;
      const std::string name2 = leader ? leader->Name : std::string();
      if (k.Refresh) {
        Scenario->UpdateFogAll();
        Scenario->UpdateOccupancy();
        TPlayer* player = CurrentPlayer();
        if (TGroup* selected = player ? player->GetSelectedGroup() : nullptr)
          Scenario->ComputeMoveCosts(selected->X / FieldSize, selected->Y / FieldSize, selected);
      }
      if (!IsBlankPage(text)) {
        TOwnerFace owner(k);
        const i32 result = ShowPage(owner.Face, k.OwnerName, talker2, name2, text);
        if (ScenarioSerial != serial) return;
        k.ChosenAnswer = result >= TalkChoiceResult ? result - (TalkChoiceResult - 1) : 0;
        const char tag = text[1];
        const std::string said = tag == '1' ? k.OwnerName + ": " + text : tag == '2' ? name2 + ": " + text : text;
        AddTextToNotes(said, k.ChosenAnswer);
      }
      WaitForAnimations();
      if (ScenarioSerial != serial) return;
    }
  } catch (...) {
    if (ScenarioSerial == serial) k.Running = 0;
    throw;
  }
  k.Running = 0;
  if (k.Delete) Scenario->Conversations->Items.Remove(conversation);
}

i32 TGame::ShowPage(Gfx::TSprite* talker1, const std::string& name1, Gfx::TSprite* talker2, const std::string& name2,
                    const std::string& text) {
  auto* dialog = new TTalkDialog(WindowSystem);
  // The window frees itself once rolled up; until it is shown, and after an
  // error, the window system frees it at its next turn.
  struct TRelease {
    TTalkDialog* Dialog;
    TTalkDialog*& Shown;
    ~TRelease() {
      Shown = nullptr;
      if (!Dialog) return;
      Dialog->InModalLoop = false;
      Dialog->Flags |= DXWin::wfRequestFree;
      if (!Dialog->WindowSystem) delete Dialog;
    }
  } release{dialog, TalkDialog};
  dialog->SetPage(talker1, name1, talker2, name2, text);
  TPlayer* player = CurrentPlayer();
  dialog->Hidden = player != Scenario->ViewingPlayer;
  dialog->AutoDelay = 1;
  dialog->FreeOnClose = true;
  TalkDialog = dialog;
  const i32 result = dialog->ShowModal(false);
  // Closed: it rolls up and frees itself.
  release.Dialog = dialog->WindowSystem ? nullptr : dialog;
  return result;
}

void TGame::WaitForAnimations() {
  if (!DXApplication || !Scenario || Scenario->NoAnimationRunning != 0) return;
  bool done = false;
  struct TRestore {
    bool* Outer;
    ~TRestore() { AnimationWaitDone = Outer; }
  } restore{AnimationWaitDone};
  AnimationWaitDone = &done;
  DXApplication->RunModalLoop(&done, UpdateWhileAnimating, nullptr);
}

void TGame::AddTextToNotes(const std::string& text, i32 answer) {
  const std::string line = ConversationLogLine(text, answer);
  if (TPlayer* player = CurrentPlayer()) player->ConversationLog.push_back(line);
}

}  // namespace Main
