// dalu_wincheck: the helper of the real-window check and the window measurements.
//
//   dalu_wincheck grab OUT.png
//       saves the whole X screen (DISPLAY) as a PNG.
//   dalu_wincheck cells SHOT.png RESULT.txt --appdir DIR [--origin X,Y]
//       finds the playfield picture in a screenshot and checks, cell by cell, that it shows
//       the fields of RESULT.txt (the result block `dalumaster-cli replay` prints): an empty
//       cell, a bead, an obstruct bead, or the burial fill on a buried side. The same colour
//       digit must show the same bead picture everywhere, different digits different ones.
//   dalu_wincheck render RECORD OUT.png --appdir DIR [--top N] [--left N]
//       replays a record to its end on an offscreen playfield, as the window draws it, and
//       saves the picture, moved by N pixels (a stand-in for a menu bar) to test `cells`.
//   dalu_wincheck locate SHOT.png --appdir DIR [--origin X,Y]
//       prints "X Y", where the playfield picture's background lies in a screenshot.
//   dalu_wincheck first-field --since NS --appdir DIR [--origin X,Y] [--timeout MS]
//       watches the X screen until the playfield picture appears; prints the milliseconds
//       since NS (nanoseconds of the real-time clock, as `date +%s%N` gives them).
//   dalu_wincheck mapped PROGRAM [ARGS...]
//       starts PROGRAM and prints the milliseconds from its start until its first top-level
//       window is mapped on the X screen ("mapped: 123.4 ms"), that window ("window: ID")
//       and the program's process id ("pid: PID"); the program goes on running, its output
//       discarded.
//   dalu_wincheck close WINDOW
//       asks the X window to close, as a desktop's close button does (WM_DELETE_WINDOW).
//   dalu_wincheck frame WINDOW
//       prints "X Y W H" of the window's outermost frame on the screen (the window itself
//       when no window manager framed it) and "X Y" of the window inside it.
//   dalu_wincheck loudness FILE
//       reads raw signed 16-bit little-endian samples (parec --raw) and tells whether they
//       hold sound: exit 0 when the peak reaches 1000 of 32767, 1 when silent.
//
// Exit codes: 0 as expected, 1 checked and found wrong, 2 bad input.
#include <fcntl.h>
#include <poll.h>
#include <sys/types.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "config/config_file.h"
#include "engine/field_canvas.h"
#include "engine/field_draw.h"
#include "engine/ui/image_canvas.h"
#include "match/game.h"
#include "match/match_commands.h"
#include "match/replay.h"
#include "records/ui/bitmaps.h"
#include "util/host.h"
#include "util/sound.h"

namespace dalu {
namespace {

namespace fs = std::filesystem;

constexpr int kOk = 0;
constexpr int kWrong = 1;
constexpr int kBadInput = 2;

int Bad(const std::string& what) {
  std::fprintf(stderr, "dalu_wincheck: %s\n", what.c_str());
  return kBadInput;
}

// Options after the positional arguments: "--name value".
struct Options {
  std::vector<std::string> positional;
  std::map<std::string, std::string> values;
  std::string Get(const std::string& name, const std::string& fallback = {}) const {
    auto it = values.find(name);
    return it == values.end() ? fallback : it->second;
  }
};

Options ParseOptions(int argc, char** argv) {
  Options o;
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    if (a.rfind("--", 0) == 0 && i + 1 < argc) {
      o.values[a] = argv[++i];
    } else {
      o.positional.push_back(a);
    }
  }
  return o;
}

bool ParsePoint(const std::string& text, QPoint& p) {
  int x = 0, y = 0;
  if (std::sscanf(text.c_str(), "%d,%d", &x, &y) != 2) return false;
  p = QPoint(x, y);
  return true;
}

// ---- The pictures the window draws from ----------------------------------------------------

// A game that only holds the configuration and the field size, with the pictures prepared
// from the program directory as the window prepares them at its first paint.
struct Pictures {
  VirtualHost host;
  NullCanvas canvas;
  NullSound sound;
  std::unique_ptr<Game> game = std::make_unique<Game>(host, canvas, sound);
  FieldPictures pictures;

