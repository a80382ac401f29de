// A random-input run: for about a minute, random clicks, drags, double clicks, right clicks,
// menu items, keys, the About window and the open-file dialog against the real program,
// restarting it (with the settings file it left) whenever it ends. It fails when the program
// crashes (Wine's crash dialog, an exit status other than 0, its own "has to close" message, a
// start that never shows a window), when its picture window is gone or wholly off the screen
// while it runs, or when the settings file is not a valid record: 10 bytes of place and path
// length, the path within the file, naming no picture or one the run chose.
//
//   CORVANE_RANDOM_SEED=<n>     repeats a run's choices (each run prints its seed; by default
//                               it comes from the clock)
//   CORVANE_RANDOM_SECONDS=<n>  how long the input goes on (default 50)
//   CORVANE_RANDOM_EVENTS=<n>   ends the run after n events instead (within 300 s unless
//                               CORVANE_RANDOM_SECONDS says otherwise)
//
// Every event is printed as it is sent and written to build/e2e-screenshots/RandomInput-<seed>.log.
// The choices are drawn from the seed, each from the windows showing at that moment, so a seed
// repeats a run as long as the program answers alike; a fault names the seed and the number of
// events that led to it. On a busier machine the same time holds fewer events, which is why a
// repeat counts events rather than seconds.
//
// The run keeps the test display clean: the open-file dialog only ever gets one of the run's
// own files typed in, or is cancelled; browsers and mail programs are replaced, for the program
// and what it starts, by stand-ins that note the request and open nothing.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iomanip>
#include <iostream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "corvane.h"

namespace corvane::e2e {
namespace {

using Clock = std::chrono::steady_clock;

constexpr Millis kDefaultLength = 50s;
// How long the picture window may be off the screen while the program runs (for a moment while
// it is resized), and how long it may be gone (while the program ends, slowly on a busy machine).
constexpr Millis kOffScreenGrace = 5s;
constexpr Millis kGoneGrace = kDefaultTimeout;

// --- the seed and the dice -----------------------------------------------------------------------

std::optional<std::string> Environment(const char* name) {
  const char* value = std::getenv(name);
  if (!value || !*value) return std::nullopt;
  return std::string(value);
}

std::uint64_t ParseNumber(const char* name, const std::string& text) {
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0') throw std::invalid_argument(std::string(name) + "=" + text + " is no number");
  return value;
}

std::uint64_t RunSeed() {
  if (const auto text = Environment("CORVANE_RANDOM_SEED")) return ParseNumber("CORVANE_RANDOM_SEED", *text);
  // Short enough to type back in.
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count()) % 1000000000;
}

// The most events to send, if the run is bounded by events.
std::optional<int> EventBudget() {
  if (const auto text = Environment("CORVANE_RANDOM_EVENTS")) {
    return static_cast<int>(ParseNumber("CORVANE_RANDOM_EVENTS", *text));
  }
  return std::nullopt;
}

Millis RunLength() {
  if (const auto text = Environment("CORVANE_RANDOM_SECONDS")) {
    return Millis(static_cast<long long>(ParseNumber("CORVANE_RANDOM_SECONDS", *text)) * 1000);
  }
  return EventBudget() ? Millis(300s) : kDefaultLength;
}

// Numbers drawn from the seed, the same on every machine.
class Dice {
 public:
  explicit Dice(std::uint64_t seed) : engine_(seed) {}

  // From low to high, both included.
  int Between(int low, int high) {
    return low + static_cast<int>(engine_() % static_cast<std::uint64_t>(high - low + 1));
  }
  Point Inside(const Rect& r) { return {Between(r.x, r.Right() - 1), Between(r.y, r.Bottom() - 1)}; }
  const std::string& Pick(const std::vector<std::string>& items) {
    return items[static_cast<std::size_t>(Between(0, static_cast<int>(items.size()) - 1))];
  }

 private:
  std::mt19937_64 engine_;
};

// --- the log -------------------------------------------------------------------------------------

// Each event, with the seconds since the run began, printed at once and kept for the log file.
class EventLog {
 public:
  void Add(const std::string& text) {
    const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
    std::ostringstream line;
    line << "[random " << std::fixed << std::setprecision(3) << std::setw(7) << seconds << "] " << text;
    lines_.push_back(line.str());
    std::cout << line.str() << std::endl;
  }
  void Save(const std::filesystem::path& file) const {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file);
    for (const std::string& line : lines_) out << line << "\n";
  }

