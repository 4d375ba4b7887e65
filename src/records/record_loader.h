// Reading battle records: the current format, and the conversion of records of the old
// format into new files.
//
// Loading is transactional. The file is parsed into a separate LoadedRecord and checked
// against everything the engine can take; only a file that passes replaces the game's
// record and state. A refused file gets one message naming the file, the line and what is
// wrong, and the game is left exactly as it was.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/engine.h"
#include "records/battle_record.h"
#include "records/record_file.h"

namespace dalu {

// Files above this size are refused unread: a record of 1000 turns with three long
// comments at every index stays far below it.
inline constexpr size_t kMaxRecordBytes = 16 * 1024 * 1024;
// Lines an old-format file may have (the old reader kept them in an array of 10000).
inline constexpr int kMaxOldLines = 10000;

// ---- Loading ---------------------------------------------------------------------------

enum class LoadOutcome {
  kReplay,     // a current-format record was applied to the game; the caller replays it
  kConverted,  // an old-format record was converted, written as "nw_" + name and reported
  kFailed,     // the file was refused or could not be read or written; the game is as before
};

// Loads the record at path (any directory).
//
// kReplay: the record values, FieldWidth, FieldHeight, ColourCount, ColourImage 1..C,
// VanishCount, ChainBonus and ChainRate 1..30, both ObstructRate, beads 1..64R of both
// sequences (later beads keep their values), the comments of indices 0..T and the moves of
// turns 1..T are in g; RecHeader is rebuilt; RecFileName is the name after the last "/".
// PlayerLevel, TurnNumber, the boards and the configuration are not touched.
//
// kConverted: as the old format's conversion says: the title, colour images, both
// PlayerLevel, sequence, chain tables, moves and comments of the file, "No Info",
// "Not used", "Old Good Days...", "Test(Train)", a 7 x 11 field and RecFileName
// "nw_" + name are in g; the new file is in GameData/; the information box was shown after
// the new file had been written.
//
// fieldSizeChanged (optional) tells whether FieldWidth or FieldHeight now differ from
// before the call (after kConverted the field is 7 x 11).
LoadOutcome LoadRecord(const RecordContext& g, const std::string& path,
                       bool* fieldSizeChanged = nullptr);

// ---- The parts, for tests and fuzzing ---------------------------------------------------

// What one file holds, before it is applied to a game.
struct LoadedRecord {
  // RecTitle, RecPlayerName, RecTime, RecHandi, RecInfo, RecDate, RecTurns, RecEndReason,
  // TurnRecord 1..RecTurns (Column and Rotation, the rest 0) and the comments of indices
  // 0..RecTurns. RecHeader and RecFileName are left empty.
  BattleRecord rec;
  int32_t FieldWidth = 7;
  int32_t FieldHeight = 11;
  int32_t ColourCount = 4;
  int32_t ColourImage[11] = {};  // entries 1..ColourCount
  int32_t VanishCount = 4;
  int32_t ChainBonus[kChainTableSize + 1] = {};  // entries 1..30
  int32_t ChainRate[kChainTableSize + 1] = {};   // entries 1..30
  int32_t ObstructRate[3] = {0, 100, 100};
  int32_t PlayerLevel[3] = {};  // old format only
  int32_t SequenceRows = 0;     // R; beads 1..64R of TwinSequence are set
  int32_t TwinSequence[3][kSequenceBeads + 1] = {};
};

// What is wrong with a refused file. line is the 1-based file line (0: the whole file).
struct RecordError {
  enum class Kind {
    kUnreadable,         // text: the system's error text
    kTooLarge,           // larger than kMaxRecordBytes
    kNotRegular,         // a directory, pipe or device; value: its FileKind (util/file_io.h)
    kEndsEarly,          // the file ends before `line`
    kNotNumber,          // text: what was found where `item` should be
    kOutOfRange,         // value of `item` outside lo..hi
    kTooShort,           // `item` has value bytes, lo needed
    kTooManyComments,    // more than 3 comment lines in one place
    kOutsideField,       // the twin of side `index` (column value, rotation lo) sticks out
    kTooFewRows,         // value rows cannot hold the twins of lo turns
    kTooManyLines,       // more than kMaxOldLines lines (old format)
    kNoTurnCount,        // no short line before the tables (old format)
    kTurnCountMismatch,  // value turn lines, but the turn count says lo (old format)
  };
  enum class Item {
    kNone,
    kFieldWidth,
    kFieldHeight,
    kColourCount,
    kColourImage,
    kColourLine,
    kVanishCount,
    kChainBonus,
    kChainRate,
    kChainLine,
    kObstructRate,
    kRatesLine,
    kTurnCount,
    kSequenceRows,
    kSequenceLine,
    kBead,
    kTurnLine,
    kColumn,
    kRotation,
    kPlayerLevel,
  };

  Kind kind = Kind::kUnreadable;
  Item item = Item::kNone;
  int32_t line = 0;
  int32_t index = 0;  // entry of a table, side of a move, bead number
  int64_t value = 0;
  int64_t lo = 0;
  int64_t hi = 0;
  std::string text;
  bool oldFormat = false;
};

// True when the first line is the current format's magic line.
bool IsCurrentFormat(std::string_view bytes);

// Parses a current-format file (its first line is not examined again).
bool ParseCurrentRecord(std::string_view bytes, LoadedRecord& out, RecordError& err);

// Parses an old-format file; colourCount is the engine's current colour count, which old
// files assume. Old files were played on the 7 x 11 field, so columns are checked for it.
bool ParseOldRecord(std::string_view bytes, int32_t colourCount, LoadedRecord& out,
                    RecordError& err);

// Puts a parsed current-format record into an engine and record, and rebuilds the header.
void ApplyRecord(const LoadedRecord& in, const std::string& fileName, Engine& e, BattleRecord& rec);

// Puts a parsed old-format record into an engine and record with the fixed values of a
// converted record, RecFileName "nw_" + oldName, and rebuilds the header.
void ApplyConverted(const LoadedRecord& in, const std::string& oldName, Engine& e,
                    BattleRecord& rec);

// The message shown for a refused file, in English or Japanese (CP932). path is the file
// system's path; it enters the message through PathText.
std::string DescribeRecordError(const RecordError& err, const std::string& path, bool english);

}  // namespace dalu
