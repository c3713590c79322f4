// The start-up's steps that belong to the game: the intro videos, and the
// stand-in for the main menu's pages until they exist.
#pragma once

namespace Main {

// The three intro videos of the interface data from the data path's "Video"
// folder; the first only when its file exists.
void PlayIntroVideos();
// A new campaign: mission 1 loaded behind the loading screen, its start
// save written, the game started.
void StartNewCampaign();
// The menu's first opening starts a new campaign; page 0 opened from a
// running game ends the program, the save and load pages return to it.
void ConnectStandInMenu();

}  // namespace Main
