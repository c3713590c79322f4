// The standard fonts every window draws with.
#pragma once

#include "engine/base/types.h"

namespace Gfx {
class TFont;
}

namespace Main {

// The global data's standard font of that ID (1..8, 27); null without one.
Gfx::TFont* StandardFont(i32 id);

}  // namespace Main
