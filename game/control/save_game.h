// Save games: a 26148-byte header with the mission, the title, the round,
// the gold and a thumbnail, then the campaign transfer when it follows, then
// the scenario's stream, the whole file enciphered with its own name. The
// main menu lists the saves by their headers.
#pragma once

#include "frontend/save_game_header.h"
