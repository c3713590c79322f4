// The first multiplayer pages: the connection (protocol) and the list of
// network games, refreshed by a search worker while the page is shown; the
// scenarios that can be played over the network; closing the network.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#include "controls/dialogs.h"
#include "controls/sprite_scroll_bar.h"
#include "controls/standard_font.h"
#include "controls/text_buttons.h"
#include "engine/athread/action_thread.h"
#include "engine/base/base.h"
#include "engine/d3dframe/d3dframe.h"
#include "engine/data/archive.h"
#include "engine/dpframe/dpframe.h"
#include "engine/dxapp/dxapp.h"
#include "engine/gfx/colors.h"
#include "engine/gfx/font.h"
#include "engine/gfx/screen.h"
#include "engine/gfx/sprite.h"
#include "frontend/main_menu.h"
#include "frontend/scenario_info.h"
#include "world/data2/global_data.h"

namespace Main {

namespace {

constexpr i32 ListLeft = 120, ListTop = 201, ListWidth = 410, RowHeight = 66, PartyRowHeight = 26;

const char* const ConnectionNames[2] = {"TCP/IP Verbindung", "IPX/SPX Verbindung"};

DXWin::TDXListBox* NewList(DXWin::TDXGroup* group, i32 rowHeight, i32 rows, TSpriteScrollBar* bar) {
  auto* list = new DXWin::TDXListBox(group, ListWidth, rowHeight, bar);
  list->SetPosition(ListLeft, ListTop);
  list->RowCount = rows;
  return list;
}

TSpriteScrollBar* NewBar(DXWin::TDXGroup* group) {
  auto* bar = new TSpriteScrollBar(group, true, 52, 26);
  bar->Width = 15;
  return bar;
}

}  // namespace

// The pulsing frame of the row under the pointer, or the selected row's.
void DrawRowFrame(Plat::TSurface* surface, const Base::TRect& row, bool hot, bool selected) {
  u32 frame = 0;
  if (hot) {
    const i32 count = DXApplication ? static_cast<i32>(DXApplication->UpdateCount % 128) : 0;
    frame = static_cast<u32>((191 - std::abs(count - 64)) * 0x010101);
  } else if (selected) {
    frame = 0xC0C0C0;
  } else {
    return;
  }
  Gfx::FrameRect(surface, row.Left, row.Top + 1, row.Right - row.Left, row.Bottom - row.Top - 2, Gfx::PackRGB565(frame),
                 nullptr);
}

void TMainMenu::BuildNetworkPages() {
  struct TListPlace {
    u8 Page;
    i32 RowHeight, Rows;
    bool Bar;
    DXWin::TDXListBox** List;
    DXWin::TDrawItemEvent Draw;
  };
  const TListPlace places[] = {
      {mpConnection, 44, 6, true, &ConnectionListBox, DXWin::TDrawItemEvent::Of<&TMainMenu::DrawConnection>(this)},
      {mpSession, RowHeight, 4, true, &SessionListBox, DXWin::TDrawItemEvent::Of<&TMainMenu::DrawSession>(this)},
      {mpScenario, RowHeight, 4, true, &ScenarioListBox, DXWin::TDrawItemEvent::Of<&TMainMenu::DrawScenarioRow>(this)},
      {mpLobby, PartyRowHeight, 5, false, &PartyListBox, DXWin::TDrawItemEvent::Of<&TMainMenu::DrawPartyRow>(this)},
  };
  int bars = 2;
  for (const TListPlace& p : places) {
    TSpriteScrollBar* bar = p.Bar ? NewBar(Groups[p.Page]) : nullptr;
    if (bar) ScrollBars[bars++] = bar;
    DXWin::TDXListBox* list = NewList(Groups[p.Page], p.RowHeight, p.Rows, bar);
    list->OnDrawItem = p.Draw;
    list->OnDblClick = DXWin::TMouseEvent::Of<&TMainMenu::ListDoubleClick>(this);
    list->UpdateLayout();
    *p.List = list;
  }
  PartyListBox->OnClick = DXWin::TNotifyEvent::Of<&TMainMenu::PartyClick>(this);
}

void TMainMenu::NetworkButtonClick(u8 page, int place) {
  switch (page) {
    case mpConnection:
      if (place == pbConfirm)
        ConfirmConnection();
      else
        ShowMainPage();
      break;
    case mpSession:
      if (place == pbConfirm) {
        JoinSelectedSession();
      } else if (place == pbThird) {
        StopSessionSearch();
        ShowScenarioPage();
      } else {
        StopSessionSearch();
        DestroyTransport();
        ShowConnectionPage();
      }
      break;
    case mpLobby:
      if (place == pbConfirm)
        ConfirmParty();
      else
        LeaveLobby();
      break;
    case mpScenario:
      if (place == pbConfirm)
        HostSelectedScenario();
      else
        ShowSessionPage();
      break;
    default: break;
  }
}

void TMainMenu::NetworkDoubleClick(int x, int y) {
  DXWin::TDXListBox* lists[MenuPageCount] = {};
  lists[mpConnection] = ConnectionListBox;
  lists[mpSession] = SessionListBox;
  lists[mpLobby] = PartyListBox;
  lists[mpScenario] = ScenarioListBox;
  DXWin::TDXListBox* list = lists[Page];
  TMenuButton* confirm = PageButtons[Page][pbConfirm];
  if (!list || list->ItemAt(x, y) < 0 || !confirm || !confirm->IsEnabled()) return;
  NetworkButtonClick(Page, pbConfirm);
}

// Page 4.

void TMainMenu::ShowConnectionPage() {
  ConnectionListBox->ItemCount = 2;
  ConnectionListBox->TopIndex = 0;
  ConnectionListBox->ItemIndex = 0;
  ConnectionListBox->UpdateLayout();
  ConnectionListBox->Enable();
  PageButtons[mpConnection][pbConfirm]->Enable();
  PageButtons[mpConnection][pbCancel]->Enable();
  EnterPage(mpConnection);
  Groups[mpConnection]->Show();
}

void TMainMenu::ConfirmConnection() {
  CloseNetwork();
  if (CreateTransport(ConnectionListBox->ItemIndex)) {
    ShowSessionPage();
    return;
  }
  if (DXApplication) DXApplication->ResetTiming = 1;
  if (!WindowSystem) return;
  auto dialog = std::make_unique<THorizInfoDialog>(WindowSystem);
  dialog->SetText("Dieses Verbindungsprotokoll ist nicht installiert. Es muss zuerst installiert werden.");
  dialog->ShowModal(true);
}

bool TMainMenu::CreateTransport(int connection) {
  DestroyTransport();
  try {
    DPFramework = new DPFrame::TDPFramework;
    const std::vector<u8> address =
        connection == 0 ? DPFramework->CreateTCPIPAddress("") : DPFramework->CreateIPXAddress();
    DPFramework->InitializeConnection(address);
    return true;
  } catch (const DPFrame::EDirectPlayError&) {
    DestroyTransport();
    return false;
  }
}

void TMainMenu::DestroyTransport() {
  delete DPFramework;
  DPFramework = nullptr;
}

void TMainMenu::CloseNetwork() {
  StopSessionSearch();
  DestroyLocalPlayer();
  if (DPFramework) {
    // A transport without a session has none to close: it goes all the same.
    try {
      DPFramework->CloseSession();
    } catch (const std::exception&) {
    }
  }
  DestroyTransport();
}

// Page 5.

void TMainMenu::ShowSessionPage() {
  SessionCopies.clear();
  SessionListBox->ItemCount = 0;
  SessionListBox->TopIndex = 0;
  SessionListBox->ItemIndex = 0;
  SessionListBox->UpdateLayout();
  SessionListBox->Disable();
  for (TMenuButton* b : PageButtons[mpSession]) b->Disable();
  EnterPage(mpSession);
  Groups[mpSession]->Show();
  BuildScenarioList();
}

void TMainMenu::UpdateSessionPage() {
  if (!DPFramework) return;
  if (!SessionSearch) {
    SessionSearch = new TActionThread;
    DPFrame::TDPFramework* transport = DPFramework;
    SessionSearch->SetMethod([transport] { transport->EnumSessions(0); });
    SessionSearch->Start(0);
  } else if (!SessionSearch->IsRunning()) {
    delete SessionSearch;
    SessionSearch = nullptr;
    SessionCopies.clear();
    for (const Plat::DPSESSIONDESC2* d : DPFramework->Sessions) SessionCopies.push_back(*d);
    SessionListBox->ItemCount = static_cast<i32>(SessionCopies.size());
    SessionListBox->UpdateLayout();
  }
  SessionListBox->Enable();
  PageButtons[mpSession][pbThird]->Enable();
  PageButtons[mpSession][pbCancel]->Enable();
  const i32 row = SessionListBox->ItemIndex;
  PageButtons[mpSession][pbConfirm]->SetEnabled(
      row >= 0 && row < static_cast<i32>(SessionCopies.size()) && CanJoinSession(SessionCopies[static_cast<std::size_t>(row)]));
}

void TMainMenu::StopSessionSearch() {
  if (!SessionSearch) return;
  while (SessionSearch->IsRunning()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  delete SessionSearch;
  SessionSearch = nullptr;
}

bool TMainMenu::CanJoinSession(const Plat::DPSESSIONDESC2& desc) const {
  return Main::CanJoinSession(desc, FindScenario(desc.dwUser2) >= 0);
}

void TMainMenu::JoinSelectedSession() {
  StopSessionSearch();
  if (!DPFramework) return;
  const i32 row = SessionListBox->ItemIndex;
  const Plat::DPSESSIONDESC2* selected =
      row >= 0 && row < static_cast<i32>(SessionCopies.size()) ? &SessionCopies[static_cast<std::size_t>(row)] : nullptr;
  const int i = selected ? DPFramework->IndexOfSession(selected) : -1;
  SessionCopies.clear();
  for (const Plat::DPSESSIONDESC2* d : DPFramework->Sessions) SessionCopies.push_back(*d);
  SessionListBox->ItemCount = static_cast<i32>(SessionCopies.size());
  SessionListBox->UpdateLayout();
  if (i < 0 || !CanJoinSession(*DPFramework->Sessions[i])) return;
  JoinSession(i);
  CreateLocalPlayer();
  EnterLobby();
}

void TMainMenu::JoinSession(int index) {
  SelectedScenario = FindScenario(DPFramework->Sessions[index]->dwUser2);
  DPFramework->JoinSession(index);
}

// The scenario list.

void TMainMenu::BuildScenarioList() {
  Scenarios.Clear();
  const Data::TArchive* archive = Data2::ScenarioArchive;
  if (!archive) return;
  for (i32 i = 0; i < archive->Count(); ++i) {
    const std::string name = archive->GetFileName(i);
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower.size() < 4 || lower.compare(lower.size() - 4, 4, ".scn") != 0) continue;
    auto info = std::make_unique<TScenarioInfo>();
    if (ReadScenarioInfo(*info, name) && info->Offered()) Scenarios.Add(info.release());
  }
}

bool TMainMenu::ReadScenarioInfo(TScenarioInfo& info, const std::string& fileName) {
  if (!Data2::ScenarioArchive || !info.Read(*Data2::ScenarioArchive, fileName)) return false;
  if (info.Preview && D3DFramework && D3DFramework->Device3D && !info.Preview->IsEmpty()) info.Preview->Upload(false);
  return true;
}

int TMainMenu::FindScenario(u32 networkID) const {
  for (i32 i = 0; i < Scenarios.Count(); ++i)
    if (Scenarios[i]->ScenarioNetworkID == networkID) return i;
  return -1;
}

// Drawing.

void TMainMenu::DrawConnection(Plat::TSurface* surface, const Base::TRect& row, bool hot, bool selected, int index) {
  if (LabelFont && index >= 0 && index < 2) {
    const i32 y = row.Top + (row.Bottom - row.Top) / 2 - LabelFont->Height / 2;
    LabelFont->DrawText(surface, row.Left + 20, y, ConnectionNames[index], 0, &row);
  }
  DrawRowFrame(surface, row, hot, selected);
}

void TMainMenu::DrawSession(Plat::TSurface* surface, const Base::TRect& row, bool hot, bool selected, int index) {
  Gfx::TFont* font = StandardFont(4);
  if (font && index >= 0 && index < static_cast<i32>(SessionCopies.size())) {
    const Plat::DPSESSIONDESC2& desc = SessionCopies[static_cast<std::size_t>(index)];
    const int s = FindScenario(desc.dwUser2);
    const TSessionScenario facts = s >= 0 ? Scenarios[s]->RowFacts() : TSessionScenario{};
    const TSessionScenario* scenario = s >= 0 ? &facts : nullptr;
    const std::string title = SessionTitle(desc, scenario, row.Right - row.Left - 12,
                                           [font](std::string& t, i32 w, i32 at) { font->AbbreviateToWidth(t, w, at); });
    const u32 colour = CanJoinSession(desc) ? 0xABCDEF : 0x700000;
    font->DrawText(surface, row.Left + 6, row.Top + 6, title, Gfx::PackRGB565(colour), &row);
    font->DrawText(surface, row.Left + 6, row.Top + 40, SessionDetails(desc, scenario), Gfx::PackRGB565(0xA0A0A0), &row);
  }
  DrawRowFrame(surface, row, hot, selected);
}

void TMainMenu::DrawScenarioPreview(Plat::TSurface* surface, int scenario) {
  if (scenario < 0 || scenario >= Scenarios.Count()) return;
  Gfx::TSprite* preview = Scenarios[scenario]->Preview.get();
  if (!preview || preview->IsEmpty()) return;
  const double scale = std::min(130.0 / preview->Width, 100.0 / preview->Height);
  const i32 w = static_cast<i32>(preview->Width * scale), h = static_cast<i32>(preview->Height * scale);
  const Base::TRect dest{Left + 261 + (130 - w) / 2, Top + 73 + (100 - h) / 2, Left + 391 - (130 - w) / 2,
                         Top + 173 - (100 - h) / 2};
  preview->DrawStretched(surface, 0, dest, nullptr, false);
}

void TMainMenu::DrawNetworkPage(Plat::TSurface* surface) {
  if (Page == mpSession) {
    const i32 row = SessionListBox->ItemIndex;
    if (row < 0 || row >= static_cast<i32>(SessionCopies.size())) return;
    const Plat::DPSESSIONDESC2& desc = SessionCopies[static_cast<std::size_t>(row)];
    if (desc.dwUser1 == ProgramVersion) DrawScenarioPreview(surface, FindScenario(desc.dwUser2));
  } else if (Page == mpScenario) {
    if (ScenarioListBox->ItemCount > 0) DrawScenarioPreview(surface, ScenarioListBox->ItemIndex);
  } else if (Page == mpLobby) {
    DrawScenarioPreview(surface, SelectedScenario);
    DrawLobby(surface);
  }
}

}  // namespace Main