  // Reads the configuration only when it exists: the helper never writes a fresh one.
  bool Load(const std::string& appDir, int width, int height) {
    Game& g = *game;
    g.cfg.AppDir = appDir.empty() || appDir.back() == '/' ? appDir : appDir + "/";
    std::error_code ec;
    if (fs::exists(g.cfg.AppDir + kConfigFileName, ec)) ConfigLoad(g);
    g.eng.FieldWidth = width;
    g.eng.FieldHeight = height;
    const bool ok = TF_File_BmpLoad(g, pictures);
    for (const std::string& e : host.errors) std::fprintf(stderr, "dalu_wincheck: %s\n", e.c_str());
    return ok;
  }
  const Engine& eng() const { return game->eng; }
};

// What a cell can show. A bead is its sheet image (group and join variant).
struct Seen {
  enum Kind { kEmptyCell, kBead, kObstructBead, kBurial } kind = kEmptyCell;
  int group = 0;        // for a bead: 1..5
  double distance = 0;  // mean absolute difference per channel, 0..255
};

// Sum of the absolute differences of the three channels of two pixels.
int ColourDiff(QRgb a, QRgb b) {
  return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
         std::abs(qBlue(a) - qBlue(b));
}

// Mean absolute difference per channel between a 20 x 20 region of shot at (x, y) and img.
double Distance(const QImage& shot, int x, int y, const QImage& img) {
  long sum = 0;
  for (int j = 0; j < kCellSize; ++j) {
    const QRgb* a = reinterpret_cast<const QRgb*>(shot.constScanLine(y + j)) + x;
    const QRgb* b = reinterpret_cast<const QRgb*>(img.constScanLine(j));
    for (int i = 0; i < kCellSize; ++i) sum += ColourDiff(a[i], b[i]);
  }
  return static_cast<double>(sum) / (3.0 * kCellSize * kCellSize);
}

bool Inside(const QImage& shot, QPoint at) {
  return at.x() >= 0 && at.y() >= 0 && at.x() + kImageWidth <= shot.width() &&
         at.y() + kImageHeight <= shot.height();
}

// Image n drawn on the background of the cell at pixel px, as RestoreCell and DrawImage do.
QImage Composite(const FieldPictures& pics, Pixel px, int n) {
  QImage cell = pics.Im_Back.copy(px.x, px.y, kCellSize, kCellSize);
  cell = cell.convertToFormat(QImage::Format_RGB32);
  if (n >= 0) {
    QPainter p(&cell);
    p.drawImage(0, 0, pics.IL_ch[n]);
  }
  return cell;
}

// The walls and floors of both fields: fixed pictures the window always shows once the
// fields are drawn, so they tell where the picture lies in a screenshot.
std::vector<Pixel> WallCells(const Engine& e) {
  std::vector<Pixel> cells;
  for (int p = 1; p <= 2; ++p) {
    for (int y = 0; y <= e.FieldHeight; ++y) {
      cells.push_back(CellPixel(e, p, 0, y));
      cells.push_back(CellPixel(e, p, e.FieldWidth + 1, y));
    }
    for (int x = 1; x <= e.FieldWidth; ++x) cells.push_back(CellPixel(e, p, x, 0));
  }
  return cells;
}

// Searches the picture's top-left corner near `origin` (the window's client area; the
// menu bar's height is not known) for the best match of the wall cells. nullopt when no
// place matches well.
std::optional<QPoint> FindPicture(const QImage& shot, const Pictures& pics, QPoint origin,
                                  double* bestOut = nullptr) {
  const std::vector<Pixel> walls = WallCells(pics.eng());
  // A buried field's walls are covered by the burial fill.
  const QImage wall = pics.pictures.IL_ch[kImgWall].convertToFormat(QImage::Format_RGB32);
  const QImage burial = pics.pictures.IL_ch[kImgBurial].convertToFormat(QImage::Format_RGB32);
  double best = 1e9;
  QPoint bestAt;
  for (int dy = -8; dy <= 100; ++dy) {
    for (int dx = -24; dx <= 24; ++dx) {
      const QPoint at = origin + QPoint(dx, dy);
      if (!Inside(shot, at)) continue;
      double sum = 0;
      for (const Pixel& w : walls) {
        const int x = at.x() + w.x, y = at.y() + w.y;
        sum += std::min(Distance(shot, x, y, wall), Distance(shot, x, y, burial));
        if (sum / walls.size() > best) break;
      }
      const double mean = sum / walls.size();
      if (mean < best) {
        best = mean;
        bestAt = at;
      }
    }
  }
  if (bestOut) *bestOut = best;
  // A drawn wall differs from the screenshot only by rounding; anything else is no field.
  if (best > 12) return std::nullopt;
  return bestAt;
}

// Searches the picture's top-left corner near `origin` by the background picture the first
// paint shows: sampled every 8th pixel between the level selectors and the memo. Only
// small horizontal offsets are tried, so it is quick enough to watch the screen with.
std::optional<QPoint> FindBackground(const QImage& shot, const Pictures& pics, QPoint origin) {
  const QImage back = pics.pictures.Im_Back.convertToFormat(QImage::Format_RGB32);
  double best = 1e9;
  QPoint bestAt;
  for (int dy = -8; dy <= 100; ++dy) {
    for (int dx = -4; dx <= 4; ++dx) {
      const QPoint at = origin + QPoint(dx, dy);
      if (!Inside(shot, at)) continue;
      long sum = 0;
      int n = 0;
      for (int y = 40; y < 430; y += 8) {
        const QRgb* a = reinterpret_cast<const QRgb*>(shot.constScanLine(at.y() + y)) + at.x();
        const QRgb* b = reinterpret_cast<const QRgb*>(back.constScanLine(y));
        for (int x = 4; x < kImageWidth; x += 8, ++n) sum += ColourDiff(a[x], b[x]);
      }
      const double mean = static_cast<double>(sum) / (3.0 * n);
      if (mean < best) {
        best = mean;
        bestAt = at;
      }
    }
  }
  // The fields may already hold beads; most of the picture is still the background.
  if (best > 10) return std::nullopt;
  return bestAt;
}

Seen Classify(const QImage& shot, QPoint at, const Pictures& pics, int p, int x, int y) {
  const Pixel px = CellPixel(pics.eng(), p, x, y);
  const int sx = at.x() + px.x, sy = at.y() + px.y;
  const FieldPictures& fp = pics.pictures;
  Seen best;
  best.distance = Distance(shot, sx, sy, Composite(fp, px, -1));
  auto consider = [&](Seen::Kind kind, int group, int n) {
    const double d = Distance(shot, sx, sy, Composite(fp, px, n));
    if (d < best.distance) best = {kind, group, d};
  };
  consider(Seen::kBurial, 0, kImgBurial);
  consider(Seen::kObstructBead, 0, kImgObstruct);
  for (int g = 1; g <= 5; ++g) {
    for (int v = 0; v < 16; ++v) consider(Seen::kBead, g, (g - 1) * 24 + v);
  }
  return best;
}

// The result block of `dalumaster-cli replay`: the buried line and both fields.
struct Expected {
  std::string buried = "none";
  std::vector<std::string> rows[3];  // rows[p]: row H first
};

bool ReadExpected(const std::string& path, Expected& out) {
  std::ifstream in(path);
  if (!in) return false;
  int side = 0;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("buried: ", 0) == 0) {
      out.buried = line.substr(8);
      side = 0;
    } else if (line == "field 1:" || line == "field 2:") {
      side = line[6] - '0';
      out.rows[side].clear();
    } else if (side > 0 && !line.empty() &&
               line.find_first_not_of(".123456789X") == std::string::npos) {
      out.rows[side].push_back(line);
    } else {
      side = 0;
    }
  }
  return !out.rows[1].empty() && out.rows[1].size() == out.rows[2].size() &&
         out.rows[1][0].size() == out.rows[2][0].size();
}

