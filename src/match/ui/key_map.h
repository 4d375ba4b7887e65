// Qt key events as the virtual-key codes the core's key translation expects.
#pragma once

#include <Qt>

namespace dalu {

// The virtual-key code of a key, or 0 for a key the program does not listen to. The
// numeric keypad is told apart from the digit row by Qt::KeypadModifier; with Num Lock off
// the keypad's arrows are the arrow keys and its middle key is keypad 5.
int VirtualKeyOf(int qtKey, Qt::KeyboardModifiers modifiers);

}  // namespace dalu
