// What the configuration dialog decides: its texts in both languages, the rule applied when
// an edit is left, the field-size steps, the obstruct-rate choices, the values it shows and
// the order in which closing it applies them to the game. The dialog window only moves
// these values in and out of its widgets.
//
// All text is CP932 bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "config/config.h"

namespace dalu {

struct Game;
class Host;

// ---- Texts -----------------------------------------------------------------------------------

// Every text the dialog sets when it is shown, in the order of its controls.
enum class ConfigDialogTextId : int {
  kLabel1,  // the eight timing labels, item 0..7 in order
  kLabel2,
  kLabel3,
  kLabel4,
  kLabel5,
  kLabel6,
  kLabel7,
  kLabel8,
  kWidth,       // Label21
  kHeight,      // Label22
  kObstruct,    // Label23
  kToLeft,      // Label231
  kToRight,     // Label232
  kLanguage,    // Label0
  kFieldLines,  // ChB1
  kBrickTone,   // ChB2
  kGeneral,     // GBx1
  kForDalu,     // GBx2
  kCaption,     // the dialog's caption
  kDefault,     // Bt_Default
  kFast,        // Bt_Fast
  kCount
};

// The text of a control in English or Japanese; empty for an id outside the table.
std::string ConfigDialogText(ConfigDialogTextId id, bool english);
// The label of timing edit k = 1..8 (item k - 1); empty for any other k.
std::string TimingLabel(int k, bool english);

// The two entries of the language list, the same in both languages: entry 0 English,
// entry 1 Japanese.
inline constexpr int kLanguageChoices = 2;
std::string LanguageChoiceText(int entry);

inline constexpr const char* kOkCaption = "OK";
inline constexpr const char* kUpCaptionUtf8 = "\u2227";    // "∧", on the window only
inline constexpr const char* kDownCaptionUtf8 = "\u2228";  // "∨"

// ---- Obstruct rates --------------------------------------------------------------------------

struct ObstructRateChoice {
  const char* Text;
  int32_t Value;  // percent
};

inline constexpr int kObstructRateChoices = 10;
// The entries of both rate lists, in list order.
inline constexpr ObstructRateChoice kObstructRateChoice[kObstructRateChoices] = {
    {"200%", 200}, {"150%", 150}, {"125%", 125}, {"Normal", 100}, {"75%", 75},
    {"50%", 50},   {"25%", 25},   {"15%", 15},   {"10%", 10},     {"0%", 0}};

// The entry whose value is rate; -1 when none is (a loaded record may carry any rate).
int ObstructRateEntry(int32_t rate);

// ---- Timing edits ----------------------------------------------------------------------------

// The text of timing edit k = 1..8 after the edit is left: the text converted as TextToInt
// does (text that is not an integer shows "Please input Integer." once and counts as
// -11111), held to the limits of item k - 1, and the item's Default when the text was empty.
// Leaving an edit whose text is already such a value changes nothing and shows nothing.
// A k outside 1..8 returns the text unchanged.
std::string LeaveTimingEdit(Host& host, int k, std::string_view text);

// The values Bt_Default and Bt_Fast write into Edit1..Edit8.
std::string DefaultTimingText(int k);
std::string FastTimingText(int k);

// ---- Field size ------------------------------------------------------------------------------

inline constexpr int32_t kDialogMinWidth = 4;
inline constexpr int32_t kDialogMaxWidth = 9;
inline constexpr int32_t kDialogMinHeight = 7;
inline constexpr int32_t kDialogMaxHeight = 13;

// The width or height edit after "∧" (step +1) or "∨" (step -1): one step while the value
// stays within min..max, else unchanged. Text that is not a number steps from fallback
// (the edit's value when the dialog was shown), without a message: the button only steps.
std::string StepFieldSize(std::string_view text, int step, int32_t min, int32_t max,
                          int32_t fallback);

// The value of a width or height edit: a number typed into it is held to min..max (the
// boards have room for no more); text that is not a number shows "Please input Integer."
// and keeps fallback.
int32_t FieldSizeValue(Host& host, std::string_view text, int32_t min, int32_t max,
                       int32_t fallback);

// ---- Showing and closing ---------------------------------------------------------------------

// Everything the dialog holds, as values.
struct ConfigDialogValues {
  int32_t Timing[kTimingItems] = {};  // Edit1..Edit8 = Cfg[0..7]
  bool DrawFieldLines = true;         // ChB1, ticked when Cfg[14] = 0
  bool SolidBlack = true;             // ChB2, ticked when Cfg[12] = 0
  int32_t Width = 7;                  // Ed_Wd
  int32_t Height = 11;                // Ed_Hg
  bool English = true;                // CBx_Engl: entry 0
  int RateEntry[3] = {-1, -1, -1};    // CBx_ojp1, CBx_ojp2 (sides 1, 2); -1: no selection
};

// The values the dialog shows for the game as it is.
ConfigDialogValues ConfigDialogShown(const Game& g);

struct ConfigCloseResult {
  // The field size or a drawing option changed: the caller rebuilds the background picture
  // and copies it whole onto the playfield.
  bool RebuildBackground = false;
  // The configuration file was rewritten; when it was not, the error has been shown and the
  // obstruct rates were left as they were.
  bool Written = false;
};

// Applies the closed dialog's values to the game, in this order:
//   1. Cfg[0..7] := the timing values (held to their limits once more, whatever the caller
//      passes);
//   2. Cfg[12] := 0 when SolidBlack, else 1; Cfg[14] := 0 when DrawFieldLines, else 1;
//   3. FieldWidth, FieldHeight := Width, Height (held to 4..9 and 7..13);
//   4. RebuildBackground := Cfg[12], Cfg[14], W or H changed;
//   5. EnglishUI := English; Cfg[13] := 0 for English, 1 for Japanese;
//   6. the configuration file is rewritten; on failure the error is shown and step 7 is
//      skipped;
//   7. each side's obstruct rate := its selected entry's value; a side without a selection
//      keeps its rate.
ConfigCloseResult ConfigDialogClose(Game& g, const ConfigDialogValues& v);

}  // namespace dalu
