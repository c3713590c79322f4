// Input: an objective's diary text, painted as an open objective (piece by
// piece after its tags) and as a solved one (tags removed), then laid out
// as the diary does; malformed tags raise.
#include <stdexcept>
#include <string_view>

#include "engine/gfx/color_text.h"
#include "game/talk/diary_text.h"
#include "tools/databuilder/font_builder.h"
#include "world/scenario/quest_objective.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const auto font = Builder::MakeBoxFont(6, 10, [](u8 c) { return 3 + c % 5; });
  GameData::TQuestObjective objective;
  objective.Text.assign(reinterpret_cast<const char*>(data), size);
  // Every sign among the locals.
  for (i32 i = 0; i < Main::DiaryLocalCount; ++i) objective.Check.Locals[i] = i % 3 - 1;
  Gfx::TColorText text;
  for (i32 state : {GameData::qsActive, GameData::qsSolved}) {
    objective.State = state;
    try {
      Main::AddObjectiveText(text, *font, objective);
    } catch (const std::runtime_error&) {
    }
  }
  text.Justify(Main::DiaryPageWidth);
  text.GetHeight();
  return 0;
}
