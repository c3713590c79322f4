// The diary: objective texts and their tags by table, what the tabs list and
// in which order, tabs and spreads by key and mouse, closing, the button's
// entry point, and a spread of the demo's objective as a picture.
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <vector>

#include "engine/gfx/color_text.h"
#include "engine/gfx/colors.h"
#include "engine/gfx/font.h"
#include "game/talk/diary_dialog.h"
#include "game/talk/diary_text.h"
#include "game/panels/unit_panel.h"
#include "script/script_connection.h"
#include "tests/game/panel_fixture.h"
#include "tools/databuilder/font_builder.h"
#include "world/scenario/quest_objective.h"

namespace PanelTest {
namespace {

using GameData::TQuestObjective;
using Main::TDiaryDialog;
using namespace Plat;

constexpr u32 Black = 0, Blue = Gfx::PackRGB565(0x000080), Red = Gfx::PackRGB565(0x800000);

struct TWord {
  std::string Text;
  u32 Colour;
  bool operator==(const TWord&) const = default;
};

// The laid-out words, without the blank a word keeps before the next.
std::vector<TWord> Words(const Gfx::TColorText& text) {
  std::vector<TWord> words;
  for (const Gfx::TColorTextNode* n : text) {
    std::string w = n->Text;
    while (!w.empty() && (w.back() == ' ' || w.back() == '\r' || w.back() == '\n')) w.pop_back();
    if (!w.empty()) words.push_back({w, n->Color});
  }
  return words;
}

// The laid-out lines from top to bottom.
std::vector<std::string> Lines(const Gfx::TColorText& text) {
  std::map<i32, std::string> rows;
  for (const Gfx::TColorTextNode* n : text) rows[n->Y] += n->Text;
  std::vector<std::string> lines;
  for (auto& [y, line] : rows) {
    while (!line.empty() && line.back() == ' ') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

TEST(DiaryText, ObjectivePiecesAndTheirColours) {
  const auto font = Builder::MakeBoxFont(6, 10, [](u8) { return 5; });
  struct TCase {
    const char* Text;
    i32 State, Local3;
    std::vector<TWord> Words;
  };
  const TCase cases[] = {
      {"Erst <3>dann<3> zuletzt", GameData::qsActive, 2, {{"-Erst", Black}, {"dann", Blue}, {"zuletzt", Black}}},
      {"Erst <3>dann<3> zuletzt", GameData::qsActive, -1, {{"-Erst", Black}, {"dann", Red}, {"zuletzt", Black}}},
      {"Erst <3>dann<3> zuletzt", GameData::qsActive, 0, {{"-Erst", Black}, {"dann", Black}, {"zuletzt", Black}}},
      {"<03>Anfang<3>", GameData::qsActive, 1, {{"-", Black}, {"Anfang", Blue}}},
      {"<3><3>leer", GameData::qsActive, 1, {{"-", Black}, {"leer", Black}}},
      {"Erst <3>dann<3> zuletzt", GameData::qsSolved, -1, {{"-Erst", Blue}, {"dann", Blue}, {"zuletzt", Blue}}},
      {"a<40>b<x", GameData::qsFailed, 0, {{"-ab", Red}}},
  };
  for (const TCase& c : cases) {
    TQuestObjective q;
    q.Text = c.Text;
    q.State = c.State;
    q.Check.Locals[3] = c.Local3;
    Gfx::TColorText text;
    Main::AddObjectiveText(text, *font, q);
    text.Justify(Main::DiaryPageWidth);
    EXPECT_EQ(Words(text), c.Words) << c.Text << " " << c.State << " " << c.Local3;
  }
  // The blanks around a coloured part stay gaps.
  const std::pair<const char*, const char*> gaps[] = {{"Erst <3>dann<3> zuletzt", "-Erst dann zuletzt"},
                                                      {"Erst<3> dann <3>zuletzt", "-Erst dann zuletzt"},
                                                      {"Erst<3><3> dann", "-Erst dann"},
                                                      {"Erst<3>dann<3>zuletzt", "-Erstdannzuletzt"}};
  for (const auto& [input, line] : gaps) {
    TQuestObjective q;
    q.Text = input;
    q.State = GameData::qsActive;
    Gfx::TColorText text;
    Main::AddObjectiveText(text, *font, q);
    text.Justify(Main::DiaryPageWidth);
    EXPECT_EQ(Lines(text).at(0), line) << input;
  }
}

TEST(DiaryText, TagErrors) {
  const auto font = Builder::MakeBoxFont(6, 10, [](u8) { return 5; });
  const std::pair<const char*, const char*> cases[] = {
      {"a <3>b<4> c", "TDiaryDialog: Variables don't match!"},
      {"<40>b<40>", "TDiaryDialog: Index out of range!"},
      {"<-1>b<-1>", "TDiaryDialog: Index out of range!"},
      {"a <3>offen", "TDiaryDialog: Could not find '<'!"},
      {"a <3 offen", "TDiaryDialog: Could not find '>'!"},
      {"<3>b<3", "TDiaryDialog: Could not find '>'!"},
      {"<x>b<x>", "'x' is not a valid integer value."},
      {"<>b<>", "'' is not a valid integer value."},
      {"<3>b<y>", "'y' is not a valid integer value."},
  };
  for (const auto& [input, message] : cases) {
    TQuestObjective q;
    q.Text = input;
    q.State = GameData::qsActive;
    Gfx::TColorText text;
    try {
      Main::AddObjectiveText(text, *font, q);
      ADD_FAILURE() << input << ": no error";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), message) << input;
    }
  }
}

TEST(DiaryText, RemovingTags) {
  const std::pair<const char*, const char*> cases[] = {
      {"a<1>b<1>c", "abc"}, {"a<b", "a"}, {"<>x", "x"}, {"a>b", "a>b"}, {"", ""}, {"<<1>>", ">"}};
  for (const auto& [input, kept] : cases) EXPECT_EQ(Main::RemoveDiaryTags(input), kept) << input;
}

class Diary : public TPanelFixture {
 protected:
  void SetUp() override {
    TPanelFixture::SetUp();
    Player = Scenario->CurrentPlayerIndex;
    Scenario->QuestObjectives->Clear();
    Book = new TDiaryDialog(Sys.get());
  }
  TQuestObjective* Add(i32 type, const std::string& text, i32 state, u32 serial, const std::string& hero = "") {
    auto* q = new TQuestObjective;
    q->ID = 50000 + static_cast<u32>(Scenario->QuestObjectives->Count());
    q->Type = type;
    q->Text = text;
    q->State = state;
    q->PlayerIndex = Player;
    q->GivenSerial = serial;
    q->HeroName = hero;
    q->SetScenario(Scenario.get());
    Scenario->QuestObjectives->AddSorted(q);
    return q;
  }
  GameData::TPlayer& Me() const { return *Scenario->Players[Player]; }
  void Open() {
    Book->Show();
    Sys->ProcessRequests();
    Step(30);  // the opening frames
  }
  void MoveTo(i32 x, i32 y) { Move(Book->Left + x, Book->Top + y); }
  // Notes enough for the given number of text lines under the heading.
  void Notes(i32 lines) {
    Me().Notes.clear();
    for (i32 i = 0; i < lines; ++i) Me().Notes.push_back("Notiz " + std::to_string(i));
  }
  i32 LinesPerPage() const { return Book->PageHeight() / Main::StandardFont(4)->Height; }

