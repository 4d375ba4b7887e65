// The two picture files that dress the playfield: the bead sheet "DaluChar.bmp", cut into the
// image list of the field drawing, and the background "DaluBGPic.bmp", prepared for the
// current field size: darkened where the fields, the notice rows and the twin previews lie,
// and optionally with grey column lines.
//
// At a picture scale above 1 (FieldPictures::scale) the files drawn for it are read,
// "DaluChar@2x.bmp" and "DaluBGPic@2x.bmp" for scale 2, and everything is prepared at that
// resolution; without them the 1x files are enlarged by whole pixels.
#pragma once

#include "engine/ui/image_canvas.h"

namespace dalu {

struct Game;

// Cuts the sheet into the 144 cell images (row by row, image 24 r + c is the cell at sheet
// row r, column c; magenta is transparent), then calls TF_File_BGPLoad. Called once, at the
// first paint of the main window.
//
// A missing or unreadable sheet is reported once (g.host.ShowError) and every image becomes
// a plain coloured cell, so the program goes on without the pictures. Returns true when
// both picture files were read.
bool TF_File_BmpLoad(Game& g, FieldPictures& pictures);

// Builds the background picture anew for g.eng.FieldWidth x FieldHeight, g.cfg.Cfg[12]
// (0: darkened areas solid black, else a checkerboard) and g.cfg.Cfg[14] (0: grey column
// lines). Does not copy it to the window; the callers do. A missing or unreadable picture
// file is reported once and a plain background is used. Returns true when the file was read.
bool TF_File_BGPLoad(Game& g, FieldPictures& pictures);

// Darkens the pixel rectangle with corners a and b, both included, on img: solid black, or
// with checkerboard set only the pixels whose x + y is even. Pixels outside img are skipped.
void Darken(QImage& img, QPoint a, QPoint b, bool checkerboard);

// The plain stand-in for image n when the sheet cannot be read: a flat square in the colour
// of its bead group (grey for the field's other images), smaller for the squashed and
// vanishing stages.
QImage PlainCellImage(int n);

}  // namespace dalu
