// The process-wide interface objects: the window system with its cursor and
// tooltip.
#pragma once

namespace Main {

void CreateInterface();
// Deletes the window system and every window still registered; safe to call
// when nothing was made.
void DeleteInterface();

}  // namespace Main
