// Writing 16-bit pictures as BMP files (5-6-5 bit fields, bottom-up rows),
// readable by ordinary image tools.
#pragma once

#include <string>

#include "engine/base/types.h"

namespace Base {

// Row y of the picture starts at pixels + pitch x y. Raises the stream error
// "Cannot create file "%s"." when the file cannot be written.
void WriteBitmap565(const std::string& path, const void* pixels, i32 pitch, i32 width, i32 height);

}  // namespace Base
