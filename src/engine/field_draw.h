// Field drawing and the fall animation. Both fields share one playfield picture; nothing is
// redrawn wholesale during a match: each change repaints only its cells, restoring the
// background under a cell and drawing one 20 x 20 image on top.
//
// Image numbers: (group - 1) * 24 + variant, group = ColourImage[colour] (6 for obstruct).
// Variants 0..15 are settled beads joined toward right 1, below 2, left 4, above 8;
// 16 and 17 squashed; 16 + f the vanish frame f = 1..6. Group 6's spare variants hold the
// field's other images (see the constants below).
#pragma once

#include "config/config.h"
#include "engine/engine.h"
#include "engine/field_canvas.h"
#include "util/host.h"

namespace dalu {

inline constexpr int kImgObstruct = 120;
inline constexpr int kImgNotice100 = 121;
inline constexpr int kImgBurial = 129;
inline constexpr int kImgColumnMarker = 130;
inline constexpr int kImgWall = 131;
inline constexpr int kImgNotice1 = 132;      // drawn half a cell wide, two per cell
inline constexpr int kImgNoticeRow = 133;    // W points
inline constexpr int kImgNotice5Rows = 134;  // 5 W points
inline constexpr int kImgNextDrop = 135;     // column of the next obstruct bead
inline constexpr int kVariantSquash1 = 16;
inline constexpr int kVariantSquash2 = 17;

struct Pixel {
  int x, y;
};

// Top-left pixel of cell (column, row) of side p. Any column and row may be asked for: the
// marker row is H+4, the notice row H+6, and the previews stand beyond the walls.
Pixel CellPixel(const Engine& e, int p, int column, int row);

// Image of a bead of `colour` with `variant`.
inline int BeadImage(const Engine& e, int colour, int variant) {
  return (e.ColourImage[colour] - 1) * 24 + variant;
}

void EraseCell(const Engine& e, FieldCanvas& cv, int p, int column, int row);
void DrawBead(const Engine& e, FieldCanvas& cv, int p, int column, int row, int variant,
              int colour);
// A waiting twin: pivot at (Column, H+2), second bead beside it by its rotation.
void DrawTwin(const Engine& e, FieldCanvas& cv, int p, const TwinMove& t);
void EraseTwin(const Engine& e, FieldCanvas& cv, int p, const TwinMove& t);
// Redraws a bead of the live board joined to its same-coloured neighbours; cells outside
// the playing area or not holding a colour 1..9 are left alone.
void DrawSettled(const Engine& e, FieldCanvas& cv, int p, int column, int row);
// Marker row H+4: the next-drop marker at ObstructColumn, the plain marker elsewhere.
void DrawMarkers(const Engine& e, FieldCanvas& cv, int p);
void ClearNotice(const Engine& e, FieldCanvas& cv, int p);
// Shows side p's PendingShown as notice icons (100, 5W, W and single points).
void DrawNotice(const Engine& e, FieldCanvas& cv, int p);

// ---- Walls, burial, the previews and the whole position ----

// Image 131 at every wall cell (-1) of columns 0..W+1, rows 0..H+3 of side p.
void DrawWalls(const Engine& e, FieldCanvas& cv, int p);
// Row `row` of side p, columns 0..W+1, covered by the burial filler.
void DrawBurialRow(const Engine& e, FieldCanvas& cv, int p, int row);

// Picture columns of the previews, in cell coordinates of side p: side 1's stand right of
// its field, side 2's left of its field, both in the gap between the fields. The next twin
// stands in rows 11 and 12, the one after it in rows 10 and 11, whatever the field height.
inline int PreviewColumnNext(const Engine& e, int p) {
  return p == 1 ? e.FieldWidth + 3 : -2;
}
inline int PreviewColumnAfter(const Engine& e, int p) {
  return p == 1 ? e.FieldWidth + 4 : -3;
}
inline constexpr int kPreviewNextRow = 11;
inline constexpr int kPreviewAfterRow = 10;

// Twin n of side p at the two preview places (n the next twin, n+1 the one after). Beads
// without a picture (past the end of the sequence, or a damaged record's) stay blank.
void DrawPreviews(const Engine& e, FieldCanvas& cv, int p, int32_t n);

// Draws a position between two turns whole, as the turns that led to it left the screen:
// the background, the walls, both fields with their beads joined to their neighbours, the
// obstruct markers, the incoming notices and, for a side that has been handed a twin, the
// previews of the twins TwinIndex and TwinIndex+1 (the twin of TwinIndex is the next to be
// handed out). A buried side is covered by the burial filler, walls and marker row
// included. No twin waits above the fields between turns; the next turn draws its own.
void DrawPosition(const Engine& e, FieldCanvas& cv);

// Animates every FallList entry until all have landed and finished their bounce, pacing the
// frames with "Animation Wait". Ends even with a configuration that would never land a bead.
void AnimateFalls(Engine& e, FieldCanvas& cv, Host& host, const Config& cfg);

}  // namespace dalu