 private:
  Clock::time_point start_ = Clock::now();
  std::vector<std::string> lines_;
};

std::string Describe(Point p) {
  std::ostringstream out;
  out << p;
  return out.str();
}

std::string Describe(const Rect& r) {
  std::ostringstream out;
  out << r;
  return out.str();
}

// --- the run's own files -------------------------------------------------------------------------

// A folder of the pictures the run chooses, one file that is no picture, and stand-ins for the
// programs Wine hands web and mail addresses to (xdg-open, xdg-email: the first it tries).
class RunFiles {
 public:
  RunFiles() {
    std::string pattern = (std::filesystem::temp_directory_path() / "corvane-random-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed for " + pattern);
    folder_ = pattern;
    Write("quad.bmp", MakeQuadrantBmp(kQuadrantPictureWidth, kQuadrantPictureHeight, kQuadrantColours));
    for (const char* fixture : {"photo640x480.jpg", "ico32x32.ico", "gif42x32.gif", "strip120x31.bmp"}) {
      std::filesystem::copy_file(std::filesystem::path(CORVANE_FIXTURES_DIR) / fixture, folder_ / fixture);
      pictures_.push_back(WindowsName(fixture));
    }
    pictures_.push_back(WindowsName("quad.bmp"));
    Write("notes.jpg", "just some text, not a picture\n");
    std::filesystem::create_directory(folder_ / "bin");
    for (const char* program : {"xdg-open", "xdg-email"}) {
      const std::filesystem::path stub = folder_ / "bin" / program;
      Write(stub, "#!/bin/sh\n# Opens nothing: notes what was asked for.\nprintf '%s %s\\n' \"${0##*/}\" \"$*\" >>'" +
                      RequestsFile().string() + "'\n");
      std::filesystem::permissions(stub, std::filesystem::perms::owner_all);
    }
  }
  ~RunFiles() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  RunFiles(const RunFiles&) = delete;
  RunFiles& operator=(const RunFiles&) = delete;

