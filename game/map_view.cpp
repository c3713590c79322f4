#include "game/map_view.h"

#include <algorithm>
#include <string>

#include "engine/d3dframe/d3dframe.h"
#include "engine/gfx/font.h"
#include "engine/gfx/screen.h"
#include "world/data2/global_data.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace Main {

TMapView* MapView = nullptr;

namespace {

constexpr i32 ScrollStep = 8;  // pixels per update step
constexpr i32 TextBand = 22;
constexpr Plat::WPARAM Keys[4] = {Plat::VK_LEFT, Plat::VK_RIGHT, Plat::VK_UP, Plat::VK_DOWN};

}  // namespace

TMapView::TMapView() {
  Data2::TGlobalData& global = *Data2::GlobalData;
  const char* mission = global.MissionFiles[std::clamp(global.MissionCount - 1, 0, Data2::MaxMissions - 1)];
  Scenario = std::make_unique<GameData::TScenario>();
  Scenario->LoadFromArchive(Data2::ScenarioArchive, mission);
  // The viewing player sights what its fog shows, as at the start of its
  // turn; its first group is selected, its marker showing, and the view
  // opens on it.
  if (GameData::TPlayer* viewer = Scenario->ViewingPlayer) {
    viewer->UpdateSightings(false);
    for (GameData::TMapObject* o : Scenario->MapObjects)
      if (o->Type == GameData::otGroup && static_cast<GameData::TGroup*>(o)->GetOwner() == viewer) {
        viewer->Select(o);
        ViewX = o->X - 400;
        ViewY = o->Y - 300;
        break;
      }
  }
  Font = global.AcquireFont(5);
  CreateGraphics();
}

TMapView::~TMapView() {
  ReleaseGraphics();
  if (Data2::GlobalData) Data2::GlobalData->ReleaseFont(Font);
}

void TMapView::KeyDown(Plat::WPARAM key) {
  for (int i = 0; i < 4; ++i)
    if (key == Keys[i]) Held[i] = true;
}

void TMapView::KeyUp(Plat::WPARAM key) {
  for (int i = 0; i < 4; ++i)
    if (key == Keys[i]) Held[i] = false;
}

void TMapView::Update() {
  Scenario->Tick();
  ViewX += (Held[1] - Held[0]) * ScrollStep;
  ViewY += (Held[3] - Held[2]) * ScrollStep;
}

void TMapView::Render(Plat::TSurface* target) {
  if (!target || !Cache) return;
  const Base::TRect screen{0, 0, target->Width(), target->Height()};
  ViewX = std::clamp(ViewX, 0, std::max(0, Scenario->Width * 40 - screen.Width()));
  ViewY = std::clamp(ViewY, 0, std::max(0, Scenario->Height * 40 - screen.Height()));
  Scenario->DrawMap(Cache, ViewX, ViewY, screen, GameData::dlBackground | GameData::dlObjects, Redraw);
  Redraw = false;
  target->Blt(&screen, Cache, &screen, Plat::bltWait, nullptr);
  Scenario->DrawSpell(target, ViewX, ViewY);
  Scenario->DrawWeather(target, ViewX, ViewY, screen);
  Scenario->DrawFog(target, ViewX, ViewY, screen);
  Scenario->DrawOverlays(target, ViewX, ViewY, screen);
  if (!Font) return;
  Gfx::FillRect(target, 0, 0, screen.Width(), TextBand, Gfx::PackRGB565(0x2A2018), nullptr);
  if (Scenario->Round != LineRound) {
    LineRound = Scenario->Round;
    Line = Scenario->Title + " \x96 Runde " + std::to_string(LineRound) +
           " \x96 Pfeiltasten verschieben die Karte, Esc beendet das Programm.";
  }
  Font->DrawText(target, 10, (TextBand - Font->Height) / 2, Line, Gfx::PackRGB565(0xF0E6C8), &screen);
}

void TMapView::ReleaseGraphics() {
  if (Scenario) Scenario->ReleaseGraphics();
  if (Cache) Cache->Release();
  Cache = nullptr;
}

void TMapView::CreateGraphics() {
  if (!D3DFramework || !D3DFramework->BackBuffer) return;
  ReleaseGraphics();
  Cache = D3DFramework->CreateOffscreenSurface(D3DFramework->BackBuffer->Width(), D3DFramework->BackBuffer->Height(), 0);
  Scenario->CreateGraphics();
  Redraw = true;
}

void TMapView::RestoreGraphics() {
  Scenario->RestoreGraphics();
  Redraw = true;
}

}  // namespace Main
