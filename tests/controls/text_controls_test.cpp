// The skinned controls that show text, in their states, against golden
// pictures; the sizes they take from their sprites and fonts.
#include "controls/labels.h"
#include "controls/menu_check_box.h"
#include "controls/text_buttons.h"
#include "tests/controls/skin_fixture.h"
#include "tools/databuilder/font_builder.h"

namespace SkinTest {
namespace {

using Builder::CheckBoxEntry;
using Builder::MenuButtonEntry;

class TextControls : public TSkinFixture {
 protected:
  void SetUp() override {
    TSkinFixture::SetUp();
    Normal = Builder::RenderFont(1, {"DejaVuSans.ttf", 13, false});
    Bold = Builder::RenderFont(2, {"DejaVuSans-Bold.ttf", 13, false});
    Slanted = Builder::RenderFont(3, {"DejaVuSans.ttf", 13, true});
    Small = Builder::RenderFont(4, {"DejaVuSans.ttf", 11, false});
  }
  void TearDown() override {
    TSkinFixture::TearDown();
    Main::GamePlayerColor = SavedQuery;
  }
  std::unique_ptr<Gfx::TFont> Normal, Bold, Slanted, Small;
  Main::TPlayerColorQuery SavedQuery = Main::GamePlayerColor;
};

TEST_F(TextControls, MenuButtonStates) {
  auto* b = new Main::TMenuButton(Win, Win);
  b->Sprite = Skin(MenuButtonEntry);
  b->SetFonts(Normal.get(), Bold.get(), Slanted.get(), Small.get());
  b->Caption = "Farbe w\xE4hlen";
  b->SetPosition(20, 20);
  b->AutoSize();
  EXPECT_EQ(b->Width, 160);
  EXPECT_EQ(b->Height, 28);
  b->CenterTextX();
  b->CenterTextY();
  EXPECT_EQ(b->TextX, 80 - Normal->TextWidth(b->Caption) / 2);
  EXPECT_EQ(b->TextY, 14 - Normal->Height / 2);
  const Base::TRect area{16, 16, 184, 52};
  Snap(area);
  Move(60, 30);
  Snap(area);
  Press(60, 30);
  Snap(area);
  Move(60, 100);
  Snap(area);  // held but left: the normal font
  Release(60, 100);
  b->Disable();
  Snap(area);
  ExpectPicture("menu_button");
}

TEST_F(TextControls, MenuButtonSizes) {
  Main::TMenuButton b(nullptr, nullptr);
  b.Caption = "Mitte";
  b.AutoSize();
  EXPECT_EQ(b.Width, 100) << "no sprite and no font";
  EXPECT_EQ(b.Height, 30);
  b.CenterTextX();
  EXPECT_EQ(b.TextX, 0) << "nothing to centre without a font";
  b.SetFonts(Normal.get(), nullptr, nullptr, nullptr);
  b.AutoSize();
  EXPECT_EQ(b.Width, Normal->TextWidth("Mitte"));
  EXPECT_EQ(b.Height, Normal->Height);
  Main::TTextButton t(nullptr, nullptr);
  t.Text = "Zwei\nZeilen";
  t.AutoSize();
  EXPECT_EQ(t.Width, 0) << "nothing without a font";
  t.SetFont(Normal.get());
  t.AutoSize();
  EXPECT_EQ(t.Width, Normal->MaxLineWidth(t.Text) + 1);
  EXPECT_EQ(t.Height, 2 * Normal->Height + 1);
}

TEST_F(TextControls, CheckBoxStates) {
  auto* box = new Main::TMenuCheckBox(Win, Win);
  const int e = CheckBoxEntry;
  box->SetSprites(Skin(e), Skin(e + 1), Skin(e + 2), Skin(e + 3), Skin(e + 4), Skin(e + 5));
  box->SetFonts(Normal.get(), Bold.get(), Bold.get(), Bold.get());
  box->Caption = "H\xE4kchen";
  box->SetPosition(20, 20);
  box->AutoSize();
  EXPECT_EQ(box->Width, Normal->TextWidth(box->Caption) + 16 + 5);
  EXPECT_EQ(box->Height, Normal->Height);
  const Base::TRect area{16, 16, 100, 40};
  Snap(area);
  Move(25, 25);
  Snap(area);
  Press(25, 25);
  Snap(area);
  Release(25, 25);
  EXPECT_TRUE(box->Checked);
  Snap(area);  // checked, hovered
  Press(25, 25);
  Snap(area);
  Move(200, 150);
  Snap(area);  // checked, pressed but left
  Release(200, 150);
  box->Disable();
  Move(25, 25);
  Snap(area);  // disabled: the normal sprite of its set
  box->SetFonts(nullptr, Bold.get(), Bold.get(), Bold.get());
  Snap(area);  // nothing without the first font
  ExpectPicture("check_box");
}

TEST_F(TextControls, TextButtonStates) {
  auto* b = new Main::TTextButton(Win, Win);
  b->SetFont(Normal.get());
  b->SetColors(0xF0E6D0, 0xFFE070, 0xFF8040, 0x808080);
  b->Text = "Weiter";
  b->SetPosition(20, 20);
  b->AutoSize();
  const Base::TRect area{16, 16, 80, 40};
  Snap(area);
  Move(25, 25);
  Snap(area);
  Press(25, 25);
  Snap(area);  // one pixel right and down
  Release(25, 25);
  b->UseClipRect = true;
  b->ClipRect = {20, 20, 40, 30};
  Snap(area);
  b->Disable();
  b->UseClipRect = false;
  Snap(area);
  ExpectPicture("text_button");
}

bool PlayerIsGreen(u32& rgb) {
  rgb = 0x40E040;
  return true;
}

TEST_F(TextControls, LabelsAndChoices) {
  auto* label = new Main::TOrvLabel(Win, Win, 0);
  label->SetFont(Normal.get());
  label->SetCaption("Ein Text, der in seinem Rahmen umbricht.");
  label->WordWrap = true;
  label->SetBounds({10, 10, 110, 70});
  struct TClipper {
    void Clip(Base::TRect& r) { r = {10, 10, 110, 40}; }
  } clipper;
  label->SetOnGetClipRect(Main::TGetClipRectEvent::Of<&TClipper::Clip>(&clipper));
  auto* plain = new Main::TTextLabel(Win, Win);
  plain->Font = Small.get();
  plain->Color = 0xFFC040;
  plain->Text = "Gold: 120";
  plain->SetBounds({120, 10, 170, 30});
  auto* choice = new Main::TOrvChoice(Win, Win);
  choice->SetFont(Normal.get());
  choice->SetCaption("Ja, gerne.");
  choice->SetBounds({120, 40, 230, 60});
  auto* icon = new Main::TIconTextButton(Win, Win);
  icon->Sprite = nullptr;
  icon->SetFont(Small.get());
  icon->Caption = "Mit Bild";
  icon->SetBounds({10, 80, 110, 100});
  icon->TextX = 20;
  icon->Icon = Skin(CheckBoxEntry);
  icon->IconX = 8;
  icon->IconY = 10;
  const Base::TRect area{0, 0, 240, 110};
  Main::GamePlayerColor = nullptr;
  Snap(area);  // outside a running game the choice shows nothing
  Main::GamePlayerColor = PlayerIsGreen;
  Snap(area);
  Move(150, 50);
  Snap(area);  // the current player's colour under the pointer
  ExpectPicture("labels");
}

}  // namespace
}  // namespace SkinTest
