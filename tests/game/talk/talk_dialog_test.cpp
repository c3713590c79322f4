// Conversation pages: their pieces and log lines as tables, the window's
// layout by speaker, the answers a click, a key or a choice posts, a
// computer player's page that answers itself unseen, and a page with
// portrait and choices as a picture.
#include <gtest/gtest.h>

#include <stdexcept>

#include "controls/labels.h"
#include "game/talk/talk_dialog.h"
#include "game/talk/talk_page.h"
#include "game/panels/unit_panel.h"
#include "engine/gfx/font.h"
#include "engine/gfx/sprite_list.h"
#include "tests/game/panel_fixture.h"
#include "world/data2/global_data.h"
#include "world/scenario/random.h"

namespace PanelTest {
namespace {

using Main::TTalkDialog;
using namespace GameData;

TEST(TalkPages, PiecesBySpeakerTagAndChoices) {
  struct TCase {
    const char* Text;
    Main::TTalker Talker;
    const char* Pieces;  // "t:" plain text, "c:" a choice, "|" between
  } cases[] = {
      {"<0>Willkommen!", Main::tkNarrator, "t:Willkommen!"},
      {"<0>Welcome.<CHOICE>Yes<ENDCHOICE><CHOICE>No<ENDCHOICE>", Main::tkNarrator, "t:Welcome.|c:Yes|c:No"},
      {"<1><CHOICE>A<ENDCHOICE>dann<CHOICE>B<ENDCHOICE>Ende", Main::tkOwner, "c:A|t:dann|c:B|t:Ende"},
      {"<2>", Main::tkGroup, ""},
      {"<0>Offen<CHOICE>", Main::tkNarrator, "t:Offen"},
      {"<1>a<CHOICE><ENDCHOICE>", Main::tkOwner, "t:a|c:"},
      {"<0><1>mitten", Main::tkNarrator, "t:<1>mitten"},
  };
  for (const TCase& c : cases) {
    const Main::TTalkPage page = Main::ParseTalkPage(c.Text);
    EXPECT_EQ(page.Talker, c.Talker) << c.Text;
    std::string pieces;
    for (const Main::TPagePiece& p : page.Pieces) pieces += (pieces.empty() ? "" : "|") + std::string(p.Choice ? "c:" : "t:") + p.Text;
    EXPECT_EQ(pieces, c.Pieces) << c.Text;
  }
  struct TBad {
    const char* Text;
    const char* Message;
  } bad[] = {{"", "TTalkDialog: talker missing!"},
             {"Hallo", "TTalkDialog: talker missing!"},
             {"<3>Hallo", "TTalkDialog: talker missing!"},
             {"<0>Ja?<CHOICE>Nein", "TTalkDialog: <EndChoice> not found!"}};
  for (const TBad& b : bad) {
    try {
      Main::ParseTalkPage(b.Text);
      ADD_FAILURE() << b.Text;
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), b.Message) << b.Text;
    }
  }
  EXPECT_TRUE(Main::IsBlankPage("<1>"));
  EXPECT_TRUE(Main::IsBlankPage(""));
  EXPECT_FALSE(Main::IsBlankPage("<1> "));
}

TEST(TalkPages, LogLinesKeepTheChosenAnswerOnly) {
  struct TCase {
    const char* Text;
    i32 Answer;
    const char* Line;
  } cases[] = {
      {"<0>Welcome.<CHOICE>Yes<ENDCHOICE><CHOICE>No<ENDCHOICE>", 2, "Welcome.No"},
      {"<0>Welcome.<CHOICE>Yes<ENDCHOICE><CHOICE>No<ENDCHOICE>", 0, "Welcome."},
      {"Sp\xE4her: <1>Hallo<CHOICE>A<ENDCHOICE> und <CHOICE>B<ENDCHOICE>.", 1, "Sp\xE4her: HalloA und ."},
      {"<2>x<0>y", 0, "xy"},
      {"", 0, ""},
  };
  for (const TCase& c : cases) EXPECT_EQ(Main::ConversationLogLine(c.Text, c.Answer), c.Line) << c.Text;
  struct TBad {
    const char* Text;
    const char* Message;
  } bad[] = {{"<0>a<CHOICE>b", "AddTextToNotes: <ENDCHOIE> not found!"},
             {"<0>a<B>b", "AddTextToNotes: Unknown command!"},
             {"<0>a<ENDCHOICE>", "AddTextToNotes: Unknown command!"},
             {"a <", "AddTextToNotes: Unknown command!"}};
  for (const TBad& b : bad) {
    try {
      Main::ConversationLogLine(b.Text, 1);
      ADD_FAILURE() << b.Text;
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), b.Message) << b.Text;
    }
  }
}

