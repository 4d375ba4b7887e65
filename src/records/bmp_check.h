// A look at a BMP file's headers before its pixels are decoded. A file cut short (a copy or
// a download that stopped half-way) still decodes, with its missing rows left blank, and a
// bead sheet would then draw most beads invisible; such a file is refused instead.
#pragma once

#include <string_view>

namespace dalu {

// True when bytes start with the BMP signature and headers and hold at least as many bytes
// as the headers promise: the pixel rows of an uncompressed picture, or the stated image
// size of a compressed one.
bool BmpComplete(std::string_view bytes);

}  // namespace dalu
