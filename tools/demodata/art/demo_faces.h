// The speakers' faces of the demo conversations: 80 by 80 heads, one per
// face ID of the scenarios' face list, so that a conversation owner's face ID
// finds its picture in the unit sprite list as well.
#pragma once

#include <memory>

#include "engine/gfx/sprite.h"

namespace Builder {

// The face of that ID (FirstFaceID onwards) with its own hair and coat colours.
std::unique_ptr<Gfx::TSprite> ConversationFace(u32 id);

}  // namespace Builder
