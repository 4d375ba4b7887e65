#include "help/ui/help_form.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "util/host.h"
#include "util/text.h"
#include "util/ui/fonts.h"
#include "util/ui/qt_text.h"

namespace dalu {

namespace {

// The part after the last "/", up to its last dot (the whole part when it has no dot).
QString BaseName(const std::string& path) {
  std::string name = ExtractName(path);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  return QFile::decodeName(QByteArray::fromStdString(name));
}

// Fills the rectangle with corners (x1, y1) and (x2, y2), both included, and frames it
// in white.
void FramedFill(QPainter& p, int x1, int y1, int x2, int y2, const QColor& fill) {
  p.fillRect(QRect(QPoint(x1, y1), QPoint(x2, y2)), Qt::white);
  p.fillRect(QRect(QPoint(x1 + 1, y1 + 1), QPoint(x2 - 1, y2 - 1)), fill);
}

const char kCaptionPrefix[] = "TevaniFormatHelpViewer ：";

}  // namespace

const QColor HelpForm::kTitleFill(70, 0, 30);
const QColor HelpForm::kPageFill(30, 0, 70);
const QColor HelpForm::kLinkColour(0, 255, 255);
const QColor HelpForm::kHoverColour(255, 255, 0);

// ---- HelpImageView ----

HelpImageView::HelpImageView(const QImage* image, QWidget* parent)
    : QWidget(parent), image_(image) {
  setMouseTracking(true);
}

void HelpImageView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(0, 0, *image_);
}

void HelpImageView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (onMove) onMove(pos.x(), pos.y());
}

void HelpImageView::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (onPress) onPress(event->button(), pos.x(), pos.y());
}

// ---- HelpForm ----

HelpForm::HelpForm(Host& host, QWidget* parent)
    : QDialog(parent),
      host_(host),
      imT_(kTitleWidth, kTitleHeight, QImage::Format_RGB32),
      im_(kPageWidth, kPageHeight, QImage::Format_RGB32) {
  InstallFontSubstitutes();
  setWindowTitle(QString::fromUtf8(kCaptionPrefix) + QStringLiteral("No tytle"));
  resize(kClientWidth, kClientHeight);
  const QColor face = palette().color(QPalette::Window);
  imT_.fill(face);
  im_.fill(face);
  base_ = im_;

  viewT_ = new HelpImageView(&imT_, this);
  viewT_->setObjectName(QStringLiteral("ImT"));
  viewT_->setGeometry(kTitleX, kTitleY, kTitleWidth, kTitleHeight);
  view_ = new HelpImageView(&im_, this);
  view_->setObjectName(QStringLiteral("Im"));
  view_->setGeometry(kPageX, kPageY, kPageWidth, kPageHeight);
  view_->onMove = [this](int x, int y) { FormMouseMove(x, y); };
  view_->onPress = [this](Qt::MouseButton b, int x, int y) { FormMouseDown(b, x, y); };

  auto button = [this](const char* name, const char* caption, int x) {
    auto* b = new QPushButton(QString::fromUtf8(caption), this);
    b->setObjectName(QString::fromUtf8(name));
    b->setGeometry(x, kButtonY, kButtonWidth, kButtonHeight);
    b->setAutoDefault(false);  // Enter must not press "Back"
    return b;
  };
  btBack_ = button("Bt_Back", "Back", kBackX);
  btRoot_ = button("Bt_Root", "Top", kRootX);
  btCustom_ = button("Bt_Custom", "Custom", kCustomX);
  btKeyword_ = button("Bt_Keyword", "Keyword", kKeywordX);
  btCustom_->setEnabled(false);
  btKeyword_->setEnabled(false);
  connect(btBack_, &QPushButton::clicked, this, [this] { Bt_BackClick(); });
  connect(btRoot_, &QPushButton::clicked, this, [this] { Bt_RootClick(); });
}

void HelpForm::OpenHelp(const std::string& fileName) {
  store_.HelpFileName = fileName;
  exec();
}

void HelpForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Showing the window is its first activation. It runs from the event loop rather than
  // inside the show, so that the open dialog and message boxes open over a visible window;
  // platforms differ in whether and when they report the activation itself.
  QTimer::singleShot(0, this, [this] {
    if (isVisible()) FormActivate();
  });
}

void HelpForm::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() != QEvent::ActivationChange) return;
  if (isActiveWindow()) {
    // Back from another program: that is an activation too, and rereads the file.
    if (leftForOtherProgram_) {
      leftForOtherProgram_ = false;
      FormActivate();
    }
  } else {
    // Activation that went to a window of this program (our own message boxes, the open
    // dialog) does not count; activation that left the program does.
    leftForOtherProgram_ =
        ownDialogs_ == 0 && isVisible() && QApplication::activeWindow() == nullptr;
  }
}

