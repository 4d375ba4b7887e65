#include "records/record_loader.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <vector>

#include "config/config.h"
#include "records/record_file.h"
#include "records/record_labels.h"
#include "util/file_io.h"
#include "util/host.h"
#include "util/text.h"

namespace dalu {

namespace {

using Kind = RecordError::Kind;
using Item = RecordError::Item;
using Lines = std::vector<std::string_view>;

inline constexpr int kChainLineBytes = 60;  // 15 entries of four characters
inline constexpr int kOldShortLine = 20;    // the old turn-count line is the last shorter one
inline constexpr int kOldWidth = 7;         // old records were played on the 7 x 11 field
inline constexpr int kOldHeight = 11;

bool IsComment(std::string_view line) {
  return line.substr(0, 2) == labels::kComment;
}

// The line without its last n bytes; empty when it is not longer than that.
std::string DropTail(std::string_view line, size_t n) {
  return std::string(line.substr(0, line.size() > n ? line.size() - n : 0));
}

// The bytes from..from+n of line, widened to whole characters at both ends.
std::string_view WholeChars(std::string_view line, size_t from, size_t n) {
  size_t start = 0;
  while (start < line.size()) {
    const size_t len = static_cast<size_t>(Cp932CharLen(line, start));
    if (start + len > from) break;
    start += len;
  }
  size_t end = start;
  while (end < line.size() && end < from + n) end += static_cast<size_t>(Cp932CharLen(line, end));
  return line.substr(start, end - start);
}

// Collects the first problem of a file; every check returns false once it has failed.
class Checker {
 public:
  Checker(RecordError& err, bool oldFormat, LoadedRecord& out) : err_(err) {
    // Comments are counted up from zero; everything else read is written before use.
    std::fill(std::begin(out.rec.CommentCount), std::end(out.rec.CommentCount), 0);
    err_ = RecordError{};
    err_.oldFormat = oldFormat;
  }

  bool Fail(Kind kind, Item item, int32_t line, int32_t index = 0, int64_t value = 0,
            int64_t lo = 0, int64_t hi = 0, std::string_view text = {}) {
    err_.kind = kind;
    err_.item = item;
    err_.line = line;
    err_.index = index;
    err_.value = value;
    err_.lo = lo;
    err_.hi = hi;
    err_.text = std::string(text);
    return false;
  }

  bool EndsBefore(int32_t line) { return Fail(Kind::kEndsEarly, Item::kNone, line); }

  // A decimal number in text, within lo..hi. text is a part of the file line `whole` (when
  // given), which lets the message quote whole characters: a field of four bytes may end
  // in the middle of a two-byte character.
  bool Number(std::string_view text, Item item, int32_t index, int32_t line, int32_t lo, int32_t hi,
              int32_t& out, std::string_view whole = {}) {
    const auto v = ParseInt(text);
    if (!v) {
      const std::string_view quote =
          whole.empty()
              ? text
              : WholeChars(whole, static_cast<size_t>(text.data() - whole.data()), text.size());
      return Fail(Kind::kNotNumber, item, line, index, 0, 0, 0, quote);
    }
    if (*v < lo || *v > hi) return Fail(Kind::kOutOfRange, item, line, index, *v, lo, hi);
    out = *v;
    return true;
  }

  // Byte i of text in digit form, within lo..hi.
  bool Digit(std::string_view text, size_t i, Item item, int32_t index, int32_t line, int32_t lo,
             int32_t hi, int32_t& out) {
    return Number(text.substr(i, 1), item, index, line, lo, hi, out, text);
  }

  bool AtLeast(std::string_view text, size_t bytes, Item item, int32_t line) {
    if (text.size() >= bytes) return true;
    return Fail(Kind::kTooShort, item, line, 0, static_cast<int64_t>(text.size()),
                static_cast<int64_t>(bytes));
  }

  // Fifteen four-character entries into table[first .. first + 14].
  bool ChainLine(std::string_view text, Item item, int first, int32_t line, int32_t* table) {
    if (!AtLeast(text, kChainLineBytes, Item::kChainLine, line)) return false;
    for (int k = 0; k < 15; ++k) {
      // A negative bonus or rate would turn chains into negative obstruct points.
      if (!Number(text.substr(4 * k, 4), item, first + k, line, 0, INT32_MAX, table[first + k],
                  text)) {
        return false;
      }
    }
    return true;
  }

