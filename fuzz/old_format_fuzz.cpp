// Fuzzes the reader of old-format battle records and their conversion.
//
// Every input must be either refused or converted into a current-format file that the
// reader accepts with the same turns and comments.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/engine.h"
#include "fuzz_check.h"
#include "records/battle_record.h"
#include "records/record_file.h"
#include "records/record_loader.h"

using namespace dalu;
using dalu::fuzz::Check;

namespace {

// The conversion needs an engine and a record only, no game.
struct World {
  std::unique_ptr<Engine> eng = std::make_unique<Engine>();
  std::unique_ptr<BattleRecord> rec = std::make_unique<BattleRecord>();
  std::unique_ptr<LoadedRecord> old = std::make_unique<LoadedRecord>();
  std::unique_ptr<LoadedRecord> converted = std::make_unique<LoadedRecord>();
};

void Convert(World& w, std::string_view bytes, int32_t colourCount) {
  RecordError err;
  if (!ParseOldRecord(bytes, colourCount, *w.old, err)) {
    Check(err.oldFormat, "old-format message");
    Check(!DescribeRecordError(err, "old.DBD", true).empty(), "message");
    return;
  }
  const LoadedRecord& o = *w.old;
  const int32_t T = o.rec.RecTurns;
  Check(T >= 0 && T <= kMaxTurns, "turns");
  Check(o.SequenceRows == SequenceRows(T), "rows");
  Check(o.PlayerLevel[1] >= 0 && o.PlayerLevel[1] <= 9 && o.PlayerLevel[2] >= 0 &&
            o.PlayerLevel[2] <= 9,
        "levels");

  Engine& e = *w.eng;
  BattleRecord& rec = *w.rec;
  e.ColourCount = colourCount;
  ApplyConverted(o, "old.DBD", e, rec);
  Check(rec.RecFileName == "nw_old.DBD", "name");
  Check(e.FieldWidth == 7 && e.FieldHeight == 11, "old field size");
  const std::string text = RecordText(rec, e, T, "Buried", T);
  Check(ParseCurrentRecord(text, *w.converted, err), "converted record reads back");
  const LoadedRecord& c = *w.converted;
  Check(c.rec.RecTurns == T && c.SequenceRows == o.SequenceRows, "same shape");
  Check(c.rec.RecEndReason == "Buried" && c.rec.RecDate == "Old Good Days...", "fixed values");
  for (int t = 1; t <= T; ++t) {
    Check(c.rec.TurnRecord[t][1] == o.rec.TurnRecord[t][1] &&
              c.rec.TurnRecord[t][2] == o.rec.TurnRecord[t][2],
          "same moves");
  }
  for (int i = 0; i <= T; ++i) {
    Check(c.rec.CommentCount[i] == o.rec.CommentCount[i], "same comment counts");
  }
  for (int p = 1; p <= 2; ++p) {
    for (int b = 1; b <= kBeadsPerRow * o.SequenceRows; ++b) {
      Check(c.TwinSequence[p][b] == o.TwinSequence[p][b], "same sequence");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static World w;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // Old files take the colour count in use: the default, and one more chosen by the input.
  Convert(w, bytes, 4);
  const int32_t other = 1 + static_cast<int32_t>(size % 5);
  if (other != 4) Convert(w, bytes, other);
  return 0;
}
