#include "match/ui/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScreen>
#include <QStatusBar>
#include <QTableWidget>
#include <algorithm>
#include <ctime>

#include "coach/ui/coach_controller.h"
#include "config/config_file.h"
#include "engine/ui/image_canvas.h"
#include "help/ui/help_form.h"
#include "match/comments.h"
#include "match/game.h"
#include "match/history.h"
#include "match/just_played.h"
#include "match/match_commands.h"
#include "match/match_loop.h"
#include "match/match_setup.h"
#include "match/notices.h"
#include "match/replay.h"
#include "match/status_line.h"
#include "match/steering.h"
#include "match/study.h"
#include "match/ui/controls_dialog.h"
#include "match/ui/key_map.h"
#include "match/ui/move_list_window.h"
#include "players/levels.h"
#include "records/record_file.h"
#include "records/ui/bitmaps.h"
#include "util/text.h"
#include "util/ui/fonts.h"
#include "util/ui/program_settings.h"
#include "util/ui/qt_host.h"
#include "util/ui/qt_text.h"

namespace dalu {

namespace {

// A caption as a Qt menu text: the accelerator letter in parentheses gets its "&".
QString MenuText(const std::string& cp932, char accelerator) {
  QString text = FromCp932(cp932);
  text.replace(QLatin1Char('&'), QStringLiteral("&&"));
  if (accelerator != 0) {
    const QString paren = QStringLiteral("(%1)").arg(QLatin1Char(accelerator));
    const qsizetype at = text.lastIndexOf(paren);
    if (at >= 0) text.insert(at + 1, QLatin1Char('&'));
  }
  return text;
}

std::optional<int> DefaultAskTurn(QWidget* parent, const QString& title, const QString& label,
                                  int value, int min, int max) {
  bool ok = false;
  const int turn = QInputDialog::getInt(parent, title, label, value, min, max, 1, &ok);
  if (!ok) return std::nullopt;
  return turn;
}

QString DefaultAsk(bool save, QWidget* parent, const QString& dir, const QString& filter) {
  return save ? QFileDialog::getSaveFileName(parent, QString(), dir, filter)
              : QFileDialog::getOpenFileName(parent, QString(), dir, filter);
}

const char kSelectorStyle[] =
    "QComboBox { background: black; color: white; }"
    "QComboBox:disabled { background: #303030; color: #8c8c8c; }"
    "QComboBox QAbstractItemView { background: black; color: white;"
    " selection-background-color: #303080; }";

}  // namespace

// ---- WindowView ----

void WindowView::ClearMemo() {
  if (window_) window_->ClearMemo();
}
void WindowView::AddMemoLine(const std::string& line) {
  if (window_) window_->AddMemoLine(line);
}
void WindowView::SetCaption(const std::string& caption) {
  if (window_) window_->SetCaption(caption);
}
void WindowView::SetMatchRunning(bool running) {
  if (window_) window_->SetMatchRunning(running);
}
void WindowView::EnableStopContinue() {
  if (window_) window_->EnableStopContinue();
}
void WindowView::EnableReplayButtons(bool enabled) {
  if (window_) window_->EnableReplayButtons(enabled);
}
void WindowView::ShowLevels(int level1, int level2) {
  if (window_) window_->ShowLevels(level1, level2);
}
void WindowView::RebuildBackground() {
  if (window_) window_->RebuildBackground();
}
void WindowView::TurnEnded(const Game&) {
  if (window_) window_->PositionShown();
}
void WindowView::ShowStatus(const std::string& line) {
  if (window_) window_->ShowStatus(line);
}
void WindowView::RecordLoaded(const Game&) {
  if (window_) window_->RecordLoaded();
}
void WindowView::PositionRebuilt(const Game&) {
  if (window_) window_->PositionShown();
}
void WindowView::LoopReturned(const Game&) {
  if (window_) window_->PositionShown();
}

// ---- PlayfieldWidget ----

PlayfieldWidget::PlayfieldWidget(const ImageCanvas& canvas, QWidget* parent)
    : QWidget(parent), canvas_(canvas) {
  setFixedSize(MainWindow::kClientWidth, MainWindow::kClientHeight);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
}

void PlayfieldWidget::Reveal() {
  revealed_ = true;
  update();
}

void PlayfieldWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (!revealed_) {
    p.fillRect(rect(), Qt::black);
    return;
  }
  // The image may be drawn at a higher pixel density than 1; it always fills the logical
  // picture. Integer scaling of a low-density image stays sharp without smoothing.
  p.setRenderHint(QPainter::SmoothPixmapTransform, false);
  p.drawImage(QRectF(0, 0, MainWindow::kClientWidth, MainWindow::kClientHeight), canvas_.image());
}