int Cells(const Options& o) {
  if (o.positional.size() != 2) return Bad("cells needs SHOT.png RESULT.txt");
  QImage shot(QString::fromStdString(o.positional[0]));
  if (shot.isNull()) return Bad("cannot read " + o.positional[0]);
  shot = shot.convertToFormat(QImage::Format_RGB32);
  Expected want;
  if (!ReadExpected(o.positional[1], want)) return Bad("no result block in " + o.positional[1]);
  QPoint origin;
  if (!ParsePoint(o.Get("--origin", "0,0"), origin)) return Bad("--origin needs X,Y");
  const int H = static_cast<int>(want.rows[1].size());
  const int W = static_cast<int>(want.rows[1][0].size());
  Pictures pics;
  if (!pics.Load(o.Get("--appdir"), W, H)) return Bad("cannot read the pictures");

  double fit = 0;
  const std::optional<QPoint> at = FindPicture(shot, pics, origin, &fit);
  if (!at) {
    std::printf("no playfield found near %d,%d (best wall match %.1f)\n", origin.x(), origin.y(),
                fit);
    return kWrong;
  }
  std::printf("picture at %d,%d (wall match %.1f)\n", at->x(), at->y(), fit);

  // Colour digit -> bead group, learnt from the first cell of each digit.
  std::map<char, int> groupOf;
  int wrong = 0;
  for (int p = 1; p <= 2; ++p) {
    const bool buried = want.buried == "both" || want.buried == std::to_string(p);
    std::printf("field %d%s: seen | expected\n", p, buried ? " (buried)" : "");
    int sideWrong = 0;
    for (int r = 0; r < H; ++r) {
      const int y = H - r;
      std::string seen, expect = want.rows[p][r];
      if (static_cast<int>(expect.size()) != W) return Bad("ragged field rows");
      for (int x = 1; x <= W; ++x) {
        const Seen s = Classify(shot, *at, pics, p, x, y);
        const char e = expect[x - 1];
        char c = '?';
        bool ok = false;
        // A cell that matches no picture closely is something else (a number, a cell
        // caught in the middle of an animation).
        if (s.distance > 16) {
          c = '?';
        } else if (s.kind == Seen::kBurial) {
          c = '#';
          ok = buried;
        } else if (buried) {
          c = s.kind == Seen::kEmptyCell ? '.' : s.kind == Seen::kObstructBead ? 'X' : 'o';
        } else if (s.kind == Seen::kEmptyCell) {
          c = '.';
          ok = e == '.';
        } else if (s.kind == Seen::kObstructBead) {
          c = 'X';
          ok = e == 'X';
        } else {
          c = static_cast<char>('a' + s.group - 1);  // the picture's group, a..e
          if (e >= '1' && e <= '9') {
            auto it = groupOf.find(e);
            if (it == groupOf.end()) {
              bool taken = false;
              for (const auto& [digit, g] : groupOf) taken = taken || g == s.group;
              ok = !taken;
              if (ok) groupOf[e] = s.group;
            } else {
              ok = it->second == s.group;
            }
          }
        }
        seen += c;
        if (!ok) ++sideWrong;
      }
      std::printf("  %s | %s\n", seen.c_str(), expect.c_str());
    }
    std::printf("field %d: %s\n", p,
                sideWrong == 0 ? "ok" : (std::to_string(sideWrong) + " cells differ").c_str());
    wrong += sideWrong;
  }
  return wrong == 0 ? kOk : kWrong;
}

