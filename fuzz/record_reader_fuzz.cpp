// Fuzzes the reader of current-format battle records.
//
// Every input must be either refused (with a message that can be built) or accepted with
// values the engine can take; an accepted record, written out and read again, must give
// the same values, and writing that gives the same bytes.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "engine/field_canvas.h"
#include "fuzz_check.h"
#include "match/game.h"
#include "records/record_file.h"
#include "records/record_loader.h"
#include "util/host.h"
#include "util/sound.h"

using namespace dalu;
using dalu::fuzz::Check;

namespace {

void CheckRanges(const LoadedRecord& r) {
  Check(r.FieldWidth >= 4 && r.FieldWidth <= kMaxWidth, "width");
  Check(r.FieldHeight >= 7 && r.FieldHeight <= kMaxHeight, "height");
  Check(r.ColourCount >= 1 && r.ColourCount <= kMaxColours, "colours");
  for (int i = 1; i <= r.ColourCount; ++i) {
    Check(r.ColourImage[i] >= 1 && r.ColourImage[i] <= 5, "image");
  }
  Check(r.VanishCount >= 1, "vanish");
  Check(r.ObstructRate[1] >= 0 && r.ObstructRate[2] >= 0, "rates");
  const int32_t T = r.rec.RecTurns;
  Check(T >= 0 && T <= kMaxTurns, "turns");
  Check(r.SequenceRows >= 1 && r.SequenceRows <= kMaxSequenceRows, "rows");
  Check(kBeadsPerRow * r.SequenceRows >= 2 * (T + 1), "rows cover the replay");
  for (int p = 1; p <= 2; ++p) {
    for (int b = 1; b <= kBeadsPerRow * r.SequenceRows; ++b) {
      Check(r.TwinSequence[p][b] >= 0 && r.TwinSequence[p][b] <= r.ColourCount, "bead");
    }
  }
  for (int t = 1; t <= T; ++t) {
    for (int p = 1; p <= 2; ++p) {
      const TwinMove& m = r.rec.TurnRecord[t][p];
      Check(m.Rotation >= 0 && m.Rotation <= 3, "rotation");
      Check(m.Column >= 0 && m.Column <= r.FieldWidth, "column");
      if (m.Column == 0) {
        Check(m.Rotation == 0, "empty move");
      } else {
        const int partner = m.Column + DX[m.Rotation];
        Check(partner >= 1 && partner <= r.FieldWidth, "partner");
      }
    }
  }
  for (int i = 0; i <= kMaxCommentIndex; ++i) {
    Check(r.rec.CommentCount[i] >= 0 && r.rec.CommentCount[i] <= kCommentsPerIndex, "comments");
    if (i > T) Check(r.rec.CommentCount[i] == 0, "comment beyond the record");
  }
}

void CheckSame(const LoadedRecord& a, const LoadedRecord& b) {
  Check(a.FieldWidth == b.FieldWidth && a.FieldHeight == b.FieldHeight, "same size");
  Check(a.ColourCount == b.ColourCount && a.VanishCount == b.VanishCount, "same counts");
  Check(std::memcmp(a.ColourImage + 1, b.ColourImage + 1, sizeof(int32_t) * a.ColourCount) == 0,
        "same images");
  Check(std::memcmp(a.ChainBonus + 1, b.ChainBonus + 1, sizeof(int32_t) * 30) == 0 &&
            std::memcmp(a.ChainRate + 1, b.ChainRate + 1, sizeof(int32_t) * 30) == 0,
        "same tables");
  Check(a.ObstructRate[1] == b.ObstructRate[1] && a.ObstructRate[2] == b.ObstructRate[2],
        "same rates");
  Check(a.rec.RecTurns == b.rec.RecTurns && a.SequenceRows == b.SequenceRows, "same shape");
  for (int p = 1; p <= 2; ++p) {
    Check(std::memcmp(a.TwinSequence[p] + 1, b.TwinSequence[p] + 1,
                      sizeof(int32_t) * kBeadsPerRow * a.SequenceRows) == 0,
          "same sequence");
  }
  for (int t = 1; t <= a.rec.RecTurns; ++t) {
    Check(a.rec.TurnRecord[t][1] == b.rec.TurnRecord[t][1] &&
              a.rec.TurnRecord[t][2] == b.rec.TurnRecord[t][2],
          "same moves");
  }
  for (int i = 0; i <= a.rec.RecTurns; ++i) {
    Check(a.rec.CommentCount[i] == b.rec.CommentCount[i], "same comment counts");
  }
}

struct World {
  VirtualHost host;
  NullCanvas canvas;
  NullSound sound;
  std::unique_ptr<Game> game = std::make_unique<Game>(host, canvas, sound);
  std::unique_ptr<LoadedRecord> first = std::make_unique<LoadedRecord>();
  std::unique_ptr<LoadedRecord> second = std::make_unique<LoadedRecord>();
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static World w;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  RecordError err;
  if (!ParseCurrentRecord(bytes, *w.first, err)) {
    Check(!DescribeRecordError(err, "fuzz.DBD", true).empty(), "message");
    if (size % 2 == 1) Check(!DescribeRecordError(err, "fuzz.DBD", false).empty(), "message ja");
    return 0;
  }
  CheckRanges(*w.first);

  Game& g = *w.game;
  ApplyRecord(*w.first, "fuzz.DBD", g.eng, g.rec);
  const int32_t T = g.rec.RecTurns;
  // A turn counter that gives back the row count that was read.
  const int32_t rowTurns = kBeadsPerRow / 2 * w.first->SequenceRows - 3;
  Check(SequenceRows(rowTurns) == w.first->SequenceRows, "row turns");
  const std::string text1 = RecordText(g.rec, g.eng, T, g.rec.RecEndReason, rowTurns);

  Check(IsCurrentFormat(text1), "magic written");
  Check(ParseCurrentRecord(text1, *w.second, err), "written record reads back");
  CheckSame(*w.first, *w.second);
  ApplyRecord(*w.second, "fuzz.DBD", g.eng, g.rec);
  const std::string text2 = RecordText(g.rec, g.eng, T, g.rec.RecEndReason, rowTurns);
  Check(text1 == text2, "write, read, write gives the same bytes");
  return 0;
}
