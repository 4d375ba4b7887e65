// What the match core asks of the main window besides the playfield: the memo, the
// caption, the menu and button states that follow the match state, the level selectors and
// the background picture. The window implements it with widgets; headless runs print the
// memo or stay quiet; tests record every call.
//
// All text is CP932 bytes.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace dalu {

struct Game;

class MatchView {
 public:
  virtual ~MatchView() = default;

  // ---- The memo ----
  virtual void ClearMemo() = 0;
  virtual void AddMemoLine(const std::string& line) = 0;

  // ---- Window state ----
  // The window caption (built by FormTitle).
  virtual void SetCaption(const std::string& caption) = 0;
  // Running: Start, Config and both level selectors disabled, the focus on the
  // key-catching control, Stop/Continue reads "Stop(Z)". Stopped: all of them enabled again
  // and Stop/Continue reads "Continue(Z)". Called by MMnotEnable and MMEnable.
  virtual void SetMatchRunning(bool running) = 0;
  // Enables the Stop/Continue item (it is disabled until the first start or load).
  virtual void EnableStopContinue() = 0;
  // Enables or disables the four replay buttons.
  virtual void EnableReplayButtons(bool enabled) = 0;
  // The level selectors show these levels (0 the user, 1..9 a computer level).
  virtual void ShowLevels(int level1, int level2) = 0;
  // The field size changed: rebuild the background picture for it.
  virtual void RebuildBackground() = 0;

  // The status line under the picture (status_line.h) says this.
  virtual void ShowStatus(const std::string&) {}

  // ---- Headless hooks ----
  // A turn has been played to its end (the window ignores it; the command-line tool prints
  // the fields).
  virtual void TurnEnded(const Game&) {}

  // ---- Studying a record (study.h) ----
  // A record has been loaded for replay: a move list rebuilds its rows.
  virtual void RecordLoaded(const Game&) {}
  // A jump has drawn the position after a turn whole (ShownTurn tells which).
  virtual void PositionRebuilt(const Game&) {}
  // The match loop has returned (not for closing): a match that stopped or ended may be
  // studied now, so the items that follow the record change.
  virtual void LoopReturned(const Game&) {}
};

// Does nothing: tournaments, benchmarks, and games nobody looks at. Views that care about
// only a few calls start from it.
class QuietView : public MatchView {
 public:
  void ClearMemo() override {}
  void AddMemoLine(const std::string&) override {}
  void SetCaption(const std::string&) override {}
  void SetMatchRunning(bool) override {}
  void EnableStopContinue() override {}
  void EnableReplayButtons(bool) override {}
  void ShowLevels(int, int) override {}
  void RebuildBackground() override {}
};

// Prints every memo line, converted to UTF-8, as it is added; with showFields also both
// fields side by side after every turn.
class PrintingView final : public QuietView {
 public:
  explicit PrintingView(std::ostream& out, bool showFields = false)
      : out_(out), showFields_(showFields) {}
  void AddMemoLine(const std::string& line) override;
  void TurnEnded(const Game& g) override;

 private:
  std::ostream& out_;
  bool showFields_;
};

// Keeps what was asked for, for tests.
class RecordingView final : public MatchView {
 public:
  void ClearMemo() override {
    memo.clear();
    ++memoClears;
  }
  void AddMemoLine(const std::string& line) override {
    memo.push_back(line);
    allLines.push_back(line);
  }
  void SetCaption(const std::string& c) override { caption = c; }
  void SetMatchRunning(bool r) override {
    running = r;
    runningCalls.push_back(r);
  }
  void EnableStopContinue() override { stopContinueEnabled = true; }
  void EnableReplayButtons(bool e) override { replayButtons = e; }
  void ShowLevels(int l1, int l2) override {
    levels[0] = l1;
    levels[1] = l2;
  }
  void RebuildBackground() override { ++backgroundRebuilds; }
  void TurnEnded(const Game&) override { ++turnsEnded; }
  void ShowStatus(const std::string& s) override { status = s; }

  std::vector<std::string> memo;      // the memo as it stands
  std::vector<std::string> allLines;  // every line ever added
  int memoClears = 0;
  std::string caption;
  bool running = false;
  std::vector<bool> runningCalls;
  bool stopContinueEnabled = false;
  bool replayButtons = false;
  int levels[2] = {-1, -1};
  int backgroundRebuilds = 0;
  int turnsEnded = 0;
  std::string status;
};

// A field as text: rows H down to 1, W characters each: "." empty, "1".."9" a colour,
// "X" an obstruct bead.
std::vector<std::string> FieldRows(const Game& g, int side);

}  // namespace dalu
