#include "config/ui/config_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <algorithm>
#include <iterator>

#include "engine/ui/image_canvas.h"
#include "match/game.h"
#include "match/match_commands.h"
#include "records/ui/bitmaps.h"
#include "util/text.h"
#include "util/ui/fonts.h"
#include "util/ui/qt_text.h"

namespace dalu {

namespace {

// Every control sits where the dialog was laid out; the sizes follow the 12-pixel font.
constexpr int kEditHeight = 21;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kArrowWidth = 17;
constexpr int kArrowHeight = 12;
constexpr int kComboHeight = 22;

template <typename W>
W* Place(QWidget* parent, const char* name, int x, int y, int w, int h) {
  W* widget = new W(parent);
  widget->setObjectName(QLatin1String(name));
  widget->setGeometry(x, y, w, h);
  return widget;
}

QPushButton* Button(QWidget* parent, const char* name, int x, int y, int w, int h) {
  QPushButton* b = Place<QPushButton>(parent, name, x, y, w, h);
  // Enter belongs to the edits' ring; no button takes it to close the dialog.
  b->setAutoDefault(false);
  b->setDefault(false);
  return b;
}

}  // namespace

TF_CFG::TF_CFG(Game& g, QWidget* parent) : QDialog(parent), g_(g) {
  setObjectName(QStringLiteral("F_CFG"));
  setModal(true);
  setFont(MakeFont(GothicFace(), 9));
  setFixedSize(kClientWidth, kClientHeight);
  setSizeGripEnabled(false);

  // ---- General settings ----
  GBx1_ = Place<QGroupBox>(this, "GBx1", 8, 8, 225, 433);
  for (int k = 1; k <= kTimingItems; ++k) {
    const int y = 32 * k;
    const QByteArray label = "Label" + QByteArray::number(k);
    const QByteArray edit = "Edit" + QByteArray::number(k);
    labels_[k - 1] = Place<QLabel>(GBx1_, label.constData(), 12, y, 138, kEditHeight);
    edits_[k - 1] = Place<QLineEdit>(GBx1_, edit.constData(), 152, y, 61, kEditHeight);
    edits_[k - 1]->installEventFilter(this);
  }
  Bt_Fast_ = Button(GBx1_, "Bt_Fast", 136, 296, kButtonWidth, kButtonHeight);
  Bt_Default_ = Button(GBx1_, "Bt_Default", 136, 328, kButtonWidth, kButtonHeight);
  ChB1_ = Place<QCheckBox>(GBx1_, "ChB1", 16, 368, 200, 20);
  ChB2_ = Place<QCheckBox>(GBx1_, "ChB2", 16, 392, 200, 20);

  // ---- Values of the match ----
  GBx2_ = Place<QGroupBox>(this, "GBx2", 240, 8, 193, 273);
  Label21_ = Place<QLabel>(GBx2_, "Label21", 16, 32, 170, 18);
  Ed_Wd_ = Place<QLineEdit>(GBx2_, "Ed_Wd", 16, 56, 61, kEditHeight + 3);
  QPushButton* Button1 = Button(GBx2_, "Button1", 80, 56, kArrowWidth, kArrowHeight);
  QPushButton* Button2 = Button(GBx2_, "Button2", 80, 68, kArrowWidth, kArrowHeight);
  Label22_ = Place<QLabel>(GBx2_, "Label22", 16, 104, 170, 18);
  Ed_Hg_ = Place<QLineEdit>(GBx2_, "Ed_Hg", 16, 128, 61, kEditHeight + 3);
  QPushButton* Button3 = Button(GBx2_, "Button3", 80, 128, kArrowWidth, kArrowHeight);
  QPushButton* Button4 = Button(GBx2_, "Button4", 80, 140, kArrowWidth, kArrowHeight);
  Label23_ = Place<QLabel>(GBx2_, "Label23", 16, 176, 170, 18);
  Label231_ = Place<QLabel>(GBx2_, "Label231", 16, 208, 80, 18);
  Label232_ = Place<QLabel>(GBx2_, "Label232", 104, 208, 80, 18);
  CBx_ojp1_ = Place<QComboBox>(GBx2_, "CBx_ojp1", 8, 240, 85, kComboHeight);
  CBx_ojp2_ = Place<QComboBox>(GBx2_, "CBx_ojp2", 100, 240, 85, kComboHeight);
  for (QPushButton* b : {Button1, Button3}) b->setText(QString::fromUtf8(kUpCaptionUtf8));
  for (QPushButton* b : {Button2, Button4}) b->setText(QString::fromUtf8(kDownCaptionUtf8));
  for (QLineEdit* e : {Ed_Wd_, Ed_Hg_}) e->installEventFilter(this);
  for (QComboBox* c : {CBx_ojp1_, CBx_ojp2_}) c->setMaxVisibleItems(11);

  // ---- Language and OK ----
  Label0_ = Place<QLabel>(this, "Label0", 256, 296, 180, 18);
  CBx_Engl_ = Place<QComboBox>(this, "CBx_Engl", 256, 320, 161, kComboHeight);
  Bt_OK_ = Button(this, "Bt_OK", 368, 384, kButtonWidth, kButtonHeight);
  Bt_OK_->setText(QString::fromLatin1(kOkCaption));

  connect(Bt_Fast_, &QPushButton::clicked, this, [this] {
    for (int k = 1; k <= kTimingItems; ++k) edits_[k - 1]->setText(FromCp932(FastTimingText(k)));
  });
  connect(Bt_Default_, &QPushButton::clicked, this, [this] {
    for (int k = 1; k <= kTimingItems; ++k) edits_[k - 1]->setText(FromCp932(DefaultTimingText(k)));
  });
  connect(Button1, &QPushButton::clicked, this,
          [this] { StepSize(Ed_Wd_, +1, kDialogMinWidth, kDialogMaxWidth, shown_.Width); });
  connect(Button2, &QPushButton::clicked, this,
          [this] { StepSize(Ed_Wd_, -1, kDialogMinWidth, kDialogMaxWidth, shown_.Width); });
  connect(Button3, &QPushButton::clicked, this,
          [this] { StepSize(Ed_Hg_, +1, kDialogMinHeight, kDialogMaxHeight, shown_.Height); });
  connect(Button4, &QPushButton::clicked, this,
          [this] { StepSize(Ed_Hg_, -1, kDialogMinHeight, kDialogMaxHeight, shown_.Height); });
  connect(Bt_OK_, &QPushButton::clicked, this, &QDialog::accept);

  // The tab order follows the form: the general settings, the match, the language, OK.
  QWidget* order[] = {edits_[0], edits_[1], edits_[2], edits_[3],   edits_[4], edits_[5],
                      edits_[6], edits_[7], Bt_Fast_,  Bt_Default_, ChB1_,     ChB2_,
                      Ed_Wd_,    Button1,   Button2,   Ed_Hg_,      Button3,   Button4,
                      CBx_ojp1_, CBx_ojp2_, CBx_Engl_, Bt_OK_};
  for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

void TF_CFG::SetTexts(bool english) {
  auto text = [english](ConfigDialogTextId id) { return FromCp932(ConfigDialogText(id, english)); };
  for (int k = 1; k <= kTimingItems; ++k) labels_[k - 1]->setText(FromCp932(TimingLabel(k, english)));
  Label21_->setText(text(ConfigDialogTextId::kWidth));
  Label22_->setText(text(ConfigDialogTextId::kHeight));
  Label23_->setText(text(ConfigDialogTextId::kObstruct));
  Label231_->setText(text(ConfigDialogTextId::kToLeft));
  Label232_->setText(text(ConfigDialogTextId::kToRight));
  Label0_->setText(text(ConfigDialogTextId::kLanguage));
  ChB1_->setText(text(ConfigDialogTextId::kFieldLines));
  ChB2_->setText(text(ConfigDialogTextId::kBrickTone));
  GBx1_->setTitle(text(ConfigDialogTextId::kGeneral));
  GBx2_->setTitle(text(ConfigDialogTextId::kForDalu));
  setWindowTitle(text(ConfigDialogTextId::kCaption));
  Bt_Default_->setText(text(ConfigDialogTextId::kDefault));
  Bt_Fast_->setText(text(ConfigDialogTextId::kFast));
}

void TF_CFG::FormActivate() {
  shown_ = ConfigDialogShown(g_);
  // 1. The edits.
  for (int k = 1; k <= kTimingItems; ++k) {
    edits_[k - 1]->setText(FromCp932(IntToText(shown_.Timing[k - 1])));
  }
  Ed_Wd_->setText(FromCp932(IntToText(shown_.Width)));
  Ed_Hg_->setText(FromCp932(IntToText(shown_.Height)));
  // 2. The drawing options.
  ChB1_->setChecked(shown_.DrawFieldLines);
  ChB2_->setChecked(shown_.SolidBlack);
  // 3. The texts and the language list.
  SetTexts(shown_.English);
  CBx_Engl_->clear();
  for (int i = 0; i < kLanguageChoices; ++i) CBx_Engl_->addItem(FromCp932(LanguageChoiceText(i)));
  CBx_Engl_->setCurrentIndex(shown_.English ? 0 : 1);
  // 4. The rate lists; a rate that is none of the choices leaves its list unselected.
  QComboBox* lists[3] = {nullptr, CBx_ojp1_, CBx_ojp2_};
  for (int p = 1; p <= 2; ++p) {
    lists[p]->clear();
    for (const ObstructRateChoice& c : kObstructRateChoice) {
      lists[p]->addItem(QString::fromLatin1(c.Text));
    }
    lists[p]->setCurrentIndex(shown_.RateEntry[p]);
  }
  edits_[0]->setFocus(Qt::OtherFocusReason);
}

void TF_CFG::showEvent(QShowEvent* event) {
  // A spontaneous show is the window system giving the dialog back (after being minimised,
  // say): what the user typed stays.
  if (!event->spontaneous()) {
    FormActivate();
    applied_ = false;
  }
  QDialog::showEvent(event);
}

void TF_CFG::LeaveEdit(QLineEdit* edit) {
  // The rule may show a message box, which takes the focus away from the edit once more.
  if (leaving_) return;
  leaving_ = true;
  if (edit == Ed_Wd_ || edit == Ed_Hg_) {
    const bool width = edit == Ed_Wd_;
    const int32_t v = FieldSizeValue(
        g_.host, ToCp932(edit->text()), width ? kDialogMinWidth : kDialogMinHeight,
        width ? kDialogMaxWidth : kDialogMaxHeight, width ? shown_.Width : shown_.Height);
    edit->setText(FromCp932(IntToText(v)));
  } else {
    for (int k = 1; k <= kTimingItems; ++k) {
      if (edits_[k - 1] == edit) edit->setText(FromCp932(LeaveTimingEdit(g_.host, k, ToCp932(edit->text()))));
    }
  }
  leaving_ = false;
}

void TF_CFG::StepSize(QLineEdit* edit, int step, int32_t min, int32_t max, int32_t fallback) {
  edit->setText(FromCp932(StepFieldSize(ToCp932(edit->text()), step, min, max, fallback)));
}

bool TF_CFG::eventFilter(QObject* watched, QEvent* event) {
  QLineEdit* edit = qobject_cast<QLineEdit*>(watched);
  if (edit == nullptr) return QDialog::eventFilter(watched, event);
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    const auto it = std::find(edits_.begin(), edits_.end(), edit);
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && it != edits_.end()) {
      // Edit1 -> Edit2 -> ... -> Edit8 -> Edit1; leaving applies the edit's rule.
      const size_t next = (static_cast<size_t>(it - edits_.begin()) + 1) % edits_.size();
      edits_[next]->setFocus(Qt::TabFocusReason);
      return true;
    }
  } else if (event->type() == QEvent::FocusOut) {
    // The dialog losing the activation (another window, a message box) is not leaving the
    // edit: the focus comes back to it.
    // Once the dialog has closed, its values are applied and its edits are left alone.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (!applied_ && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
      LeaveEdit(edit);
    }
  }
  return QDialog::eventFilter(watched, event);
}

