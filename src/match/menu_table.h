// The main window's menu bar as data: every item with its captions in both languages, its
// accelerator letter, shortcut and check mark, the captions that change with the match
// state, and the fixed texts of the window. The window builds every action from this
// table; adding an item is one row here (and one enumerator) plus one handler there.
//
// Captions are CP932 bytes (the Japanese texts are written here in UTF-8 and converted).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dalu {

struct Game;

// Items in menu-bar order; children follow their submenu.
enum class MenuId : int {
  kNone = -1,
  kFile = 0,  // mm_File: submenu
  kSaveAs,    // sm_saveas
  kLoad,      // sm_load
  kMoveList,  // the move list window
  kGoToTurn,  // jump to a turn of the record by number
  kReplay,    // submenu: the replay keys
  kStepBack,  // the replay keys, in the order of ReplayKeys() (study.h)
  kStepForward,
  kFirstTurn,
  kLastTurn,
  kSameDeal,      // a new match dealt the record's twins
  kTakeBack,      // back to before the last turn a keyboard side dropped a twin
  kRecent,        // submenu: the last records kept in History (built by the window)
  kReplaySpeed,   // submenu: the pace of ">>" (built by the window)
  kHelp,          // mm_help
  kStart,         // mm_Start
  kEdit,          // mm_Edit: submenu
  kEditMode,      // sm_Edt
  kAutoTwin,      // sm_Auto
  kDefault,       // sm_default
  kControls,      // the Controls dialog (controls.h)
  kComment,       // mm_comment
  kStopContinue,  // mm_SC
  kConfig,        // mm_config
  kCoach,         // submenu: the coach
  kHint,          // show the hint level's placement while a keyboard side steers
  kHintLevel,     // the hint's level (its submenu of levels is built by the coach)
  kReview,        // estimate every turn's chances and mark the mistakes
  kNextMistake,   // go to the next marked move of the chosen side
  kTryAgain,      // place a marked move's twin again and compare
  kCount
};
inline constexpr int kMenuItemCount = static_cast<int>(MenuId::kCount);

struct MenuEntry {
  MenuId id;
  MenuId parent;  // kNone: on the menu bar itself
  // The caption, the accelerator letter in parentheses: "Start(S)"; the Japanese in UTF-8
  // here (MenuCaption gives CP932). Null for a replay key's item: its caption is the key's
  // own (ReplayKeyCaption), so the menu and the key table cannot disagree.
  const char* English;
  const char* JapaneseUtf8;
  char accelerator;  // the letter in parentheses; 0 when the caption has none
  // Portable key-sequence text ("Ctrl+S"); "" for none. A replay key's item has none: its
  // key (an arrow, Home, End) steers the twin in live play, so it must reach the game, not a
  // shortcut; the window shows the key in the caption instead.
  const char* shortcut;
  bool checkable;       // carries a check mark
  bool idleOnly;        // disabled while a match or a replay runs
  bool enabledAtStart;  // false: stays disabled until the first start or load
};

// clang-format off
inline constexpr MenuEntry kMenuTable[kMenuItemCount] = {
  // id                   parent           English              Japanese             acc  shortcut  check  idle   start
  {MenuId::kFile,         MenuId::kNone,   "File",              "ファイル",          0,   "Ctrl+F", false, false, true},
  {MenuId::kSaveAs,       MenuId::kFile,   "Save As(V)",        "棋譜格納(V)",       'V', "Ctrl+V", false, false, true},
  {MenuId::kLoad,         MenuId::kFile,   "Load(L)",           "棋譜閲覧(L)",       'L', "Ctrl+L", false, true,  true},
  {MenuId::kMoveList,     MenuId::kFile,   "Move list(M)",      "手順一覧(M)",       'M', "Ctrl+M", false, false, false},
  {MenuId::kGoToTurn,     MenuId::kFile,   "Go to turn(J)",     "手数を指定(J)",     'J', "Ctrl+J", false, false, false},
  {MenuId::kReplay,       MenuId::kFile,   "Replay",            "棋譜再生",          0,   "",       false, false, false},
  {MenuId::kStepBack,     MenuId::kReplay, nullptr,             nullptr,             'B', "",       false, false, false},
  {MenuId::kStepForward,  MenuId::kReplay, nullptr,             nullptr,             'F', "",       false, false, false},
  {MenuId::kFirstTurn,    MenuId::kReplay, nullptr,             nullptr,             'T', "",       false, false, false},
  {MenuId::kLastTurn,     MenuId::kReplay, nullptr,             nullptr,             'E', "",       false, false, false},
  {MenuId::kSameDeal,     MenuId::kFile,   "Play same deal(D)", "同じ配珠で対戦(D)", 'D', "Ctrl+D", false, true,  false},
  {MenuId::kTakeBack,     MenuId::kFile,   "Take back",         "待った",            0,   "",       false, false, false},
  {MenuId::kRecent,       MenuId::kFile,   "Recent",            "最近の棋譜",        0,   "",       false, true,  true},
  {MenuId::kReplaySpeed,  MenuId::kFile,   "Replay speed",      "再生速度",          0,   "",       false, false, true},
  {MenuId::kHelp,         MenuId::kNone,   "Help(H)",           "ヘルプ(H)",         'H', "Ctrl+H", false, false, true},
  {MenuId::kStart,        MenuId::kNone,   "Start(S)",          "開始(S)",           'S', "Ctrl+S", false, true,  true},
  {MenuId::kEdit,         MenuId::kNone,   "Edit",              "編集関係",          0,   "",       false, false, true},
  {MenuId::kEditMode,     MenuId::kEdit,   "EditMode",          "編集モード",        0,   "",       true,  false, true},
  {MenuId::kAutoTwin,     MenuId::kEdit,   "AutoTwin",          "２Ｐ自動同期",      0,   "",       true,  false, true},
  {MenuId::kDefault,      MenuId::kEdit,   "Default",           "デフォルト",        0,   "",       false, false, true},
  {MenuId::kControls,     MenuId::kEdit,   "Controls...",       "操作設定...",       0,   "",       false, false, true},
  {MenuId::kComment,      MenuId::kNone,   "Comment(C)",        "コメント(C)",       'C', "Ctrl+C", false, false, true},
  {MenuId::kStopContinue, MenuId::kNone,   "Continue(Z)",       "続ける(Z)",         'Z', "Ctrl+Z", false, false, false},
  {MenuId::kConfig,       MenuId::kNone,   "Config(G)",         "設定(G)",           'G', "Ctrl+G", false, true,  true},
  {MenuId::kCoach,        MenuId::kNone,   "Coach",             "コーチ",            0,   "",       false, false, true},
  {MenuId::kHint,         MenuId::kCoach,  "Hint(I)",           "ヒント(I)",         'I', "Ctrl+I", true,  false, true},
  {MenuId::kHintLevel,    MenuId::kCoach,  "Hint level",        "ヒントのレベル",    0,   "",       false, false, true},
  {MenuId::kReview,       MenuId::kCoach,  "Review(R)",         "検討(R)",           'R', "Ctrl+R", false, false, false},
  {MenuId::kNextMistake,  MenuId::kCoach,  "Next mistake(N)",   "次の悪手(N)",       'N', "Ctrl+N", false, false, false},
  {MenuId::kTryAgain,     MenuId::kCoach,  "Try again(Y)",      "やり直す(Y)",       'Y', "Ctrl+Y", false, false, false},
};
// clang-format on

