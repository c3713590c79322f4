// Writes short test films with the encoders of the decoding libraries:
// MPEG-1 pictures of moving colour bars and a 440 Hz stereo tone in MPEG-1
// Layer II at 44,100 Hz, in an MPEG program stream.
#pragma once

#include <string>

namespace Builder {

// The file's bytes; width and height even, 25 pictures a second.
std::string TestFilm(int width, int height, double seconds);

}  // namespace Builder