  // The pictures, as the program's paths for them.
  const std::vector<std::string>& Pictures() const { return pictures_; }
  std::string NotAPicture() const { return WindowsName("notes.jpg"); }
  std::filesystem::path StubFolder() const { return folder_ / "bin"; }
  // What the stand-ins were asked to open, one line each.
  std::vector<std::string> Requests() const {
    std::vector<std::string> lines;
    std::ifstream in(RequestsFile());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

 private:
  std::filesystem::path RequestsFile() const { return folder_ / "requests.log"; }
  std::string WindowsName(const std::string& name) const {
    std::string path = "Z:" + (folder_ / name).string();
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
  }
  void Write(const std::filesystem::path& file, const std::string& bytes) const {
    std::ofstream out(file.is_absolute() ? file : folder_ / file, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write " + file.string());
  }

  std::filesystem::path folder_;
  std::vector<std::string> pictures_;
};

// Puts a folder first on PATH while it lives, for the processes started meanwhile.
std::string PathWithFirst(const std::filesystem::path& folder) {
  const char* old = std::getenv("PATH");
  return folder.string() + (old ? ":" + std::string(old) : "");
}

// --- what the screen shows -----------------------------------------------------------------------

// The shown X windows of one Corvane, told apart by name (the menu, which has none, by its
// size), and the shown windows of any other process that were not there when the run began.
struct Scene {
  std::optional<XTopLevel> picture;
  std::optional<XTopLevel> menu;
  std::optional<XTopLevel> about;
  std::optional<XTopLevel> fileDialog;
  std::optional<XTopLevel> message;
  std::vector<XTopLevel> foreign;

  // Whether two looks show the same windows at the same places.
  std::string Key() const {
    std::ostringstream out;
    for (const auto* w : {&picture, &menu, &about, &fileDialog, &message})
      out << (*w ? Describe((*w)->rect) : "-") << ";";
    out << foreign.size();
    return out.str();
  }
};

Scene Look(pid_t pid, const std::set<XWindowId>& ignored) {
  Scene scene;
  for (const XTopLevel& w : TopLevelWindows()) {
    if (!w.mapped) continue;
    if (w.pid != pid) {
      if (!ignored.count(w.id)) scene.foreign.push_back(w);
    } else if (w.name == kHelpTitle) {
      scene.picture = w;
    } else if (w.name == kAboutTitle) {
      scene.about = w;
    } else if (w.name == kOpenDialogTitle) {
      scene.fileDialog = w;
    } else if (w.name == kMessageTitle) {
      scene.message = w;
    } else if (w.name.empty() && w.rect.width == kMenuWidth && w.rect.height == kMenuHeight) {
      scene.menu = w;
    }
  }
  return scene;
}

bool Overlaps(const Rect& a, const Rect& b) {
  return a.x < b.Right() && b.x < a.Right() && a.y < b.Bottom() && b.y < a.Bottom();
}

Rect Clip(const Rect& r, const Rect& to) {
  const int left = std::max(r.x, to.x);
  const int top = std::max(r.y, to.y);
  return Rect::FromEdges(left, top, std::max(left, std::min(r.Right(), to.Right())),
                         std::max(top, std::min(r.Bottom(), to.Bottom())));
}

std::string CommandLineOf(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::replace(text.begin(), text.end(), '\0', ' ');
  return text.empty() ? "(gone)" : text;
}

// --- the settings record -------------------------------------------------------------------------

// Why these bytes are no valid record, or nothing when they are one: at least 10 bytes, the
// path within the file, and the path naming no picture or one of `pictures`.
std::optional<std::string> RecordFault(const std::optional<std::vector<std::uint8_t>>& bytes,
                                       const std::vector<std::string>& pictures) {
  if (!bytes) return "there is no settings file";
  if (bytes->size() < 10) return "the settings file has " + std::to_string(bytes->size()) + " bytes";
  const std::size_t length = static_cast<std::size_t>((*bytes)[8] | (*bytes)[9] << 8);
  if (10 + length > bytes->size()) {
    return "the settings file announces a path of " + std::to_string(length) + " bytes but has " +
           std::to_string(bytes->size()) + " bytes in all";
  }
  const std::string path(bytes->begin() + 10, bytes->begin() + 10 + static_cast<std::ptrdiff_t>(length));
  if (path == kNoPictureMarker) return std::nullopt;
  for (const std::string& picture : pictures) {
    if (path == picture) return std::nullopt;
  }
  return "the settings file names \"" + path + "\", which is no picture the run chose";
}

// --- the run -------------------------------------------------------------------------------------

// Ends the run once a fault is recorded.
struct RunStopped {};

struct Action {
  int weight;
  std::function<void()> run;
};

const std::vector<std::string> kWindowKeys = {
    "Tab", "Shift+Tab", "Return", "space", "Escape", "Up",    "Down",  "Left",  "Right", "Home",
    "End", "BackSpace", "Delete", "F1",    "F10",    "a",     "c",     "e",     "h",     "p",
    "s",   "w",         "x",      "Alt+a", "Alt+c",  "Alt+e", "Alt+h", "Alt+p", "Alt+s", "Alt+w"};
const std::vector<std::string> kMenuKeys = {"Tab",   "Shift+Tab", "Return", "space", "Escape", "Up",    "Down",
                                            "Alt+h", "Alt+p",     "Alt+e",  "Alt+w", "Alt+a",  "Alt+c", "Alt+s",
                                            "a",     "c",         "e",      "h",     "p",      "s",     "x"};
const std::vector<std::string> kAboutKeys = {"Tab", "Shift+Tab", "Return", "space", "Escape", "a", "Alt+c"};

// The About window's labels in twips from its client area's corner.
constexpr Point kEmailLink{1560, 1320};
constexpr Point kHomeLink{1560, 1800};
constexpr Point kAboutGround{150, 900};

class RandomRun {
 public:
  RandomRun(std::uint64_t seed, Millis length, std::optional<int> budget)
      : seed_(seed), dice_(seed), end_(Clock::now() + length), budget_(budget) {}

  void Go() {
    for (const XTopLevel& w : TopLevelWindows()) {
      if (w.mapped) there_.insert(w.id);
    }
    try {
      while (!TimeUp()) Life();
      FinalChecks();
    } catch (const RunStopped&) {
    }
    ParkPointer();
    std::ostringstream summary;
    summary << lives_ << " starts, " << events_ << " events;";
    for (const auto& [kind, count] : counts_) summary << " " << kind << " " << count;
    log_.Add(summary.str());
    for (const std::string& request : files_.Requests()) log_.Add("a stand-in was asked: " + request);
    log_.Save(std::filesystem::path(CORVANE_E2E_LOG_DIR) / ("RandomInput-" + std::to_string(seed_) + ".log"));
  }

 private:
  bool TimeUp() const { return Clock::now() >= end_ || (budget_ && events_ >= *budget_); }

  // Records the fault with what repeats the run, and ends it.
  [[noreturn]] void Fault(const std::string& what) {
    log_.Add("FAULT: " + what);
    ADD_FAILURE() << what << "\n  after " << events_ << " events with seed " << seed_
                  << ": CORVANE_RANDOM_SEED=" << seed_ << " CORVANE_RANDOM_EVENTS=" << events_
                  << " bash scripts/test.sh -R RandomInput repeats the run; its events are in " << CORVANE_E2E_LOG_DIR
                  << "/RandomInput-" << seed_ << ".log";
    throw RunStopped{};
  }

  void Event(const std::string& kind, const std::string& text) {
    ++events_;
    ++counts_[kind];
    log_.Add(text);
  }

  // One start of the program, until it ends or the time is up.
  void Life() {
    App app;
    ++lives_;
    if (settings_) app.WriteSettings(*settings_);
    log_.Add("start " + std::to_string(lives_) + (settings_ ? " with the settings file left by the last" : " afresh"));
    {
      const ScopedEnvironment stubs("PATH", PathWithFirst(files_.StubFolder()));
      app.Start();
    }
    WaitForStart(app);
    while (app.Running() && !TimeUp()) Step(app);
    if (app.Running()) {
      CheckRecord(app);  // what a kill now would leave
      log_.Add("time is up: Corvane (pid " + std::to_string(app.Pid()) + ") is stopped");
      return;
    }
    if (!app.Exit()->Exited() || app.Exit()->code != 0) Fault("Corvane ended with " + app.Exit()->Describe());
    log_.Add("Corvane ended with exit code 0");
    CheckRecord(app);
    settings_ = app.ReadSettings();
  }

  void WaitForStart(App& app) {
    const auto shown = Eventually(
        "the picture window or the end", [&] { return !app.Running() || Look(app.Pid(), there_).picture; },
        kDefaultTimeout);
    if (!shown)
      Fault("Corvane runs but shows no picture window " + std::to_string(kDefaultTimeout.count()) +
            " ms after its start");
    if (!app.Running()) Fault("Corvane ended (" + app.Exit()->Describe() + ") without showing its picture window");
  }

  void CheckRecord(const App& app) {
    const auto bytes = app.ReadSettings();
    if (const auto fault = RecordFault(bytes, files_.Pictures())) Fault(*fault);
    const SettingsRecord record = *DecodeSettings(*bytes);
    std::ostringstream text;
    text << "settings file: " << record;
    log_.Add(text.str());
  }

  // Looks, checks, and sends one random event fitting what shows.
  void Step(App& app) {
    Scene scene = Look(app.Pid(), there_);
    if (!scene.foreign.empty()) ForeignWindow(scene.foreign.front());
    if (scene.message) {
      // First, since a message may say why the picture window went.
      AnswerMessage();
      return Settle(app);
    }
    CheckScene(app, scene);
    if (!app.Running() || !scene.picture) return;
    if (scene.fileDialog) {
      UseFileDialog(app);
    } else if (scene.about) {
      UseAbout(*scene.picture, *scene.about);
    } else if (scene.menu) {
      UseMenu(app, *scene.picture, scene.menu->rect);
    } else {
      UsePictureWindow(app, scene.picture->rect);
    }
    Settle(app);
  }

  // Fails on a picture window that stays gone or off the screen while the program runs, and on
  // a window of another process (Wine's crash dialog, a browser) meanwhile.
  void CheckScene(App& app, Scene& scene) {
    if (scene.picture && Overlaps(scene.picture->rect, ScreenRect())) return;
    const std::string first = scene.picture ? "at " + Describe(scene.picture->rect) + ", wholly off the screen"
                                            : "gone";
    const Millis grace = scene.picture ? kOffScreenGrace : kGoneGrace;
    const bool back = Eventually(
        "the picture window back on the screen",
        [&] {
          if (!app.Running()) return true;
          scene = Look(app.Pid(), there_);
          return scene.message.has_value() || (scene.picture && Overlaps(scene.picture->rect, ScreenRect()));
        },
        grace);
    if (!back) {
      Fault("Corvane runs, but for " + std::to_string(grace.count()) + " ms its picture window has been " +
            (scene.picture ? "at " + Describe(scene.picture->rect) + ", wholly off the screen " + Describe(ScreenRect())
                           : "gone from the screen (" + WindowsView() + ")") +
            "; first seen " + first);
    }
    if (!scene.foreign.empty()) ForeignWindow(scene.foreign.front());
  }

  // Where Windows has the picture window: Wine shows no window that lies wholly off the screen.
  static std::string WindowsView() {
    try {
      const auto facts = ProbeWindow(kHelpTitle);
      if (!facts) return "Windows has no such window";
      return std::string("Windows has it ") + (facts->visible ? "visible" : "hidden") + " at " + Describe(facts->rect);
    } catch (const std::exception& e) {
      return std::string("probe.exe cannot tell: ") + e.what();
    }
  }

  [[noreturn]] void ForeignWindow(const XTopLevel& w) {
    const std::string what = "a window of another process showed: \"" + w.name + "\" at " + Describe(w.rect) +
                             ", pid " + std::to_string(w.pid) + ": " + CommandLineOf(w.pid);
    if (w.name == "Program Error") {
      // Wine's crash dialog: its Close button lets the crashed program end.
      try {
        ProbeClickButton("Program Error", "Close");
      } catch (const std::exception& e) {
        log_.Add(std::string("the crash dialog could not be closed: ") + e.what());
      }
      Fault("Corvane crashed: " + what);
    }
    Fault(what);
  }

  // Waits until what shows has stayed the same for a moment (at most a second and a half),
  // then pauses a little, as a person would.
  void Settle(App& app) {
    std::string last;
    int same = 0;
    const auto deadline = Clock::now() + 1500ms;
    while (app.Running() && same < 3 && Clock::now() < deadline) {
      const std::string now = Look(app.Pid(), there_).Key();
      same = now == last ? same + 1 : 0;
      last = now;
      std::this_thread::sleep_for(50ms);
    }
    std::this_thread::sleep_for(Millis(dice_.Between(0, 200)));
  }

  // Waits a while for a window the last event should open; some events open nothing.
  void Expect(App& app, const std::string& what, const std::function<bool(const Scene&)>& shown) {
    const bool seen = Eventually(
        what, [&] { return !app.Running() || shown(Look(app.Pid(), there_)); }, 5s);
    if (!seen) log_.Add("  (no " + what + ")");
  }

  void Choose(const std::vector<Action>& actions) {
    int total = 0;
    for (const Action& a : actions) total += a.weight;
    int roll = dice_.Between(1, total);
    for (const Action& a : actions) {
      roll -= a.weight;
      if (roll <= 0) return a.run();
    }
  }

  // --- the picture window ------------------------------------------------------------------------

  // Where a drag ends: anywhere, or often near an edge or corner, where people push windows.
  Point DropPoint(const Rect& screen) {
    Point p = dice_.Inside(screen);
    if (dice_.Between(1, 3) == 1)
      p.x = dice_.Between(0, 1) ? dice_.Between(0, 30) : screen.Right() - 1 - dice_.Between(0, 30);
    if (dice_.Between(1, 3) == 1)
      p.y = dice_.Between(0, 1) ? dice_.Between(0, 30) : screen.Bottom() - 1 - dice_.Between(0, 30);
    return p;
  }

  void UsePictureWindow(App& app, const Rect& window) {
    const Rect screen = ScreenRect();
    const Rect shown = Clip(window, screen);
    Choose({
        {14,
         [&] {
           const Point p = dice_.Inside(shown);
           Event("click", "left click on the window at " + Describe(p));
           Click(p);
         }},
        {12,
         [&] {
           const Point from = dice_.Inside(shown);
           const Point to = DropPoint(screen);
           const int steps = dice_.Between(1, 12);
           Event("drag", "left drag from " + Describe(from) + " to " + Describe(to) + " in " + std::to_string(steps) +
                             " steps");
           Drag(from, to, steps);
         }},
        {3,
         [&] {
           const Point p = dice_.Inside(shown);
           Event("double click", "double click on the window at " + Describe(p));
           DoubleClick(p);
         }},
        {20,
         [&] {
           const Point p = dice_.Inside(shown);
           Event("right click", "right click on the window at " + Describe(p));
           Click(p, Button::Right);
           Expect(app, "menu", [](const Scene& s) { return s.menu.has_value(); });
         }},
        {4,
         [&] {
           const Point p = dice_.Inside(shown);
           const int hold = dice_.Between(20, 600);
           Event("hold", "left press held " + std::to_string(hold) + " ms at " + Describe(p));
           MoveTo(p);
           Press(Button::Left);
           std::this_thread::sleep_for(Millis(hold));
           Release(Button::Left);
         }},
        {3,
         [&] {
           const Point p = dice_.Inside(shown);
           const int gap = dice_.Between(50, 700);
           Event("two clicks", "two left clicks " + std::to_string(gap) + " ms apart at " + Describe(p));
           Click(p);
           std::this_thread::sleep_for(Millis(gap));
           Click(p);
         }},
        {3,
         [&] {
           const Point from = dice_.Inside(shown);
           const Point to = dice_.Inside(screen);
           Event("middle", "middle drag from " + Describe(from) + " to " + Describe(to));
           Drag(from, to, 4, Button::Middle);
         }},
        {10,
         [&] {
           const Point p = dice_.Inside(shown);
           const std::string& key = dice_.Pick(kWindowKeys);
           Event("key", "key " + key + " with the pointer on the window at " + Describe(p));
           MoveTo(p);
           PressKey(key);
         }},
        {1,
         [&] {
           const Point p = dice_.Inside(shown);
           Event("Alt+F4", "key Alt+F4 with the pointer on the window at " + Describe(p));
           MoveTo(p);
           PressKey("Alt+F4");
         }},
        {3,
         [&] {
           // The link label in the window's top-left corner.
           const Point p{window.x + dice_.Between(2, 120), window.y + dice_.Between(2, 14)};
           Event("link label", "left click on the link label at " + Describe(p));
           Click(p);
         }},
        {6,
         [&] {
           const Point p = dice_.Inside(shown);
           Event("hover", "pointer to " + Describe(p));
           MoveTo(p);
         }},
        {3,
         [&] {
           const Point p = dice_.Inside(screen);
           Event("click", "left click at " + Describe(p));
           Click(p);
         }},
    });
  }

  // --- the menu ----------------------------------------------------------------------------------

  void UseMenu(App& app, const XTopLevel& picture, const Rect& menu) {
    const Rect screen = ScreenRect();
    Choose({
        {30,
         [&] {
           struct Item {
             MenuItem item;
             const char* name;
             int weight;
           };
           const Item items[] = {
               {MenuItem::Homepage, "Homepage", 3}, {MenuItem::GetProfessional, "Get Professional", 3},
               {MenuItem::Exit, "Exit", 2},         {MenuItem::Show, "Show", 6},
               {MenuItem::About, "About", 6},       {MenuItem::Close, "Close", 4},
               {MenuItem::Select, "Select", 8}};
           std::vector<Action> choices;
           for (const Item& i : items) {
             choices.push_back({i.weight, [&, i] {
                                  const Point p = MenuItemPoint(menu, i.item);
                                  Event("menu item", "menu item " + std::string(i.name) + " clicked at " + Describe(p));
                                  Click(p);
                                  if (i.item == MenuItem::Select) {
                                    Expect(app, "open-file dialog",
                                           [](const Scene& s) { return s.fileDialog.has_value(); });
                                  } else if (i.item == MenuItem::About) {
                                    Expect(app, "About window", [](const Scene& s) { return s.about.has_value(); });
                                  }
                                }});
           }
           Choose(choices);
         }},
        {12,
         [&] {
           const Point p = dice_.Inside(menu);
           const std::string& key = dice_.Pick(kMenuKeys);
           Event("menu key", "key " + key + " with the pointer on the menu at " + Describe(p));
           MoveTo(p);
           PressKey(key);
         }},
        {8,
         [&] {
           const Point p = dice_.Inside(menu);
           Event("hover", "pointer to " + Describe(p) + " on the menu");
           MoveTo(p);
         }},
        {5,
         [&] {
           const Point p = dice_.Inside(Clip(picture.rect, screen));
           Event("click", "left click at " + Describe(p) + " while the menu shows");
           Click(p);
         }},
        {3,
         [&] {
           const Point p = dice_.Inside(screen);
           Event("right click", "right click at " + Describe(p) + " while the menu shows");
           Click(p, Button::Right);
         }},
    });
  }

  // --- the About window --------------------------------------------------------------------------

  void UseAbout(const XTopLevel& picture, const XTopLevel& about) {
    if (aboutId_ != about.id || aboutFacts_.rect != about.rect) {
      const auto facts = ProbeWindow(kAboutTitle);
      if (!facts) return;  // gone meanwhile
      aboutFacts_ = *facts;
      aboutId_ = about.id;
    }
    const Rect client = aboutFacts_.client;
    const auto onClient = [&](Point twips) { return Point{client.x + Px(twips.x), client.y + Px(twips.y)}; };
    const auto onLink = [&](Point twips) {
      const Point corner = onClient(twips);
      return Point{corner.x + dice_.Between(4, 100), corner.y + dice_.Between(3, 12)};
    };
    Choose({
        {8,
         [&] {
           const Point p = onLink(dice_.Between(0, 1) ? kEmailLink : kHomeLink);
           Event("hover", "pointer to " + Describe(p) + " on an About link");
           MoveTo(p);
         }},
        {6,
         [&] {
           const Point p = onLink(kEmailLink);
           Event("About link", "left click on the About window's e-mail link at " + Describe(p));
           Click(p);
         }},
        {6,
         [&] {
           const Point p = onLink(kHomeLink);
           Event("About link", "left click on the About window's home-page link at " + Describe(p));
           Click(p);
         }},
        {4,
         [&] {
           const Point p = onClient(kAboutGround);
           Event("click", "left click on the About window's ground at " + Describe(p));
           Click(p);
         }},
        {6,
         [&] {
           const Point p = onClient(kAboutGround);
           const std::string& key = dice_.Pick(kAboutKeys);
           Event("About key", "key " + key + " with the pointer on the About window at " + Describe(p));
           MoveTo(p);
           PressKey(key);
         }},
        {10,
         [&] {
           const Point p{client.Right() - 10, aboutFacts_.rect.y + (client.y - aboutFacts_.rect.y) / 2 + 1};
           Event("About close", "left click on the About window's close box at " + Describe(p));
           Click(p);
         }},
        {6,
         [&] {
           const Point p = onClient(kAboutGround);
           Event("About close", "key Alt+F4 with the pointer on the About window at " + Describe(p));
           MoveTo(p);
           PressKey("Alt+F4");
         }},
        {4,
         [&] {
           const Point p = dice_.Inside(Clip(picture.rect, ScreenRect()));
           Event("click", "left click at " + Describe(p) + " while About shows");
           Click(p);
         }},
    });
  }

  // --- the open-file dialog and messages ---------------------------------------------------------

  // Types one of the run's files into the dialog, or cancels it; nothing else reaches it.
  void UseFileDialog(App& app) {
    const auto dialog = ShownDialog(kOpenDialogTitle);
    if (!dialog) return;  // not yet listed, or gone meanwhile
    const ControlFacts* fileName = nullptr;
    const ControlFacts* cancel = dialog->Find("Button", "Cancel");
    for (const ControlFacts& c : dialog->controls) {
      if (c.className == "Edit" && c.id == kFileNameId) fileName = &c;
    }
    std::vector<std::string> choices = files_.Pictures();
    choices.push_back(files_.NotAPicture());
    Choose({
        {60,
         [&] {
           const std::string& path = dice_.Pick(choices);
           if (!fileName) return Event("dialog", "the open-file dialog has no file-name box yet");
           Event("dialog choose", "the file name " + path + " typed into the open-file dialog, then Return");
           MoveTo(fileName->rect.Center());
           TypeText(path);
           const bool typed = Eventually(
               "the file name typed",
               [&] {
                 const auto now = ShownDialog(kOpenDialogTitle);
                 if (!now) return true;
                 for (const ControlFacts& c : now->controls) {
                   if (c.className == "Edit" && c.id == kFileNameId) return c.text == path;
                 }
                 return false;
               },
               5s);
           if (!typed) log_.Add("  (the file-name box does not hold the typed name)");
           PressKey("Return");
           Eventually(
               "the open-file dialog to close", [&] { return !app.Running() || !Look(app.Pid(), there_).fileDialog; },
               10s);
         }},
        {20,
         [&] {
           const Point p = fileName ? fileName->rect.Center() : dialog->rect.Center();
           Event("dialog cancel", "key Escape with the pointer on the open-file dialog at " + Describe(p));
           MoveTo(p);
           PressKey("Escape");
         }},
        {20,
         [&] {
           if (!cancel) return Event("dialog", "the open-file dialog has no Cancel button yet");
           Event("dialog cancel",
                 "left click on the open-file dialog's Cancel button at " + Describe(cancel->rect.Center()));
           Click(cancel->rect.Center());
         }},
    });
  }

  // Reads a message box, fails on one that reports a fault of the program, and presses its OK.
  void AnswerMessage() {
    std::optional<DialogFacts> box;
    for (const DialogFacts& d : ProbeDialogs()) {
      if (d.title == kMessageTitle && d.pid != 0) box = d;
    }
    if (!box) return;  // gone meanwhile
    std::string text;
    for (const std::string& line : MessageTexts(*box)) text += (text.empty() ? "" : " / ") + line;
    Event("message", "message box: \"" + text + "\"");
    for (const char* fault : {"has to close", "could not save"}) {
      if (text.find(fault) != std::string::npos) Fault("Corvane showed the message \"" + text + "\"");
    }
    const ControlFacts* ok = box->Find("Button", "OK");
    const Point p = ok ? ok->rect.Center() : box->rect.Center();
    Event("message OK", (ok ? "left click on its OK button at " : "key Return on it at ") + Describe(p));
    if (ok) {
      Click(p);
    } else {
      MoveTo(p);
      PressKey("Return");
    }
  }

  // --- the end -----------------------------------------------------------------------------------

  // Nothing the run started may outlive it: no helper Wine started for a link, no crash
  // dialog, no window of another process.
  void FinalChecks() {
    const auto gone = Eventually("the programs started for links to end", [&]() -> testing::AssertionResult {
      for (const ProbeRecord& process : RunProbe({"processes"}).OfKind("process")) {
        std::string name = process.Text("name");
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
        if (name == "winebrowser.exe" || name == "winedbg.exe" || name == "corvane.exe") {
          return testing::AssertionFailure() << name << " (pid " << process.Text("pid") << ") still runs";
        }
      }
      return testing::AssertionSuccess();
    });
    if (!gone) Fault(gone.message());
    const Scene scene = Look(0, there_);
    if (!scene.foreign.empty()) ForeignWindow(scene.foreign.front());
  }

  static constexpr int kFileNameId = 1148;  // the open-file dialog's file-name box

  const std::uint64_t seed_;
  Dice dice_;
  const Clock::time_point end_;
  const std::optional<int> budget_;
  EventLog log_;
  RunFiles files_;
  std::set<XWindowId> there_;  // windows shown before the run
  std::optional<std::vector<std::uint8_t>> settings_;
  XWindowId aboutId_ = 0;
  WindowFacts aboutFacts_;
  int lives_ = 0;
  int events_ = 0;
  std::map<std::string, int> counts_;
};

TEST(RandomInput, NeitherCrashesNorLosesTheWindowNorWritesABadRecord) {
  const std::uint64_t seed = RunSeed();
  const Millis length = RunLength();
  const std::optional<int> budget = EventBudget();
  std::cout << "random input: seed " << seed << ", up to " << length.count() / 1000 << " s"
            << (budget ? " or " + std::to_string(*budget) + " events" : std::string())
            << " (CORVANE_RANDOM_SEED=" << seed << " repeats it)" << std::endl;
  RecordProperty("seed", std::to_string(seed));
  RandomRun(seed, length, budget).Go();
}

}  // namespace
}  // namespace corvane::e2e
