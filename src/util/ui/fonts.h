// The program's two typefaces and where they come from on this platform.
//
// The windows ask for the faces by the names the texts were laid out with, "ＭＳ Ｐ明朝"
// (the help viewer) and "ＭＳ Ｐゴシック" (the main window). Neither ships with a Linux
// desktop, so InstallFontSubstitutes() maps them to the proportional IPA faces of Debian's
// fonts-ipafont-mincho and fonts-ipafont-gothic packages; Japanese text then renders on a
// fresh machine with metrics close to the original layout.
#pragma once

#include <QFont>
#include <QString>

namespace dalu {

// The face names as the program uses them.
QString MinchoFace();  // "ＭＳ Ｐ明朝"
QString GothicFace();  // "ＭＳ Ｐゴシック"

// Registers the substitutes of both faces with Qt (and, when fontconfig does not know the
// IPA faces, loads them from their Debian paths). Call once after the QApplication exists;
// calling it again does nothing more.
void InstallFontSubstitutes();

// Makes the main window's face the application's, at the platform's size, so that every
// window, dialog and message box (Qt's own included) speaks in one family, whatever the
// language; otherwise Qt's dialogs take the desktop's face and Japanese text in them falls
// back to yet another.
void UseProgramFaceEverywhere();

// Pixel height of a font of the given point size laid out at 96 dots per inch (11 -> 15,
// 12 -> 16), so that drawing keeps its pixel layout whatever the screen's resolution.
int PointsToPixels(int points);

// A font of the given face and point size, sized in pixels as PointsToPixels says.
QFont MakeFont(const QString& face, int points, bool bold = false, bool italic = false);

}  // namespace dalu
