#include "match/status_line.h"

#include <algorithm>
#include <string_view>

#include "match/game.h"
#include "match/study.h"
#include "util/text.h"

namespace dalu {

namespace {

// The texts of the status line. "%1".."%4" are filled in by Fill.
enum class StatusText { kTurn, kStudyTurn, kSide, kWin, kDraw, kChains, kCount };

struct StatusEntry {
  const char* english;
  const char* japaneseUtf8;
};

constexpr StatusEntry kTexts[static_cast<int>(StatusText::kCount)] = {
    {"Turn %1", "%1手目"},
    {"Turn %1 / %2", "%1 / %2手"},
    {"%1: score %2, %3 waiting", "%1: 得点 %2  お邪魔 %3"},
    {"%1 wins after %2 turns.", "%1の勝ち（%2手）"},
    {"Draw after %1 turns.", "引き分け（%1手）"},
    {"Longest chains: %1 / %2", "最大連鎖: %1 / %2"},
};

std::string Fill(const Game& g, StatusText which, std::initializer_list<std::string> args) {
  const StatusEntry& entry = kTexts[static_cast<int>(which)];
  std::string text = g.cfg.EnglishUI ? std::string(entry.english) : Utf8ToCp932(entry.japaneseUtf8);
  int n = 1;
  for (const std::string& arg : args) {
    const std::string mark = "%" + IntToText(n++);
    const size_t at = text.find(mark);
    if (at != std::string::npos) text.replace(at, mark.size(), arg);
  }
  return text;
}

// "1P" in both languages: the sides' names are the players', which may be long.
std::string SideName(int p) {
  return IntToText(p) + "P";
}

bool Buried(const Game& g) {
  return g.ctl.EndReason == "Buried" && (IsBuried(g.eng, 1) || IsBuried(g.eng, 2));
}

}  // namespace

int32_t WaitingBeads(const Game& g, int p) {
  const Engine& e = g.eng;
  int64_t points = 0;
  for (int i = 1; i <= e.ObstructQueueLen[p]; ++i) points += e.ObstructQueueAmount[p][i];
  return static_cast<int32_t>(std::clamp<int64_t>(points * e.ObstructRate[p] / 100, 0, 1 << 30));
}

std::string StatusLine(const Game& g) {
  const MatchTally& tally = g.ctl.Tally;
  const std::string gap = "    ";
  if (Buried(g)) {
    const bool lost1 = IsBuried(g.eng, 1);
    const bool lost2 = IsBuried(g.eng, 2);
    const std::string turns = IntToText(g.eng.TurnNumber);
    const std::string result = lost1 && lost2
                                   ? Fill(g, StatusText::kDraw, {turns})
                                   : Fill(g, StatusText::kWin, {SideName(lost1 ? 2 : 1), turns});
    return result + gap +
           Fill(g, StatusText::kChains,
                {IntToText(tally.LongestChain[1]), IntToText(tally.LongestChain[2])});
  }
  std::string line = CanStudy(g) ? Fill(g, StatusText::kStudyTurn,
                                        {IntToText(ShownTurn(g)), IntToText(LastTurn(g))})
                                 : Fill(g, StatusText::kTurn, {IntToText(g.eng.TurnNumber)});
  for (int p = 1; p <= 2; ++p) {
    line += gap + Fill(g, StatusText::kSide,
                       {SideName(p), IntToText(tally.Score[p]), IntToText(WaitingBeads(g, p))});
  }
  return line;
}

void ShowStatus(Game& g) {
  g.view.ShowStatus(StatusLine(g));
}

}  // namespace dalu
