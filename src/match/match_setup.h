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

// ---- Play the same deal again ----

// How many twins of `side` a new match could take from the deal in the game: the loaded
// record's (while no live turn has changed it) or, after a match that was itself dealt
// from a record, the twins it took. 0 when there is no such deal.
int32_t SameDealTwins(const Game& g, int side);

// Play same deal (levels 0..9 as with Start): a new live match under the rules in the game
// (the record's), whose sides are dealt the record's twins in the record's order and with
// its bead pictures, then newly generated twins once those run out. Everything else is a
// Start: a new record, fields emptied, the loop runs and this returns when it stops.
// Refused (false) while a loop is active or when the game holds no deal.
bool StartSameDeal(Game& g, int level1, int level2);

}  // namespace dalu