  // A sequence row of 64 beads, colours 0 (not dealt) to colourCount.
  bool SequenceLine(std::string_view text, int32_t line, int row, int32_t colourCount,
                    int32_t* beads) {
    if (!AtLeast(text, kBeadsPerRow, Item::kSequenceLine, line)) return false;
    for (int c = 1; c <= kBeadsPerRow; ++c) {
      const int bead = kBeadsPerRow * (row - 1) + c;
      if (!Digit(text, c - 1, Item::kBead, bead, line, 0, colourCount, beads[bead])) {
        return false;
      }
    }
    return true;
  }

  // Colour images of colours 1..colourCount, digits 1..5 (the five bead picture groups).
  bool ColourLine(std::string_view text, int32_t line, int32_t colourCount, int32_t* images) {
    if (!AtLeast(text, static_cast<size_t>(colourCount), Item::kColourLine, line)) return false;
    for (int i = 1; i <= colourCount; ++i) {
      if (!Digit(text, i - 1, Item::kColourImage, i, line, 1, kMaxColours, images[i])) {
        return false;
      }
    }
    return true;
  }

  // A turn line: column and rotation of side 1, then of side 2. Column 0 (with rotation 0)
  // is a side that placed nothing; any other move must keep both beads inside the field.
  bool TurnLine(std::string_view text, int32_t line, int32_t width, TwinMove* moves) {
    if (!AtLeast(text, 4, Item::kTurnLine, line)) return false;
    for (int p = 1; p <= 2; ++p) {
      int32_t col = 0;
      int32_t rot = 0;
      if (!Digit(text, 2 * p - 2, Item::kColumn, p, line, 0, width, col)) return false;
      if (!Digit(text, 2 * p - 1, Item::kRotation, p, line, 0, 3, rot)) return false;
      if (col == 0 && rot != 0) return Fail(Kind::kOutOfRange, Item::kRotation, line, p, rot, 0, 0);
      if (col != 0) {
        const int32_t partner = col + DX[rot];
        if (partner < 1 || partner > width) {
          return Fail(Kind::kOutsideField, Item::kNone, line, p, col, rot);
        }
      }
      moves[p] = TwinMove{0, 0, col, rot, 0};
    }
    return true;
  }

  // The next comment of index; at most three in one place.
  bool Comment(BattleRecord& rec, int index, std::string_view text, int32_t line) {
    if (rec.CommentCount[index] >= kCommentsPerIndex) {
      return Fail(Kind::kTooManyComments, Item::kNone, line, index);
    }
    rec.CommentText[index][++rec.CommentCount[index]] = std::string(text.substr(2));
    return true;
  }

