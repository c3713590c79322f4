// Golden pictures: a drawn 16-bit picture is compared with the stored one
// (path + ".bmp", a 5-6-5 BMP a person can open) by a hash of its 5-6-5
// pixels. A mismatch writes the actual picture beside it as path +
// ".actual.bmp". With ORV_UPDATE_GOLDEN=1 in the environment the expected
// picture is written instead.
#pragma once

#include <string>

namespace TestSupport {

void ExpectGoldenPicture(const std::string& path, const void* pixels, int pitch, int width, int height, bool is555);

}  // namespace TestSupport