// Captions that replace an item's table caption in some states.
enum class CaptionVariant {
  kPlain,       // the table caption
  kStop,        // Stop/Continue while a match runs
  kContinue,    // Stop/Continue after a match stopped
  kCommentEnd,  // Comment while comment mode is on
};

struct CaptionVariantEntry {
  MenuId id;
  CaptionVariant variant;
  const char* English;
  const char* JapaneseUtf8;
};

inline constexpr CaptionVariantEntry kCaptionVariants[] = {
    {MenuId::kStopContinue, CaptionVariant::kStop, "Stop(Z)", "止める(Z)"},
    {MenuId::kStopContinue, CaptionVariant::kContinue, "Continue(Z)", "再開(Z)"},
    {MenuId::kComment, CaptionVariant::kCommentEnd, "Comment End(C)", "コメント終わり(C)"},
};

// The table row of an item.
const MenuEntry& MenuEntryOf(MenuId id);

// An item's caption in English or Japanese (CP932). A variant the item does not have gives
// its table caption.
std::string MenuCaption(MenuId id, bool english, CaptionVariant variant = CaptionVariant::kPlain);

// True when some item has this item as its parent (it opens a submenu).
bool IsSubmenu(MenuId id);

// A separator line comes before these items in their menu: the record's study items stand
// apart from Save As and Load, History and the replay's pace from them, the review's items
// from the hint's.
inline constexpr MenuId kSeparatorBefore[] = {MenuId::kMoveList, MenuId::kRecent, MenuId::kReview};

// ---- Items that follow the loaded record ----

// The entry of ReplayKeys() (study.h) an item runs, or -1 for an item that is not a replay
// key.
int ReplayKeyIndex(MenuId id);

// The name of the game key an item shares ("Left", "Backspace"), shown where shortcuts
// stand; nullptr for an item without one. Such a key is no shortcut of the item: in live
// play it must reach the game (steering, take back).
const char* GameKeyName(MenuId id);

// Whether an item the record governs may be used now; nullopt for every other item (the
// table's idleOnly flag and the match state decide those). The study items (the move list,
// Go to turn, the replay submenu and its keys) need a record that can be studied; Play
// same deal needs a deal for both sides and no match running (a loop still finishing its
// turn after Stop refuses it, as it refuses Start). `running` is the match state the window
// is about to show: MMnotEnable and MMEnable tell the window before they set MatchRunning.
std::optional<bool> RecordItemEnabled(const Game& g, MenuId id, bool running);

// The Go to turn question: the dialog's title and the line above the number, which names
// the range (0 is the start, before turn 1). CP932.
struct TurnQuestion {
  std::string title;
  std::string label;
};
TurnQuestion GoToTurnQuestion(bool english, int32_t lastTurn);

// ---- Fixed texts of the main window (CP932) ----

// The caption until the first start or load.
inline constexpr const char* kInitialCaption = "Dalu Master    version 0.912";

// The lines written into the memo at start-up, in Japanese whatever the language setting.
std::vector<std::string> WelcomeLines();

// The memo as lines, the way a comment takes them: split at line breaks (CR LF, LF or CR);
// a text that ends in line breaks has no empty lines after its last line, and an empty text
// has no lines.
std::vector<std::string> MemoLines(const std::string& text);

}  // namespace dalu