ConfigDialogValues TF_CFG::Values() {
  ConfigDialogValues v = shown_;
  // The edit that had the focus when the dialog closed was never left: its rule runs here,
  // once, like every other edit's (already-settled edits show no message).
  for (QLineEdit* e : edits_) LeaveEdit(e);
  for (int i = 0; i < kTimingItems; ++i) {
    v.Timing[i] = ParseInt(ToCp932(edits_[i]->text())).value_or(kCfgDefault[i]);
  }
  v.DrawFieldLines = ChB1_->isChecked();
  v.SolidBlack = ChB2_->isChecked();
  v.Width =
      FieldSizeValue(g_.host, ToCp932(Ed_Wd_->text()), kDialogMinWidth, kDialogMaxWidth, shown_.Width);
  v.Height = FieldSizeValue(g_.host, ToCp932(Ed_Hg_->text()), kDialogMinHeight, kDialogMaxHeight,
                            shown_.Height);
  v.English = CBx_Engl_->currentIndex() != 1;
  v.RateEntry[1] = CBx_ojp1_->currentIndex();
  v.RateEntry[2] = CBx_ojp2_->currentIndex();
  return v;
}

void TF_CFG::done(int result) {
  if (!applied_) {
    applied_ = true;
    closeResult_ = ConfigDialogClose(g_, Values());
  }
  QDialog::done(result);
}

void RunConfigDialog(Game& g, FieldPictures& pictures, QWidget* parent) {
  const int32_t width = g.eng.FieldWidth;
  const int32_t height = g.eng.FieldHeight;
  TF_CFG dialog(g, parent);
  dialog.exec();
  if (dialog.closeResult().RebuildBackground) {
    TF_File_BGPLoad(g, pictures);
    ShowFieldsOnNewBackground(g, g.eng.FieldWidth != width || g.eng.FieldHeight != height);
  }
}

}  // namespace dalu
