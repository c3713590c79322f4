// The boxes and the introduction on the demo data: yes/no answers by click
// and key, the message box, the introduction's scrolling and closing, and
// golden pictures of the question box and the introduction page.
#include <cstring>

#include "controls/dialogs.h"
#include "controls/standard_font.h"
#include "controls/labels.h"
#include "controls/scenario_book.h"
#include "controls/text_buttons.h"
#include "engine/gfx/font.h"
#include "engine/gfx/screen.h"
#include "tests/engine/dxwin/window_fixture.h"
#include "tests/engine/gfx/gfx_display.h"
#include "tests/engine/gfx/golden.h"
#include "tests/world/demo_data_dir.h"
#include "world/data2/global_data.h"
#include "world/data2/main_data.h"

namespace {

class Dialogs : public WinTest::TWindowFixture {
 protected:
  void SetUp() override {
    TWindowFixture::SetUp();
    Display = std::make_unique<TestSupport::TGfxDisplay>(800, 600);
    WinTest::Target = Display->Back();
    Data2::CreateArchives();
    Data2::CreateMainData();
    Data2::CreateGlobalData();
  }
  void TearDown() override {
    TWindowFixture::TearDown();
    Data2::FreeGlobalData();
    Data2::FreeMainData();
    Data2::FreeArchives();
    Display.reset();
  }
  // The screen's rectangle r against the golden picture.
  void ExpectPicture(const char* name, const Base::TRect& r) {
    Plat::TSurface* back = Display->Back();
    std::vector<u16> pixels;
    for (int y = r.Top; y < r.Bottom; ++y) {
      const auto* row = reinterpret_cast<const u16*>(back->Bits() + static_cast<std::ptrdiff_t>(y) * back->Pitch());
      pixels.insert(pixels.end(), row + r.Left, row + r.Right);
    }
    TestSupport::ExpectGoldenPicture(std::string(ORV_GOLDEN_DIR "/") + name, pixels.data(), r.Width() * 2, r.Width(),
                                     r.Height(), false);
  }
  void Paint() {
    Gfx::FillRect(Display->Back(), 0, 0, 800, 600, Gfx::PackRGB565(0x304050), nullptr);
    Sys->Draw(Display->Back());
  }

