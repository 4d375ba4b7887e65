#include "match/history.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "match/game.h"
#include "match/just_played.h"
#include "match/shadow_replay.h"
#include "match/study.h"
#include "records/battle_record.h"
#include "records/record_file.h"
#include "records/record_loader.h"
#include "util/file_io.h"
#include "util/text.h"

namespace dalu {

namespace {

constexpr size_t kSideNameBytes = 24;
constexpr const char* kExtension = ".DBD";

// The level text of a header's side line: its first four characters give its length.
std::string LevelText(const std::string& sideLine) {
  return sideLine.size() > 4 ? sideLine.substr(4) : std::string();
}

std::string SafeSideName(const std::string& sideLine) {
  const std::string utf8 = Cp932ToUtf8(LevelText(sideLine));
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    size_t len = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    len = std::min(len, utf8.size() - i);
    if (out.size() + len > kSideNameBytes) break;
    if (len > 1) {
      out.append(utf8, i, len);
    } else {
      out += (std::isalnum(c) || c == '_' || c == '.' || c == '+') ? static_cast<char>(c) : '_';
    }
    i += len;
  }
  return out.empty() ? std::string("_") : out;
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::path(path), ec) || ec;
}

// Lines of a record's beginning, CR LF or LF ended.
std::vector<std::string> HeadLines(const std::string& bytes, size_t count) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (lines.size() < count && at < bytes.size()) {
    size_t end = bytes.find('\n', at);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    at = end + 1;
  }
  return lines;
}

bool StartsWithDate(const std::string& name) {
  if (name.size() < 15 + 4 || name[8] != '-') return false;
  for (int i = 0; i < 15; ++i) {
    if (i != 8 && !std::isdigit(static_cast<unsigned char>(name[i]))) return false;
  }
  return name.size() >= 4 && name.compare(name.size() - 4, 4, kExtension) == 0;
}

// Who won the record at path: replayed silently to its end.
int32_t ReplayedWinner(const Game& like, const std::string& path) {
  VirtualHost host;
  NullCanvas canvas;
  NullSound sound;
  auto loaded = std::make_unique<Game>(host, canvas, sound);
  loaded->cfg = like.cfg;
  loaded->eng = like.eng;  // the constants the running program has set
  if (LoadRecord(*loaded, path) != LoadOutcome::kReplay) return -1;
  loaded->ctl.Record = RecordState::kLoaded;
  KeepRecordRules(*loaded);
  ShadowReplay shadow(*loaded);
  shadow.RunTo(loaded->rec.RecTurns);
  const bool buried1 = IsBuried(shadow.game().eng, 1);
  const bool buried2 = IsBuried(shadow.game().eng, 2);
  return buried1 && buried2 ? 0 : buried1 ? 2 : buried2 ? 1 : -1;
}

}  // namespace

std::string HistoryDir(const Game& g) {
  return g.cfg.AppDir + "GameData/History/";
}

std::string HistoryBaseName(const BattleRecord& rec, std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  return std::string(stamp) + "-" + SafeSideName(rec.RecPlayerName[1]) + "-" +
         SafeSideName(rec.RecPlayerName[2]);
}

std::string KeepInHistory(Game& g, const std::string& text, std::time_t when) {
  const std::string dir = HistoryDir(g);
  const std::string base = HistoryBaseName(g.rec, when);
  std::string name = base + kExtension;
  for (int n = 2; Exists(dir + name); ++n) name = base + "-" + std::to_string(n) + kExtension;
  RecordContext rc = g;
  EnsureDirectory(RecordDir(rc));  // History lies inside GameData/, which may be missing too
  if (!WriteRecordFileIn(rc, dir, name, text)) return {};
  g.keptText = text;
  return name;
}

void KeepAutoSaved(Game& g, int32_t savedTurns, const std::string& reason, std::time_t when) {
  KeepInHistory(g, RecordText(g.rec, g.eng, savedTurns, reason, g.eng.TurnNumber), when);
}

bool KeepUnkeptMatch(Game& g, std::time_t when) {
  if (!HasRecordHeader(g.rec) || g.ctl.Record == RecordState::kLoaded) return false;
  const int32_t turns = g.ctl.Record == RecordState::kPlayed ? g.rec.RecTurns : PlayedTurns(g);
  if (turns <= 0) return false;
  const std::string text = CurrentRecordText(g);
  if (text.empty() || text == g.keptText) return false;
  return !KeepInHistory(g, text, when).empty();
}

std::vector<HistoryEntry> RecentHistory(const Game& g, size_t count, HistoryWinners* known) {
  const std::string dir = HistoryDir(g);
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& item : std::filesystem::directory_iterator(dir, ec)) {
    const std::string name = item.path().filename().string();
    if (StartsWithDate(name)) names.push_back(name);
  }
  // "-2" sorts after the plain name of the same second, as it was kept after it.
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    if (a.compare(0, 15, b, 0, 15) != 0) return a.compare(0, 15, b, 0, 15) > 0;
    if (a.size() != b.size()) return a.size() > b.size();
    return a > b;
  });
  if (names.size() > count) names.resize(count);

  std::vector<HistoryEntry> out;
  for (const std::string& name : names) {
    HistoryEntry e;
    e.path = dir + name;
    e.when = name.substr(0, 4) + "-" + name.substr(4, 2) + "-" + name.substr(6, 2) + " " +
             name.substr(9, 2) + ":" + name.substr(11, 2);
    const ReadResult r = ReadWholeFile(e.path, 64 * 1024);
    const std::vector<std::string> lines =
        r.status == ReadStatus::kOk ? HeadLines(r.bytes, 22) : std::vector<std::string>{};
    if (lines.size() == 22 && lines[0] == kRecordMagic) {
      e.side[1] = LevelText(lines[7]);
      e.side[2] = LevelText(lines[8]);
      e.turns = static_cast<int32_t>(std::strtol(lines[20].substr(0, 4).c_str(), nullptr, 10));
      e.reason = lines[21];
    }
    if (e.reason == "Buried") {
      const auto found = known ? known->find(e.path) : HistoryWinners::iterator{};
      if (known && found != known->end()) {
        e.winner = found->second;
      } else {
        e.winner = ReplayedWinner(g, e.path);
        if (known) (*known)[e.path] = e.winner;
      }
    }
    out.push_back(std::move(e));
  }
  return out;
}

std::string RecentCaption(const HistoryEntry& e, bool english) {
  std::string line = e.when + "  " + e.side[1] + " - " + e.side[2];
  if (e.turns < 0) return line;
  const std::string turns = std::to_string(e.turns);
  if (e.winner > 0) {
    const std::string side = std::to_string(e.winner);
    return line + (english ? "  (" + side + "P won, " + turns + " turns)"
                           : Utf8ToCp932("  (" + side + "Pの勝ち、" + turns + "手)"));
  }
  if (e.winner == 0) {
    return line + (english ? "  (draw, " + turns + " turns)"
                           : Utf8ToCp932("  (引き分け、" + turns + "手)"));
  }
  if (e.reason == "Buried") {
    return line + (english ? "  (buried, " + turns + " turns)"
                           : Utf8ToCp932("  (埋まり、" + turns + "手)"));
  }
  return line + (english ? "  (stopped at " + turns + " turns)"
                         : Utf8ToCp932("  (中断、" + turns + "手)"));
}

std::string HistoryEmptyText(bool english) {
  return english ? std::string("(no matches kept yet)")
                 : Utf8ToCp932("（まだ対戦の記録がありません）");
}

}  // namespace dalu
