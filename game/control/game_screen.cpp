// What the controller draws itself (the message ticker) and its part in
// display-mode changes and lost surfaces.
#include <algorithm>

#include "engine/d3dframe/d3dframe.h"
#include "engine/gfx/font.h"
#include "engine/gfx/sprite.h"
#include "game/battle/fight_dialog.h"
#include "game/city/city_window.h"
#include "game/control/game.h"
#include "game/map/map_window.h"
#include "world/data2/global_data.h"
#include "world/data2/main_data.h"
#include "world/scenario/scenario.h"

namespace Main {

void TGame::DrawMessages() {
  if (!Active || !MessagesVisible || Messages.empty() || !D3DFramework || !Data2::GlobalData) return;
  Plat::TSurface* back = D3DFramework->BackBuffer;
  Gfx::TFont* font = Data2::GlobalData->Fonts[2];
  if (!back || !font) return;
  const i32 lineHeight = std::max(font->TextHeight(""), 1);
  if (Data2::MainData)
    if (Gfx::TSprite* background = Data2::MainData->InterfaceSprites[Data2::isTickerBackground])
      background->DrawStretched(back, 0, {0, 0, 620, MessageLineCount * lineHeight}, nullptr, true);
  for (std::size_t i = 0; i < Messages.size(); ++i)
    font->DrawText(back, 10, static_cast<i32>(i) * lineHeight - MessageScroll, Messages[i], 0, nullptr);
}

void TGame::ReleaseSurfaces() {
  if (MapWindow) MapWindow->ReleaseCacheSurface();
  if (Scenario) Scenario->ReleaseGraphics();
}

void TGame::CreateSurfaces() {
  if (MapWindow) MapWindow->CreateCacheSurface();
  if (Scenario) Scenario->CreateGraphics();
  // The city and battle screens' backgrounds live in the map's cached picture.
  if (CityWindow) CityWindow->DrawBackground();
  if (FightDialog) FightDialog->DrawBackground();
}

void TGame::RestoreSurfaces() {
  if (MapWindow) MapWindow->Invalidate();
  if (Scenario) Scenario->RestoreGraphics();
  if (CityWindow) CityWindow->DrawBackground();
  if (FightDialog) FightDialog->DrawBackground();
}

}  // namespace Main
