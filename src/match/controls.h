// The user's choices of how the keyboard steers, beyond the standard keys: set in the
// Controls dialog of the Edit menu and kept in the program's own settings file, never in
// DaluCfg.txt. All of them are off by default, so the keys behave as they always have
// until the user chooses otherwise.
//
// Texts are CP932 bytes (the Japanese written here in UTF-8 and converted).
#pragma once

#include <span>
#include <string>

namespace dalu {

struct SteeringOptions {
  // Left and right move the twin on key-down only. Off: they move on key-down and again on
  // key-up, so an ordinary press of 150 ms moves the twin two columns.
  bool MovePressOnly = false;
  // Virtual-key code of a key that drops the twin at once, on key-down; 0 = none. Always one
  // of DropKeyChoices().
  int DropKey = 0;
  // A faint outline of the cells where the steered twin would land.
  bool ShowLanding = false;
};

// A key the user may choose as the drop key, with its name in both languages. The first
// choice is "none".
struct DropKeyChoice {
  int virtualKey;
  const char* English;
  const char* JapaneseUtf8;
};
std::span<const DropKeyChoice> DropKeyChoices();

// The index of a drop key in DropKeyChoices(), or -1 for a key that is not offered.
int DropKeyIndex(int virtualKey);

// Options as a settings file may hold them: a drop key that is not offered (a hand-edited
// or damaged file) means none.
SteeringOptions CheckedSteeringOptions(SteeringOptions options);

// The dialog's texts.
enum class ControlsText { kTitle, kMovePressOnly, kDropKey, kShowLanding };
std::string ControlsCaption(ControlsText id, bool english);
std::string DropKeyName(int index, bool english);

}  // namespace dalu