void PlayfieldWidget::mousePressEvent(QMouseEvent*) {
  if (onClick) onClick();
}

// ---- KeyCatcher ----

KeyCatcher::KeyCatcher(QWidget* parent) : QWidget(parent) {
  setFixedSize(2, 2);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled, false);
}

void KeyCatcher::keyPressEvent(QKeyEvent* event) {
  const int vk = VirtualKeyOf(event->key(), event->modifiers());
  if (vk == 0) {
    QWidget::keyPressEvent(event);
    return;
  }
  event->accept();
  if (onKey) onKey(vk, false);
}

void KeyCatcher::keyReleaseEvent(QKeyEvent* event) {
  const int vk = VirtualKeyOf(event->key(), event->modifiers());
  if (vk == 0) {
    QWidget::keyReleaseEvent(event);
    return;
  }
  event->accept();
  // A held key is not released: its repeats must not drop the twin (the down arrow drops
  // on release).
  if (event->isAutoRepeat()) return;
  if (onKey) onKey(vk, true);
}

bool KeyCatcher::focusNextPrevChild(bool) {
  return false;  // Tab stays with the game
}

// ---- MainWindow ----

MainWindow::MainWindow(Game& g, QtHost& host, FieldPictures& pictures, ImageCanvas& canvas,
                       WindowView& view, WindowOptions options, QWidget* parent)
    : QMainWindow(parent),
      g_(g),
      host_(host),
      pictures_(pictures),
      canvas_(canvas),
      view_(view),
      options_(std::move(options)) {
  setWindowTitle(QString::fromLatin1(kInitialCaption));
  // A fixed window: system menu, minimize and close, no maximize.
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setAttribute(Qt::WA_WindowPropagation);  // the menus take the window's font
  UseProgramFaceEverywhere();
  setFont(MakeFont(GothicFace(), 11));
  BuildWidgets();
  BuildMenus();
  coach_ = new CoachController(g_, pictures_,
                               {this, field_, [this](MenuId id) { return Action(id); },
                                [this] { return moveList_; }, [this] { BackFromDialog(); }});
  view_.Attach(this);
  host_.SetParentWidget(this);
  connect(&canvas_, &ImageCanvas::presented, field_, qOverload<>(&QWidget::update));
  paintTimer_.setSingleShot(true);
  connect(&paintTimer_, &QTimer::timeout, this, &MainWindow::FirstPaint);
  // A fixed single border: the window keeps the picture's size.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  // Asked for before the window exists, the corner keeps the window manager from placing
  // the window elsewhere; StartUp then moves the frame there.
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().topLeft());
  }
}

void MainWindow::PlaceFrameAtTopLeft(int triesLeft) {
  // The frame, not the client area, goes to the corner: the title bar and its close box
  // must stay on the screen. A move places the frame once Qt knows its size.
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen || closing_) return;
  const QPoint corner = screen->availableGeometry().topLeft();
  const bool framed = frameGeometry() != geometry();
  if (frameGeometry().topLeft() != corner) move(corner);
  // A window manager frames the window a moment after it is shown; until then its frame
  // is unknown and the move placed the window itself. Without a window manager no frame
  // ever comes, and the window already stands in the corner.
  if (!framed && triesLeft > 0) {
    QTimer::singleShot(50, this, [this, triesLeft] { PlaceFrameAtTopLeft(triesLeft - 1); });
  }
}

MainWindow::~MainWindow() {
  view_.Attach(nullptr);
}

