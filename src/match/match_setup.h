// Starting a match: every piece of match state is reset, the record header is filled in,
// the menus are locked and the match loop runs. The window's Start item calls StartMatch
// with the two level selectors' choices; the command-line tool does the same.
#pragma once

#include <string>

namespace dalu {

struct Game;

// The level selectors' rule: a single user always plays the left side, so when the right
// side is the user (0) while the left is a computer level, the left goes back to the user.
// Returns the left side's level after the rule.
int LeftLevelAfterChange(int left, int right);

// The change handler of both level selectors: applies the rule and takes both levels into
// PlayerLevel. Returns the level the left selector must show.
int LevelSelectorsChanged(Game& g, int left, int right);

// RecPlayerName of a side whose selector shows `text`: its byte length in four digits,
// then the text ("0004User").
std::string PlayerNameField(const std::string& text);

// The match title in the current language, from the two selectors' texts.
std::string MatchTitle(const Game& g, const std::string& left, const std::string& right);

// Today's date as text in the system's short date format (CP932).
std::string TodayShortDate();

// Start (levels 0..9 for sides 1 and 2): new bead pictures, twin sequences, empty fields,
// record header; then the match loop runs and this returns when it stops. Refused (returns
// false at once) while a match loop is active, even one finishing its turn after Stop.
bool StartMatch(Game& g, int level1, int level2);

}  // namespace dalu
