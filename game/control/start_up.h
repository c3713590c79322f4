// The start-up's steps that belong to the game: the intro videos.
#pragma once

namespace Main {

// The three intro videos of the interface data from the data path's "Video"
// folder; the first only when its file exists. With log, how each ended
// goes to the error output.
void PlayIntroVideos(bool log = false);
}  // namespace Main