void MainWindow::BuildWidgets() {
  auto* central = new QWidget(this);
  central->setFixedSize(kClientWidth, kClientHeight);
  setCentralWidget(central);

  field_ = new PlayfieldWidget(canvas_, central);
  field_->move(0, 0);
  field_->onClick = [this] {
    if (!commentMode_) FocusKeys();
  };

  catcher_ = new KeyCatcher(central);
  catcher_->move(0, 0);
  catcher_->onKey = [this](int vk, bool up) {
    if (coach_ && coach_->TakeKey(vk, up)) return;  // a try steers its own twin
    if (up) {
      KeyUp(g_, vk);
    } else if (!ReplayKeyDown(g_, vk) && !TakeBackKeyDown(g_, vk)) {  // a replay's keys first
      KeyDown(g_, vk);
    }
    if (coach_) coach_->AfterKey();
  };

  auto makeSelector = [&](int x) {
    auto* box = new QComboBox(central);
    box->setGeometry(x, 0, 199, 23);
    box->setMaxVisibleItems(kLevelCount);
    box->setStyleSheet(QString::fromLatin1(kSelectorStyle));
    connect(box, &QComboBox::currentIndexChanged, this, [this] { LevelChanged(); });
    return box;
  };
  cbx1_ = makeSelector(0);
  cbx2_ = makeSelector(474);

  // Between the level selectors, above the fields: AutoTwin makes side 2 copy side 1's
  // placements, whoever plays side 2, so it is never on unseen.
  autoTwinNotice_ = new QLabel(central);
  autoTwinNotice_->setGeometry(236, 2, 201, 19);
  autoTwinNotice_->setAlignment(Qt::AlignCenter);
  autoTwinNotice_->setStyleSheet(
      QStringLiteral("QLabel { background: #7a1010; color: #ffe060; font-weight: bold; }"));
  autoTwinNotice_->hide();

  memo_ = new QPlainTextEdit(central);
  memo_->setGeometry(6, 440, 587, 81);
  memo_->setReadOnly(true);
  memo_->setFocusPolicy(Qt::NoFocus);
  memo_->setFont(MakeFont(GothicFace(), 13, true));
  memo_->setStyleSheet(QStringLiteral("QPlainTextEdit { background: black; color: white; }"));
  memo_->installEventFilter(this);

  auto makeButton = [&](const QString& caption, int x, int y, int size, void (*click)(Game&)) {
    auto* b = new QPushButton(caption, central);
    b->setGeometry(x, y, size, size);
    b->setFocusPolicy(Qt::NoFocus);
    b->setEnabled(false);
    if (click) {
      connect(b, &QPushButton::clicked, this, [this, click] {
        click(g_);
        FocusKeys();
      });
    }
    return b;
  };
  btLoadEnd_ = makeButton(QStringLiteral("×"), 600, 448, 33, &EndReplayClick);
  btStop_ = makeButton(QStringLiteral("<>"), 632, 448, 33, &PauseReplayClick);
  btNext_ = makeButton(QStringLiteral(">"), 600, 480, 33, &NextStepClick);
  btTail_ = makeButton(QStringLiteral(">>"), 632, 480, 33, &TailClick);
  btClear_ = makeButton(QStringLiteral("消"), 566, 494, 25, nullptr);
  connect(btClear_, &QPushButton::clicked, this, &MainWindow::ClearClick);

  // Under the picture, which keeps its size: the window grows by the line.
  status_ = new QLabel(this);
  status_->setFont(MakeFont(GothicFace(), 12));
  statusBar()->setSizeGripEnabled(false);
  statusBar()->addWidget(status_, 1);
}

void MainWindow::ShowStatus(const std::string& line) {
  status_->setText(FromCp932(line));
}

void MainWindow::BuildMenus() {
  std::array<QMenu*, kMenuItemCount> menus{};
  for (const MenuEntry& e : kMenuTable) {
    const size_t i = static_cast<size_t>(e.id);
    QAction* action = nullptr;
    if (std::find(std::begin(kSeparatorBefore), std::end(kSeparatorBefore), e.id) !=
            std::end(kSeparatorBefore) &&
        e.parent != MenuId::kNone) {
      menus[static_cast<size_t>(e.parent)]->addSeparator();
    }
    if (IsSubmenu(e.id)) {
      QMenu* menu = e.parent == MenuId::kNone
                        ? menuBar()->addMenu(QString())
                        : menus[static_cast<size_t>(e.parent)]->addMenu(QString());
      menus[i] = menu;
      action = menu->menuAction();
    } else {
      action = new QAction(this);
      if (e.parent == MenuId::kNone) {
        menuBar()->addAction(action);
      } else {
        menus[static_cast<size_t>(e.parent)]->addAction(action);
      }
    }
    if (*e.shortcut) action->setShortcut(QKeySequence(QString::fromLatin1(e.shortcut)));
    action->setAutoRepeat(false);  // a held Ctrl+Z must not stop and continue by turns
    action->setCheckable(e.checkable);
    action->setEnabled(e.enabledAtStart);
    const MenuId id = e.id;
    connect(action, &QAction::triggered, this, [this, id] { MenuClick(id); });
    actions_[i] = action;
  }

  // File > Recent: read from History each time it opens, so it shows what is there now.
  recentMenu_ = new QMenu(this);
  Action(MenuId::kRecent)->setMenu(recentMenu_);
  connect(recentMenu_, &QMenu::aboutToShow, this, [this] { FillRecentMenu(); });

  // File > Replay speed: one choice of the table, checked.
  speedMenu_ = new QMenu(this);
  Action(MenuId::kReplaySpeed)->setMenu(speedMenu_);
  auto* speeds = new QActionGroup(speedMenu_);
  for (int i = 0; i < kReplaySpeedCount; ++i) {
    QAction* a = speedMenu_->addAction(QString());
    a->setCheckable(true);
    speeds->addAction(a);
    const ReplaySpeed speed = kReplaySpeeds[i].speed;
    connect(a, &QAction::triggered, this, [this, speed] { SetReplaySpeed(speed); });
    speedActions_[static_cast<size_t>(i)] = a;
  }
  SyncReplaySpeed();
  MenuEJ();
}

