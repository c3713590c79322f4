#include "game/spell_book.h"

namespace Main {

i32 ChooseSpell(DXWin::TDXWindowSystem*, GameData::TUnit*, u32) { return 0; }

}  // namespace Main