void HelpForm::FormActivate() {
  if (store_.HelpFileName.empty()) {
    QFileDialog od(this);
    od.setObjectName(QStringLiteral("OD"));
    od.setNameFilter(QStringLiteral("TevaniFormatHelpfile (*.tfh)"));
    od.setFileMode(QFileDialog::ExistingFile);
    // Qt's own dialog is a window of this program, so closing it is not mistaken for a
    // return from another program.
    od.setOption(QFileDialog::DontUseNativeDialog);
    ++ownDialogs_;
    const int chosen = od.exec();
    --ownDialogs_;
    if (chosen != QDialog::Accepted || od.selectedFiles().isEmpty()) return;
    store_.HelpFileName = QFile::encodeName(od.selectedFiles().first()).toStdString();
  }
  setWindowTitle(QString::fromUtf8(kCaptionPrefix) + BaseName(store_.HelpFileName));
  ++ownDialogs_;
  const HelpReadResult read = ReadHelpFile(host_, store_);
  --ownDialogs_;
  if (read.status != HelpReadStatus::kOk) return;  // the page on screen stays as it was
  currentPage_ = 1;
  historyCount_ = 1;
  history_[1] = 1;
  PageShow();
}

void HelpForm::PageShow() {
  linkCount_ = 0;
  drawn_.clear();
  // A page outside the pages read (after a reading that stopped early) is drawn empty.
  static const HelpPage kNoPage{};
  const HelpPage& page = (currentPage_ >= 1 && currentPage_ <= store_.HelpPageCount)
                             ? store_.Page(currentPage_)
                             : kNoPage;

  {
    QPainter p(&imT_);
    FramedFill(p, 1, 1, imT_.width() - 2, imT_.height() - 2, kTitleFill);
    const QFont font = MakeFont(MinchoFace(), 12, true, true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(5, 3 + QFontMetrics(font, &imT_).ascent(), FromCp932(page.Title));
  }

  pageWidth_ = im_.width() - 2;
  {
    QPainter p(&im_);
    FramedFill(p, 1, 1, pageWidth_, im_.height() - 2, kPageFill);
  }
  cursorX_ = kLeftMargin;
  cursorY_ = 5;

  for (const HelpPiece& piece : LayoutHelpPage(page)) {
    switch (piece.kind) {
      case HelpPiece::kNewLine:
        NewLine();
        break;
      case HelpPiece::kText:
        DrawWrapped(Qt::white, piece.text);
        break;
      case HelpPiece::kLink:
        // Room for 50 links: any further link is drawn as plain text and cannot be followed.
        if (linkCount_ >= kMaxLinks) {
          DrawWrapped(Qt::white, piece.text);
          break;
        }
        ++linkCount_;
        {
          HelpLink& link = links_[static_cast<size_t>(linkCount_)];
          link.LinkTop = cursorY_;
          link.LinkLeft = cursorX_;
          link.title = piece.text;
          link.LinkTarget = FindPage(store_, piece.text);
          DrawWrapped(kLinkColour, piece.text);
          link.LinkRight = cursorX_;
        }
        break;
    }
  }
  hoverLink_ = 0;
  base_ = im_;
  UpdateViews();
}

void HelpForm::NewLine() {
  cursorY_ += kLineStep;
  cursorX_ = kLeftMargin;
}

void HelpForm::DrawWrapped(const QColor& colour, std::string_view text) {
  // Plain text is one size smaller and three pixels lower than link text.
  const bool plain = colour == QColor(Qt::white);
  const QFont font = MakeFont(MinchoFace(), plain ? 11 : 12, true);
  const int offset = plain ? 3 : 0;
  const QFontMetrics fm(font, &im_);
  const int limit = pageWidth_ - 2;
  auto width = [&fm](std::string_view bytes) { return fm.horizontalAdvance(FromCp932(bytes)); };

  QPainter p(&im_);
  p.setFont(font);
  p.setPen(colour);
  auto draw = [&](std::string_view bytes) {
    const QString s = FromCp932(bytes);
    const int w = fm.horizontalAdvance(s);
    if (!s.isEmpty()) p.drawText(cursorX_ + 1, cursorY_ + offset + fm.ascent(), s);
    drawn_.push_back({cursorX_, cursorY_, colour, s, w});
    cursorX_ += w;
  };

  std::string_view rest = text;
  std::vector<size_t> ends;  // ends[j]: byte length of the first j + 1 characters
  while (!rest.empty() && cursorX_ + width(rest) > limit) {
    // Characters are counted in bytes: a byte above 127 and the one after it are one.
    ends.clear();
    for (size_t i = 0; i < rest.size(); i += static_cast<size_t>(Cp932CharLen(rest, i))) {
      ends.push_back(i + static_cast<size_t>(Cp932CharLen(rest, i)));
    }
    // The largest k such that the first k characters and the one after them fit: the
    // prefix widths grow with their length, so a binary search finds the largest count m
    // of characters that fit, and k = m - 1. (The one after is measured as a whole
    // character; half of a two-byte character has no width of its own.)
    size_t lo = 0, hi = ends.size();  // m lies in [lo, hi)
    while (lo + 1 < hi) {
      const size_t mid = (lo + hi) / 2;
      if (cursorX_ + width(rest.substr(0, ends[mid - 1])) <= limit) {
        lo = mid;
      } else {
        hi = mid;
      }
    }
    size_t k = lo > 0 ? lo - 1 : 0;
    const bool lineStart = cursorX_ == kLeftMargin;
    // A character must go on a fresh line even when the page is too narrow for two, or the
    // loop would never end.
    if (k == 0 && lineStart) k = 1;
    // "、" and "。" never begin a display line: the character before goes with them.
    const size_t pieceBytes = k > 0 ? ends[k - 1] : 0;
    const std::string_view after = rest.substr(pieceBytes, 2);
    if ((after == "\x81\x41" || after == "\x81\x42") && k > 0 && !(k == 1 && lineStart)) --k;
    const size_t cut = k > 0 ? ends[k - 1] : 0;
    draw(rest.substr(0, cut));
    drawn_.back().wrapped = true;
    NewLine();
    rest.remove_prefix(cut);
  }
  draw(rest);
}

void HelpForm::DrawLink(int n, const QColor& colour) {
  const HelpLink& link = links_[static_cast<size_t>(n)];
  cursorX_ = link.LinkLeft;
  cursorY_ = link.LinkTop;
  DrawWrapped(colour, link.title);
}

void HelpForm::FormMouseMove(int x, int y) {
  int hit = 0;
  for (int n = 1; n <= linkCount_; ++n) {
    const HelpLink& l = links_[static_cast<size_t>(n)];
    if (l.LinkLeft < l.LinkRight) {
      // On one display line.
      if (l.LinkLeft < x && x < l.LinkRight && l.LinkTop < y && y < l.LinkTop + 20) hit = n;
    } else if ((l.LinkLeft < x && x < pageWidth_ && l.LinkTop < y && y < l.LinkTop + 20) ||
               (15 < x && x < l.LinkRight && l.LinkTop + 25 < y && y < l.LinkTop + 45)) {
      // Wrapped onto the next display line.
      hit = n;
    }
  }
  if (hit == hoverLink_) return;
  // The link that was lit goes back to cyan by restoring the page as PageShow drew it;
  // drawing cyan over the yellow would thicken the smoothed edges of its letters each time.
  if (hoverLink_ != 0) im_ = base_;
  if (hit != 0) DrawLink(hit, kHoverColour);
  hoverLink_ = hit;
  UpdateViews();
}

void HelpForm::FormMouseDown(Qt::MouseButton button, int, int) {
  if (button == Qt::RightButton) {
    Bt_BackClick();
    return;
  }
  if (button != Qt::LeftButton || hoverLink_ == 0) return;
  // A link to a title that no page has leads nowhere: the click does nothing.
  const int32_t target = links_[static_cast<size_t>(hoverLink_)].LinkTarget;
  if (target < 1) return;
  PushHistory();
  currentPage_ = target;
  PageShow();
}

void HelpForm::PushHistory() {
  ++historyCount_;
  history_[static_cast<size_t>(historyCount_)] = currentPage_;
  if (historyCount_ > kHistoryLimit) {
    // Keep the first page and the latest 50 entries.
    std::copy(history_.begin() + 52, history_.begin() + 102, history_.begin() + 2);
    historyCount_ = 51;
  }
}

void HelpForm::Bt_BackClick() {
  if (historyCount_ <= 1) return;
  currentPage_ = history_[static_cast<size_t>(historyCount_)];
  --historyCount_;
  PageShow();
}

void HelpForm::Bt_RootClick() {
  PushHistory();
  currentPage_ = 1;
  PageShow();
}

void HelpForm::UpdateViews() {
  viewT_->update();
  view_->update();
}

}  // namespace dalu
