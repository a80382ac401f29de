// first_pixel: starts a program and times it from the start to the moment its window shows the
// expected colours on the X screen; then reports the peak resident memory of the process that
// drew them and ends it.
//
//   first_pixel [options] --point X,Y,RRGGBB [--point ...] -- PROGRAM [ARGUMENTS...]
//
//   --point X,Y,RRGGBB  a screen pixel and the colour it must show (several: all at once)
//   --tolerance N       largest difference per colour channel still counted as equal (default 12)
//   --process NAME      the process measured is the one in the program's process group whose
//                       command line holds NAME (a Windows program under Wine runs in a
//                       wine-preloader process the launcher starts); default: the program itself
//   --directory DIR     the program's working directory
//   --timeout SECONDS   how long to wait for the colours (default 60)
//   --hands-over        the program hands its work to one already running and may end before
//                       the colours show: that is no failure, the time runs to the colours, no
//                       memory or CPU time is read (both print as 0), and the window, which
//                       belongs to the running program, is left on the screen
//
// Time runs from just before the program is started; the screen is read about every millisecond
// (XGetImage of each point, a round trip to the server each). Once every point matches, the
// measured process is left until it has used no CPU for a quarter second (at most five
// seconds), so that what it does right after the first paint counts too, and then VmHWM (peak
// resident set) and VmRSS are read from /proc/PID/status before the whole process group is
// killed. The screen is then watched until the points no longer match, so that the next run
// starts on a clean screen. Besides the wall time, the CPU time the measured process had used
// when the colours showed is reported: on a loaded machine it varies much less. Prints one line:
//
//   first_pixel_ms=123.4 cpu_ms=80 peak_kib=45678 rss_kib=40000 pid=1234
//
// Exit status: 0 measured; 1 the colours never came, or the program ended first; 2 usage.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <dirent.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Point {
  int x = 0;
  int y = 0;
  unsigned rgb = 0;
};

struct Options {
  std::vector<Point> points;
  int tolerance = 12;
  std::string process;
  std::string directory;
  double timeoutSeconds = 60;
  bool handsOver = false;
  std::vector<char*> command;
};

[[noreturn]] void Usage(const char* why) {
  std::fprintf(stderr,
               "first_pixel: %s\nusage: first_pixel [--tolerance N] [--process NAME] "
               "[--directory DIR] [--timeout S] [--hands-over] --point X,Y,RRGGBB... -- PROGRAM [ARGS...]\n",
               why);
  std::exit(2);
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  int i = 1;
  for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
    const std::string name = argv[i];
    if (name == "--hands-over") {
      options.handsOver = true;
      continue;
    }
    if (i + 1 >= argc) Usage("an option lacks its value");
    const char* value = argv[++i];
    if (name == "--point") {
      Point p;
      if (std::sscanf(value, "%d,%d,%x", &p.x, &p.y, &p.rgb) != 3) Usage("a point is X,Y,RRGGBB");
      options.points.push_back(p);
    } else if (name == "--tolerance") {
      options.tolerance = std::atoi(value);
    } else if (name == "--process") {
      options.process = value;
    } else if (name == "--directory") {
      options.directory = value;
    } else if (name == "--timeout") {
      options.timeoutSeconds = std::atof(value);
    } else {
      Usage(("unknown option " + name).c_str());
    }
  }
  if (options.points.empty()) Usage("no --point given");
  for (++i; i < argc; ++i) options.command.push_back(argv[i]);
  if (options.command.empty()) Usage("no program given after --");
  options.command.push_back(nullptr);
  return options;
}

// The screen's colours at the sample points, read straight from the server.
class ScreenReader {
 public:
  // A loaded server may turn a connection away for a moment: a few tries, then a failure.
  ScreenReader() {
    for (int attempt = 0; attempt < 20 && !display_; ++attempt) {
      if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(250));
      display_ = XOpenDisplay(nullptr);
    }
    if (!display_) {
      std::fprintf(stderr, "first_pixel: cannot open the X display\n");
      std::exit(1);
    }
    root_ = DefaultRootWindow(display_);
  }
  ~ScreenReader() { XCloseDisplay(display_); }
  ScreenReader(const ScreenReader&) = delete;
  ScreenReader& operator=(const ScreenReader&) = delete;

  std::optional<unsigned> ColourAt(int x, int y) const {
    XImage* image = XGetImage(display_, root_, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return std::nullopt;
    const unsigned long pixel = XGetPixel(image, 0, 0);
    const unsigned rgb = Channel(pixel, image->red_mask) << 16 | Channel(pixel, image->green_mask) << 8 |
                         Channel(pixel, image->blue_mask);
    XDestroyImage(image);
    return rgb;
  }

 private:
  // The 8-bit value of one channel of a true-colour pixel.
  static unsigned Channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    const unsigned long top = mask >> shift;
    const unsigned long value = (pixel & mask) >> shift;
    return static_cast<unsigned>(value * 255 / top);
  }

  Display* display_ = nullptr;
  Window root_ = None;
};

bool Near(unsigned a, unsigned b, int tolerance) {
  for (int shift = 0; shift <= 16; shift += 8) {
    const int difference = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    if (std::abs(difference) > tolerance) return false;
  }
  return true;
}