void MainWindow::FillRecentMenu() {
  recentMenu_->clear();
  for (const HistoryEntry& e : RecentHistory(g_, 10, &winners_)) {
    QAction* a = recentMenu_->addAction(FromCp932(RecentCaption(e, g_.cfg.EnglishUI)));
    const std::string path = e.path;
    connect(a, &QAction::triggered, this, [this, path] {
      if (closing_ || g_.ctl.MatchRunning || g_.ctl.InLoop()) return;
      BackFromDialog();
      LoadFromPath(path);
    });
  }
  if (recentMenu_->isEmpty()) {
    recentMenu_->addAction(FromCp932(HistoryEmptyText(g_.cfg.EnglishUI)))->setEnabled(false);
  }
}

void MainWindow::SetReplaySpeed(ReplaySpeed speed) {
  g_.ctl.FastReplaySpeed = speed;
  if (!g_.cfg.AppDir.empty()) {
    OpenProgramSettings(g_.cfg.AppDir)
        ->setValue(QStringLiteral("Replay/speed"), QString::fromLatin1(ReplaySpeedKey(speed)));
  }
  SyncReplaySpeed();
  FocusKeys();
}

void MainWindow::SyncReplaySpeed() {
  for (int i = 0; i < kReplaySpeedCount; ++i) {
    speedActions_[static_cast<size_t>(i)]->setChecked(kReplaySpeeds[i].speed ==
                                                      g_.ctl.FastReplaySpeed);
  }
}

void MainWindow::KeepUnkept() {
  KeepUnkeptMatch(g_, std::time(nullptr));
}

// ---- Start-up ----

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // After the show, so that a message box of the start-up opens over a visible window.
  if (!started_) QTimer::singleShot(0, this, [this] { StartUp(); });
}

void MainWindow::StartUp() {
  if (started_) return;
  started_ = true;
  PlaceFrameAtTopLeft(100);  // for up to 5 s, until the window manager has framed it
  g_.cfg.AppDir = CurDirLoad(options_.exePath);
  ConfigLoad(g_);
  qtTexts_.Apply(g_.cfg.EnglishUI);
  g_.ctl.Steering = LoadSteeringOptions(g_.cfg.AppDir);
  g_.ctl.FastReplaySpeed = ReplaySpeedFromKey(OpenProgramSettings(g_.cfg.AppDir)
                                                  ->value(QStringLiteral("Replay/speed"))
                                                  .toString()
                                                  .toStdString());
  SyncReplaySpeed();
  coach_->StartUp();
  g_.eng.ConstSet();
  MenuEJ();
  FillLevelSelectors();
  ShowLevels(1, 5);  // "No Attack" against "Weaker Gutcha"
  LevelChanged();
  g_.eng.rng.Seed(options_.seed ? *options_.seed : QRandomGenerator::system()->generate64());
  g_.ctl.LastKeyTime = 0;
  g_.ctl.MatchRunning = false;
  ClearMemo();
  for (const std::string& line : WelcomeLines()) AddMemoLine(line);
  RemoveStaleSaveFiles(g_);
  // A message box of the start-up (a damaged configuration) took the keyboard.
  BackFromDialog();
  paintTimer_.start(options_.firstPaintDelayMs);
  // The pictures are read while the timer runs, once the window is on the screen.
  if (options_.firstPaintDelayMs > 0) QTimer::singleShot(0, this, [this] { PreparePictures(); });
}