// ---- Offscreen replay ------------------------------------------------------------------------

int Render(const Options& o) {
  if (o.positional.size() != 2) return Bad("render needs RECORD OUT.png");
  Pictures pics;
  // The field size comes from the record; the pictures are rebuilt for it when it differs.
  if (!pics.Load(o.Get("--appdir"), 7, 11)) return Bad("cannot read the pictures");
  ImageCanvas canvas(pics.pictures);
  VirtualHost host;
  NullSound sound;
  // Nobody looks at the memo or the menus; a new field size rebuilds the background.
  struct RebuildingView final : QuietView {
    Pictures* pics = nullptr;
    Game* game = nullptr;
    void RebuildBackground() override { TF_File_BGPLoad(*game, pics->pictures); }
  } view;
  auto game = std::make_unique<Game>(host, canvas, sound, view);
  view.pics = &pics;
  view.game = game.get();
  game->cfg = pics.game->cfg;
  game->eng.FieldWidth = 7;
  game->eng.FieldHeight = 11;
  game->ctl.AutoSave = false;
  canvas.RestoreAll();
  host.onEvents = [&] {
    if (game->ctl.StepWaitActive) TailClick(*game);
  };
  if (LoadFile(*game, o.positional[0]) != LoadOutcome::kReplay) {
    return Bad("cannot replay " + o.positional[0]);
  }
  const int top = std::atoi(o.Get("--top", "0").c_str());
  const int left = std::atoi(o.Get("--left", "0").c_str());
  QImage out(kImageWidth + left + 40, kImageHeight + top + 40, QImage::Format_RGB32);
  out.fill(QColor(214, 214, 214));
  QPainter(&out).drawImage(left, top, canvas.image());
  if (!out.save(QString::fromStdString(o.positional[1]), "PNG")) {
    return Bad("cannot write " + o.positional[1]);
  }
  return kOk;
}

// ---- The X screen ----------------------------------------------------------------------------

