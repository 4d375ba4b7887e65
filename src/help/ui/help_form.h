// The help viewer: one page of the help file at a time, drawn into two images (the title
// bar and the page area), with links that light up under the mouse and are followed by a
// click, "Back" (or the right mouse button) through the pages visited, and "Top".
//
// Drawing happens on QImages, not in paint events, so that what a page looks like (where
// its text and links went) can be checked and saved without a screen. The widgets only
// show the images and pass the mouse on.
#pragma once

#include <QColor>
#include <QDialog>
#include <QImage>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "help/help_file.h"

class QPushButton;

namespace dalu {

class Host;

// Shows one of the form's images at its own size and hands mouse moves and presses, in
// image coordinates, to the form.
class HelpImageView : public QWidget {
 public:
  HelpImageView(const QImage* image, QWidget* parent);

  std::function<void(int x, int y)> onMove;
  std::function<void(Qt::MouseButton button, int x, int y)> onPress;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  const QImage* image_;
};

// One link of the page on screen.
struct HelpLink {
  int32_t LinkTarget = -1;  // page number, -1 when no page has the title
  int LinkLeft = 0;         // x where the link's text starts
  int LinkRight = 0;        // x where it ends (on the display line where it ends)
  int LinkTop = 0;          // y of the display line where it starts
  std::string title;        // CP932 bytes, as written between the brackets
};

// A piece of text as it was drawn: where, in which colour, and how wide.
struct HelpDrawnPiece {
  int x = 0;  // CursorX when it was drawn (the text itself starts one pixel to the right)
  int y = 0;  // CursorY when it was drawn
  QColor colour;
  QString text;
  int width = 0;
  bool wrapped = false;  // the page edge ended the display line right after this piece
};

class HelpForm : public QDialog {
  Q_OBJECT

 public:
  // ---- Layout, as the window was laid out ----
  static constexpr int kClientWidth = 683;  // a 693 x 596 window without its frame
  static constexpr int kClientHeight = 561;
  static constexpr int kTitleX = 0, kTitleY = 1, kTitleWidth = 393, kTitleHeight = 30;
  static constexpr int kPageX = 0, kPageY = 31, kPageWidth = 683, kPageHeight = 530;
  static constexpr int kButtonY = 0, kButtonWidth = 73, kButtonHeight = 31;
  static constexpr int kBackX = 392, kRootX = 464, kCustomX = 536, kKeywordX = 608;

  static constexpr int kMaxLinks = 50;       // links of a page that can be followed
  static constexpr int kHistoryLimit = 100;  // history entries before it is cut back to 51
  static constexpr int kLineStep = 23;       // pixels from one display line to the next
  static constexpr int kLeftMargin = 7;      // CursorX at the start of a display line

  static const QColor kTitleFill;    // 70, 0, 30
  static const QColor kPageFill;     // 30, 0, 70
  static const QColor kLinkColour;   // cyan
  static const QColor kHoverColour;  // yellow

  explicit HelpForm(Host& host, QWidget* parent = nullptr);

  // The main window's Help command: remembers the file and shows the window modally; returns
  // when it is closed. fileName is a path in the file system's own encoding.
  void OpenHelp(const std::string& fileName);

  // ---- What the window does; public so that tests can drive it without a screen ----

  // Runs whenever the window becomes the active window: asks for a file when none is set,
  // sets the caption, rereads the file and shows page 1 with a fresh history. A file that
  // cannot be read leaves the page on screen as it was.
  void FormActivate();
  // Draws page CurrentPage() into the images and finds its links.
  void PageShow();
  // Starts the next display line.
  void NewLine();
  // Draws CP932 text at the cursor, wrapping at the right edge; the cursor stays behind it.
  void DrawWrapped(const QColor& colour, std::string_view text);
  // Mouse over the page area, in its coordinates.
  void FormMouseMove(int x, int y);
  void FormMouseDown(Qt::MouseButton button, int x, int y);
  void Bt_BackClick();
  void Bt_RootClick();

  // ---- State ----
  HelpStore& Store() { return store_; }
  const HelpStore& Store() const { return store_; }
  int32_t CurrentPage() const { return currentPage_; }
  void SetCurrentPage(int32_t page) { currentPage_ = page; }  // takes effect at PageShow
  int32_t HistoryCount() const { return historyCount_; }
  int32_t History(int i) const { return history_[static_cast<size_t>(i)]; }  // 1..count
  int LinkCount() const { return linkCount_; }
  const HelpLink& Link(int n) const { return links_[static_cast<size_t>(n)]; }  // 1..count
  int HoverLink() const { return hoverLink_; }
  int CursorX() const { return cursorX_; }
  int CursorY() const { return cursorY_; }
  int PageWidth() const { return pageWidth_; }
  const QImage& TitleImage() const { return imT_; }
  const QImage& PageImage() const { return im_; }
  // Every piece drawn since the last PageShow began, hover redraws included.
  const std::vector<HelpDrawnPiece>& DrawnPieces() const { return drawn_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void PushHistory();
  void DrawLink(int n, const QColor& colour);
  void UpdateViews();

  Host& host_;
  HelpStore store_;

  QImage imT_;   // title bar
  QImage im_;    // page area
  QImage base_;  // the page as PageShow left it, every link in its plain colour
  HelpImageView* viewT_;
  HelpImageView* view_;
  QPushButton* btBack_;
  QPushButton* btRoot_;
  QPushButton* btCustom_;
  QPushButton* btKeyword_;

  int32_t currentPage_ = 1;
  std::array<int32_t, kHistoryLimit + 2> history_{};  // entries 1..101
  int32_t historyCount_ = 0;
  std::array<HelpLink, kMaxLinks + 1> links_{};  // entries 1..50
  int linkCount_ = 0;
  int hoverLink_ = 0;
  int cursorX_ = kLeftMargin;
  int cursorY_ = 5;
  int pageWidth_ = kPageWidth - 2;
  std::vector<HelpDrawnPiece> drawn_;

  // Activation bookkeeping. Our own message boxes and the open dialog take the activation
  // away and give it back; that must not count as a new activation, or a file that fails to
  // read would report its error again and again.
  int ownDialogs_ = 0;
  bool leftForOtherProgram_ = false;
};

}  // namespace dalu
