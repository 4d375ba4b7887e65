// The History folder: every match the program played is kept there, never overwritten and
// never deleted, so a practice session cannot lose a match to the next autosave.
//
// A kept record is named after the moment it was kept and its sides,
// "YYYYMMDD-HHMMSS-<side1>-<side2>.DBD" ("-2", "-3" ... before ".DBD" when that name is
// taken), so the folder lists in the order the matches were played. Its bytes are the
// record file's own: a kept autosave equals AutoSave.DBD (or Re_AutoSv.DBD) byte for byte.
#pragma once

#include <cstdint>
#include <ctime>
#include <map>
#include <string>
#include <vector>

namespace dalu {

struct BattleRecord;
struct Game;

// AppDir + "GameData/History/".
std::string HistoryDir(const Game& g);

// The name a record is kept under at `when` (local time), before any "-2": the sides are
// the header's level texts in UTF-8, with every character a file name cannot hold (or that
// a shell would trip over) written as "_", each cut to 24 bytes.
std::string HistoryBaseName(const BattleRecord& rec, std::time_t when);

// Writes text into History under a name no file has yet. Returns the name, or "" when the
// write failed (reported like any failed save). Remembers the text as kept.
std::string KeepInHistory(Game& g, const std::string& text, std::time_t when);

// Where the loop autosaves: the same record (saved turns, end reason, rows from the turn
// counter) is kept in History too.
void KeepAutoSaved(Game& g, int32_t savedTurns, const std::string& reason, std::time_t when);

// Before the program closes, a new match starts or a record is loaded: a match that has
// played turns and is not kept as it stands (a take back after the burial changed it, or
// it was stopped) is kept now. A loaded record nobody played on is not kept again. Returns
// whether something was written.
bool KeepUnkeptMatch(Game& g, std::time_t when);

// ---- File > Recent ----

struct HistoryEntry {
  std::string path;     // the file, for loading
  std::string when;     // "2026-12-10 03:46"
  std::string side[3];  // sides 1..2: the level texts, CP932
  std::string reason;   // "Buried" or "Halt"; "" when the header could not be read
  int32_t turns = -1;   // saved turns; -1 when unreadable
  int32_t winner = -1;  // after a burial: side 1 or 2, 0 when both were buried; else -1
};

// Winners already found, by path: a kept file never changes, so each is replayed once.
using HistoryWinners = std::map<std::string, int32_t>;

// The newest `count` records in g's History, newest first; the names give the order.
// Files whose names do not start with a date are left out; an unreadable header leaves the
// entry's sides and result empty. The winner of a burial is found by replaying the record
// silently under g's constants (once per file when `known` is given).
std::vector<HistoryEntry> RecentHistory(const Game& g, size_t count = 10,
                                        HistoryWinners* known = nullptr);

// One line of the Recent menu, CP932: "2026-12-10 03:46  Keyboard - Level 3  (2P won, 48 turns)".
std::string RecentCaption(const HistoryEntry& e, bool english);

// The Recent menu's only line while History holds nothing, CP932.
std::string HistoryEmptyText(bool english);

}  // namespace dalu
