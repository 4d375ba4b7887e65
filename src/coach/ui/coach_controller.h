// The coach in the window: the hint while a keyboard side steers, the review of the record
// with its graph and marks, Next mistake, and trying a marked move again.
//
// Everything it shows comes from the core (coach/ask.h, coach/review.h); the controller
// takes a copy of what the core needs on the window's thread, lets the core work on a
// thread of its own, and shows the answer when it comes back, so the window never waits
// for a player or a playout. An answer that comes after the game has moved on is dropped.
//
// It talks to the match as every other handler does: it reads the game between the
// loop's steps, and goes to a turn through the study (GoToTurn), which may run the replay
// nested inside this handler like a click on the move list.
#pragma once

#include <QObject>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "coach/ask.h"
#include "coach/review.h"
#include "match/menu_table.h"

class QAction;
class QActionGroup;
class QMenu;
class QThread;
class QWidget;

namespace dalu {

struct CoachProgress;
struct Game;
struct FieldPictures;
class GhostOverlay;
class HintWindow;
class MoveListWindow;
class ReviewWindow;

class CoachController : public QObject {
 public:
  // What the main window lends the coach.
  struct Parts {
    QWidget* window = nullptr;   // the main window: parent of the coach's windows
    QWidget* picture = nullptr;  // the 673 x 529 playfield the ghost is drawn over
    std::function<QAction*(MenuId)> action;
    std::function<MoveListWindow*()> moveList;  // null until the move list was opened
    std::function<void()> giveKeysBack;         // the keyboard back to the game
  };

  CoachController(Game& g, const FieldPictures& pictures, Parts parts);
  ~CoachController() override;

  // After the program directory is known: the hint's settings from the program's INI file.
  void StartUp();
  // Captions in the current language (the menu's own captions come from the menu table).
  void Retranslate();
  // The coach's menu items.
  void MenuClick(MenuId id);
  // A record was loaded: an earlier review no longer belongs to it.
  void RecordLoaded();
  // A match or a replay starts or stops running: the hint watches only a running match.
  void MatchRunningChanged(bool running);
  // A turn ended or a jump drew a position.
  void PositionShown();
  // The move list was (re)filled: it gets the review's columns again.
  void DecorateMoveList();
  // A key of the key-catching control, before the game's handlers: a try takes the
  // steering keys. True when the key was taken.
  bool TakeKey(int virtualKey, bool keyUp);
  // The game has handled a key: a dropped twin takes its hint with it.
  void AfterKey();
  // The window closes: every computation is cancelled and waited for.
  void Shutdown();

  // ---- For tests ----
  // The review's parameters (the measured defaults unless set).
  void SetReviewParams(const ReviewParams& params) { params_ = params; }
  bool HintOn() const { return hintOn_; }
  int HintLevel() const { return hintLevel_; }
  bool Busy() const;  // a hint, a review or a try is being computed
  bool Reviewed() const { return result_ != nullptr; }
  bool Trying() const { return try_.active; }
  const ReviewResult* Result() const { return result_.get(); }
  GhostOverlay* Ghost() const { return ghost_; }
  HintWindow* Hints() const { return hints_; }
  ReviewWindow* ReviewPanel() const { return review_; }

 private:
  // A computation on a thread of its own; `done` runs on the window's thread. A background
  // one (a review, a try) runs at a lower priority than the window.
  void RunAside(std::function<void()> work, std::function<void()> done, bool background = false);

  // ---- Hint ----
  void SetHintOn(bool on);
  void SetHintLevel(int level);
  void SaveHintSettings() const;
  void WatchTick();
  void HintAnswered(uint64_t generation, const HintRequest& request, const Advice& advice);
  void ClearHint();
  QString HintHeading(int level) const;  // "Hint: " and the level's name

  // ---- Review ----
  void StartReview();
  void DropReview();
  void ShowReview();
  void NextMistake();
  void ShowProgressText(const std::shared_ptr<CoachProgress>& progress);
  void UpdateActions();

  // ---- Try again ----
  void TryAgainClick();
  void BeginTry(int32_t turn, int side);
  void DrawTryTwin(bool draw);
  void TryDropped();
  void EndTry();

  // The ghost on the cells where the move's beads would land on the position (in the
  // match's bead pictures; a bead above the field is lost and not shown).
  void ShowLanding(const Engine& position, int side, const TwinMove& move);
  void PlaceWindows();
  void GoTo(int32_t turn);

  Game& g_;
  const FieldPictures& pictures_;
  Parts parts_;
  GhostOverlay* ghost_ = nullptr;
  HintWindow* hints_ = nullptr;
  ReviewWindow* review_ = nullptr;
  QMenu* levelMenu_ = nullptr;
  QActionGroup* levelGroup_ = nullptr;
  QTimer watch_;     // follows the steering side while the hint is on or a try waits
  QTimer progress_;  // shows a running review's progress
  std::vector<QThread*> threads_;
  bool closing_ = false;

  // The hint: on or off, its level, and the question it answers (or is answering).
  bool hintOn_ = false;
  int hintLevel_ = kReviewDefaultLevel;
  uint64_t hintGeneration_ = 0;
  struct HintKey {
    int side = 0;
    int32_t turn = -1;
    int level = 0;
    bool operator==(const HintKey&) const = default;
  } hintKey_;

  // The review of the record and what it was taken from.
  ReviewParams params_;
  ReviewSource source_;
  std::shared_ptr<const ReviewResult> result_;
  std::shared_ptr<CoachProgress> running_;  // the review or try being computed
  int32_t mistakeTurn_ = 0;                 // the marked move Next mistake went to
  int mistakeSide_ = 1;

  // A try: the position before the turn, the twin the user steers, and whether it stands
  // on the screen (the replay waits at that turn).
  struct Try {
    bool active = false;
    bool steering = false;
    bool drawn = false;
    int32_t turn = 0;
    int side = 1;
    TurnPosition position;
    TwinMove twin = {};
    uint32_t lastKey = 0;
  } try_;
};

}  // namespace dalu