void MainWindow::PreparePictures() {
  if (picturesPrepared_ || closing_) return;
  picturesPrepared_ = true;
  // A message about a missing picture belongs to the first paint.
  if (firstPaintPending_) host_.HoldErrors();
  TF_File_BmpLoad(g_, pictures_);
  canvas_.RestoreAll();
}

void MainWindow::FirstPaint() {
  if (!firstPaintPending_ || closing_) return;
  PreparePictures();
  firstPaintPending_ = false;
  field_->Reveal();
  canvas_.Present();
  host_.ReleaseErrors(false);
  if (options_.args.empty()) {
    BackFromDialog();  // a picture's message box may have taken the keyboard
    return;
  }
  // A path with blanks arrives split into several arguments.
  std::string path = options_.args[0];
  for (size_t i = 1; i < options_.args.size(); ++i) path += " " + options_.args[i];
  LoadFromPath(path);
  if (!closing_) BackFromDialog();  // after a refusal's message box, too
}

// ---- Menus ----

void MainWindow::MenuClick(MenuId id) {
  if (closing_) return;
  switch (id) {
    case MenuId::kFile:
      // Ctrl+F opens the File menu.
      menuBar()->setActiveAction(Action(MenuId::kFile));
      break;
    case MenuId::kSaveAs:
      SaveAsClick();
      break;
    case MenuId::kLoad:
      LoadClick();
      break;
    case MenuId::kMoveList:
      MoveListClick();
      break;
    case MenuId::kGoToTurn:
      GoToTurnClick();
      break;
    case MenuId::kReplay:
      break;
    case MenuId::kStepBack:
    case MenuId::kStepForward:
    case MenuId::kFirstTurn:
    case MenuId::kLastTurn:
      ReplayKeyClick(ReplayKeyIndex(id));
      break;
    case MenuId::kSameDeal:
      SameDealClick();
      break;
    case MenuId::kTakeBack:
      if (!commentMode_) TakeBack(g_);
      RefreshRecordItems(g_.ctl.MatchRunning);
      FocusKeys();
      break;
    case MenuId::kRecent:
    case MenuId::kReplaySpeed:
      break;
    case MenuId::kHelp:
      // Made at its first use: building it would delay the window's first showing.
      if (!help_) help_ = new HelpForm(host_, this);
      help_->OpenHelp(g_.cfg.AppDir + "DM_help.tfh");
      BackFromDialog();
      break;
    case MenuId::kStart:
      if (!g_.ctl.InLoop()) KeepUnkept();
      StartMatch(g_, cbx1_->currentIndex(), cbx2_->currentIndex());
      break;
    case MenuId::kEdit:
      break;
    case MenuId::kEditMode:
      ToggleEditMode(g_);
      SyncEditChecks();
      break;
    case MenuId::kAutoTwin:
      ToggleAutoTwin(g_);
      SyncEditChecks();
      break;
    case MenuId::kDefault:
      g_.eng.DefaultChainTables();
      break;
    case MenuId::kControls:
      ControlsClick();
      break;
    case MenuId::kComment:
      CommentClick();
      break;
    case MenuId::kStopContinue:
      StopContinueClick(g_);
      break;
    case MenuId::kConfig:
      ConfigClick();
      break;
    case MenuId::kCoach:
    case MenuId::kHintLevel:
      break;
    case MenuId::kHint:
    case MenuId::kReview:
    case MenuId::kNextMistake:
    case MenuId::kTryAgain:
      coach_->MenuClick(id);
      break;
    case MenuId::kNone:
    case MenuId::kCount:
      break;
  }
}

void MainWindow::MenuEJ() {
  for (const MenuEntry& e : kMenuTable) {
    if (Action(e.id)) SetVariant(e.id, VariantOf(e.id));
  }
  if (autoTwinNotice_) {
    autoTwinNotice_->setText(FromCp932(NoticeText(Notice::kAutoTwinOn, g_.cfg.EnglishUI)));
  }
  if (coach_) coach_->Retranslate();
  for (int i = 0; i < kReplaySpeedCount; ++i) {
    if (QAction* a = speedActions_[static_cast<size_t>(i)]) {
      a->setText(FromCp932(ReplaySpeedCaption(kReplaySpeeds[i].speed, g_.cfg.EnglishUI)));
    }
  }
  // The line under the picture speaks the new language at once, not only from the next turn.
  if (status_ && !status_->text().isEmpty()) ShowStatus(StatusLine(g_));
}