QImage GrabScreen() {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return {};
  return screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

int Grab(const Options& o) {
  if (o.positional.size() != 1) return Bad("grab needs OUT.png");
  const QImage shot = GrabScreen();
  if (shot.isNull()) return Bad("cannot grab the screen");
  if (!shot.save(QString::fromStdString(o.positional[0]), "PNG")) {
    return Bad("cannot write " + o.positional[0]);
  }
  return kOk;
}

int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

int FirstField(const Options& o) {
  const int64_t since = std::atoll(o.Get("--since", "0").c_str());
  if (since <= 0) return Bad("first-field needs --since NS");
  QPoint origin;
  if (!ParsePoint(o.Get("--origin", "0,0"), origin)) return Bad("--origin needs X,Y");
  const int timeoutMs = std::atoi(o.Get("--timeout", "10000").c_str());
  Pictures pics;
  // The window starts with the 7 x 11 field whatever the configuration says.
  if (!pics.Load(o.Get("--appdir"), 7, 11)) return Bad("cannot read the pictures");
  for (;;) {
    const QImage shot = GrabScreen();
    const int64_t now = NowNs();
    if (!shot.isNull() && FindBackground(shot, pics, origin)) {
      std::printf("first field: %lld ms\n", static_cast<long long>((now - since) / 1000000));
      return kOk;
    }
    if ((now - since) / 1000000 > timeoutMs) {
      std::printf("first field: not seen within %d ms\n", timeoutMs);
      return kWrong;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

int Locate(const Options& o) {
  if (o.positional.size() != 1) return Bad("locate needs SHOT.png");
  QImage shot(QString::fromStdString(o.positional[0]));
  if (shot.isNull()) return Bad("cannot read " + o.positional[0]);
  shot = shot.convertToFormat(QImage::Format_RGB32);
  QPoint origin;
  if (!ParsePoint(o.Get("--origin", "0,0"), origin)) return Bad("--origin needs X,Y");
  Pictures pics;
  if (!pics.Load(o.Get("--appdir"), 7, 11)) return Bad("cannot read the pictures");
  const std::optional<QPoint> at = FindBackground(shot, pics, origin);
  if (!at) return kWrong;
  std::printf("%d %d\n", at->x(), at->y());
  return kOk;
}

int Close(const Options& o) {
  if (o.positional.size() != 1) return Bad("close needs a window id");
  const xcb_window_t window =
      static_cast<xcb_window_t>(std::strtoul(o.positional[0].c_str(), nullptr, 0));
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) {
    xcb_disconnect(c);
    return Bad("cannot open the display");
  }
  auto atom = [c](const char* name) {
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t a = r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(r);
    return a;
  };
  xcb_client_message_event_t ev{};
  ev.response_type = XCB_CLIENT_MESSAGE;
  ev.format = 32;
  ev.window = window;
  ev.type = atom("WM_PROTOCOLS");
  ev.data.data32[0] = atom("WM_DELETE_WINDOW");
  ev.data.data32[1] = XCB_CURRENT_TIME;
  xcb_send_event(c, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&ev));
  // A round trip before leaving: the server may drop what a client sent just before it
  // hung up.
  xcb_get_input_focus_reply_t* reply =
      xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
  const bool sent = reply != nullptr;
  std::free(reply);
  xcb_disconnect(c);
  return sent ? kOk : Bad("cannot send to the display");
}

int Mapped(int argc, char** argv) {
  if (argc < 3) return Bad("mapped needs PROGRAM");
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) {
    xcb_disconnect(c);
    return Bad("cannot open the display");
  }
  // Without a window manager a top-level window is mapped as a child of the root, which
  // reports it to whoever listens for its children's changes.
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
  std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));  // now listening

  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid < 0) return Bad("cannot start the program");
  if (pid == 0) {
    // The program's output goes nowhere: whoever reads ours would wait for it to end.
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    execv(argv[2], argv + 2);
    std::_Exit(127);
  }
  const int fd = xcb_get_file_descriptor(c);
  for (;;) {
    while (xcb_generic_event_t* ev = xcb_poll_for_event(c)) {
      const bool map = (ev->response_type & 0x7f) == XCB_MAP_NOTIFY;
      const auto* m = reinterpret_cast<xcb_map_notify_event_t*>(ev);
      if (map && m->event == root && !m->override_redirect) {
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        std::printf("mapped: %.1f ms\nwindow: %u\npid: %d\n", ms, m->window, static_cast<int>(pid));
        std::free(ev);
        xcb_disconnect(c);
        return kOk;
      }
      std::free(ev);
    }
    if (xcb_connection_has_error(c)) return Bad("lost the display");
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 15000) == 0) {
      std::printf("mapped: not within 15 s\npid: %d\n", static_cast<int>(pid));
      xcb_disconnect(c);
      return kWrong;
    }
  }
}