 private:
  RecordError& err_;
};

bool ParseCurrentLines(const Lines& L, LoadedRecord& out, Checker& ck) {
  const int32_t have = static_cast<int32_t>(L.size());
  auto line = [&](int32_t n) { return L[static_cast<size_t>(n - 1)]; };
  constexpr int32_t kFixedLines = 23;  // header, turn count, end reason, row count
  if (have < kFixedLines) return ck.EndsBefore(have + 1);

  BattleRecord& r = out.rec;
  r.RecTitle = std::string(line(2));
  if (!ck.Number(line(3).substr(0, 4), Item::kFieldWidth, 0, 3, 4, kMaxWidth, out.FieldWidth,
                 line(3)) ||
      !ck.Number(line(4).substr(0, 4), Item::kFieldHeight, 0, 4, 7, kMaxHeight, out.FieldHeight,
                 line(4)) ||
      !ck.Number(line(5).substr(0, 4), Item::kColourCount, 0, 5, 1, kMaxColours, out.ColourCount,
                 line(5)) ||
      !ck.ColourLine(line(6), 6, out.ColourCount, out.ColourImage) ||
      !ck.Number(line(7).substr(0, 4), Item::kVanishCount, 0, 7, 1, INT32_MAX, out.VanishCount,
                 line(7))) {
    return false;
  }
  r.RecPlayerName[1] = std::string(line(8));
  r.RecPlayerName[2] = std::string(line(9));
  r.RecTime = DropTail(line(10), 5);  // ":時間"
  if (!ck.ChainLine(line(11), Item::kChainBonus, 1, 11, out.ChainBonus) ||
      !ck.ChainLine(line(12), Item::kChainBonus, 16, 12, out.ChainBonus) ||
      !ck.ChainLine(line(13), Item::kChainRate, 1, 13, out.ChainRate) ||
      !ck.ChainLine(line(14), Item::kChainRate, 16, 14, out.ChainRate)) {
    return false;
  }
  r.RecHandi = DropTail(line(15), 6);                                              // ":Handi"
  r.RecInfo = DropTail(line(16), 5);                                               // ":Info"
  r.RecDate = std::string(line(17).substr(std::min<size_t>(5, line(17).size())));  // "Date:"
  const std::string_view rates = line(18) == labels::kSpare ? labels::kSpareRates : line(18);
  if (!ck.AtLeast(rates, 8, Item::kRatesLine, 18) ||
      !ck.Number(rates.substr(0, 4), Item::kObstructRate, 1, 18, 0, INT32_MAX, out.ObstructRate[1],
                 rates) ||
      !ck.Number(rates.substr(4, 4), Item::kObstructRate, 2, 18, 0, INT32_MAX, out.ObstructRate[2],
                 rates)) {
    return false;
  }
  // Lines 19 and 20 are spare.
  if (!ck.Number(line(21).substr(0, 4), Item::kTurnCount, 0, 21, 0, kMaxTurns, r.RecTurns,
                 line(21))) {
    return false;
  }
  const int32_t T = r.RecTurns;
  r.RecEndReason = std::string(line(22));
  if (!ck.Number(line(23).substr(0, 4), Item::kSequenceRows, 0, 23, 1, kMaxSequenceRows,
                 out.SequenceRows, line(23))) {
    return false;
  }
  const int32_t R = out.SequenceRows;
  // The replay hands out twins 1..T+1; rows that stop short of them would replay the
  // twins of whatever match came before. Every writer stores at least the twins up to T+2.
  if (kBeadsPerRow * R < 2 * (T + 1)) {
    return ck.Fail(Kind::kTooFewRows, Item::kNone, 23, 0, R, T);
  }

  int32_t n = kFixedLines + 1;
  for (int row = 1; row <= R; ++row) {
    for (int p = 1; p <= 2; ++p, ++n) {
      if (n > have) return ck.EndsBefore(n);
      if (!ck.SequenceLine(line(n), n, row, out.ColourCount, out.TwinSequence[p])) return false;
    }
  }

  // Comments of index t-1 come before the turn line of turn t; those of index T before
  // the closing "[EoF]", which is not examined (and may be missing).
  for (int32_t t = 1; t <= T + 1; ++t) {
    while (n <= have && IsComment(line(n))) {
      if (!ck.Comment(r, t - 1, line(n), n)) return false;
      ++n;
    }
    if (t > T) break;
    if (n > have) return ck.EndsBefore(n);
    if (!ck.TurnLine(line(n), n, out.FieldWidth, r.TurnRecord[t])) return false;
    ++n;
  }
  return true;
}

bool ParseOldLines(const Lines& L, int32_t colourCount, LoadedRecord& out, Checker& ck) {
  int32_t count = static_cast<int32_t>(std::min<size_t>(L.size(), INT32_MAX));
  auto line = [&](int32_t n) { return L[static_cast<size_t>(n - 1)]; };
  // Trailing empty lines are dropped; line 1 is never looked at.
  while (count >= 2 && line(count).empty()) --count;
  if (count > kMaxOldLines) {
    return ck.Fail(Kind::kTooManyLines, Item::kNone, 0, 0, count, kMaxOldLines);
  }
  constexpr int32_t kFirstTurnLine = 6;
  if (count < kFirstTurnLine - 1) return ck.EndsBefore(std::max(count, 1) + 1);

  BattleRecord& r = out.rec;
  r.RecTitle = std::string(line(2));
  out.ColourCount = colourCount;
  if (!ck.ColourLine(line(3), 3, colourCount, out.ColourImage) ||
      !ck.Number(line(4), Item::kPlayerLevel, 1, 4, 0, 9, out.PlayerLevel[1]) ||
      !ck.Number(line(5), Item::kPlayerLevel, 2, 5, 0, 9, out.PlayerLevel[2])) {
    return false;
  }

  // The turn count is the last line shorter than 20 bytes before the last line: sequence
  // rows and chain tables are all longer.
  int32_t k = 0;
  for (int32_t n = count - 1; n >= kFirstTurnLine; --n) {
    if (line(n).size() < kOldShortLine) {
      k = n;
      break;
    }
  }
  if (k == 0) return ck.Fail(Kind::kNoTurnCount, Item::kNone, 0);
  if (!ck.Number(line(k), Item::kTurnCount, 0, k, 0, kMaxTurns, r.RecTurns)) return false;
  const int32_t T = r.RecTurns;
  const int32_t R = SequenceRows(T);  // at most 32 for 1000 turns
  out.SequenceRows = R;
  // The rows follow the turn count and the four chain-table lines close the file.
  if (k + 2 * R + 4 > count) return ck.EndsBefore(count + 1);
  for (int row = 1; row <= R; ++row) {
    for (int p = 1; p <= 2; ++p) {
      const int32_t n = k + 2 * row - 2 + p;
      if (!ck.SequenceLine(line(n), n, row, colourCount, out.TwinSequence[p])) return false;
    }
  }
  if (!ck.ChainLine(line(count - 3), Item::kChainBonus, 1, count - 3, out.ChainBonus) ||
      !ck.ChainLine(line(count - 2), Item::kChainBonus, 16, count - 2, out.ChainBonus) ||
      !ck.ChainLine(line(count - 1), Item::kChainRate, 1, count - 1, out.ChainRate) ||
      !ck.ChainLine(line(count), Item::kChainRate, 16, count, out.ChainRate)) {
    return false;
  }

  // A file whose turn lines do not match its turn count would write moves that are not in
  // it (or drop some), so it is refused.
  int32_t turnLines = 0;
  for (int32_t n = kFirstTurnLine; n < k; ++n) turnLines += IsComment(line(n)) ? 0 : 1;
  if (turnLines != T) {
    return ck.Fail(Kind::kTurnCountMismatch, Item::kNone, k, 0, turnLines, T);
  }
  int32_t t = 1;
  for (int32_t n = kFirstTurnLine; n < k; ++n) {
    if (IsComment(line(n))) {
      if (!ck.Comment(r, t - 1, line(n), n)) return false;
    } else {
      if (!ck.TurnLine(line(n), n, kOldWidth, r.TurnRecord[t])) return false;
      ++t;
    }
  }
  out.FieldWidth = kOldWidth;
  out.FieldHeight = kOldHeight;
  return true;
}

// Moves, comments and sequence rows, after the header has been rebuilt.
void ApplyBody(const LoadedRecord& in, Engine& e, BattleRecord& rec) {
  const int32_t T = in.rec.RecTurns;
  std::fill(std::begin(rec.CommentCount), std::end(rec.CommentCount), 0);
  for (int i = 0; i <= T; ++i) {
    rec.CommentCount[i] = in.rec.CommentCount[i];
    for (int j = 1; j <= in.rec.CommentCount[i]; ++j) {
      rec.CommentText[i][j] = in.rec.CommentText[i][j];
    }
  }
  for (int t = 1; t <= T; ++t) {
    rec.TurnRecord[t][1] = in.rec.TurnRecord[t][1];
    rec.TurnRecord[t][2] = in.rec.TurnRecord[t][2];
  }
  // Beads after row R keep their values.
  const int beads = kBeadsPerRow * in.SequenceRows;
  for (int p = 1; p <= 2; ++p) {
    std::copy(in.TwinSequence[p] + 1, in.TwinSequence[p] + 1 + beads, e.TwinSequence[p] + 1);
  }
}

void CopyChainTables(const LoadedRecord& in, Engine& e) {
  for (int k = 1; k <= kChainTableSize; ++k) {
    e.ChainBonus[k] = in.ChainBonus[k];
    e.ChainRate[k] = in.ChainRate[k];
  }
}

// Text shown for what was found: at most 20 bytes, never cut inside a character.
std::string Excerpt(std::string_view text) {
  return ShortenText(text, 20);
}

std::string ItemName(const RecordError& err, bool en) {
  const std::string n = IntToText(err.index);
  auto ja = [](const char* utf8) { return Utf8ToCp932(utf8); };
  switch (err.item) {
    case Item::kFieldWidth:
      return en ? "field width" : ja("横サイズ");
    case Item::kFieldHeight:
      return en ? "field height" : ja("縦サイズ");
    case Item::kColourCount:
      return en ? "colour count" : ja("使用色数");
    case Item::kColourImage:
      return en ? "colour image " + n : ja("色の絵 ") + n;
    case Item::kColourLine:
      return en ? "colour image line" : ja("色の絵の行");
    case Item::kVanishCount:
      return en ? "vanish count" : ja("消す個数");
    case Item::kChainBonus:
      return en ? "chain bonus " + n : ja("連鎖ボーナス ") + n;
    case Item::kChainRate:
      return en ? "chain rate " + n : ja("連鎖倍率 ") + n;
    case Item::kChainLine:
      return en ? "chain table line" : ja("連鎖表の行");
    case Item::kObstructRate:
      return en ? "obstruct rate of side " + n : n + ja("側の邪魔珠降り係数");
    case Item::kRatesLine:
      return en ? "obstruct rate line" : ja("邪魔珠降り係数の行");
    case Item::kTurnCount:
      return en ? "turn count" : ja("手数");
    case Item::kSequenceRows:
      return en ? "twin sequence row count" : ja("配珠行数");
    case Item::kSequenceLine:
      return en ? "twin sequence line" : ja("配珠の行");
    case Item::kBead:
      return en ? "bead " + n : ja("配珠 ") + n;
    case Item::kTurnLine:
      return en ? "turn line" : ja("手の行");
    case Item::kColumn:
      return en ? "column of side " + n : n + ja("側の列");
    case Item::kRotation:
      return en ? "rotation of side " + n : n + ja("側の回転");
    case Item::kPlayerLevel:
      return en ? "level of side " + n : n + ja("側のレベル");
    case Item::kNone:
      break;
  }
  return "";
}

std::string Detail(const RecordError& err, bool en) {
  auto ja = [](const char* utf8) { return Utf8ToCp932(utf8); };
  auto num = [](int64_t v) { return std::to_string(v); };
  const std::string item = ItemName(err, en);
  switch (err.kind) {
    case Kind::kUnreadable:
      return err.text;
    case Kind::kTooLarge:
      return en ? "the file is larger than 16 MB" : ja("ファイルが大きすぎます (16MB超)");
    case Kind::kNotRegular:
      return NotRegularText(static_cast<FileKind>(err.value), en);
    case Kind::kEndsEarly:
      return en ? "the file ends before line " + num(err.line)
                : num(err.line) + ja("行目の前でファイルが終わっています");
    case Kind::kNotNumber:
      return en ? "the " + item + " \"" + Excerpt(err.text) + "\" is not a number"
                : item + ja("「") + Excerpt(err.text) + ja("」が数値ではありません");
    case Kind::kOutOfRange:
      if (err.hi == INT32_MAX) {
        return en ? "the " + item + " is " + num(err.value) + ", below " + num(err.lo)
                  : item + ja("が ") + num(err.value) + ja(" です (") + num(err.lo) +
                        ja(" 以上が必要)");
      }
      return en ? "the " + item + " is " + num(err.value) + ", outside " + num(err.lo) + ".." +
                      num(err.hi)
                : item + ja("が ") + num(err.value) + ja(" です (範囲 ") + num(err.lo) + ".." +
                      num(err.hi) + ja(")");
    case Kind::kTooShort:
      return en ? "the " + item + " has " + num(err.value) + " bytes, " + num(err.lo) + " needed"
                : item + ja("が ") + num(err.value) + ja(" バイトです (") + num(err.lo) +
                      ja(" バイト必要)");
    case Kind::kTooManyComments:
      return en ? "more than 3 comment lines in one place"
                : ja("一か所のコメントが3行を超えています");
    case Kind::kOutsideField:
      return en ? "the twin of side " + num(err.index) + " in column " + num(err.value) +
                      " with rotation " + num(err.lo) + " sticks out of the field"
                : num(err.index) + ja("側の組珠 (列 ") + num(err.value) + ja("、回転 ") +
                      num(err.lo) + ja(") がフィールドからはみ出します");
    case Kind::kTooFewRows:
      return en ? num(err.value) + " twin sequence rows are too few for " + num(err.lo) + " turns"
                : ja("配珠行数 ") + num(err.value) + ja(" は ") + num(err.lo) +
                      ja(" 手には足りません");
    case Kind::kTooManyLines:
      return en ? "the file has more than " + num(err.lo) + " lines"
                : ja("ファイルが ") + num(err.lo) + ja(" 行を超えています");
    case Kind::kNoTurnCount:
      return en ? "no turn count line was found" : ja("手数の行が見つかりません");
    case Kind::kTurnCountMismatch:
      return en ? "the file holds " + num(err.value) + " turn lines, but its turn count says " +
                      num(err.lo)
                : ja("手の行が ") + num(err.value) + ja(" 行ありますが、手数は ") + num(err.lo) +
                      ja(" です");
  }
  return "";
}

void Refuse(const RecordContext& g, const std::string& path, const RecordError& err) {
  // One "Please input Integer." per load at most: the load stops at its first problem.
  if (err.kind == Kind::kNotNumber) g.host.ShowError(kPleaseInputInteger);
  g.host.ShowError(DescribeRecordError(err, path, g.cfg.EnglishUI));
}

}  // namespace

bool IsCurrentFormat(std::string_view bytes) {
  std::string_view first = bytes.substr(0, bytes.find('\n'));
  if (!first.empty() && first.back() == '\r') first.remove_suffix(1);
  return first == kRecordMagic;
}

bool ParseCurrentRecord(std::string_view bytes, LoadedRecord& out, RecordError& err) {
  Checker ck(err, false, out);
  return ParseCurrentLines(SplitLines(bytes), out, ck);
}

bool ParseOldRecord(std::string_view bytes, int32_t colourCount, LoadedRecord& out,
                    RecordError& err) {
  Checker ck(err, true, out);
  return ParseOldLines(SplitLines(bytes), std::clamp<int32_t>(colourCount, 1, kMaxColours), out,
                       ck);
}

void ApplyRecord(const LoadedRecord& in, const std::string& fileName, Engine& e,
                 BattleRecord& rec) {
  rec.RecFileName = fileName;
  rec.RecTitle = in.rec.RecTitle;
  rec.RecPlayerName[1] = in.rec.RecPlayerName[1];
  rec.RecPlayerName[2] = in.rec.RecPlayerName[2];
  rec.RecTime = in.rec.RecTime;
  rec.RecHandi = in.rec.RecHandi;
  rec.RecInfo = in.rec.RecInfo;
  rec.RecDate = in.rec.RecDate;
  rec.RecTurns = in.rec.RecTurns;
  rec.RecEndReason = in.rec.RecEndReason;
  e.FieldWidth = in.FieldWidth;
  e.FieldHeight = in.FieldHeight;
  e.ColourCount = in.ColourCount;
  for (int i = 1; i <= in.ColourCount; ++i) e.ColourImage[i] = in.ColourImage[i];
  e.VanishCount = in.VanishCount;
  CopyChainTables(in, e);
  e.ObstructRate[1] = in.ObstructRate[1];
  e.ObstructRate[2] = in.ObstructRate[2];
  SetUpHeader(rec, e);
  ApplyBody(in, e, rec);
}

void ApplyConverted(const LoadedRecord& in, const std::string& oldName, Engine& e,
                    BattleRecord& rec) {
  rec.RecTitle = in.rec.RecTitle;
  for (int i = 1; i <= in.ColourCount; ++i) e.ColourImage[i] = in.ColourImage[i];
  e.PlayerLevel[1] = in.PlayerLevel[1];
  e.PlayerLevel[2] = in.PlayerLevel[2];
  rec.RecTurns = in.rec.RecTurns;
  CopyChainTables(in, e);
  rec.RecFileName = "nw_" + oldName;
  rec.RecPlayerName[1] = "No Info";
  rec.RecPlayerName[2] = "No Info";
  rec.RecTime = "Not used";
  rec.RecDate = "Old Good Days...";
  rec.RecHandi = "Not used";
  rec.RecInfo = "Test(Train)";
  e.FieldWidth = kOldWidth;
  e.FieldHeight = kOldHeight;
  // Colour count, vanish count and obstruct rates stay the current ones.
  SetUpHeader(rec, e);
  ApplyBody(in, e, rec);
}

std::string DescribeRecordError(const RecordError& err, const std::string& path, bool english) {
  // "The file ends before line n" names its line itself.
  const bool withLine = err.line > 0 && err.kind != Kind::kEndsEarly;
  std::string s;
  if (english) {
    s = "Cannot load " + PathText(path);
    if (err.oldFormat) s += " (read as a record of the old format)";
    s += ": ";
    if (withLine) s += "line " + IntToText(err.line) + ": ";
    s += Detail(err, true) + ".";
  } else {
    s = PathText(path);
    if (err.oldFormat) s += Utf8ToCp932(" (旧形式の棋譜として読み込み)");
    s += Utf8ToCp932(" を読み込めません: ");
    if (withLine) s += IntToText(err.line) + Utf8ToCp932("行目: ");
    s += Detail(err, false) + Utf8ToCp932("。");
  }
  return s;
}

LoadOutcome LoadRecord(const RecordContext& g, const std::string& path, bool* fieldSizeChanged) {
  if (fieldSizeChanged) *fieldSizeChanged = false;
  RecordError err;
  const ReadResult file = ReadWholeFile(path, kMaxRecordBytes);
  if (file.status != ReadStatus::kOk) {
    err.kind = file.status == ReadStatus::kTooLarge     ? Kind::kTooLarge
               : file.status == ReadStatus::kNotRegular ? Kind::kNotRegular
                                                        : Kind::kUnreadable;
    err.text = file.error;
    err.value = static_cast<int64_t>(file.kind);
    Refuse(g, path, err);
    return LoadOutcome::kFailed;
  }
  const std::string name = ExtractName(path);
  const int32_t oldWidth = g.eng.FieldWidth;
  const int32_t oldHeight = g.eng.FieldHeight;
  auto sizeChanged = [&] {
    if (fieldSizeChanged) {
      *fieldSizeChanged = g.eng.FieldWidth != oldWidth || g.eng.FieldHeight != oldHeight;
    }
  };
  auto loaded = std::make_unique<LoadedRecord>();

  if (IsCurrentFormat(file.bytes)) {
    if (!ParseCurrentRecord(file.bytes, *loaded, err)) {
      Refuse(g, path, err);
      return LoadOutcome::kFailed;
    }
    ApplyRecord(*loaded, name, g.eng, g.rec);
    sizeChanged();
    return LoadOutcome::kReplay;
  }

  if (!ParseOldRecord(file.bytes, g.eng.ColourCount, *loaded, err)) {
    Refuse(g, path, err);
    return LoadOutcome::kFailed;
  }
  // The converted state is built on copies and takes over only once the new file is on
  // the disk; the information box comes after that, so it never announces a file that
  // could not be written.
  auto eng = std::make_unique<Engine>(g.eng);
  auto rec = std::make_unique<BattleRecord>(g.rec);
  ApplyConverted(*loaded, name, *eng, *rec);
  const int32_t T = rec->RecTurns;
  if (!WriteRecordFile(g, rec->RecFileName, RecordText(*rec, *eng, T, "Buried", T))) {
    return LoadOutcome::kFailed;
  }
  g.eng = *eng;
  g.rec = std::move(*rec);
  sizeChanged();
  g.host.ShowInfo(PathText(name) + " is now converted to nw_" + PathText(name) +
                  ", version 2.00 format.");
  return LoadOutcome::kConverted;
}

}  // namespace dalu