CaptionVariant MainWindow::VariantOf(MenuId id) const {
  return variants_[static_cast<size_t>(id)];
}

void MainWindow::SetVariant(MenuId id, CaptionVariant variant) {
  variants_[static_cast<size_t>(id)] = variant;
  const MenuEntry& e = MenuEntryOf(id);
  QString text = MenuText(MenuCaption(id, g_.cfg.EnglishUI, variant), e.accelerator);
  // A game key is no shortcut of the item: the menu names it where shortcuts stand.
  if (const char* key = GameKeyName(id)) text += QLatin1Char('\t') + QString::fromLatin1(key);
  Action(id)->setText(text);
}

void MainWindow::SyncEditChecks() {
  Action(MenuId::kEditMode)->setChecked(g_.ctl.EditMode);
  Action(MenuId::kAutoTwin)->setChecked(g_.ctl.AutoTwin);
  autoTwinNotice_->setVisible(g_.ctl.AutoTwin);
}

QString MainWindow::RecordDirectory() const {
  return QFile::decodeName(QByteArray::fromStdString(RecordDir(g_)));
}

void MainWindow::SaveAsClick() {
  if (!CanSaveAs(g_)) {  // nothing to save yet: said so, and no dialog
    BackFromDialog();
    return;
  }
  const FileAsker& ask = options_.askSaveFile;
  const QString filter = QString::fromLatin1(kRecordFilter);
  const QString chosen = ask ? ask(this, RecordDirectory(), filter)
                             : DefaultAsk(true, this, RecordDirectory(), filter);
  BackFromDialog();
  if (chosen.isEmpty()) return;
  SaveAs(g_, QFile::encodeName(chosen).toStdString());
}

void MainWindow::LoadClick() {
  if (g_.ctl.MatchRunning || g_.ctl.InLoop()) return;
  const FileAsker& ask = options_.askOpenFile;
  const QString filter = QString::fromLatin1(kRecordFilter);
  const QString chosen = ask ? ask(this, RecordDirectory(), filter)
                             : DefaultAsk(false, this, RecordDirectory(), filter);
  BackFromDialog();
  if (chosen.isEmpty()) return;
  LoadFromPath(QFile::encodeName(chosen).toStdString());
}

void MainWindow::LoadFromPath(const std::string& path) {
  if (!g_.ctl.InLoop()) KeepUnkept();
  host_.HoldErrors();
  const LoadOutcome outcome = LoadFile(g_, path);
  host_.ReleaseErrors(outcome == LoadOutcome::kFailed);
}

// ---- Comment mode ----

void MainWindow::CommentClick() {
  if (!commentMode_) {
    commentMode_ = true;
    btClear_->setEnabled(true);
    memo_->setReadOnly(false);
    memo_->setFocusPolicy(Qt::StrongFocus);
    SetVariant(MenuId::kComment, CaptionVariant::kCommentEnd);
    memo_->setFocus();
    memo_->moveCursor(QTextCursor::End);
    // The match (if one runs below this handler) waits until the comment is done.
    while (commentMode_ && !closing_) host_.WaitForPerson();
    return;
  }
  commentMode_ = false;
  memo_->setReadOnly(true);
  memo_->setFocusPolicy(Qt::NoFocus);
  StoreComment(g_, MemoLines(ToCp932(memo_->toPlainText())));
  ShowRecordInMoveList();  // the comment is part of the record it lists
  SetVariant(MenuId::kComment, CaptionVariant::kPlain);
  FocusKeys();
  btClear_->setEnabled(false);
}

void MainWindow::ClearClick() {
  memo_->clear();
  memo_->setFocus();
}

// ---- Configuration ----

void MainWindow::ConfigClick() {
  if (g_.ctl.MatchRunning || g_.ctl.InLoop()) return;
  const int level1 = cbx1_->currentIndex();
  const int level2 = cbx2_->currentIndex();
  if (options_.configDialog) options_.configDialog(this);
  qtTexts_.Apply(g_.cfg.EnglishUI);
  MenuEJ();
  ShowRecordInMoveList();  // in the language chosen
  FillLevelSelectors();
  ShowLevels(level1, level2);
  field_->update();
  BackFromDialog();
}

