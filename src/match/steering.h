// Keyboard play: the keys a user presses are translated into action codes and applied to
// the twin being steered. Two users share one keyboard: side 1 steers first, then side 2.
// In edit mode the colour keys set the colours of the twins in play.
//
// The handlers run nested inside the match loop's waits; they act while the loop is
// choosing a live turn's moves and the steered side is a keyboard side that is not
// chaining. During a replay they do nothing, so a loaded record is never changed by keys.
#pragma once

#include <cstdint>

#include "match/controls.h"

namespace dalu {

struct Game;

// Virtual-key codes the program listens to.
namespace vk {
inline constexpr int kReturn = 0x0D;
inline constexpr int kSpace = 0x20;
inline constexpr int kEnd = 0x23;
inline constexpr int kHome = 0x24;
inline constexpr int kLeft = 0x25;
inline constexpr int kUp = 0x26;
inline constexpr int kRight = 0x27;
inline constexpr int kDown = 0x28;
inline constexpr int kNumpad0 = 0x60;
inline constexpr int kNumpad2 = 0x62;
inline constexpr int kNumpad4 = 0x64;
inline constexpr int kNumpad5 = 0x65;
inline constexpr int kNumpad6 = 0x66;
inline constexpr int kNumpad8 = 0x68;
inline constexpr int kE = 0x45;
inline constexpr int kI = 0x49;
inline constexpr int kL = 0x4C;
inline constexpr int kO = 0x4F;
inline constexpr int kP = 0x50;
inline constexpr int kQ = 0x51;
inline constexpr int kR = 0x52;
inline constexpr int kW = 0x57;
inline constexpr int kX = 0x58;
inline constexpr int kZ = 0x5A;
}  // namespace vk

// Keys closer together than this are ignored, whatever they are (milliseconds).
inline constexpr uint32_t kKeyGateMs = 100;

// Action codes: '4' left, '6' right, 'z' turn counter-clockwise, '5' or 'x' turn
// clockwise, '2' drop, 'q' 'w' 'e' 'r' colour 1..4; ' ' when the key means nothing.
// Left and right act on press and on release of the arrow keys; the down arrow drops on
// release.
char TranslateKey(int virtualKey, bool keyUp);
// The same with the user's options: the drop key drops on key-down; with MovePressOnly the
// releases of left and right do nothing (and so do not hold back the next key).
char TranslateKey(int virtualKey, bool keyUp, const SteeringOptions& options);

// The key handlers of the key-catching control (key down and key up).
void KeyDown(Game& g, int virtualKey);
void KeyUp(Game& g, int virtualKey);

// Applies PendingKey to InputTwin: moves, turns (with a kick away from the walls), sets
// colours in edit mode, or drops. A drop onto a side whose row H is occupied in both of
// the twin's columns is refused. A confirmed drop becomes TurnMove[InputSide] and hands the
// keyboard on.
void SteerTwin(Game& g);

// The outline of where the steered twin would land (SteeringOptions::ShowLanding): drawn
// for the side whose keyboard move is awaited in a live turn, in the colours of the beads
// that would land there; a cell above the field is not outlined. ShowLanding takes away the
// previous outline first, so it also takes it away when nothing is to be shown (the option
// switched off, the move confirmed); HideLanding only takes it away. Both present what
// they changed.
void ShowLanding(Game& g);
void HideLanding(Game& g);

// The Edit menu's check marks. AutoTwin can be switched on only while EditMode is on, and
// off at any time.
void ToggleEditMode(Game& g);
void ToggleAutoTwin(Game& g);

}  // namespace dalu
