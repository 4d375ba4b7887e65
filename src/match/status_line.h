// The status line under the picture: where the match stands, and once it is over, who won.
// Every text comes from one table in both languages; the window only shows the line.
#pragma once

#include <cstdint>
#include <string>

namespace dalu {

struct Game;

// The line for the position shown (CP932, in the language of EnglishUI):
//  - during play: the turn, each side's score and the obstruct beads waiting for it;
//  - while a record (or the match just played) is studied: "turn 12 / 48" instead;
//  - after a burial: who won (or a draw), after how many turns, and each side's longest
//    chain.
std::string StatusLine(const Game& g);

// Obstruct beads that wait to fall on side p: its queued points at its rate.
int32_t WaitingBeads(const Game& g, int p);

// Sends the line to the view.
void ShowStatus(Game& g);

}  // namespace dalu
