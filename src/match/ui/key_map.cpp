#include "match/ui/key_map.h"

#include "match/just_played.h"
#include "match/steering.h"

namespace dalu {

int VirtualKeyOf(int qtKey, Qt::KeyboardModifiers modifiers) {
  const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
  switch (qtKey) {
    case Qt::Key_Left:
      return vk::kLeft;
    case Qt::Key_Right:
      return vk::kRight;
    case Qt::Key_Down:
      return vk::kDown;
    // Keys the user may choose to drop the twin with (with Num Lock on, keypad 8 and 0 are
    // digits; off, 8 is the up arrow).
    case Qt::Key_Up:
      return vk::kUp;
    case Qt::Key_Space:
      return vk::kSpace;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return vk::kReturn;
    case Qt::Key_0:
      return keypad ? vk::kNumpad0 : 0;
    case Qt::Key_8:
      return keypad ? vk::kNumpad8 : 0;
    case Qt::Key_Home:  // a replay's keys (with Num Lock off, also keypad 7 and 1)
      return vk::kHome;
    case Qt::Key_End:
      return vk::kEnd;
    case Qt::Key_Backspace:  // take back
      return kBackspaceKey;
    case Qt::Key_Clear:
      return keypad ? vk::kNumpad5 : 0;
    case Qt::Key_2:
      return keypad ? vk::kNumpad2 : 0;
    case Qt::Key_4:
      return keypad ? vk::kNumpad4 : 0;
    case Qt::Key_5:
      return keypad ? vk::kNumpad5 : 0;
    case Qt::Key_6:
      return keypad ? vk::kNumpad6 : 0;
    default:
      break;
  }
  // Letters: Qt's key codes for A..Z are the virtual-key codes.
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z && !keypad) return qtKey;
  return 0;
}

}  // namespace dalu