  i32 Player = 0;
  TDiaryDialog* Book = nullptr;
};

TEST_F(Diary, ListsWhatIsGivenToThePlayerInOrder) {
  using namespace GameData;
  Add(qtObjective, "Spaet", qsActive, 5);
  Add(qtObjective, "Geloest", qsSolved, 1);
  Add(qtObjective, "Frueh", qsActive, 3);
  Add(qtObjective, "Versteckt", qsActive, 2)->Hidden = 1;
  Add(qtObjective, "Nicht gegeben", qsNotGiven, 2);
  Add(qtObjective, "Fremd", qsActive, 2)->PlayerIndex = Player + 1;
  Add(qtQuest, "Q1", qsActive, 1, "Zora");
  Add(qtQuest, "Q2", qsActive, 9, "Arn");
  Add(qtQuest, "Q3", qsFailed, 2, "Zora");
  Add(qtQuest, "Q4", qsActive, 4, "\xC4gir");
  Add(qtQuest, "Q5", qsActive, 3, "Zora");
  Me().Notes = {"eins", "zwei"};
  Me().ConversationLog = {"<1>Hallo", "<0>Guten Tag"};
  Book->Fill(Scenario.get());
  EXPECT_EQ(Lines(Book->GoalsText), (std::vector<std::string>{"Ziele", "-Frueh", "-Spaet", "-Geloest"}));
  // Byte order puts the umlaut after the plain letters; one name line per hero.
  EXPECT_EQ(Lines(Book->QuestsText),
            (std::vector<std::string>{"Aufgaben", "Arn", "-Q2", "Zora", "-Q1", "-Q5", "-Q3", "\xC4gir", "-Q4"}));
  EXPECT_EQ(Lines(Book->NotesText), (std::vector<std::string>{"Notizen", "-eins", "-zwei"}));
  const std::string stars(25, '*');
  EXPECT_EQ(Lines(Book->TalksText), (std::vector<std::string>{"<1>Hallo", stars, "<0>Guten Tag", stars}));
  // Headings and hero names in the player's colour, the rest by state.
  const u32 heading = Gfx::PackRGB565(Gfx::PlayerColors[Player]);
  const std::vector<TWord> quests = Words(Book->QuestsText);
  EXPECT_EQ(quests[0], (TWord{"Aufgaben", heading}));
  EXPECT_EQ(quests[1], (TWord{"Arn", heading}));
  EXPECT_EQ(quests[6], (TWord{"-Q3", Red}));
  EXPECT_EQ(Words(Book->NotesText)[1], (TWord{"-eins", Black}));
}

TEST_F(Diary, TheButtonsEntryOpensAndAMarkupErrorAbandonsTheOpening) {
  Add(GameData::qtObjective, "Halte <3>die Furt<4>.", GameData::qsActive, 1);
  Main::TGame* game = Game;
  game->Scenario = std::move(Scenario);
  DXWin::TDXWindowSystem* saved = ::WindowSystem;
  ::WindowSystem = Sys.get();
  const i32 windows = Sys->Windows.Count();
  EXPECT_THROW(
      {
        try {
          game->ShowDiary();
        } catch (const std::runtime_error& e) {
          EXPECT_STREQ(e.what(), "TDiaryDialog: Variables don't match!");
          throw;
        }
      },
      std::runtime_error);
  EXPECT_EQ(Sys->Windows.Count(), windows) << "no diary left behind";
  // Mended, it opens, closes by key and is freed once its closing frames have run.
  game->Scenario->QuestObjectives->Items[0]->Text = "Halte <3>die Furt<3>.";
  Clock.StepPerRead = 1;
  u32 at = 0;
  bool shown = false;
  WinTest::Script = [&](u32 count) {
    if (at == 0) at = count;
    if (count == at + 40) {
      shown = Sys->Windows.Count() == windows + 1;
      Os->KeyDown(VK_ESCAPE);
    }
    if (count > at + 3000) App->Quit = 1;
  };
  game->ShowDiary();
  WinTest::Script = nullptr;
  Clock.StepPerRead = 0;
  EXPECT_TRUE(shown);
  EXPECT_EQ(App->Quit, 0) << "closed by its key";
  Step(40);
  EXPECT_EQ(Sys->Windows.Count(), windows);
  ::WindowSystem = saved;
  Scenario = std::move(game->Scenario);
}

TEST_F(Diary, TabsAndSpreads) {
  Notes(3 * LinesPerPage());  // under the heading: four pages, the last with one line
  Open();
  Book->Fill(Scenario.get());
  EXPECT_EQ(Book->Tab, 0);
  EXPECT_EQ(Book->Tabs[0]->IsOpen, 1);
  EXPECT_EQ(Book->Tabs[3]->Hint, "Gespr\xE4" "che [F4]");
  struct TCase {
    Plat::WPARAM Key;
    i32 Tab, Page;
  };
  // The notes open where the newest stand; the goals and an empty log at the start.
  const TCase keys[] = {{VK_F1 + 2, 2, 1}, {VK_NEXT, 2, 1}, {VK_PRIOR, 2, 0}, {VK_PRIOR, 2, 0}, {VK_END, 2, 1},
                        {VK_HOME, 2, 0}, {VK_F1, 0, 0},  {VK_NEXT, 0, 0},  {VK_F1 + 3, 3, 0},   {VK_F1 + 2, 2, 1}};
  for (const TCase& c : keys) {
    Key(c.Key);
    EXPECT_EQ(Book->Tab, c.Tab) << c.Key;
    EXPECT_EQ(Book->Page, c.Page) << c.Key;
  }
  EXPECT_EQ(Book->Tabs[2]->IsOpen, 1);
  EXPECT_EQ(Book->Tabs[0]->IsOpen, 0);
  // The newest note stands on the open spread.
  const Gfx::TColorTextNode* last = Book->NotesText[Book->NotesText.Count() - 1];
  EXPECT_EQ(last->Y / Book->PageHeight() / 2, Book->Page);
  // Edges: hints, cursors and clicks.
  MoveTo(Book->Width - 20, 300);
  EXPECT_EQ(Book->Hint, "");
  MoveTo(20, 300);
  EXPECT_EQ(Book->Hint, "Vorherige Seite [PgUp]");
  Click(Book->Left + 20, Book->Top + 300);
  EXPECT_EQ(Book->Page, 0);
  MoveTo(20, 300);
  EXPECT_EQ(Book->Hint, "");
  MoveTo(Book->Width - 20, 300);
  EXPECT_EQ(Book->Hint, "N\xE4" "chste Seite [PgDown]");
  Click(Book->Left + Book->Width - 20, Book->Top + 300);
  EXPECT_EQ(Book->Page, 1);
  Click(Book->Left + 200, Book->Top + 300);
  EXPECT_EQ(Book->Page, 1) << "the middle turns nothing";
  Os->KeyDown(VK_SHIFT);
  Key(VK_HOME);
  Os->KeyUp(VK_SHIFT);
  EXPECT_EQ(Book->Page, 1) << "a shifted key is ignored";
}

TEST_F(Diary, ATextThatFillsASpreadExactlyHasNoEmptySpreadAfterIt) {
  // The heading and the notes fill the two pages of spread 0 to the last line.
  Notes(2 * LinesPerPage() - 1);
  Book->Fill(Scenario.get());
  ASSERT_EQ(Book->NotesText.GetHeight(), 2 * Book->PageHeight());
  Book->SelectTab(2);
  EXPECT_EQ(Book->Page, 0);
  Book->PageForward();
  EXPECT_EQ(Book->Page, 0);
  // One line more needs the next spread; none at all shows the heading alone.
  Notes(2 * LinesPerPage());
  Book->Fill(Scenario.get());
  Book->SelectTab(2);
  EXPECT_EQ(Book->Page, 1);
  Notes(0);
  Book->Fill(Scenario.get());
  Book->SelectTab(2);
  EXPECT_EQ(Book->Page, 0);
  EXPECT_EQ(Lines(Book->NotesText), std::vector<std::string>{"Notizen"});
}

TEST_F(Diary, ClosesWithOne) {
  struct TCase {
    const char* Name;
    std::function<void(TDiaryDialog&)> Input;
  };
  const TCase cases[] = {
      {"Esc", [&](TDiaryDialog&) { Os->KeyDown(VK_ESCAPE); }},
      {"Enter", [&](TDiaryDialog&) { Os->KeyDown(VK_RETURN); }},
      {"right button", [&](TDiaryDialog& b) { Os->MouseButton(DXWin::mbRight, true, b.Left + 200, b.Top + 200); }},
  };
  for (const TCase& c : cases) {
    auto* book = new TDiaryDialog(Sys.get());
    book->Fill(Scenario.get());
    EXPECT_EQ(RunModal(*book, [&](u32 step) {
                if (step == 30) c.Input(*book);
              }),
              1)
        << c.Name;
  }
}

// Mission 1 at player 1's first turn: the quest pass has coloured the
// fortress's part of the objective by who holds the fortress.
class DemoDiary : public Diary {
 protected:
  void SetUp() override {
    Diary::SetUp();
    Script::ConnectToWorld();
    Scenario = WorldTest::TDemoWorld::Load(World->ScenarioFile("demo1.scn"));
    Scenario->CurrentPlayerIndex = 1;
    Scenario->UpdateQuestObjectives();
  }
};

TEST_F(DemoDiary, SpreadPicture) {
  GameData::TPlayer& me = *Scenario->Players[1];
  me.Notes = {"Die Grenzmark halten.", "Der Pass liegt im Osten, hinter dem Wald und den Felsen."};
  me.ConversationLog = {"Sp\xE4her: Hauptmann, die W\xF6lfe kommen aus den Bergen.\nWas sollen wir tun?"};
  Book->Fill(Scenario.get());
  ASSERT_EQ(Book->GoalsText.Count() > 0, true);
  std::vector<TWord> goals = Words(Book->GoalsText);
  EXPECT_NE(std::find(goals.begin(), goals.end(), TWord{"Grenzfeste", Blue}), goals.end());
  EXPECT_NE(std::find(goals.begin(), goals.end(), TWord{"Rudel", Black}), goals.end());
  Open();
  DrawScreen();
  const Base::TRect area = Book->GetScreenRect();
  ExpectPicture("diary_goals", area);
  Key(VK_F1 + 3);
  DrawScreen();
  ExpectPicture("diary_talks", area);
}

}  // namespace
}  // namespace PanelTest
