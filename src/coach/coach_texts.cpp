#include "coach/coach_texts.h"

#include <cmath>
#include <cstdio>

#include "util/text.h"

namespace dalu {

namespace {

// clang-format off
constexpr CoachTextEntry kCoachTexts[kCoachTextCount] = {
  {CoachText::kMenuHint,        "Hint(I)",                 "ヒント(I)"},
  {CoachText::kMenuHintLevel,   "Hint level",              "ヒントのレベル"},
  {CoachText::kMenuReview,      "Review(R)",               "検討(R)"},
  {CoachText::kMenuNextMistake, "Next mistake(N)",         "次の悪手(N)"},
  {CoachText::kMenuTryAgain,    "Try again(Y)",            "やり直す(Y)"},
  {CoachText::kHintTitle,       "Hint: %1",                "ヒント: %1"},
  {CoachText::kHintThinking,    "Thinking...",             "考えています..."},
  {CoachText::kHintEmergency,   "An emergency move: no placement was scored.",
                                "緊急手です。配置の評価はありません。"},
  {CoachText::kColumnHeader,    "Column",                  "列"},
  {CoachText::kRotationHeader,  "Rotation",                "回転"},
  {CoachText::kScoreHeader,     "Score",                   "評価値"},
  {CoachText::kBlocked,         "blocked",                 "置けない"},
  {CoachText::kReviewTitle,     "Review",                  "検討"},
  {CoachText::kReviewProgress,  "Reviewing: %1 of %2 playouts",
                                "検討中: プレイアウト %2 回のうち %1 回"},
  {CoachText::kReviewCancel,    "Cancel",                  "中止"},
  {CoachText::kReviewCancelled, "The review was cancelled.", "検討を中止しました。"},
  {CoachText::kReviewNothing,   "There is no record to review.", "検討する棋譜がありません。"},
  {CoachText::kReviewBusy,      "Stop the match before reviewing it.",
                                "検討する前に対戦を止めてください。"},
  {CoachText::kGraphTitle,      "Side 1's chance to win",  "1P側の勝率"},
  {CoachText::kChanceHeader,    "Chance %1",               "%1P勝率"},
  {CoachText::kMarkHeader,      "Mark %1",                 "%1P印"},
  {CoachText::kBestHeader,      "Best %1",                 "%1P最善"},
  {CoachText::kLossHeader,      "Loss %1",                 "%1P損失"},
  {CoachText::kNoMoreMistakes,  "No marked move of side %1 after this turn.",
                                "この手より後に%1P側の印の付いた手はありません。"},
  {CoachText::kTryAgainPrompt,  "Turn %2: place side %1's twin again.",
                                "%2手目: %1P側の手をもう一度置いてください。"},
  {CoachText::kTryAgainResult,  "Your move %1: chance %2. Recorded move %3: %4. Review level's move %5: %6.",
                                "あなたの手 %1 の勝率 %2、棋譜の手 %3 は %4、検討レベルの手 %5 は %6 です。"},
  {CoachText::kTryAgainBetter,  "As good as the review level's move.",
                                "検討レベルの手と同じくらい良い手です。"},
  {CoachText::kTryAgainWorse,   "Still worse than the review level's move.",
                                "まだ検討レベルの手より悪い手です。"},
  {CoachText::kTryAgainAnother, "Try again",               "もう一度"},
  {CoachText::kTryAgainNext,    "Next mistake",            "次の悪手"},
  {CoachText::kTryAgainBack,    "Back to the review",      "検討に戻る"},
};
// clang-format on

constexpr bool TableInOrder() {
  for (int i = 0; i < kCoachTextCount; ++i) {
    if (static_cast<int>(kCoachTexts[i].id) != i) return false;
  }
  return true;
}
static_assert(TableInOrder(), "the coach's texts are listed in the order of CoachText");

}  // namespace

std::string CoachString(CoachText id, bool english) {
  const int i = static_cast<int>(id);
  if (i < 0 || i >= kCoachTextCount) return {};
  return english ? std::string(kCoachTexts[i].English) : Utf8ToCp932(kCoachTexts[i].JapaneseUtf8);
}

std::string CoachFormat(CoachText id, bool english, const std::vector<std::string>& args) {
  const std::string pattern = CoachString(id, english);
  std::string out;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    // CP932 lead bytes are 0x81..0x9F and 0xE0..0xFC; their trail byte may look like '%'
    // (0x25 is not a trail byte, but keeping pairs together costs nothing).
    const auto u = static_cast<unsigned char>(c);
    if ((u >= 0x81 && u <= 0x9F) || (u >= 0xE0 && u <= 0xFC)) {
      out += c;
      if (i + 1 < pattern.size()) out += pattern[++i];
      continue;
    }
    if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
      const size_t k = static_cast<size_t>(pattern[i + 1] - '1');
      if (k < args.size()) out += args[k];
      ++i;
      continue;
    }
    out += c;
  }
  return out;
}

std::string MoveField(bool placed, int column, int rotation) {
  if (!placed) return "-";
  return IntToText(column) + "," + IntToText(rotation);
}

std::string PercentText(double chance) {
  return IntToText(static_cast<int32_t>(std::lround(chance * 100))) + "%";
}

}  // namespace dalu
