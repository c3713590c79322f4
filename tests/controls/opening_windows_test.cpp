// The opening animations by the game's clock: the scroll windows unroll and
// roll up in twice their length in milliseconds, the book turns through its
// frames; a window stays visible until its closing animation has run.
#include <vector>

#include "controls/book_window.h"
#include "controls/scroll_windows.h"
#include "tests/engine/dxwin/window_fixture.h"

namespace {

class OpeningWindows : public WinTest::TWindowFixture {};

TEST_F(OpeningWindows, VerticalScrollUnrollsInTwiceItsHeight) {
  auto* w = new Main::TVertScrollWindow(Sys.get(), 0);
  EXPECT_EQ(w->FullWidth, 100);
  EXPECT_EQ(w->FullHeight, 400);
  EXPECT_EQ(w->RollHeight, 20) << "the default sizes without global data";
  EXPECT_FALSE(w->IsVisible());
  w->FullHeight = 200;
  w->SetSize(100, 200);
  w->Show();
  EXPECT_EQ(w->AnimState, Main::asOpening);
  Step(1);
  EXPECT_EQ(w->OpenSize, 160 * 10 / 400 + 40);
  Step(19);
  EXPECT_EQ(w->OpenSize, 120) << "halfway after 200 of 400 ms";
  Step(20);
  EXPECT_EQ(w->OpenSize, 200);
  Step(1);
  EXPECT_EQ(w->AnimState, Main::asIdle);

  w->FreeOnClose = true;
  w->Hide();
  EXPECT_TRUE(w->IsVisible()) << "visible while it rolls up";
  EXPECT_EQ(w->AnimState, Main::asClosing);
  Step(10);
  w->Show();
  EXPECT_EQ(w->AnimState, Main::asClosing) << "showing while closing does nothing";
  Step(10);
  EXPECT_EQ(w->OpenSize, 120);
  Step(20);
  EXPECT_TRUE(w->IsVisible());
  EXPECT_EQ(w->OpenSize, 40);
  ASSERT_EQ(Sys->Windows.Count(), 1);
  Step(1);
  EXPECT_EQ(Sys->Windows.Count(), 0) << "hidden and freed once rolled up";
}

TEST_F(OpeningWindows, HorizontalScrollKeepsItsSizeWithinBounds) {
  auto* w = new Main::THorizScrollWindow(Sys.get(), DXWin::wfCentered);
  EXPECT_EQ(w->Width, 400);
  EXPECT_EQ(w->Height, 100);
  EXPECT_EQ(w->RollWidth, 20);
  w->SetSize(900, 30);
  w->Show();
  Step(1);
  EXPECT_EQ(w->Width, 400) << "no wider than the parchment";
  EXPECT_EQ(w->Height, 100) << "the fixed side at its full value";
  w->SetSize(10, 100);
  Step(1);
  EXPECT_EQ(w->Width, 40) << "at least both rods";
  w->SetSize(300, 100);
  Step(100);
  EXPECT_EQ(w->OpenSize, 300);
  Base::TRect r;
  w->GetVisibleRect(r);
  EXPECT_EQ(r.Width(), 300);
  EXPECT_EQ(r.Top, w->Top);
  w->Hide();
  Step(61);
  EXPECT_FALSE(w->IsVisible());
  EXPECT_EQ(w->AnimState, Main::asIdle);
  EXPECT_FALSE(w->Flags & DXWin::wfRequestFree);
  w->GetVisibleRect(r);
  EXPECT_EQ(r.Left, w->Left + (300 - 40) / 2) << "the rods meet in the middle";
  EXPECT_EQ(r.Width(), 40);
}

TEST_F(OpeningWindows, WindowWithoutLengthOpensAtOnce) {
  auto* w = new Main::THorizScrollWindow(Sys.get(), 0);
  w->FullWidth = w->RollWidth = 0;
  w->SetSize(0, 100);
  w->Show();
  Step(1);
  EXPECT_EQ(w->AnimState, Main::asIdle);
  w->Hide();
  Step(1);
  EXPECT_FALSE(w->IsVisible());
}

// Frames shown by the book, step by step (10 ms each).
std::vector<int> Frames(WinTest::TWindowFixture&, Main::TBookWindow& book, int steps,
                        const std::function<void(int)>& step) {
  std::vector<int> out;
  for (int i = 0; i < steps; ++i) {
    step(i);
    out.push_back(book.IsVisible() ? book.Frame : -1);
  }
  return out;
}

TEST_F(OpeningWindows, BookOpensInFourFramesAndClosesFromWhereItIs) {
  auto* book = new Main::TBookWindow(Sys.get(), 0);
  EXPECT_EQ(book->Width, 568);
  EXPECT_EQ(book->Height, 456);
  book->Show();
  std::vector<int> seen = Frames(*this, *book, 27, [this](int) { Step(1); });
  // 10..140 ms frame 0, 150..190 frame 1, 200..240 frame 2, from 250 frame 3.
  std::vector<int> expected(14, 0);
  expected.insert(expected.end(), 5, 1);
  expected.insert(expected.end(), 5, 2);
  expected.insert(expected.end(), 3, 3);
  EXPECT_EQ(seen, expected);
  Base::TRect r;
  book->GetOpenRect(r);
  EXPECT_EQ(r.Width(), 568);

  book->Hide();
  book->Show();  // visible still: nothing happens
  seen = Frames(*this, *book, 21, [this](int) { Step(1); });
  expected.assign(4, 2);  // 10..40 ms
  expected.insert(expected.end(), 5, 1);
  expected.insert(expected.end(), 10, 0);
  expected.insert(expected.end(), 2, -1);  // hidden from 200 ms
  EXPECT_EQ(seen, expected);
}

TEST_F(OpeningWindows, BookHiddenWhileOpeningNeverShowsTheLastFrame) {
  auto* book = new Main::TBookWindow(Sys.get(), 0);
  book->FreeOnClose = true;
  book->Show();
  Step(10);
  book->Hide();
  bool open = false;
  for (int i = 0; i < 30 && Sys->Windows.Count() > 0; ++i) {
    Step(1);
    if (Sys->Windows.Count() > 0) open = open || book->Frame == 3;
  }
  EXPECT_FALSE(open);
  EXPECT_EQ(Sys->Windows.Count(), 0) << "hidden and freed once closed";
}

}  // namespace
