#include "help/ui/help_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <fstream>
#include <set>

#include "util/host.h"
#include "util/text.h"
#include "util/ui/fonts.h"

namespace dalu {
namespace {

// ---- Helpers ----

// Writes UTF-8 lines as a help file (CP932, CR LF) and returns its path.
std::string WriteHelpFile(const QTemporaryDir& dir, const char* name,
                          const std::vector<std::string>& lines) {
  const std::string path = dir.filePath(QString::fromUtf8(name)).toStdString();
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  for (const std::string& l : lines) f << Utf8ToCp932(l) << "\r\n";
  return path;
}

// Puts pages straight into the form's store (UTF-8 titles and lines 1..) and shows page 1.
void ShowPages(HelpForm& form,
               const std::vector<std::pair<std::string, std::vector<std::string>>>& pages) {
  HelpStore& s = form.Store();
  s.HelpPageCount = static_cast<int32_t>(pages.size());
  for (size_t p = 0; p < pages.size(); ++p) {
    HelpPage& page = s.HelpPages[p + 1];
    page.Clear();
    page.Title = Utf8ToCp932(pages[p].first);
    for (size_t i = 0; i < pages[p].second.size(); ++i) {
      page.Lines[i + 1] = Utf8ToCp932(pages[p].second[i]);
    }
  }
  form.SetCurrentPage(1);
  form.PageShow();
}

bool IsYellow(QRgb c) {
  return qRed(c) > 180 && qGreen(c) > 180 && qBlue(c) < 100;
}
bool IsCyan(QRgb c) {
  return qRed(c) < 100 && qGreen(c) > 180 && qBlue(c) > 180;
}
bool IsWhite(QRgb c) {
  return qRed(c) > 200 && qGreen(c) > 200 && qBlue(c) > 200;
}

int Count(const QImage& im, QRect r, bool (*pred)(QRgb)) {
  r = r.intersected(im.rect());
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y) {
    for (int x = r.left(); x <= r.right(); ++x) n += pred(im.pixel(x, y)) ? 1 : 0;
  }
  return n;
}

bool IsWordChar(QChar c) {
  return c.unicode() < 128 && (c.isLetterOrNumber() || QStringLiteral("_./+-%'").contains(c));
}

// The area a link on one display line covers.
QRect LinkRect(const HelpLink& l) {
  return QRect(QPoint(l.LinkLeft, l.LinkTop), QPoint(l.LinkRight, l.LinkTop + 20));
}

void HoverOver(HelpForm& form, int n) {
  const HelpLink& l = form.Link(n);
  form.FormMouseMove((l.LinkLeft + l.LinkRight) / 2, l.LinkTop + 10);
}

void Follow(HelpForm& form, int n) {
  HoverOver(form, n);
  ASSERT_EQ(form.HoverLink(), n);
  form.FormMouseDown(Qt::LeftButton, 0, 0);
}

// ---- The window ----

TEST(HelpForm, LayoutCaptionsAndFonts) {
  VirtualHost host;
  HelpForm form(host);
  EXPECT_EQ(form.windowTitle(), QString::fromUtf8("TevaniFormatHelpViewer ：No tytle"));
  EXPECT_EQ(form.size(), QSize(683, 561));
  const auto* imT = form.findChild<QWidget*>(QStringLiteral("ImT"));
  const auto* im = form.findChild<QWidget*>(QStringLiteral("Im"));
  ASSERT_TRUE(imT && im);
  EXPECT_EQ(imT->geometry(), QRect(0, 1, 393, 30));
  EXPECT_EQ(im->geometry(), QRect(0, 31, 683, 530));
  EXPECT_EQ(form.PageImage().size(), QSize(683, 530));
  EXPECT_EQ(form.TitleImage().size(), QSize(393, 30));
  struct Button {
    const char* name;
    const char* caption;
    int x;
    bool enabled;
  };
  for (const Button& b :
       {Button{"Bt_Back", "Back", 392, true}, Button{"Bt_Root", "Top", 464, true},
        Button{"Bt_Custom", "Custom", 536, false}, Button{"Bt_Keyword", "Keyword", 608, false}}) {
    const auto* w = form.findChild<QPushButton*>(QString::fromUtf8(b.name));
    ASSERT_TRUE(w) << b.name;
    EXPECT_EQ(w->text(), QString::fromUtf8(b.caption));
    EXPECT_EQ(w->geometry(), QRect(b.x, 0, 73, 31)) << b.name;
    EXPECT_EQ(w->isEnabled(), b.enabled) << b.name;
  }
  // The faces the texts were laid out with resolve to the IPA faces.
  EXPECT_TRUE(QFontInfo(MakeFont(MinchoFace(), 11, true)).family().startsWith("IPA"))
      << QFontInfo(MakeFont(MinchoFace(), 11, true)).family().toStdString();
  EXPECT_TRUE(QFontInfo(MakeFont(GothicFace(), 11)).family().startsWith("IPA"))
      << QFontInfo(MakeFont(GothicFace(), 11)).family().toStdString();
  EXPECT_EQ(QFontInfo(MakeFont(MinchoFace(), 11)).pixelSize(), 15);
  EXPECT_EQ(QFontInfo(MakeFont(MinchoFace(), 12)).pixelSize(), 16);
}

TEST(HelpForm, ActivationRereadsTheFileAndStartsAtPageOne) {
  QTemporaryDir dir;
  const std::string path =
      WriteHelpFile(dir, "sample.tfh", {"@@First", "00[[Second]]", "@@Second", "00two", "@End"});
  VirtualHost host;
  HelpForm form(host);
  form.Store().HelpFileName = path;
  form.FormActivate();
  EXPECT_EQ(form.windowTitle(), QString::fromUtf8("TevaniFormatHelpViewer ：sample"));
  EXPECT_EQ(form.CurrentPage(), 1);
  EXPECT_EQ(form.HistoryCount(), 1);
  EXPECT_EQ(form.History(1), 1);
  ASSERT_EQ(form.LinkCount(), 1);
  EXPECT_EQ(form.Link(1).LinkTarget, 2);
  // Fills and frames.
  const QImage& im = form.PageImage();
  EXPECT_EQ(im.pixel(300, 400), QColor(30, 0, 70).rgb());
  EXPECT_EQ(im.pixel(1, 1), QColor(Qt::white).rgb());
  EXPECT_EQ(im.pixel(681, 528), QColor(Qt::white).rgb());
  EXPECT_EQ(form.TitleImage().pixel(300, 15), QColor(70, 0, 30).rgb());
  EXPECT_GT(Count(form.TitleImage(), QRect(5, 3, 60, 20), IsWhite), 10);  // the title
  EXPECT_EQ(form.PageWidth(), 681);

  Follow(form, 1);
  EXPECT_EQ(form.CurrentPage(), 2);
  // Every activation reads the file again and starts afresh at page 1.
  WriteHelpFile(dir, "sample.tfh", {"@@Changed", "00new text", "@End"});
  form.FormActivate();
  EXPECT_EQ(form.CurrentPage(), 1);
  EXPECT_EQ(form.HistoryCount(), 1);
  EXPECT_EQ(form.Store().Page(1).Title, "Changed");
  EXPECT_EQ(form.Store().HelpPageCount, 1);
  EXPECT_TRUE(host.errors.empty());

  // A name without a dot is shown whole.
  form.Store().HelpFileName = WriteHelpFile(dir, "plainname", {"@@P", "@End"});
  form.FormActivate();
  EXPECT_EQ(form.windowTitle(), QString::fromUtf8("TevaniFormatHelpViewer ：plainname"));
}

// The open dialog the form shows, once it is up (nullptr when there is none).
QFileDialog* OpenDialog() {
  return qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
}

TEST(HelpForm, WithoutAFileNameActivationAsksForOne) {
  QTemporaryDir dir;
  const std::string path = WriteHelpFile(dir, "chosen.tfh", {"@@Picked", "00text", "@End"});
  VirtualHost host;
  HelpForm form(host);
  // Cancelled: nothing is read and the caption stays.
  QString filter;
  QTimer::singleShot(50, &form, [&] {
    if (QFileDialog* od = OpenDialog()) {
      filter = od->nameFilters().join(QStringLiteral(";"));
      od->reject();
    }
  });
  form.FormActivate();
  EXPECT_EQ(filter, QStringLiteral("TevaniFormatHelpfile (*.tfh)"));
  EXPECT_EQ(form.Store().HelpFileName, "");
  EXPECT_EQ(form.Store().HelpPageCount, 0);
  EXPECT_EQ(form.windowTitle(), QString::fromUtf8("TevaniFormatHelpViewer ：No tytle"));

  // A file chosen: it is read and shown.
  QTimer::singleShot(50, &form, [&] {
    QFileDialog* od = OpenDialog();
    if (!od) return;
    if (auto* name = od->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
      name->setText(QString::fromStdString(path));
      static_cast<QDialog*>(od)->accept();  // QFileDialog::accept checks the choice
    }
    if (od->isVisible()) od->reject();  // fail rather than hang
  });
  form.FormActivate();
  EXPECT_EQ(form.Store().HelpFileName, path);
  EXPECT_EQ(form.Store().Page(1).Title, "Picked");
  EXPECT_EQ(form.windowTitle(), QString::fromUtf8("TevaniFormatHelpViewer ：chosen"));
  EXPECT_TRUE(host.errors.empty());
}

TEST(HelpForm, AFileThatFailsToReadLeavesThePageOnScreen) {
  QTemporaryDir dir;
  const std::string path =
      WriteHelpFile(dir, "h.tfh", {"@@One", "00[[Two]]", "@@Two", "00page two", "@End"});
  VirtualHost host;
  HelpForm form(host);
  form.Store().HelpFileName = path;
  form.FormActivate();
  Follow(form, 1);
  ASSERT_EQ(form.CurrentPage(), 2);
  const QImage before = form.PageImage().copy();

  WriteHelpFile(dir, "h.tfh", {"@@New one", "00fine", "xx not a number", "@End"});
  form.FormActivate();
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_EQ(host.errors[0], "Please input Integer.");
  EXPECT_EQ(form.CurrentPage(), 2);
  EXPECT_EQ(form.HistoryCount(), 2);
  EXPECT_EQ(form.PageImage(), before);
  EXPECT_EQ(form.Store().HelpPageCount, 1);  // what was read before the bad line stays

  // A file that cannot be opened: one error, nothing drawn.
  VirtualHost host2;
  HelpForm fresh(host2);
  const QImage blank = fresh.PageImage().copy();
  fresh.Store().HelpFileName = dir.filePath("missing.tfh").toStdString();
  fresh.FormActivate();
  EXPECT_EQ(host2.errors.size(), 1u);
  EXPECT_EQ(fresh.PageImage(), blank);
  EXPECT_EQ(fresh.windowTitle(), QString::fromUtf8("TevaniFormatHelpViewer ：missing"));
}

// ---- Drawing ----

TEST(HelpForm, DisplayLinesStartWhereTheMarkersSay) {
  VirtualHost host;
  HelpForm form(host);
  // Line 1 begins with "  ": no empty line above it. Line 2 the same: a new display line.
  // Line 3 flows on behind line 2.
  ShowPages(form, {{"T", {"  first", "  second", "third"}}});
  const auto& d = form.DrawnPieces();
  ASSERT_EQ(d.size(), 3u);
  EXPECT_EQ(d[0].y, 5);
  EXPECT_EQ(d[0].x, 7);
  EXPECT_EQ(d[1].y, 28);
  EXPECT_EQ(d[1].x, 7);
  EXPECT_EQ(d[2].y, 28);
  EXPECT_EQ(d[2].x, d[1].x + d[1].width);
  // Plain text is drawn 3 pixels lower than the cursor line: nothing white above row 8 of
  // the first line, something below it.
  const QImage& im = form.PageImage();
  EXPECT_EQ(Count(im, QRect(2, 2, 600, 5), IsWhite), 0);
  EXPECT_GT(Count(im, QRect(2, 8, 600, 16), IsWhite), 20);
}

TEST(HelpForm, LinksAcrossLinesAndBackToBack) {
  VirtualHost host;
  HelpForm form(host);
  ShowPages(form,
            {{"Top", {"first line", "  second", "see [[To", "p]] more"}}, {"A", {"[[A]][[Top]]"}}});
  ASSERT_EQ(form.LinkCount(), 1);
  const HelpLink& link = form.Link(1);
  EXPECT_EQ(link.title, "Top");
  EXPECT_EQ(link.LinkTarget, 1);
  EXPECT_EQ(link.LinkTop, 28);
  EXPECT_LT(link.LinkLeft, link.LinkRight);
  // " more" goes on right behind the link on the same display line.
  const auto& d = form.DrawnPieces();
  ASSERT_FALSE(d.empty());
  EXPECT_EQ(d.back().text, QStringLiteral(" more"));
  EXPECT_EQ(d.back().y, link.LinkTop);
  EXPECT_EQ(d.back().x, link.LinkRight);
  // The link is drawn in cyan, the text in white.
  EXPECT_GT(Count(form.PageImage(), LinkRect(link), IsCyan), 10);
  EXPECT_EQ(Count(form.PageImage(), LinkRect(link), IsWhite), 0);

  form.SetCurrentPage(2);
  form.PageShow();
  ASSERT_EQ(form.LinkCount(), 2);
  EXPECT_EQ(form.Link(1).LinkTarget, 2);
  EXPECT_EQ(form.Link(2).LinkTarget, 1);
  EXPECT_EQ(form.Link(2).LinkLeft, form.Link(1).LinkRight);
}

TEST(HelpForm, HoverLightsOneLinkAtATime) {
  VirtualHost host;
  HelpForm form(host);
  ShowPages(form, {{"T", {"go [[A]] or [[B]] now"}}, {"A", {}}, {"B", {}}});
  ASSERT_EQ(form.LinkCount(), 2);
  const QRect r1 = LinkRect(form.Link(1));
  const QRect r2 = LinkRect(form.Link(2));
  const QImage& im = form.PageImage();
  EXPECT_EQ(Count(im, im.rect(), IsYellow), 0);

  HoverOver(form, 1);
  EXPECT_EQ(form.HoverLink(), 1);
  EXPECT_GT(Count(im, r1, IsYellow), 10);
  EXPECT_GT(Count(im, r1, IsYellow), 4 * Count(im, r1, IsCyan));
  EXPECT_GT(Count(im, r2, IsCyan), 10);
  EXPECT_EQ(Count(im, r2, IsYellow), 0);

  HoverOver(form, 2);
  EXPECT_EQ(form.HoverLink(), 2);
  EXPECT_EQ(Count(im, r1, IsYellow), 0);
  EXPECT_GT(Count(im, r1, IsCyan), 10);
  EXPECT_GT(Count(im, r2, IsYellow), 10);

  // Off every link: the last one lit turns cyan again.
  form.FormMouseMove(600, 400);
  EXPECT_EQ(form.HoverLink(), 0);
  EXPECT_EQ(Count(im, im.rect(), IsYellow), 0);
  EXPECT_GT(Count(im, r2, IsCyan), 10);

  // The edges do not count: the hit test is strict.
  form.FormMouseMove(form.Link(1).LinkLeft, form.Link(1).LinkTop + 10);
  EXPECT_EQ(form.HoverLink(), 0);

  // Real mouse events on the page area reach the same handlers.
  auto* view = form.findChild<QWidget*>(QStringLiteral("Im"));
  ASSERT_TRUE(view);
  const QPointF at((form.Link(2).LinkLeft + form.Link(2).LinkRight) / 2.0,
                   form.Link(2).LinkTop + 10.0);
  QMouseEvent move(QEvent::MouseMove, at, view->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(view, &move);
  EXPECT_EQ(form.HoverLink(), 2);
  QMouseEvent press(QEvent::MouseButtonPress, at, view->mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(view, &press);
  EXPECT_EQ(form.CurrentPage(), 3);
}

TEST(HelpForm, AWrappedLinkLightsUpOnBothLines) {
  VirtualHost host;
  HelpForm form(host);
  // Push the link towards the right edge until its title wraps onto the next line.
  int n = 40;
  for (; n < 110; ++n) {
    ShowPages(form, {{"T", {std::string(static_cast<size_t>(n), 'a') + "[[A link that wraps]]"}},
                     {"A link that wraps", {}}});
    if (form.Link(1).LinkLeft >= form.Link(1).LinkRight) break;
  }
  ASSERT_LT(n, 110);
  const HelpLink& l = form.Link(1);
  const QImage& im = form.PageImage();
  const QRect firstLine(QPoint(l.LinkLeft, l.LinkTop), QPoint(form.PageWidth(), l.LinkTop + 20));
  const QRect secondLine(QPoint(7, l.LinkTop + 23), QPoint(l.LinkRight, l.LinkTop + 43));
  // On the second display line, left of where the link ends.
  form.FormMouseMove((15 + l.LinkRight) / 2, l.LinkTop + 35);
  EXPECT_EQ(form.HoverLink(), 1);
  EXPECT_GT(Count(im, secondLine, IsYellow), 10);
  EXPECT_GT(Count(im, firstLine, IsYellow) + Count(im, secondLine, IsYellow),
            4 * (Count(im, firstLine, IsCyan) + Count(im, secondLine, IsCyan)));
  form.FormMouseMove(600, 300);
  EXPECT_EQ(form.HoverLink(), 0);
  // On the first display line, right of where it starts.
  form.FormMouseMove((l.LinkLeft + form.PageWidth()) / 2, l.LinkTop + 10);
  EXPECT_EQ(form.HoverLink(), 1);
  form.FormMouseDown(Qt::LeftButton, 0, 0);
  EXPECT_EQ(form.CurrentPage(), 2);
}

TEST(HelpForm, LongTextWrapsAndEachLineContinuesBehindTheText) {
  VirtualHost host;
  HelpForm form(host);
  const std::string words =
      "The quick brown fox jumps over the lazy dog while the bead twins keep falling down. ";
  ShowPages(form,
            {{"T", {"Start.", words + words.substr(0, 30), words, words + "[[T]]", "  " + words}}});
  const auto& d = form.DrawnPieces();
  ASSERT_GE(d.size(), 6u);
  // The second source line starts right behind "Start.".
  EXPECT_EQ(d[1].y, d[0].y);
  EXPECT_EQ(d[1].x, d[0].x + d[0].width);
  std::set<int> rows;
  for (size_t i = 0; i < d.size(); ++i) {
    rows.insert(d[i].y);
    EXPECT_LE(d[i].x + d[i].width, form.PageWidth() - 2) << i;  // never past the right edge
    if (i == 0) continue;
    const bool sameLine = d[i].y == d[i - 1].y && d[i].x == d[i - 1].x + d[i - 1].width;
    const bool nextLine = d[i].y == d[i - 1].y + 23 && d[i].x == 7;
    EXPECT_TRUE(sameLine || nextLine) << "piece " << i << " at " << d[i].x << "," << d[i].y;
  }
  EXPECT_GE(rows.size(), 4u);
  // A wrapped line leaves room for no more than about one character.
  for (size_t i = 0; i + 1 < d.size(); ++i) {
    if (d[i + 1].y != d[i].y && d[i].colour == QColor(Qt::white) && d[i + 1].x == 7 &&
        d[i].x + d[i].width < form.PageWidth() - 40 && d[i + 1].y == d[i].y + 23) {
      ADD_FAILURE() << "piece " << i << " ends early at " << d[i].x + d[i].width;
    }
  }
}

TEST(HelpForm, PunctuationNeverBeginsADisplayLine) {
  VirtualHost host;
  HelpForm form(host);
  const QFontMetrics fm(MakeFont(MinchoFace(), 11, true), &form.PageImage());
  const int room = form.PageWidth() - 2 - 7;  // from the left margin to the right edge
  int carried = 0;
  for (const char* mark : {"。", "、"}) {
    for (int n = 30; n <= 56; ++n) {
      QString a;
      for (int i = 0; i < n; ++i) a += QString::fromUtf8("あ");
      const QString text = a + QString::fromUtf8(mark) + QString::fromUtf8("いい");
      ShowPages(form, {{"T", {text.toStdString()}}});
      const auto& d = form.DrawnPieces();
      ASSERT_FALSE(d.empty());
      for (size_t i = 1; i < d.size(); ++i) {
        EXPECT_FALSE(d[i].text.startsWith(QString::fromUtf8(mark))) << n;
      }
      // The wrap falls just before the mark when the n characters and the mark fit but one
      // character more does not: then the last "あ" goes to the next line with the mark.
      const bool beforeMark = fm.horizontalAdvance(text.left(n + 1)) <= room &&
                              fm.horizontalAdvance(text.left(n + 2)) > room;
      if (beforeMark) {
        ++carried;
        ASSERT_GE(d.size(), 2u);
        EXPECT_EQ(d[0].text, a.left(n - 1)) << n;
        EXPECT_TRUE(d[1].text.startsWith(QString::fromUtf8("あ") + QString::fromUtf8(mark)));
        EXPECT_EQ(d[1].y, d[0].y + 23);
      }
    }
  }
  EXPECT_EQ(carried, 2);  // each mark met the rule at exactly one length
}

TEST(HelpForm, FiftyLinksAtMostAndLinksToNowhere) {
  VirtualHost host;
  HelpForm form(host);
  std::string many;
  for (int i = 0; i < 20; ++i) many += "[[A]]";
  ShowPages(form, {{"T", {many, many, many, "[[Nowhere]]"}}, {"A", {}}});
  EXPECT_EQ(form.LinkCount(), 50);
  int plain = 0;
  for (const HelpDrawnPiece& p : form.DrawnPieces()) {
    if (p.text == QStringLiteral("A") && p.colour == QColor(Qt::white)) ++plain;
    if (p.text == QStringLiteral("Nowhere")) {
      EXPECT_EQ(p.colour, QColor(Qt::white));
    }
  }
  EXPECT_EQ(plain, 10);

  // A link whose title has no page: drawn like a link, the click does nothing.
  ShowPages(form, {{"T", {"[[Nowhere]] [[A]]"}}, {"A", {}}});
  ASSERT_EQ(form.LinkCount(), 2);
  EXPECT_EQ(form.Link(1).LinkTarget, -1);
  EXPECT_GT(Count(form.PageImage(), LinkRect(form.Link(1)), IsCyan), 10);
  HoverOver(form, 1);
  EXPECT_EQ(form.HoverLink(), 1);
  EXPECT_GT(Count(form.PageImage(), LinkRect(form.Link(1)), IsYellow), 10);
  const int32_t before = form.HistoryCount();
  form.FormMouseDown(Qt::LeftButton, 0, 0);
  EXPECT_EQ(form.CurrentPage(), 1);
  EXPECT_EQ(form.HistoryCount(), before);
}

// ---- Navigation ----

TEST(HelpForm, BackTopAndTheRightButton) {
  QTemporaryDir dir;
  const std::string path = WriteHelpFile(
      dir, "nav.tfh",
      {"@@P1", "00[[P2]]", "@@P2", "00[[P3]]", "@@P3", "00[[P4]]", "@@P4", "00[[P1]]", "@End"});
  VirtualHost host;
  HelpForm form(host);
  form.Store().HelpFileName = path;
  form.FormActivate();
  // Back right after activation does nothing.
  form.Bt_BackClick();
  EXPECT_EQ(form.CurrentPage(), 1);
  EXPECT_EQ(form.HistoryCount(), 1);

  Follow(form, 1);
  Follow(form, 1);
  Follow(form, 1);
  EXPECT_EQ(form.CurrentPage(), 4);
  EXPECT_EQ(form.HistoryCount(), 4);
  // Back returns through them in reverse order; the button, the method and the right mouse
  // button all do the same.
  form.findChild<QPushButton*>(QStringLiteral("Bt_Back"))->click();
  EXPECT_EQ(form.CurrentPage(), 3);
  form.Bt_BackClick();
  EXPECT_EQ(form.CurrentPage(), 2);
  form.FormMouseDown(Qt::RightButton, 300, 300);
  EXPECT_EQ(form.CurrentPage(), 1);
  EXPECT_EQ(form.HistoryCount(), 1);
  form.FormMouseDown(Qt::RightButton, 300, 300);
  EXPECT_EQ(form.CurrentPage(), 1);

  // Top goes to page 1 and remembers where it came from.
  Follow(form, 1);
  Follow(form, 1);
  form.findChild<QPushButton*>(QStringLiteral("Bt_Root"))->click();
  EXPECT_EQ(form.CurrentPage(), 1);
  form.Bt_BackClick();
  EXPECT_EQ(form.CurrentPage(), 3);
}

TEST(HelpForm, HistoryKeepsTheFirstPageAndTheLatestFifty) {
  VirtualHost host;
  HelpForm form(host);
  std::vector<std::pair<std::string, std::vector<std::string>>> pages;
  for (int p = 1; p <= 101; ++p) pages.push_back({"P" + std::to_string(p), {}});
  ShowPages(form, pages);
  // Back before anything was read does nothing either.
  form.Bt_BackClick();
  EXPECT_EQ(form.HistoryCount(), 0);
  EXPECT_EQ(form.CurrentPage(), 1);

  QTemporaryDir dir;
  std::vector<std::string> lines;
  for (int p = 1; p <= 101; ++p) lines.push_back("@@P" + std::to_string(p));
  lines.push_back("@End");
  form.Store().HelpFileName = WriteHelpFile(dir, "many.tfh", lines);
  form.FormActivate();
  for (int p = 2; p <= 100; ++p) {
    form.SetCurrentPage(p);
    form.Bt_RootClick();  // pushes p
  }
  ASSERT_EQ(form.HistoryCount(), 100);
  for (int i = 1; i <= 100; ++i) ASSERT_EQ(form.History(i), i);
  form.SetCurrentPage(101);
  form.Bt_RootClick();
  EXPECT_EQ(form.HistoryCount(), 51);
  EXPECT_EQ(form.History(1), 1);
  EXPECT_EQ(form.History(2), 52);
  EXPECT_EQ(form.History(51), 101);
  form.Bt_BackClick();
  EXPECT_EQ(form.CurrentPage(), 101);
  EXPECT_EQ(form.HistoryCount(), 50);
}

TEST(HelpForm, OpenHelpShowsTheWindowModallyAndReadsTheFileEachTime) {
  QTemporaryDir dir;
  const std::string path = WriteHelpFile(dir, "DM_help.tfh", {"@@Contents", "00one", "@End"});
  VirtualHost host;
  HelpForm form(host);
  bool modal = false;
  bool visible = false;
  std::string title;
  auto inspectAndClose = [&] {
    QTimer::singleShot(100, &form, [&] {
      modal = form.isModal();
      visible = form.isVisible();
      title = form.Store().Page(form.CurrentPage()).Title;
      form.accept();
    });
  };
  inspectAndClose();
  form.OpenHelp(path);
  EXPECT_TRUE(modal);
  EXPECT_TRUE(visible);
  EXPECT_EQ(title, "Contents");
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.windowTitle(), QString::fromUtf8("TevaniFormatHelpViewer ：DM_help"));

  WriteHelpFile(dir, "DM_help.tfh", {"@@Edited", "00two", "@End"});
  inspectAndClose();
  form.OpenHelp(path);
  EXPECT_EQ(title, "Edited");
  EXPECT_TRUE(host.errors.empty());
}

// ---- Our own help file ----

TEST(OurHelpFile, EveryPageFitsItsAreaAndIsSavedAsPng) {
  VirtualHost host;
  HelpForm form(host);
  form.Store().HelpFileName = std::string(DALU_APP_DIR) + "DM_help.tfh";
  form.FormActivate();
  ASSERT_TRUE(host.errors.empty());
  const int pages = form.Store().HelpPageCount;
  ASSERT_GE(pages, 20);
  const QString outDir = QString::fromUtf8(DALU_TEST_OUTPUT_DIR) + QStringLiteral("help");
  ASSERT_TRUE(QDir().mkpath(outDir));
  const int lastLineY = 5 + 21 * 23;  // 22 display lines fit the page area
  for (int n = 1; n <= pages; ++n) {
    form.SetCurrentPage(n);
    form.PageShow();
    const std::string title = Cp932ToUtf8(form.Store().Page(n).Title);
    const auto& d = form.DrawnPieces();
    for (size_t i = 0; i < d.size(); ++i) {
      EXPECT_LE(d[i].y, lastLineY) << "page " << n << " (" << title << ") runs off the bottom";
      EXPECT_LE(d[i].x + d[i].width, form.PageWidth() - 2) << "page " << n;
      // The page edge wraps by characters, which suits Japanese; a word of Latin letters
      // must not be cut in two.
      if (d[i].wrapped && i + 1 < d.size() && !d[i].text.isEmpty() && !d[i + 1].text.isEmpty()) {
        EXPECT_FALSE(IsWordChar(d[i].text.back()) && IsWordChar(d[i + 1].text.front()))
            << "page " << n << " (" << title << ") splits a word: ..."
            << d[i].text.right(12).toStdString() << "|" << d[i + 1].text.left(12).toStdString();
        // Nor should a closing bracket begin a line (the viewer keeps only "、" and "。" off).
        EXPECT_FALSE(QString::fromUtf8("」）』").contains(d[i + 1].text.front()))
            << "page " << n << " (" << title << ") starts a line with "
            << d[i + 1].text.left(12).toStdString();
      }
    }
    for (int l = 1; l <= form.LinkCount(); ++l) {
      const HelpLink& link = form.Link(l);
      EXPECT_GE(link.LinkTarget, 1) << "page " << n << ": " << Cp932ToUtf8(link.title);
      // A link on one display line lights up over its whole text.
      EXPECT_LT(link.LinkLeft, link.LinkRight)
          << "page " << n << " (" << title << "): link wraps: " << Cp932ToUtf8(link.title);
    }
    const QString file = outDir + QStringLiteral("/page_%1.png").arg(n, 2, 10, QLatin1Char('0'));
    EXPECT_TRUE(form.grab().save(file)) << file.toStdString();
  }
}

}  // namespace
}  // namespace dalu

namespace dalu {
namespace {

// A host whose error box is a real modal window, as in the program: showing and closing it
// takes the activation away from the help window and gives it back.
class WindowedHost : public VirtualHost {
 public:
  void ShowError(const std::string& text) override {
    errors.push_back(text);
    QDialog box(QApplication::activeWindow());
    box.setWindowTitle(QString::fromStdString(text));
    QTimer::singleShot(30, &box, &QDialog::accept);
    box.exec();
  }
};

TEST(HelpForm, ItsOwnErrorBoxDoesNotCountAsANewActivation) {
  QTemporaryDir dir;
  const std::string path = WriteHelpFile(dir, "bad.tfh", {"@@A", "xx", "@End"});
  WindowedHost host;
  HelpForm form(host);
  int activations = 0;
  QTimer::singleShot(400, &form, [&] {
    activations = static_cast<int>(host.errors.size());
    form.accept();
  });
  form.OpenHelp(path);
  EXPECT_EQ(activations, 1);
  EXPECT_EQ(host.errors.size(), 1u);
}

}  // namespace
}  // namespace dalu