// ---- Controls ----

void MainWindow::ControlsClick() {
  if (closing_) return;
  ControlsDialog dialog(g_.ctl.Steering, g_.cfg.EnglishUI, this);
  if (dialog.exec() == QDialog::Accepted && !closing_) {
    g_.ctl.Steering = dialog.Options();
    SaveSteeringOptions(g_.cfg.AppDir, g_.ctl.Steering);
    ShowLanding(g_);  // a twin being steered gains or loses its outline at once
  }
  BackFromDialog();
}

// ---- Studying the record ----

void MainWindow::MoveListClick() {
  if (closing_) return;
  if (!moveList_) {
    moveList_ = new MoveListWindow(this);
    // It opens beside the window without taking the keyboard from the game.
    moveList_->setAttribute(Qt::WA_ShowWithoutActivating);
    moveList_->setFont(MakeFont(GothicFace(), 11));
    moveList_->onTurnClicked = [this](int32_t turn) {
      if (closing_ || commentMode_) return;
      BackFromDialog();  // the arrows step on from the turn clicked
      GoToTurn(g_, turn);
    };
    PlaceMoveList();
    coach_->DecorateMoveList();  // a review done before the list was opened
  }
  moveList_->ShowRecord(g_);
  moveList_->show();
  moveList_->raise();
  BackFromDialog();
}

void MainWindow::PlaceMoveList() {
  // To the right of the window, as tall as it; on a narrow screen it takes the room left
  // there (down to a width that still shows both moves) rather than covering the fields.
  constexpr int kWidth = 480;
  constexpr int kMinWidth = 340;
  const QRect main = frameGeometry();
  const QRect room = screen() ? screen()->availableGeometry() : QRect(0, 0, 4096, 4096);
  const int left = main.right() + 1;
  const int width = std::clamp(room.right() + 1 - left, kMinWidth, kWidth);
  const int x = std::max(room.left(), std::min(left, room.right() + 1 - width));
  moveList_->resize(width, std::max(geometry().height(), 200));
  moveList_->move(x, main.top());
}

void MainWindow::GoToTurnClick() {
  if (closing_ || commentMode_ || !CanStudy(g_)) return;
  const int32_t last = LastTurn(g_);
  const TurnQuestion q = GoToTurnQuestion(g_.cfg.EnglishUI, last);
  const QString title = FromCp932(q.title);
  const QString label = FromCp932(q.label);
  const int value = std::clamp<int32_t>(StudyTurn(g_), 0, last);
  const std::optional<int> chosen = options_.askTurn
                                        ? options_.askTurn(this, title, label, value, 0, last)
                                        : DefaultAskTurn(this, title, label, value, 0, last);
  BackFromDialog();
  if (!chosen || closing_) return;
  GoToTurn(g_, *chosen);  // returns when the replay stops, if it was not running
}

void MainWindow::ReplayKeyClick(int i) {
  if (closing_ || commentMode_ || i < 0 || i >= kReplayKeyCount) return;
  FocusKeys();
  RunStudyAction(g_, ReplayKeys()[i].action);
}

void MainWindow::SameDealClick() {
  if (closing_ || commentMode_) return;
  // Refused, like Start, while the loop still finishes its turn after Stop.
  if (!g_.ctl.InLoop()) KeepUnkept();
  StartSameDeal(g_, cbx1_->currentIndex(), cbx2_->currentIndex());
}

void MainWindow::RefreshRecordItems(bool running) {
  for (const MenuEntry& e : kMenuTable) {
    if (const std::optional<bool> on = RecordItemEnabled(g_, e.id, running)) {
      Action(e.id)->setEnabled(*on);
    }
  }
}

void MainWindow::ShowRecordInMoveList() {
  if (moveList_) moveList_->ShowRecord(g_);
}

void MainWindow::RecordLoaded() {
  coach_->RecordLoaded();
  RefreshRecordItems(g_.ctl.MatchRunning);
  ShowRecordInMoveList();
}

void MainWindow::PositionShown() {
  coach_->PositionShown();
  RefreshRecordItems(g_.ctl.MatchRunning);
  if (!moveList_) return;
  // A live match adds a row every turn; a take back or a new match changes the rows too.
  if (!CanStudy(g_) || moveList_->Table()->rowCount() != LastTurn(g_) + 1) {
    moveList_->ShowRecord(g_);
  } else {
    moveList_->Follow(g_);
  }
}

