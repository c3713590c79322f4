#include "controls/standard_font.h"

#include "world/data2/global_data.h"

namespace Main {

Gfx::TFont* StandardFont(i32 id) {
  if (!Data2::GlobalData) return nullptr;
  if (id >= 1 && id <= 8) return Data2::GlobalData->Fonts[id - 1];
  return id == 27 ? Data2::GlobalData->Fonts[8] : nullptr;
}

}  // namespace Main
