// The table of levels: what the level selectors show and which routine, with which
// parameters, plays each level. Index = PlayerLevel; 0 is the user at the keyboard.
#pragma once

#include <string>

namespace dalu {

inline constexpr int kLevelCount = 10;  // 0 (the user) and the computer levels 1..9

enum class LevelRoutine { kKeyboard, kGeneral, kLookAhead };

struct LevelEntry {
  const char* English;       // combo-box text, ASCII
  const char* JapaneseUtf8;  // combo-box text, UTF-8 here; LevelName gives CP932
  LevelRoutine Routine;
  // General player parameters (see GeneralGutya).
  int CrowdLimit;
  int MaxSurplus;
  int MinPoints;
  int MaxChains;
  int MinChains;
  int Mode;
  // Look-ahead player parameter (see Thinking2p).
  int Depth;
};

// clang-format off
inline constexpr LevelEntry kLevels[kLevelCount] = {
  // English                    Japanese                   routine                    Crowd Surpl MinP MaxC MinC Mode Depth
  {"User",                    "ユーザー",                 LevelRoutine::kKeyboard,   0,    0,   0,   0,  0,   0,   0},
  {"No Attack",               "攻撃しない",               LevelRoutine::kGeneral,   85,    0,   0,   3,  1,   1,   0},
  {"Weakest Attack",          "微攻撃のみ",               LevelRoutine::kGeneral,   90,    3,   1,   3,  1,   1,   0},
  {"Weak Attack",             "弱攻撃のみ",               LevelRoutine::kGeneral,   80,   12,   2,   2,  1,   2,   0},
  {"2 Chain Only",            "２連鎖のみ",               LevelRoutine::kGeneral,   70,   25,   4,   2,  2,   3,   0},
  {"Weaker Gutcha",           "弱いぐちゃ",               LevelRoutine::kGeneral,   70,   60,  15,   5,  2,   4,   0},
  {"Gutcha",                  "ぐちゃ",                   LevelRoutine::kGeneral,   80,  300,  21,  15,  2,   5,   0},
  {"Older Reading Gutcha",    "旧読むぐちゃ（先攻型）",   LevelRoutine::kLookAhead,  0,    0,   0,   0,  0,   0,  24},
  {"Reading Gutcha(Counter)", "読むぐちゃ（反撃型）",     LevelRoutine::kGeneral,   80,  999,  21,  20,  2,   7,   0},
  {"Far more Reading Gutcha", "さらに読むぐちゃ",         LevelRoutine::kGeneral,   80,  999,  21,  20,  2,   8,   0},
};
// clang-format on

// The combo-box name of level 0..9 in English or Japanese, as CP932 bytes; empty for any
// other level.
std::string LevelName(int level, bool english);

}  // namespace dalu