  TestSupport::TDemoDataDir Data;
  std::unique_ptr<TestSupport::TGfxDisplay> Display;
};

TEST_F(Dialogs, YesNoBoxAnswersByKeyAndClick) {
  auto* box = new Main::THorizYesNoDialog(Sys.get());
  EXPECT_EQ(box->FullWidth, 600) << "the demo parchment";
  box->SetText("Runde beenden?");
  Gfx::TFont* font3 = Main::StandardFont(3);
  EXPECT_EQ(box->Width, font3->TextWidth("Runde beenden?") + 100);
  EXPECT_EQ(box->YesButton->Text, "Ja");
  EXPECT_EQ(box->NoButton->Hint, "Nein");
  EXPECT_EQ(box->YesButton->Left, box->Width / 2 - box->YesButton->Width - box->Width / 6);
  EXPECT_EQ(box->NoButton->Top, box->Height - box->NoButton->Height - 30);

  EXPECT_EQ(RunModal(*box, [this](u32 step) { if (step == 60) Key(13); }), 6) << "Enter is yes";
  Step(200);
  EXPECT_FALSE(box->IsVisible()) << "rolled up after its answer";
  EXPECT_EQ(RunModal(*box, [this](u32 step) { if (step == 60) Key(27); }), 7) << "Esc is no";
  Step(200);
  EXPECT_EQ(RunModal(*box, [this, box](u32 step) {
              if (step != 60) return;
              const Base::TRect r = box->NoButton->GetScreenRect();
              Click(r.Left + 2, r.Top + 2);
            }),
            7);

  box->SetText(std::string(80, 'W'));
  EXPECT_EQ(box->Width, 572) << "a long question gets the widest box";
}

TEST_F(Dialogs, YesNoBoxPicture) {
  auto* box = new Main::THorizYesNoDialog(Sys.get());
  box->SetText("Runde beenden?");
  box->Show();
  Sys->ProcessRequests();
  Step(40);  // half open
  Paint();
  const Base::TRect r{box->Left - 20, box->Top - 20, box->Left + box->Width + 20, box->Top + box->Height + 20};
  Step(100);
  Paint();
  ExpectPicture("yes_no_box", r);
}

TEST_F(Dialogs, MessageBoxClosesOnAClick) {
  auto* box = new Main::THorizInfoDialog(Sys.get());
  box->SetText("Die Verbindung zum Spiel wurde unterbrochen.");
  Gfx::TFont* font4 = Main::StandardFont(4);
  const int w = font4->TextWidth("Die Verbindung zum Spiel wurde unterbrochen.");
  EXPECT_EQ(box->Width, w + 200);
  EXPECT_EQ(box->Label->Width, w);
  EXPECT_EQ(box->Label->Left, box->Width / 2 - w / 2);
  box->SetText(std::string(300, 'x') + " " + std::string(10, 'y'));
  EXPECT_LE(box->Label->Width, box->FullWidth) << "wrapped to the parchment";
  EXPECT_EQ(RunModal(*box, [this, box](u32 step) {
              if (step == 80) Click(box->Left + box->Width / 2, box->Top + 5);
            }),
            1);
  Step(1);
  EXPECT_EQ(box->Width, box->FullWidth) << "the update step limits the width";
}

class Introduction : public Dialogs {};

TEST_F(Introduction, OneLineScrollsPastAndCloses) {
  auto* book = new Main::TScenarioBookWindow(Sys.get(), DXWin::wfModal | DXWin::wfCentered);
  ASSERT_NE(book->Background, nullptr);
  ASSERT_NE(book->TopEdge, nullptr);
  EXPECT_EQ(book->Width, 800);
  book->SetText("1. Kurz", "Eine Zeile.");
  Gfx::TFont* font7 = Main::StandardFont(7);
  EXPECT_EQ(book->ScrollY, 455);
  EXPECT_EQ(book->BodyOffset, 2 * font7->Height);
  const i32 lineHeight = book->BodyHeight;
  EXPECT_EQ(lineHeight, Main::StandardFont(6)->Height);
  u32 closedAt = 0;
  const int result = RunModal(*book, [&](u32 step) {
    if (!closedAt && book->ModalResult) closedAt = step;
  }, 20000);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(book->TickCount, static_cast<u32>((455 + book->BodyOffset + lineHeight) * 10));
  delete book;
}

TEST_F(Introduction, KeysWithoutShiftEndIt) {
  struct TCase {
    Plat::WPARAM Key;
    bool Shift;
    bool Ends;
  } cases[] = {{27, false, true}, {13, false, true}, {32, false, true}, {13, true, false}, {65, false, false}};
  for (const TCase& c : cases) {
    auto* book = new Main::TScenarioBookWindow(Sys.get(), DXWin::wfModal | DXWin::wfCentered);
    book->SetText("T", "Text");
    const int result = RunModal(*book, [&](u32 step) {
      if (step == 5) {
        if (c.Shift) Os->KeyDown(Plat::VK_SHIFT);
        Key(c.Key);
        if (c.Shift) Os->KeyUp(Plat::VK_SHIFT);
        Drain();
      }
      if (step == 50) book->SetModalResult(99);
    });
    EXPECT_EQ(result, c.Ends ? 1 : 99) << c.Key << (c.Shift ? " with Shift" : "");
    delete book;
  }
}

TEST_F(Introduction, ColouredPagePicture) {
  auto* book = new Main::TScenarioBookWindow(Sys.get(), DXWin::wfModal | DXWin::wfCentered);
  book->SetText("1. Die Grenzmark",
                "Die <B>W\xF6lfe <N>kommen aus den Bergen. Seit dem ersten Frost heulen sie n\xE4her an den "
                "H\xF6" "fen, und die Hirten wagen sich nicht mehr auf die Weiden. <I>Halte die Grenzmark! <N>"
                "Das Rudel lagert <RGB(160,32,32)>im Osten hinter dem Wald<RGB(0,0,0)>, die Stadt liegt im Westen.");
  book->Show();
  Sys->ProcessRequests();
  book->ScrollY = 30;
  Paint();
  ExpectPicture("scenario_intro", {130, 30, 500, 380});
  delete book;
}

}  // namespace
