#include "engine/field_canvas.h"

namespace dalu {

int RecordingCanvas::ImageAt(int x, int y) const {
  int image = -1;
  for (const Op& op : ops) {
    if (op.x != x || op.y != y) {
      if (op.kind == Kind::kRestoreAll) image = -1;
      continue;
    }
    if (op.kind == Kind::kRestore || op.kind == Kind::kRestoreAll) image = -1;
    if (op.kind == Kind::kImage) image = op.value;
  }
  return image;
}

int RecordingCanvas::CountImages(int n) const {
  int count = 0;
  for (const Op& op : ops) count += (op.kind == Kind::kImage && op.value == n);
  return count;
}

}  // namespace dalu