bool AllMatch(const ScreenReader& screen, const Options& options) {
  for (const Point& p : options.points) {
    const std::optional<unsigned> colour = screen.ColourAt(p.x, p.y);
    if (!colour || !Near(*colour, p.rgb, options.tolerance)) return false;
  }
  return true;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A field such as "VmHWM:" of /proc/PID/status, in KiB; 0 when it cannot be read.
long StatusKib(pid_t pid, const std::string& field) {
  std::istringstream status(ReadFile("/proc/" + std::to_string(pid) + "/status"));
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + field.size());
  }
  return 0;
}

// User and system CPU time the process has used, in clock ticks; -1 once it is gone.
long long CpuTicks(pid_t pid) {
  const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
  const std::size_t end = stat.rfind(')');
  if (end == std::string::npos) return -1;
  std::istringstream fields(stat.substr(end + 2));
  std::string field;
  long long ticks = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14 || i == 15) ticks += std::atoll(field.c_str());
  }
  return ticks;
}

// The process of the group whose command line holds `name`; the group's leader without a name.
pid_t MeasuredProcess(pid_t group, const std::string& name) {
  if (name.empty()) return group;
  DIR* proc = opendir("/proc");
  pid_t found = 0;
  while (dirent* entry = proc ? readdir(proc) : nullptr) {
    const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
    if (pid <= 0 || getpgid(pid) != group) continue;
    std::string commandLine = ReadFile("/proc/" + std::to_string(pid) + "/cmdline");
    for (char& c : commandLine) c = c == '\0' ? ' ' : c;
    if (commandLine.find(name) != std::string::npos) {
      found = pid;
      break;
    }
  }
  if (proc) closedir(proc);
  return found;
}

// Waits until the process has used no CPU for a quarter second, five seconds at most.
void WaitUntilIdle(pid_t pid) {
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  long long before = CpuTicks(pid);
  while (Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    const long long now = CpuTicks(pid);
    if (now == before || now < 0) return;
    before = now;
  }
}

bool ChildEnded(pid_t child) {
  int status = 0;
  return waitpid(child, &status, WNOHANG) == child;
}

// The program's process group, ended with first_pixel when that is interrupted.
volatile sig_atomic_t startedGroup = 0;

void EndStartedGroup(int signal) {
  if (startedGroup > 0) kill(-static_cast<pid_t>(startedGroup), SIGKILL);
  _exit(128 + signal);
}

pid_t Start(const Options& options) {
  std::signal(SIGINT, EndStartedGroup);
  std::signal(SIGTERM, EndStartedGroup);
  std::signal(SIGHUP, EndStartedGroup);
  const pid_t child = fork();
  if (child < 0) {
    std::perror("first_pixel: fork");
    std::exit(1);
  }
  if (child == 0) {
    setpgid(0, 0);
    if (!options.directory.empty() && chdir(options.directory.c_str()) != 0) _exit(127);
    execvp(options.command[0], options.command.data());
    std::perror("first_pixel: exec");
    _exit(127);
  }
  setpgid(child, child);
  startedGroup = child;
  return child;
}

void Stop(pid_t child) {
  kill(-child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = ParseOptions(argc, argv);
  const ScreenReader screen;
  if (AllMatch(screen, options)) {
    std::fprintf(stderr, "first_pixel: the screen already shows the expected colours before the start\n");
    return 1;
  }
  const auto timeout =
      std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options.timeoutSeconds));

  const auto start = Clock::now();
  const pid_t child = Start(options);
  bool shown = false;
  bool ended = false;
  while (Clock::now() - start < timeout) {
    if (AllMatch(screen, options)) {
      shown = true;
      break;
    }
    if (!ended && ChildEnded(child)) {
      ended = true;
      if (!options.handsOver) break;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  const double elapsedMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  if (!shown) {
    std::fprintf(
        stderr, "first_pixel: %s\n",
        ended ? "the program ended before its window showed the colours" : "the expected colours did not show in time");
    if (!ended) Stop(child);
    return 1;
  }

  if (options.handsOver) {
    if (!ended) Stop(child);
    std::printf("first_pixel_ms=%.1f cpu_ms=0 peak_kib=0 rss_kib=0 pid=%d\n", elapsedMs, static_cast<int>(child));
    return 0;
  }

  const pid_t measured = MeasuredProcess(child, options.process);
  if (measured == 0) {
    std::fprintf(stderr, "first_pixel: no process of the program's group runs %s\n", options.process.c_str());
    Stop(child);
    return 1;
  }
  const long long cpuMs = CpuTicks(measured) * 1000 / sysconf(_SC_CLK_TCK);
  WaitUntilIdle(measured);
  const long peak = StatusKib(measured, "VmHWM:");
  const long rss = StatusKib(measured, "VmRSS:");
  Stop(child);

  // The next run must not find this run's window still on the screen.
  const auto gone = Clock::now() + std::chrono::seconds(10);
  while (AllMatch(screen, options) && Clock::now() < gone) std::this_thread::sleep_for(std::chrono::milliseconds(5));

  std::printf("first_pixel_ms=%.1f cpu_ms=%lld peak_kib=%ld rss_kib=%ld pid=%d\n", elapsedMs, cpuMs, peak, rss,
              static_cast<int>(measured));
  return peak > 0 ? 0 : 1;
}
