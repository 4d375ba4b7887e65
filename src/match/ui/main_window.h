// The main window: both fields on one 673 x 529 picture, the two level selectors above
// them, the memo for chain reports and comments, the replay buttons and the menu bar.
//
// The window is thin. It is handed the game and its parts (host, pictures, canvas, view)
// and turns every event into one call of the core or one match-control flag. Handlers of
// keys, buttons and menu items run nested inside the match loop's waits, exactly as the
// loop expects; closing the window ends every wait and the loop unwinds before main()
// returns.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "match/history.h"
#include "match/match_control.h"
#include "match/match_view.h"
#include "match/menu_table.h"
#include "util/ui/qt_translations.h"

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace dalu {

struct Game;
struct FieldPictures;
class HelpForm;
class CoachController;
class ImageCanvas;
class MainWindow;
class MoveListWindow;
class QtHost;

// Where the main window sends what the match loop tells it. Made before the game (which
// needs a view) and bound to the window when the window is built.
class WindowView final : public MatchView {
 public:
  void Attach(MainWindow* window) { window_ = window; }

  void ClearMemo() override;
  void AddMemoLine(const std::string& line) override;
  void SetCaption(const std::string& caption) override;
  void SetMatchRunning(bool running) override;
  void EnableStopContinue() override;
  void EnableReplayButtons(bool enabled) override;
  void ShowLevels(int level1, int level2) override;
  void RebuildBackground() override;
  void TurnEnded(const Game& g) override;
  void ShowStatus(const std::string& line) override;
  void RecordLoaded(const Game& g) override;
  void PositionRebuilt(const Game& g) override;
  void LoopReturned(const Game& g) override;

 private:
  MainWindow* window_ = nullptr;
};

// The 673 x 529 picture: shows the canvas image in its logical size, whatever the image's
// pixel density. A click gives the keyboard back to the key-catching control.
class PlayfieldWidget : public QWidget {
 public:
  PlayfieldWidget(const ImageCanvas& canvas, QWidget* parent);
  std::function<void()> onClick;
  // Until the first paint the picture stays black, whatever is drawn on the canvas: the
  // pictures are prepared on it before then and appear all at once when it comes.
  void Reveal();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  const ImageCanvas& canvas_;
  bool revealed_ = false;
};

// The control that holds the keyboard focus during play and hands the keys to the core as
// virtual-key codes. A held key repeats its key-down (the core's gate paces it); only the
// real release counts as a key-up.
class KeyCatcher : public QWidget {
 public:
  explicit KeyCatcher(QWidget* parent);
  std::function<void(int virtualKey, bool keyUp)> onKey;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  bool focusNextPrevChild(bool next) override;
};

// A file dialog: returns the chosen path, or an empty text when the user cancelled.
using FileAsker =
    std::function<QString(QWidget* parent, const QString& dir, const QString& filter)>;

// The Go to turn dialog: returns the turn chosen in min..max (starting at `value`), or
// nothing when the user cancelled.
using TurnAsker = std::function<std::optional<int>(
    QWidget* parent, const QString& title, const QString& label, int value, int min, int max)>;

struct WindowOptions {
  std::string exePath;            // the executable; the program directory is found from it
  std::vector<std::string> args;  // command-line arguments after the program's name
  std::optional<uint64_t> seed;   // the random generator's seed; the clock when unset
  int firstPaintDelayMs = 500;
  // The configuration dialog, shown modally over the window; nothing is shown when unset.
  std::function<void(QWidget* parent)> configDialog;
  // The open and save dialogs; QFileDialog when unset.
  FileAsker askOpenFile;
  FileAsker askSaveFile;
  // The Go to turn dialog; QInputDialog when unset.
  TurnAsker askTurn;
};

class MainWindow : public QMainWindow {
 public:
  static constexpr int kClientWidth = 673;
  static constexpr int kClientHeight = 529;
  static constexpr const char* kRecordFilter = "TrueDalu BattleData(*.DBD)";

  MainWindow(Game& g, QtHost& host, FieldPictures& pictures, ImageCanvas& canvas, WindowView& view,
             WindowOptions options, QWidget* parent = nullptr);
  ~MainWindow() override;

  // ---- Start-up (also reached from the first show) ----
  // Program directory and configuration, constants, captions, level lists, the random
  // seed, the welcome lines; then the first-paint timer starts. Runs once.
  void StartUp();
  // The first paint: bead pictures, background, then the record named on the command line.
  void FirstPaint();
  // Reads the pictures and draws the empty playfield on the canvas, not yet shown, so that
  // the first paint only has to show it. Runs once; a missing picture is reported at the
  // first paint.
  void PreparePictures();

  // ---- What the menu items and buttons do ----
  void MenuClick(MenuId id);
  void SaveAsClick();
  void LoadClick();
  // Loads and replays a record; a refused file is reported once and changes nothing.
  void LoadFromPath(const std::string& path);
  void CommentClick();
  void ConfigClick();
  // The Controls dialog: the steering options, applied at once and kept in the program's
  // settings file.
  void ControlsClick();
  void ClearClick();
  // The record's study: the move list window (made on first use), Go to turn, the replay
  // keys' items (entry i of ReplayKeys()), and a new match on the record's deal.
  void MoveListClick();
  void GoToTurnClick();
  void ReplayKeyClick(int i);
  void SameDealClick();
  // File > Recent, filled from History when it opens; File > Replay speed, kept in the
  // program's settings file.
  void FillRecentMenu();
  void SetReplaySpeed(ReplaySpeed speed);
  // Sets every caption of the menu in the current language (MenuEJ).
  void MenuEJ();
  // Fills both level lists in the current language; the choices are not kept.
  void FillLevelSelectors();

  // ---- What the view asks for ----
  void ClearMemo();
  void AddMemoLine(const std::string& line);
  void SetCaption(const std::string& caption);
  void SetMatchRunning(bool running);
  void EnableStopContinue();
  void EnableReplayButtons(bool enabled);
  void ShowLevels(int level1, int level2);
  void RebuildBackground();
  void ShowStatus(const std::string& line);
  // The record was loaded, a turn ended, a jump drew a position: the study items and the
  // move list follow.
  void RecordLoaded();
  void PositionShown();

  // ---- For tests ----
  QAction* Action(MenuId id) const { return actions_[static_cast<size_t>(id)]; }
  QComboBox* LevelSelector(int side) const { return side == 1 ? cbx1_ : cbx2_; }
  QPlainTextEdit* Memo() const { return memo_; }
  QLabel* StatusLabel() const { return status_; }
  QPushButton* NextButton() const { return btNext_; }
  QPushButton* TailButton() const { return btTail_; }
  QPushButton* PauseButton() const { return btStop_; }
  QPushButton* EndReplayButton() const { return btLoadEnd_; }
  QPushButton* ClearButton() const { return btClear_; }
  KeyCatcher* Catcher() const { return catcher_; }
  MoveListWindow* MoveList() const { return moveList_; }  // null until first opened
  QMenu* RecentMenu() const { return recentMenu_; }
  QAction* SpeedAction(ReplaySpeed speed) const {
    return speedActions_[static_cast<size_t>(speed)];
  }
  CoachController* Coach() const { return coach_; }
  PlayfieldWidget* Playfield() const { return field_; }
  QLabel* AutoTwinNotice() const { return autoTwinNotice_; }
  bool InCommentMode() const { return commentMode_; }
  bool Closing() const { return closing_; }
  bool FirstPaintDone() const { return !firstPaintPending_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildWidgets();
  void BuildMenus();
  void SetVariant(MenuId id, CaptionVariant variant);
  CaptionVariant VariantOf(MenuId id) const;
  void LevelChanged();
  void SyncEditChecks();
  void FocusKeys();
  void BackFromDialog();
  // Moves the window so that its frame's top-left corner is the screen's; tries again
  // every 50 ms, up to triesLeft times, while the window has no frame yet.
  void PlaceFrameAtTopLeft(int triesLeft);
  QString RecordDirectory() const;
  void RefreshRecordItems(bool running);
  void ShowRecordInMoveList();
  void PlaceMoveList();
  QAction* ShortcutAction(const QKeyEvent& key) const;
  void SyncReplaySpeed();
  // Keeps the match just played in History unless it is kept as it stands.
  void KeepUnkept();

  Game& g_;
  QtHost& host_;
  FieldPictures& pictures_;
  ImageCanvas& canvas_;
  WindowView& view_;
  WindowOptions options_;

  PlayfieldWidget* field_ = nullptr;
  QComboBox* cbx1_ = nullptr;
  QComboBox* cbx2_ = nullptr;
  QPlainTextEdit* memo_ = nullptr;
  QLabel* status_ = nullptr;          // the status line, under the picture
  QPushButton* btLoadEnd_ = nullptr;  // "×"
  QPushButton* btStop_ = nullptr;     // "<>"
  QPushButton* btNext_ = nullptr;     // ">"
  QPushButton* btTail_ = nullptr;     // ">>"
  QPushButton* btClear_ = nullptr;    // "消"
  KeyCatcher* catcher_ = nullptr;
  QLabel* autoTwinNotice_ = nullptr;  // shown while AutoTwin is on
  HelpForm* help_ = nullptr;
  MoveListWindow* moveList_ = nullptr;
  CoachController* coach_ = nullptr;  // hint, review and try again
  QTimer paintTimer_;
  QtTranslations qtTexts_;  // Qt's own texts in the configured language
  std::array<QAction*, kMenuItemCount> actions_{};
  std::array<CaptionVariant, kMenuItemCount> variants_{};
  QMenu* recentMenu_ = nullptr;
  HistoryWinners winners_;  // of the kept records listed so far
  QMenu* speedMenu_ = nullptr;
  std::array<QAction*, 5> speedActions_{};  // in the order of kReplaySpeeds

  bool started_ = false;
  bool firstPaintPending_ = true;
  bool picturesPrepared_ = false;
  bool commentMode_ = false;
  bool closing_ = false;
};

}  // namespace dalu