class TalkDialog : public TPanelFixture {
 protected:
  void SetUp() override {
    TPanelFixture::SetUp();
    SavedColor = Main::GamePlayerColor;
    Main::GamePlayerColor = [](u32& rgb) {
      if (!Game || !Game->Scenario) return false;
      rgb = Game->CurrentPlayerColor();
      return true;
    };
    Game->Scenario = std::move(Scenario);
    Player().Kind = pkHuman;
    Face = Data2::GlobalData->UnitSpriteList.GetSprite(1);
  }
  void TearDown() override {
    Data2::GlobalData->UnitSpriteList.ReleaseSprite(Face);
    Main::GamePlayerColor = SavedColor;
    TPanelFixture::TearDown();
  }
  TPlayer& Player() const { return *Game->CurrentPlayer(); }
  // A new page in place of the last one, unrolled.
  TTalkDialog* Open(const std::string& text) {
    delete Shown;
    Shown = nullptr;
    auto* dialog = new TTalkDialog(Sys.get());
    dialog->SetPage(Face, "Sp\xE4her", nullptr, "", text);
    dialog->Show();
    Sys->ProcessRequests();
    Step(150);
    return Shown = dialog;
  }
  // The record the current player posted, taken out of the mailbox.
  u32 Posted() {
    TActionRecord record;
    Player().TakeAction(record);
    EXPECT_TRUE(record.Type() == atNone || record.Type() == atConversationAnswer);
    return record.Type() == atNone ? 0 : record.Words[1];
  }
  void ClickOn(const DXWin::TDXControl& c) {
    const Base::TRect r = c.GetScreenRect();
    Click(r.Left + 2, r.Top + 2);
  }

  Main::TPlayerColorQuery SavedColor = nullptr;
  Gfx::TSprite* Face = nullptr;
  TTalkDialog* Shown = nullptr;
};

TEST_F(TalkDialog, LaysOutTheSpeakerTheTextAndTheChoices) {
  Gfx::TFont* font = Main::StandardFont(4);
  TTalkDialog* owner = Open("<1>Hauptmann, was sollen wir tun?<CHOICE>Halten<ENDCHOICE><CHOICE>Ziehen<ENDCHOICE>");
  EXPECT_EQ(owner->Width, 520);
  EXPECT_EQ(owner->PortraitX, 40);
  ASSERT_NE(owner->Portrait, nullptr);
  EXPECT_EQ(owner->Portrait->ID, 1u);
  EXPECT_EQ(owner->SpeakerName, "Sp\xE4her");
  ASSERT_EQ(owner->Labels.size(), 1u);
  ASSERT_EQ(owner->ChoiceCount, 2);
  EXPECT_EQ(owner->Labels[0]->Left, 140) << "beside the portrait";
  EXPECT_EQ(owner->Labels[0]->Width, 520 - 80 - 100);
  EXPECT_EQ(owner->Choices[0]->Top, 40 + owner->Labels[0]->Height);
  EXPECT_EQ(owner->Choices[1]->Tag, 2001u);
  EXPECT_EQ(owner->Height, std::max(owner->Choices[1]->Top + owner->Choices[1]->Height, 40 + 95) + 40);

  // "<2>" without a group: no portrait, no name, the column still narrowed.
  TTalkDialog* nobody = Open("<2>Wer da?");
  EXPECT_EQ(nobody->Portrait, nullptr);
  EXPECT_EQ(nobody->SpeakerName, "");
  EXPECT_EQ(nobody->Labels[0]->Left, 40);
  EXPECT_EQ(nobody->Labels[0]->Width, 340);

  TTalkDialog* narrator = Open("<0>Willkommen!");
  EXPECT_EQ(narrator->PortraitX, 0);
  EXPECT_EQ(narrator->Labels[0]->Width, 440);
  EXPECT_EQ(narrator->Height, std::max(40 + font->Height + 40, 2 * narrator->RollHeight));
  Main::TTalkDialog unspoken(nullptr);
  EXPECT_THROW(unspoken.SetPage(Face, "", nullptr, "", "Kein Sprecher"), std::runtime_error);
}

