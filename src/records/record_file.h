// Writing battle records: the header, the file itself and the Save As logic.
//
// A record file is CP932 text with CR LF line ends: 20 header lines, the saved turn count,
// the end reason, the row count R and 2R twin-sequence rows, then for every turn its
// comments ("CM" + text) and its four-digit turn line, the comments after the last turn,
// and "[EoF]". Every save goes through a temporary file that is renamed over the target, so
// a failed save never damages the file that was there.
#pragma once

#include <cstdint>
#include <string>

namespace dalu {

struct BattleRecord;
struct Config;
struct Engine;
class Host;

// What the record glue works with: the record, the engine, the configuration (the program
// directory and the language of messages) and the host that shows failures and notices.
struct RecordContext {
  BattleRecord& rec;
  Engine& eng;
  const Config& cfg;
  Host& host;
};

inline constexpr const char* kRecordExtension = ".DBD";

// ---- Header --------------------------------------------------------------------------

// Rebuilds g.rec.RecHeader[1..20] from the current record and engine values and clears
// every CommentCount (indices 0..1000).
void TF_File_SetUp(const RecordContext& g);
// The header part of TF_File_SetUp, on any record and engine (comments untouched).
void SetUpHeader(BattleRecord& rec, const Engine& e);

// ---- Writing ---------------------------------------------------------------------------

// Rows of 64 beads a record stores when written at turn counter `turns`:
// (2 * (turns + 2)) div 64 + 1, which covers every twin up to turns + 2.
int32_t SequenceRows(int32_t turns);

// The bytes of the file: turns 1..savedTurns, `reason` as the end reason, R computed from
// rowTurns. Limits: savedTurns is held to 0..1000 (TurnRecord has nothing beyond) and R to
// 1..32 (the sequence has nothing beyond), so no array is read outside. A CR or LF inside
// a text is written as a blank, so no text can break the line structure.
std::string RecordText(const BattleRecord& rec, const Engine& e, int32_t savedTurns,
                       const std::string& reason, int32_t rowTurns);

// AppDir + "GameData/".
std::string RecordDir(const RecordContext& g);

// Writes RecordDir(g) + g.rec.RecFileName with R computed from g.eng.TurnNumber, creating
// GameData/ when it is missing. On failure shows the system's error text in the error box,
// leaves the earlier file intact and no temporary file behind, and returns false.
bool TF_File_Save(const RecordContext& g, int32_t SavedTurns, const std::string& Reason);
// The same with R computed from RowTurns instead of TurnNumber (the old-format conversion
// writes the rows it read, R from its turn count).
bool TF_File_SaveRows(const RecordContext& g, int32_t SavedTurns, const std::string& Reason,
                      int32_t RowTurns);

// Writes text as RecordDir(g) + fileName, with the same checks, directory creation and
// error report as TF_File_Save.
bool WriteRecordFile(const RecordContext& g, const std::string& fileName, const std::string& text);
// The same into the directory dir (ending in "/").
bool WriteRecordFileIn(const RecordContext& g, const std::string& dir, const std::string& fileName,
                       const std::string& text);

// Removes the hidden temporary files that saves of runs no longer alive (a crash in the
// middle of a save) left in GameData/ and in the program directory, which holds the
// configuration file. Called once at start-up.
void RemoveStaleSaveFiles(const RecordContext& g);

// Whether the record has a header to write: a match was started or a record loaded. Before
// that its header lines are empty, and a file written from it could not be loaded again.
bool HasRecordHeader(const BattleRecord& rec);

// Save As after the dialog: RecFileName := the chosen name after its last "/", with ".DBD"
// appended unless it already ends in ".DBD" byte for byte. The file goes into the folder
// the user chose; a bare name without a folder goes to GameData/. While Running,
// TurnNumber - 1 turns and "Halt" (the turn in progress is left out); otherwise TurnNumber
// turns and "Buried". RecFileName keeps the new name even when the write fails. A record
// without a header (HasRecordHeader) is not written: false, RecFileName unchanged.
bool TF_File_SaveAs(const RecordContext& g, const std::string& chosenPath, bool Running);

}  // namespace dalu