// ---- Level selectors ----

void MainWindow::FillLevelSelectors() {
  const QSignalBlocker block1(cbx1_);
  const QSignalBlocker block2(cbx2_);
  cbx1_->clear();
  for (int i = 0; i < kLevelCount; ++i) cbx1_->addItem(FromCp932(LevelName(i, g_.cfg.EnglishUI)));
  cbx2_->clear();
  for (int i = 0; i < cbx1_->count(); ++i) cbx2_->addItem(cbx1_->itemText(i));
}

void MainWindow::LevelChanged() {
  const int left = LevelSelectorsChanged(g_, cbx1_->currentIndex(), cbx2_->currentIndex());
  if (left != cbx1_->currentIndex()) {
    const QSignalBlocker block(cbx1_);
    cbx1_->setCurrentIndex(left);
  }
}

// ---- What the view asks for ----

void MainWindow::ClearMemo() {
  memo_->clear();
}

void MainWindow::AddMemoLine(const std::string& line) {
  memo_->appendPlainText(FromCp932(line));
}

void MainWindow::SetCaption(const std::string& caption) {
  // The core has already turned the record's file name into CP932 like the title.
  setWindowTitle(FromCp932(caption));
}

void MainWindow::SetMatchRunning(bool running) {
  for (const MenuEntry& e : kMenuTable) {
    if (e.idleOnly) Action(e.id)->setEnabled(!running);
  }
  cbx1_->setEnabled(!running);
  cbx2_->setEnabled(!running);
  SetVariant(MenuId::kStopContinue, running ? CaptionVariant::kStop : CaptionVariant::kContinue);
  RefreshRecordItems(running);
  coach_->MatchRunningChanged(running);
  if (running && !commentMode_) FocusKeys();
}

void MainWindow::EnableStopContinue() {
  Action(MenuId::kStopContinue)->setEnabled(true);
}

void MainWindow::EnableReplayButtons(bool enabled) {
  for (QPushButton* b : {btLoadEnd_, btStop_, btNext_, btTail_}) b->setEnabled(enabled);
}

void MainWindow::ShowLevels(int level1, int level2) {
  const QSignalBlocker block1(cbx1_);
  const QSignalBlocker block2(cbx2_);
  cbx1_->setCurrentIndex(level1);
  cbx2_->setCurrentIndex(level2);
}

void MainWindow::RebuildBackground() {
  TF_File_BGPLoad(g_, pictures_);
}

void MainWindow::BackFromDialog() {
  // Not every desktop gives the keyboard back to the window when a dialog closes.
  activateWindow();
  FocusKeys();
}

void MainWindow::FocusKeys() {
  if (!commentMode_) catcher_->setFocus();
}

// ---- Keys for the program while the memo has the focus ----

QAction* MainWindow::ShortcutAction(const QKeyEvent& key) const {
  const QKeySequence pressed(key.keyCombination());
  for (QAction* a : actions_) {
    if (a && !a->shortcut().isEmpty() && a->shortcut() == pressed) return a;
  }
  return nullptr;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched != memo_) return QMainWindow::eventFilter(watched, event);
  if (event->type() == QEvent::ShortcutOverride) {
    // The memo would take Ctrl+C, Ctrl+V and Ctrl+Z as copy, paste and undo; they are the
    // program's Comment, Save As and Stop/Continue.
    if (ShortcutAction(*static_cast<QKeyEvent*>(event))) {
      event->ignore();
      return true;
    }
  } else if (event->type() == QEvent::KeyPress) {
    if (QAction* a = ShortcutAction(*static_cast<QKeyEvent*>(event))) {
      if (a->isEnabled()) a->trigger();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

// ---- Closing ----

void MainWindow::closeEvent(QCloseEvent* event) {
  // Every wait ends and the match loop unwinds without finishing its turn or saving; the
  // pacing no longer waits, so the animation in progress ends at once.
  // The match as it stands, before the loop unwinds: closing must not lose it.
  if (!closing_) KeepUnkept();
  closing_ = true;
  commentMode_ = false;
  paintTimer_.stop();
  if (moveList_) moveList_->close();
  coach_->Shutdown();
  CloseRequested(g_);
  host_.FinishQuickly();
  // The last window closing ends the application's event loop once the handlers below
  // this one have returned.
  event->accept();
}

}  // namespace dalu