TEST_F(TalkDialog, ClicksKeysAndChoicesPostOneAnswerEach) {
  TTalkDialog* page = Open("<0>Willkommen!");
  ClickOn(*page->Labels[0]);
  EXPECT_EQ(Posted(), 1u) << "a click on the text reads on";
  Click(page->Left + 5, page->Top + page->Height / 2);
  EXPECT_EQ(Posted(), 0u) << "one answer per page";
  EXPECT_EQ(page->ModalResult, 0) << "the record closes the page, not the click";
  EXPECT_FALSE(page->IsAnswer(2000));
  EXPECT_TRUE(page->IsAnswer(1));

  for (Plat::WPARAM key : {Plat::WPARAM(0x1B), Plat::WPARAM(0x20)}) {
    Open("<0>Weiter.");
    Key(key);
    EXPECT_EQ(Posted(), 1u) << key;
  }
  Open("<0>Weiter.");
  Key(0x0D);
  EXPECT_EQ(Posted(), 0u) << "Enter reads nothing on";

  TTalkDialog* asked = Open("<0>Ja?<CHOICE>Ja<ENDCHOICE><CHOICE>Nein<ENDCHOICE>");
  ClickOn(*asked->Labels[0]);
  Key(0x20);
  EXPECT_EQ(Posted(), 0u) << "a page with choices waits for one";
  ClickOn(*asked->Choices[1]);
  EXPECT_EQ(Posted(), 2001u);
  EXPECT_TRUE(asked->IsAnswer(2000) && asked->IsAnswer(2001));
  EXPECT_FALSE(asked->IsAnswer(2002) || asked->IsAnswer(1) || asked->IsAnswer(0));
  asked->EndWithResult(2001);
  EXPECT_EQ(asked->ModalResult, 2001);

  // Nobody posts for another kind of player.
  Player().Kind = pkRemote;
  ClickOn(*Open("<0>Fern.")->Labels[0]);
  EXPECT_EQ(Posted(), 0u);
}

TEST_F(TalkDialog, AComputersPageIsNeverDrawnAndAnswersOnItsSecondStep) {
  Player().Kind = pkComputer;
  auto* page = new TTalkDialog(Sys.get());
  page->SetPage(Face, "Sp\xE4her", nullptr, "", "<1>Ja?<CHOICE>Ja<ENDCHOICE><CHOICE>Nein<ENDCHOICE>");
  page->Hidden = 1;
  page->AutoDelay = 1;
  page->FreeOnClose = true;
  const TRandomState before = RandomMain;
  TRandomState expected = before;
  const i32 draw = NextRandom(expected) % 2;
  u32 steps = 0;
  const int result = RunModal(*page, [&](u32 step) {
    steps = step;
    DrawScreen();
    for (i32 y = 0; y < H; y += 7)
      for (i32 x = 0; x < W; x += 7) ASSERT_EQ(Pixel(x, y), Gfx::PackRGB565(0x304050)) << x << "," << y;
  });
  EXPECT_EQ(result, 2000 + draw) << "drawn from the game's own stream";
  EXPECT_EQ(RandomMain.Low, expected.Low);
  EXPECT_LE(steps, 3u);
  EXPECT_EQ(Posted(), 0u);
}

TEST_F(TalkDialog, APageWithPortraitAndChoicesAsAPicture) {
  TTalkDialog* page = Open(
      "<1>Hauptmann, die W\xF6lfe kommen aus den Bergen.\nWas sollen wir tun?<CHOICE>Die Grenzmark "
      "halten<ENDCHOICE><CHOICE>Die Grenzmark ist sicher<ENDCHOICE>");
  Move(page->Choices[1]->GetScreenRect().Left + 4, page->Choices[1]->GetScreenRect().Top + 4);
  Step(1);
  DrawScreen();
  ExpectPicture("talk_page", page->GetScreenRect());
}

}  // namespace
}  // namespace PanelTest