int Frame(const Options& o) {
  if (o.positional.size() != 1) return Bad("frame needs a window id");
  xcb_window_t window =
      static_cast<xcb_window_t>(std::strtoul(o.positional[0].c_str(), nullptr, 0));
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) {
    xcb_disconnect(c);
    return Bad("cannot open the display");
  }
  // The window's position on the screen, then its ancestors up to the child of the root:
  // a window manager puts each window into a frame window of its own.
  const xcb_window_t client = window;
  xcb_window_t root = XCB_NONE;
  for (;;) {
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr);
    if (!tree) {
      xcb_disconnect(c);
      return Bad("no such window");
    }
    root = tree->root;
    const xcb_window_t parent = tree->parent;
    std::free(tree);
    if (parent == root || parent == XCB_NONE) break;
    window = parent;
  }
  auto onScreen = [&](xcb_window_t w, int& x, int& y, int& width, int& height) {
    xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr);
    xcb_translate_coordinates_reply_t* t =
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, w, root, 0, 0), nullptr);
    const bool ok = g && t;
    if (ok) {
      x = t->dst_x;
      y = t->dst_y;
      width = g->width + 2 * g->border_width;
      height = g->height + 2 * g->border_width;
    }
    std::free(g);
    std::free(t);
    return ok;
  };
  int fx = 0, fy = 0, fw = 0, fh = 0, cx = 0, cy = 0, cw = 0, ch = 0;
  const bool ok = onScreen(window, fx, fy, fw, fh) && onScreen(client, cx, cy, cw, ch);
  xcb_disconnect(c);
  if (!ok) return Bad("cannot read the window's geometry");
  std::printf("%d %d %d %d\n%d %d\n", fx, fy, fw, fh, cx, cy);
  return kOk;
}

// ---- Sound -----------------------------------------------------------------------------------

int Loudness(const Options& o) {
  if (o.positional.size() != 1) return Bad("loudness needs FILE");
  std::ifstream in(o.positional[0], std::ios::binary);
  if (!in) return Bad("cannot read " + o.positional[0]);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
  const size_t samples = bytes.size() / 2;
  int peak = 0;
  double squares = 0;
  for (size_t i = 0; i < samples; ++i) {
    const auto lo = static_cast<uint8_t>(bytes[2 * i]);
    const auto hi = static_cast<uint8_t>(bytes[2 * i + 1]);
    const int v = static_cast<int16_t>(static_cast<uint16_t>(lo | hi << 8));
    peak = std::max(peak, std::abs(v));
    squares += static_cast<double>(v) * v;
  }
  const double rms = samples ? std::sqrt(squares / samples) : 0;
  std::printf("samples: %zu, peak: %d, rms: %.1f\n", samples, peak, rms);
  return peak >= 1000 ? kOk : kWrong;
}

}  // namespace
}  // namespace dalu

int main(int argc, char** argv) {
  using namespace dalu;
  if (argc < 2) {
    return Bad(
        "usage: dalu_wincheck grab|cells|locate|render|first-field|mapped|close|frame|loudness ...");
  }
  const std::string cmd = argv[1];
  const Options o = ParseOptions(argc, argv);
  if (cmd == "close") return Close(o);
  if (cmd == "mapped") return Mapped(argc, argv);
  if (cmd == "frame") return Frame(o);
  if (cmd == "loudness") return Loudness(o);
  // The screen commands read the X display; the others draw offscreen.
  const bool screen = cmd == "grab" || cmd == "first-field";
  qputenv("QT_QPA_PLATFORM", screen ? "xcb" : "offscreen");
  QGuiApplication app(argc, argv);
  if (cmd == "grab") return Grab(o);
  if (cmd == "first-field") return FirstField(o);
  if (cmd == "cells") return Cells(o);
  if (cmd == "render") return Render(o);
  if (cmd == "locate") return Locate(o);
  return Bad("unknown command '" + cmd + "'");
}
