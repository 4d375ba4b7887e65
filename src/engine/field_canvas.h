// The drawing surface of the playfield, as the field-drawing code sees it. The window paints
// on a QImage; headless runs use NullCanvas; tests use RecordingCanvas to see what was drawn.
#pragma once

#include <string>
#include <vector>

namespace dalu {

class FieldCanvas {
 public:
  virtual ~FieldCanvas() = default;
  // Draws image n (0..143) of the bead sheet with its top-left corner at pixel (x, y).
  virtual void DrawImage(int n, int x, int y) = 0;
  // Copies the 20 x 20 background rectangle at pixel (x, y) onto the playfield.
  virtual void RestoreCell(int x, int y) = 0;
  // Writes a chain number at pixel (x, y) in the given point size.
  virtual void DrawChainNumber(int x, int y, int number, int fontSize) = 0;
  // Outlines the 20 x 20 cell at pixel (x, y) faintly, in the colour of image n: where a
  // bead would land. Restoring the cell takes the outline away. A canvas that shows nothing
  // need not draw it.
  virtual void DrawOutline(int n, int x, int y) {
    (void)n;
    (void)x;
    (void)y;
  }
  // Copies the whole background picture onto the playfield.
  virtual void RestoreAll() = 0;
  // Makes what was drawn visible on the screen.
  virtual void Present() = 0;
};

class NullCanvas final : public FieldCanvas {
 public:
  void DrawImage(int, int, int) override {}
  void RestoreCell(int, int) override {}
  void DrawChainNumber(int, int, int, int) override {}
  void RestoreAll() override {}
  void Present() override {}
};

// Keeps every call as one operation, in order, for tests.
class RecordingCanvas final : public FieldCanvas {
 public:
  enum class Kind { kImage, kRestore, kNumber, kRestoreAll, kPresent, kOutline };
  struct Op {
    Kind kind;
    int x = 0, y = 0;
    int value = 0;  // image number, or chain number
    int size = 0;   // font size of a chain number
  };

  void DrawImage(int n, int x, int y) override { ops.push_back({Kind::kImage, x, y, n, 0}); }
  void RestoreCell(int x, int y) override { ops.push_back({Kind::kRestore, x, y, 0, 0}); }
  void DrawChainNumber(int x, int y, int number, int fontSize) override {
    ops.push_back({Kind::kNumber, x, y, number, fontSize});
  }
  void DrawOutline(int n, int x, int y) override { ops.push_back({Kind::kOutline, x, y, n, 0}); }
  void RestoreAll() override { ops.push_back({Kind::kRestoreAll}); }
  void Present() override { ops.push_back({Kind::kPresent}); }

  // The image last drawn at pixel (x, y) after the last restore there; -1 when the cell
  // shows background only.
  int ImageAt(int x, int y) const;
  int CountImages(int n) const;

  std::vector<Op> ops;
};

}  // namespace dalu
