#include "records/record_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "config/config.h"
#include "engine/engine.h"
#include "records/battle_record.h"
#include "records/record_labels.h"
#include "util/file_io.h"
#include "util/host.h"
#include "util/text.h"

namespace dalu {

namespace {

std::string ChainLine(const int32_t* table, int first) {
  std::string s;
  for (int k = first; k < first + 15; ++k) s += FourDigits(table[k]);
  return s;
}

}  // namespace

void SetUpHeader(BattleRecord& rec, const Engine& e) {
  std::string* h = rec.RecHeader;
  h[1] = kRecordMagic;
  h[2] = rec.RecTitle;
  h[3] = FourDigits(e.FieldWidth) + labels::kWidth;
  h[4] = FourDigits(e.FieldHeight) + labels::kHeight;
  h[5] = FourDigits(e.ColourCount) + labels::kColours;
  h[6].clear();
  // ColourImage holds entries up to 10; a colour count the engine cannot have still reads
  // nothing beyond.
  const int colours = std::clamp<int32_t>(e.ColourCount, 0, 10);
  for (int i = 1; i <= colours; ++i) h[6] += IntToText(e.ColourImage[i]);
  h[7] = FourDigits(e.VanishCount) + labels::kVanish;
  h[8] = rec.RecPlayerName[1];
  h[9] = rec.RecPlayerName[2];
  h[10] = rec.RecTime + labels::kTime;
  h[11] = ChainLine(e.ChainBonus, 1);
  h[12] = ChainLine(e.ChainBonus, 16);
  h[13] = ChainLine(e.ChainRate, 1);
  h[14] = ChainLine(e.ChainRate, 16);
  h[15] = rec.RecHandi + labels::kHandi;
  h[16] = rec.RecInfo + labels::kInfo;
  h[17] = std::string(labels::kDate) + rec.RecDate;
  h[18] = FourDigits(e.ObstructRate[1]) + FourDigits(e.ObstructRate[2]) + labels::kObstruct;
  h[19] = labels::kSpare;
  h[20] = labels::kSpare;
}

void TF_File_SetUp(const RecordContext& g) {
  SetUpHeader(g.rec, g.eng);
  std::fill(std::begin(g.rec.CommentCount), std::end(g.rec.CommentCount), 0);
}

int32_t SequenceRows(int32_t turns) {
  // 64-bit so that no turn counter overflows; C++ division truncates like the rule's div.
  return static_cast<int32_t>((2 * (static_cast<int64_t>(turns) + 2)) / kBeadsPerRow + 1);
}

std::string RecordText(const BattleRecord& rec, const Engine& e, int32_t savedTurns,
                       const std::string& reason, int32_t rowTurns) {
  // Matches that run past the arrays are cut off here rather than read outside them.
  const int32_t turns = std::clamp<int32_t>(savedTurns, 0, kMaxTurns);
  const int32_t rows = std::clamp<int32_t>(SequenceRows(rowTurns), 1, kMaxSequenceRows);

  std::string out;
  out.reserve(4096 + static_cast<size_t>(turns) * 6 + static_cast<size_t>(rows) * 132);
  for (int i = 1; i <= kHeaderLines; ++i) AddLine(out, rec.RecHeader[i]);
  AddLine(out, FourDigits(turns) + labels::kSaveTurn);
  AddLine(out, reason);
  AddLine(out, FourDigits(rows) + labels::kRows);

  std::string line;
  for (int r = 1; r <= rows; ++r) {
    for (int p = 1; p <= 2; ++p) {
      line.clear();
      for (int c = 1; c <= kBeadsPerRow; ++c) {
        line += IntToText(e.TwinSequence[p][kBeadsPerRow * (r - 1) + c]);
      }
      AddLine(out, line);
    }
  }

  auto comments = [&](int index) {
    const int n = std::clamp<int32_t>(rec.CommentCount[index], 0, kCommentsPerIndex);
    for (int j = 1; j <= n; ++j) {
      AddLine(out, std::string(labels::kComment) + rec.CommentText[index][j]);
    }
  };
  for (int t = 1; t <= turns; ++t) {
    comments(t - 1);
    const TwinMove& m1 = rec.TurnRecord[t][1];
    const TwinMove& m2 = rec.TurnRecord[t][2];
    AddLine(out, IntToText(m1.Column) + IntToText(m1.Rotation) + IntToText(m2.Column) +
                     IntToText(m2.Rotation));
  }
  comments(turns);
  AddLine(out, labels::kEndOfFile);
  return out;
}

std::string RecordDir(const RecordContext& g) {
  return g.cfg.AppDir + "GameData/";
}

bool WriteRecordFile(const RecordContext& g, const std::string& fileName, const std::string& text) {
  return WriteRecordFileIn(g, RecordDir(g), fileName, text);
}

bool WriteRecordFileIn(const RecordContext& g, const std::string& dir, const std::string& fileName,
                       const std::string& text) {
  const std::string path = PathText(dir + fileName);
  auto report = [&](const std::string& systemText) {
    g.host.ShowError(g.cfg.EnglishUI ? "Cannot save " + path + ": " + systemText
                                     : path + Utf8ToCp932(" を保存できません: ") + systemText);
    return false;
  };
  // Names come from ExtractName, so they hold no "/"; an empty name or a dot name would
  // address the directory itself.
  if (fileName.empty() || fileName == "." || fileName == ".." ||
      fileName.find('/') != std::string::npos) {
    return report(std::strerror(EINVAL));
  }
  if (std::string err = EnsureDirectory(dir); !err.empty()) return report(err);
  if (std::string err = WriteFileAtomically(dir, fileName, text); !err.empty()) {
    return report(err);
  }
  return true;
}

bool TF_File_SaveRows(const RecordContext& g, int32_t SavedTurns, const std::string& Reason,
                      int32_t RowTurns) {
  return WriteRecordFile(g, g.rec.RecFileName,
                         RecordText(g.rec, g.eng, SavedTurns, Reason, RowTurns));
}

bool TF_File_Save(const RecordContext& g, int32_t SavedTurns, const std::string& Reason) {
  return TF_File_SaveRows(g, SavedTurns, Reason, g.eng.TurnNumber);
}

void RemoveStaleSaveFiles(const RecordContext& g) {
  RemoveStaleTemporaries(g.cfg.AppDir);
  RemoveStaleTemporaries(RecordDir(g));
}

bool HasRecordHeader(const BattleRecord& rec) {
  return rec.RecHeader[1] == kRecordMagic;
}

bool TF_File_SaveAs(const RecordContext& g, const std::string& chosenPath, bool Running) {
  if (!HasRecordHeader(g.rec)) return false;
  const size_t slash = chosenPath.rfind('/');
  const std::string dir =
      slash == std::string::npos ? RecordDir(g) : chosenPath.substr(0, slash + 1);
  g.rec.RecFileName = EnsureExtension(ExtractName(chosenPath), kRecordExtension);
  const int64_t turns = Running ? int64_t{g.eng.TurnNumber} - 1 : g.eng.TurnNumber;
  const int32_t saved = static_cast<int32_t>(std::clamp<int64_t>(turns, 0, kMaxTurns));
  return WriteRecordFileIn(
      g, dir, g.rec.RecFileName,
      RecordText(g.rec, g.eng, saved, Running ? "Halt" : "Buried", g.eng.TurnNumber));
}

}  // namespace dalu
