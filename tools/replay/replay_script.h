// Action scripts: plain text, one command per line, "#" starts a comment.
//
//   seed N               the clock's start, which a single-player game seeds
//                        its random stream with (default 1; before the start)
//   mission N            starts campaign mission N as a new campaign does
//   scenario NAME        starts a scenario file of the "scenario" archive
//   act TYPE [W1..W13]   posts an action record for the local human whose
//                        turn it is and runs until the game waits for the
//                        next one; TYPE is a number or a name (endturn,
//                        attackgroup, result, select, move, castspell,
//                        makecamp, breakcamp, markunits, entercity,
//                        attackcity, enterbuilding, leavecity, movecityunit,
//                        battleorders, visitmerchant, purchase, answer)
//   answer N             the answer (1 the first choice) that the next
//                        conversation page with choices shown to the local
//                        human takes; pages without choices are read to
//                        their end, and a page with choices takes its first
//                        when no answer is left
//   steps N              N update steps
//   settle               update steps until a local human's turn waits
//   global I V           sets GLOBAL I to V, as a script command does (a
//                        player's word 0 ends the scenario at the next result)
//   save FILE            saves into the save directory, as the menu does
//   load FILE            loads a save and goes on, as the menu does
//   hash                 reports the state's hash now
//
// Every executed action record, the game's own included, is reported as
// "action COUNT NAME HASH", the hash command as "state HASH" (a hash is 16
// hex digits of GameStateHash), and a game that ended at the main menu as
// "menu".
#pragma once

#include <functional>
#include <string>

#include "engine/base/types.h"

namespace Replay {

// Runs the script on a headless game of the data path; each report line goes
// to the output. A bad line, or an error of the game while it runs, raises
// "line N: " and the error.
void RunScript(const std::string& script, const std::function<void(const std::string&)>& output);

// The action type (1..18) of a script name or number; -1 when there is none.
i32 ActionTypeOf(const std::string& word);
std::string ActionName(u32 type);

}  // namespace Replay
