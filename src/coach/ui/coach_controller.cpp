#include "coach/ui/coach_controller.h"

#include <sys/resource.h>

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QThread>
#include <QWidget>
#include <algorithm>

#include "coach/coach_texts.h"
#include "coach/try_steering.h"
#include "coach/ui/chance_graph.h"
#include "coach/ui/ghost_overlay.h"
#include "coach/ui/hint_window.h"
#include "coach/ui/review_window.h"
#include "engine/field_draw.h"
#include "engine/twins.h"
#include "engine/ui/image_canvas.h"
#include "match/game.h"
#include "match/steering.h"
#include "match/study.h"
#include "match/ui/move_list_window.h"
#include "players/levels.h"
#include "util/ui/program_settings.h"
#include "util/ui/qt_text.h"

namespace dalu {

// What a review or a try running aside reports, and the flag that stops it.
struct CoachProgress {
  std::atomic<int64_t> done{0};
  std::atomic<int64_t> total{0};
  std::atomic<bool> cancel{false};
};

namespace {

constexpr int kWatchMs = 50;         // how soon the hint notices a new twin to steer
constexpr int kProgressMs = 100;     // how often a running review's bar moves
constexpr int kBackgroundNice = 10;  // a review's threads under the window's (nice 0)
constexpr const char* kHintOnKey = "Coach/hint";
constexpr const char* kHintLevelKey = "Coach/hintLevel";

int MarkLevel(ReviewMark m) {
  return m == ReviewMark::kMistake ? 2 : m == ReviewMark::kDubious ? 1 : 0;
}

QString Move(const TwinMove& m) {
  return QString::fromStdString(MoveField(true, m.Column, m.Rotation));
}

}  // namespace

CoachController::CoachController(Game& g, const FieldPictures& pictures, Parts parts)
    : QObject(parts.window), g_(g), pictures_(pictures), parts_(std::move(parts)) {
  ghost_ = new GhostOverlay(pictures_, parts_.picture);
  hints_ = new HintWindow(parts_.window);
  review_ = new ReviewWindow(parts_.window);
  for (QWidget* w : std::initializer_list<QWidget*>{hints_, review_}) {
    // Beside the main window without taking the keyboard from the game.
    w->setAttribute(Qt::WA_ShowWithoutActivating);
  }
  review_->Graph()->onTurnClicked = [this](int32_t turn) {
    EndTry();
    GoTo(turn);
  };
  review_->onCancel = [this] {
    if (running_) running_->cancel = true;
  };
  review_->onNextMistake = [this] { NextMistake(); };
  review_->onTryAgain = [this] { TryAgainClick(); };

  levelMenu_ = new QMenu(parts_.window);
  levelGroup_ = new QActionGroup(levelMenu_);
  levelGroup_->setExclusive(true);
  for (int level = 1; level < kLevelCount; ++level) {
    QAction* a = levelMenu_->addAction(QString());
    a->setCheckable(true);
    a->setChecked(level == hintLevel_);
    levelGroup_->addAction(a);
    connect(a, &QAction::triggered, this, [this, level] { SetHintLevel(level); });
  }
  parts_.action(MenuId::kHintLevel)->setMenu(levelMenu_);

  connect(&watch_, &QTimer::timeout, this, &CoachController::WatchTick);
  connect(&progress_, &QTimer::timeout, this, [this] {
    if (running_) ShowProgressText(running_);
  });
  Retranslate();
  UpdateActions();
}

CoachController::~CoachController() {
  Shutdown();
}

void CoachController::RunAside(std::function<void()> work, std::function<void()> done,
                               bool background) {
  QThread* thread = QThread::create([work = std::move(work), background] {
    // A review keeps every core busy for seconds: its threads (made by this one, which
    // hands them its nice value) give way to the window's, so the window answers at once.
    // On Linux the value is the calling thread's own.
    if (background) setpriority(PRIO_PROCESS, 0, kBackgroundNice);
    work();
  });
  threads_.push_back(thread);
  connect(thread, &QThread::finished, this, [this, thread, done = std::move(done)] {
    // Shutdown may have waited for and deleted the thread already.
    const auto it = std::find(threads_.begin(), threads_.end(), thread);
    if (it == threads_.end()) return;
    threads_.erase(it);
    thread->deleteLater();
    if (!closing_) done();
  });
  thread->start();
}

bool CoachController::Busy() const {
  return running_ != nullptr || !threads_.empty();
}

void CoachController::Shutdown() {
  closing_ = true;
  watch_.stop();
  progress_.stop();
  if (running_) running_->cancel = true;
  for (QThread* t : threads_) {
    t->wait();
    delete t;
  }
  threads_.clear();
}

// ---- Start-up, captions, menu ----

void CoachController::StartUp() {
  const std::unique_ptr<QSettings> s = OpenProgramSettings(g_.cfg.AppDir);
  hintLevel_ = std::clamp(s->value(QString::fromLatin1(kHintLevelKey), kReviewDefaultLevel).toInt(),
                          1, kLevelCount - 1);
  levelGroup_->actions()[hintLevel_ - 1]->setChecked(true);
  SetHintOn(s->value(QString::fromLatin1(kHintOnKey), false).toBool());
}

void CoachController::SaveHintSettings() const {
  if (g_.cfg.AppDir.empty()) return;  // before start-up: nowhere to keep them yet
  const std::unique_ptr<QSettings> s = OpenProgramSettings(g_.cfg.AppDir);
  s->setValue(QString::fromLatin1(kHintOnKey), hintOn_);
  s->setValue(QString::fromLatin1(kHintLevelKey), hintLevel_);
}

void CoachController::Retranslate() {
  const bool en = g_.cfg.EnglishUI;
  auto text = [en](CoachText id) { return FromCp932(CoachString(id, en)); };
  const QList<QAction*> levels = levelGroup_->actions();
  for (int level = 1; level < kLevelCount; ++level) {
    levels[level - 1]->setText(FromCp932(LevelName(level, en)));
  }
  hints_->SetHeaders(HintHeading(hintLevel_),
                     {text(CoachText::kColumnHeader), text(CoachText::kRotationHeader),
                      text(CoachText::kScoreHeader)});
  ReviewWindow::Captions c;
  c.title = text(CoachText::kReviewTitle);
  c.cancel = text(CoachText::kReviewCancel);
  c.graph = text(CoachText::kGraphTitle);
  c.side1 = QStringLiteral("1P");
  c.side2 = QStringLiteral("2P");
  c.nextMistake = text(CoachText::kTryAgainNext);
  c.tryAgain = FromCp932(MenuCaption(MenuId::kTryAgain, en));
  c.anotherTry = text(CoachText::kTryAgainAnother);
  review_->SetCaptions(c);
  DecorateMoveList();
}

void CoachController::MenuClick(MenuId id) {
  if (closing_) return;
  switch (id) {
    case MenuId::kHint:
      SetHintOn(!hintOn_);
      break;
    case MenuId::kReview:
      StartReview();
      break;
    case MenuId::kNextMistake:
      NextMistake();
      break;
    case MenuId::kTryAgain:
      TryAgainClick();
      break;
    default:
      break;
  }
}

void CoachController::UpdateActions() {
  const bool reviewed = result_ != nullptr;
  parts_.action(MenuId::kReview)->setEnabled(running_ == nullptr);
  parts_.action(MenuId::kNextMistake)->setEnabled(reviewed);
  parts_.action(MenuId::kTryAgain)->setEnabled(reviewed && running_ == nullptr);
  review_->EnableActions(reviewed, reviewed && running_ == nullptr,
                         try_.active && !try_.steering && running_ == nullptr);
}

void CoachController::PlaceWindows() {
  // Under the main window: the hint on the left, the review beside it, both as tall as
  // the room left there (the move list stands to the right of the main window).
  constexpr int kHintWidth = 300;
  constexpr int kReviewWidth = 560;
  constexpr int kMinHeight = 200;
  const QRect main = parts_.window->frameGeometry();
  const QScreen* screen = parts_.window->screen();
  const QRect room = screen ? screen->availableGeometry() : QRect(0, 0, 4096, 4096);
  const int top = main.bottom() + 1;
  const int height = std::max(kMinHeight, room.bottom() + 1 - top);
  hints_->setGeometry(main.left(), std::min(top, room.bottom() + 1 - height), kHintWidth, height);
  const int left = main.left() + kHintWidth + 4;
  const int width = std::clamp(room.right() + 1 - left, kHintWidth, kReviewWidth);
  review_->setGeometry(left, std::min(top, room.bottom() + 1 - height), width, height);
}

void CoachController::GoTo(int32_t turn) {
  if (parts_.giveKeysBack) parts_.giveKeysBack();
  GoToTurn(g_, turn);  // may run the replay nested, until it stops
}

// ---- Hint ----

void CoachController::SetHintOn(bool on) {
  hintOn_ = on;
  parts_.action(MenuId::kHint)->setChecked(on);
  SaveHintSettings();
  if (on) {
    PlaceWindows();
    hints_->show();
    watch_.start(kWatchMs);
    WatchTick();
  } else {
    ClearHint();
    hints_->hide();
    if (!try_.active) watch_.stop();
  }
}

void CoachController::SetHintLevel(int level) {
  hintLevel_ = std::clamp(level, 1, kLevelCount - 1);
  levelGroup_->actions()[hintLevel_ - 1]->setChecked(true);
  SaveHintSettings();
  Retranslate();
  ClearHint();  // asked again at the new level
  if (hintOn_) WatchTick();
}

void CoachController::ClearHint() {
  ++hintGeneration_;  // an answer on its way is no longer wanted
  hintKey_ = {};
  ghost_->Clear();
  hints_->ShowMessage(HintHeading(hintLevel_));  // the level stays named meanwhile
}

QString CoachController::HintHeading(int level) const {
  const bool en = g_.cfg.EnglishUI;
  return FromCp932(CoachFormat(CoachText::kHintTitle, en, {LevelName(level, en)}));
}

void CoachController::WatchTick() {
  if (closing_) return;
  // A try's twin appears once the replay waits at the try's turn.
  if (try_.active && try_.steering && !try_.drawn && g_.ctl.StepWaitActive &&
      ShownTurn(g_) == try_.turn - 1) {
    DrawTryTwin(true);
  }
  // Nothing to watch while no match runs (MatchRunningChanged starts the watch again).
  if (!try_.active && (!hintOn_ || !g_.ctl.MatchRunning)) watch_.stop();
  if (!hintOn_) return;
  // Only a keyboard side that is not chaining can be waited for; everything else about
  // the question (is its move awaited now?) the core decides.
  const int side = g_.ctl.InputSide;
  const bool maySteer = g_.ctl.MatchRunning && !g_.ctl.ReplayMode && side >= 1 && side <= 2 &&
                        g_.eng.PlayerLevel[side] == 0 && g_.eng.Boards[side].ChainCount == 0;
  const HintKey key{side, g_.eng.TurnNumber, hintLevel_};
  if (maySteer && key == hintKey_) return;  // asked already
  const HintRequest request = maySteer ? TakeHintRequest(g_, side, hintLevel_) : HintRequest{};
  if (!request.Valid()) {
    if (hintKey_ != HintKey{}) ClearHint();
    return;
  }
  ClearHint();
  hintKey_ = key;
  hints_->ShowMessage(HintHeading(hintLevel_) + QLatin1Char('\n') +
                      FromCp932(CoachString(CoachText::kHintThinking, g_.cfg.EnglishUI)));
  const uint64_t generation = hintGeneration_;
  auto advice = std::make_shared<Advice>();
  RunAside([request, advice] { *advice = AnswerHint(request); },
           [this, generation, request, advice] { HintAnswered(generation, request, *advice); });
}

void CoachController::HintAnswered(uint64_t generation, const HintRequest& request,
                                   const Advice& advice) {
  if (generation != hintGeneration_ || !hintOn_) return;
  const bool en = g_.cfg.EnglishUI;
  QString heading = HintHeading(request.Level);
  if (advice.Emergency) {
    heading += QLatin1Char('\n') + FromCp932(CoachString(CoachText::kHintEmergency, en));
  }
  std::vector<HintWindow::Row> rows;
  int chosen = -1;
  for (const CandidateRow& c : advice.Table) {
    if (chosen < 0 && !c.Blocked && c.Column == advice.Move.Column &&
        c.Rotation == advice.Move.Rotation) {
      chosen = static_cast<int>(rows.size());
    }
    rows.push_back(
        {QString::number(c.Column), QString::number(c.Rotation),
         c.Blocked ? FromCp932(CoachString(CoachText::kBlocked, en)) : QString::number(c.Score)});
  }
  hints_->ShowCandidates(heading, rows, chosen);
  // The ghost: the chosen move's beads on the cells they would land on.
  if (advice.Move.Column != 0) ShowLanding(*request.Position, request.Side, advice.Move);
}

// ---- Review ----

void CoachController::ShowProgressText(const std::shared_ptr<CoachProgress>& progress) {
  const int64_t done = progress->done;
  const int64_t total = progress->total;
  const int scale = total > 100000 ? 1000 : 1;  // a progress bar counts in int
  review_->ShowProgress(static_cast<int>(done / scale), static_cast<int>(total / scale),
                        FromCp932(CoachFormat(CoachText::kReviewProgress, g_.cfg.EnglishUI,
                                              {std::to_string(done), std::to_string(total)})));
}

void CoachController::StartReview() {
  if (running_ || closing_) return;
  PlaceWindows();
  review_->show();
  const bool en = g_.cfg.EnglishUI;
  const ReviewSource source = TakeReviewSource(g_);
  if (!source.Valid()) {
    const bool live = g_.ctl.MatchRunning && !g_.ctl.ReplayMode;
    review_->ShowFinished(
        FromCp932(CoachString(live ? CoachText::kReviewBusy : CoachText::kReviewNothing, en)));
    return;
  }
  EndTry();
  auto progress = std::make_shared<CoachProgress>();
  auto out = std::make_shared<ReviewResult>();
  running_ = progress;
  UpdateActions();
  const ReviewParams params = params_;
  RunAside(
      [source, params, progress, out] {
        *out = Review(
            source, params,
            [progress](int64_t done, int64_t total) {
              progress->done = done;
              progress->total = total;
            },
            &progress->cancel);
      },
      [this, source, progress, out] {
        if (running_ == progress) running_.reset();
        progress_.stop();
        if (out->Cancelled) {
          review_->ShowFinished(
              FromCp932(CoachString(CoachText::kReviewCancelled, g_.cfg.EnglishUI)));
        } else {
          source_ = source;
          result_ = out;
          mistakeTurn_ = 0;
          ShowReview();
        }
        UpdateActions();
      },
      true);
  ShowProgressText(progress);
  progress_.start(kProgressMs);
}

void CoachController::ShowReview() {
  review_->ShowFinished(QString());
  std::vector<ChanceGraph::Point> points;
  if (result_) {
    for (const ReviewTurn& t : result_->Turns) {
      ChanceGraph::Point p;
      p.turn = t.Turn;
      p.chance = t.Chance1;
      for (int s = 1; s <= 2; ++s) p.mark[s] = t.Side[s].Placed ? MarkLevel(t.Side[s].Mark) : 0;
      points.push_back(p);
    }
  }
  review_->Graph()->SetPoints(std::move(points));
  review_->Graph()->SetCurrentTurn(StudyTurn(g_));
  DecorateMoveList();
}

void CoachController::DecorateMoveList() {
  MoveListWindow* list = parts_.moveList ? parts_.moveList() : nullptr;
  if (!list) return;
  if (!result_) {
    list->SetExtraColumns({}, {});
    return;
  }
  const bool en = g_.cfg.EnglishUI;
  auto header = [en](CoachText id, int side) {
    return FromCp932(CoachFormat(id, en, {std::to_string(side)}));
  };
  // Each side's chance before its moves and its marks after them, so even a narrow list
  // shows them beside the moves.
  std::vector<MoveListWindow::ExtraColumn> columns = {{header(CoachText::kChanceHeader, 1), 0},
                                                      {header(CoachText::kMarkHeader, 1), 1},
                                                      {header(CoachText::kChanceHeader, 2), 1},
                                                      {header(CoachText::kMarkHeader, 2), 2}};
  std::vector<std::vector<MoveListWindow::ExtraCell>> rows(1);  // the start row: nothing
  for (const ReviewTurn& t : result_->Turns) {
    std::vector<MoveListWindow::ExtraCell> cells;
    const double chance[3] = {0, t.Chance1, 1.0 - t.Chance1};
    for (int s = 1; s <= 2; ++s) {
      const ReviewSide& side = t.Side[s];
      cells.push_back({QString::fromStdString(PercentText(chance[s])), QString()});
      if (!side.Placed) {
        cells.push_back({QStringLiteral("-"), QString()});
        continue;
      }
      // The mark, and in its tip the review level's choice and the chance the move lost.
      const QString tip = header(CoachText::kBestHeader, s) + QStringLiteral(": ") +
                          Move(side.Best) + QLatin1Char('\n') + header(CoachText::kLossHeader, s) +
                          QStringLiteral(": ") + QString::fromStdString(PercentText(side.Loss));
      const QString mark =
          side.Mark == ReviewMark::kOk ? QString() : QString::fromLatin1(MarkText(side.Mark));
      cells.push_back({mark, tip});
    }
    rows.push_back(std::move(cells));
  }
  list->SetExtraColumns(std::move(columns), std::move(rows));
}

void CoachController::NextMistake() {
  if (!result_ || closing_) return;
  const int side = review_->ChosenSide();
  int32_t after = StudyTurn(g_);
  // Standing before the mistake last gone to, the next one is after it.
  if (mistakeTurn_ == after + 1 && mistakeSide_ == side) after = mistakeTurn_;
  const int32_t turn = NextMarkedTurn(*result_, side, after);
  if (turn < 0) {
    review_->ShowNote(FromCp932(
        CoachFormat(CoachText::kNoMoreMistakes, g_.cfg.EnglishUI, {std::to_string(side)})));
    return;
  }
  EndTry();
  mistakeTurn_ = turn;
  mistakeSide_ = side;
  const ReviewSide& s = result_->Turns[static_cast<size_t>(turn - 1)].Side[side];
  const bool en = g_.cfg.EnglishUI;
  auto header = [en, side](CoachText id) {
    return FromCp932(CoachFormat(id, en, {std::to_string(side)}));
  };
  // The turn, the mark, the better move and what was lost, as the move list's columns name them.
  review_->ShowNote(QString::number(turn) + QStringLiteral(": ") + Move(s.Move) + QLatin1Char(' ') +
                    QString::fromLatin1(MarkText(s.Mark)) + QStringLiteral("   ") +
                    header(CoachText::kBestHeader) + QStringLiteral(": ") + Move(s.Best) +
                    QStringLiteral("   ") + header(CoachText::kLossHeader) + QStringLiteral(": ") +
                    QString::fromStdString(PercentText(s.Loss)));
  UpdateActions();
  GoTo(turn - 1);  // the position the move was chosen in, its twins waiting
}

// ---- Try again ----

void CoachController::TryAgainClick() {
  if (!result_ || running_ || closing_) return;
  const int32_t shown = StudyTurn(g_);
  if (mistakeTurn_ > 0 && shown == mistakeTurn_ - 1) {
    BeginTry(mistakeTurn_, mistakeSide_);
    return;
  }
  // Not standing before a marked move: the next one of the chosen side.
  const int side = review_->ChosenSide();
  const int32_t turn = NextMarkedTurn(*result_, side, shown);
  if (turn < 0) {
    review_->ShowNote(FromCp932(
        CoachFormat(CoachText::kNoMoreMistakes, g_.cfg.EnglishUI, {std::to_string(side)})));
    return;
  }
  BeginTry(turn, side);
}

void CoachController::BeginTry(int32_t turn, int side) {
  TurnPosition position = PositionBeforeTurn(source_, turn);
  if (!position.Position || !position.Places[side]) return;
  // The twin is tried on the replay's picture of the position, so the record must be one
  // the study can show.
  if (!CanStudy(g_)) return;
  EndTry();
  ghost_->Clear();
  try_.active = true;
  try_.steering = true;
  try_.turn = turn;
  try_.side = side;
  try_.twin = position.Handed[side];
  try_.twin.Column = 4;  // where every twin starts
  try_.twin.Rotation = 0;
  try_.position = std::move(position);
  mistakeTurn_ = turn;
  mistakeSide_ = side;
  review_->ShowNote(FromCp932(CoachFormat(CoachText::kTryAgainPrompt, g_.cfg.EnglishUI,
                                          {std::to_string(side), std::to_string(turn)})));
  UpdateActions();
  watch_.start(kWatchMs);
  if (g_.ctl.StepWaitActive && ShownTurn(g_) == turn - 1) {
    WatchTick();
  } else {
    GoTo(turn - 1);  // the replay then waits at the turn and the twin appears
  }
}

void CoachController::DrawTryTwin(bool draw) {
  Engine& e = g_.eng;
  const TwinMove& shown = g_.ctl.ShownTwin[try_.side];
  if (draw) {
    EraseTwin(e, g_.canvas, try_.side, shown);
    DrawTwin(e, g_.canvas, try_.side, try_.twin);
  } else {
    // The replay's own twin back where it waits, so its next step finds what it drew.
    EraseTwin(e, g_.canvas, try_.side, try_.twin);
    if (ShownTurn(g_) == try_.turn - 1) DrawTwin(e, g_.canvas, try_.side, shown);
  }
  try_.drawn = draw;
  g_.canvas.Present();
}

bool CoachController::TakeKey(int virtualKey, bool keyUp) {
  if (!try_.active || !try_.steering || !try_.drawn) return false;
  const char action = TranslateKey(virtualKey, keyUp);
  if (action == ' ') return false;  // Home, End and the like still move through the record
  const uint32_t now = g_.host.TickMs();
  if (now - try_.lastKey < kKeyGateMs) return true;
  try_.lastKey = now;
  TwinMove next = try_.twin;
  switch (SteerTryTwin(*try_.position.Position, try_.side, next, action)) {
    case TryStep::kMoved:
      EraseTwin(g_.eng, g_.canvas, try_.side, try_.twin);
      try_.twin = next;
      DrawTwin(g_.eng, g_.canvas, try_.side, try_.twin);
      g_.canvas.Present();
      break;
    case TryStep::kDropped:
      TryDropped();
      break;
    case TryStep::kRefused:
    case TryStep::kIgnored:
      break;
  }
  return true;
}

void CoachController::TryDropped() {
  try_.steering = false;
  DrawTryTwin(false);
  auto progress = std::make_shared<CoachProgress>();
  auto out = std::make_shared<TryAgainResult>();
  running_ = progress;
  UpdateActions();
  const ReviewSource source = source_;
  const int32_t turn = try_.turn;
  const int side = try_.side;
  const TwinMove move = try_.twin;
  const ReviewParams params = params_;
  RunAside(
      [source, params, turn, side, move, progress, out] {
        *out = TryAgain(
            source, params, turn, side, move,
            [progress](int64_t done, int64_t total) {
              progress->done = done;
              progress->total = total;
            },
            &progress->cancel);
      },
      [this, progress, out, turn, side, move] {
        if (running_ == progress) running_.reset();
        progress_.stop();
        const bool en = g_.cfg.EnglishUI;
        review_->ShowFinished(QString());
        if (out->Cancelled || !out->Valid || !result_) {
          review_->ShowNote(FromCp932(CoachString(CoachText::kReviewCancelled, en)));
        } else {
          const ReviewSide& played = result_->Turns[static_cast<size_t>(turn - 1)].Side[side];
          const std::string line =
              CoachFormat(CoachText::kTryAgainResult, en,
                          {MoveField(true, move.Column, move.Rotation), PercentText(out->NewChance),
                           MoveField(true, played.Move.Column, played.Move.Rotation),
                           PercentText(out->RecordedChance),
                           MoveField(true, out->Best.Column, out->Best.Rotation),
                           PercentText(out->BestChance)});
          const CoachText verdict = out->NewChance >= out->BestChance ? CoachText::kTryAgainBetter
                                                                      : CoachText::kTryAgainWorse;
          review_->ShowNote(FromCp932(line) + QLatin1Char(' ') +
                            FromCp932(CoachString(verdict, en)));
          // Where the review level's move would have landed, while the position stands.
          if (try_.active && try_.turn == turn && try_.side == side) {
            TwinMove best = try_.position.Handed[side];
            best.Column = out->Best.Column;
            best.Rotation = out->Best.Rotation;
            ShowLanding(*try_.position.Position, side, best);
          }
        }
        UpdateActions();
      },
      true);
  ShowProgressText(progress);
  progress_.start(kProgressMs);
}

void CoachController::ShowLanding(const Engine& position, int side, const TwinMove& move) {
  auto e = std::make_unique<Engine>(position);  // a scratch copy for LandingRows
  e->WorkBoard = position.Boards[side];
  LandingRows(*e, move);
  const int32_t columns[2] = {move.Column, move.Column + DX[move.Rotation & 3]};
  const int32_t rows[2] = {e->LandRow[1], e->LandRow[2]};
  const int32_t colours[2] = {move.Colour1, move.Colour2};
  std::vector<GhostOverlay::Bead> beads;
  for (int b = 0; b < 2; ++b) {
    if (rows[b] < 1 || rows[b] > position.FieldHeight) continue;  // lost above the field
    const Pixel px = CellPixel(position, side, columns[b], rows[b]);
    beads.push_back({px.x, px.y, BeadImage(position, colours[b], 0)});
  }
  ghost_->Show(std::move(beads));
}

void CoachController::EndTry() {
  if (!try_.active) return;
  ghost_->Clear();
  if (try_.drawn) DrawTryTwin(false);
  if (running_ && !try_.steering) running_->cancel = true;
  try_ = {};
  if (!hintOn_) watch_.stop();
  UpdateActions();
}

// ---- What the window tells the coach ----

void CoachController::RecordLoaded() {
  DropReview();
}

void CoachController::DropReview() {
  EndTry();
  if (running_) running_->cancel = true;
  if (!result_) return;
  result_.reset();
  source_ = {};
  mistakeTurn_ = 0;
  review_->Graph()->SetPoints({});
  review_->ShowNote(QString());
  DecorateMoveList();
  UpdateActions();
}

void CoachController::MatchRunningChanged(bool running) {
  if (closing_) return;
  // Told just before the state changes: the watch's next tick sees it (once a match has
  // stopped, that tick takes the hint away and stops the watch).
  if (running && hintOn_) watch_.start(kWatchMs);
}

void CoachController::AfterKey() {
  if (hintOn_ && !closing_) WatchTick();  // a drop ends the question at once
}

void CoachController::PositionShown() {
  if (closing_) return;
  if (hintOn_) WatchTick();
  // A live turn writes over the record the review was made of.
  if ((result_ || running_) && g_.ctl.MatchRunning && !g_.ctl.ReplayMode) DropReview();
  review_->Graph()->SetCurrentTurn(result_ ? StudyTurn(g_) : -1);
  // The replay went on (">") or jumped while a twin was tried: the try is over.
  if (try_.active && ShownTurn(g_) != try_.turn - 1 && !(try_.steering && !try_.drawn)) {
    EndTry();
  }
}

}  // namespace dalu
