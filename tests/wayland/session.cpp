#include "session.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "app/settings_file.h"
#include "virtual-pointer-client.h"

namespace corvane::wayland_e2e {

namespace fs = std::filesystem;

namespace {

constexpr int kTwipsPerPixel = 15;

std::string Getenv(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Runs `argv` with `env` added to this process's environment; its standard output, and its
// exit status in `status` (-1 when it could not start or outlived `timeout` and was killed).
std::string Run(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                std::chrono::milliseconds timeout, int* status = nullptr) {
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    const int null = open("/dev/null", O_RDWR);
    dup2(null, STDIN_FILENO);
    for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
    unsetenv("DISPLAY");
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(out[1]);
  std::string text;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  char buffer[65536];
  bool killed = false;
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      kill(pid, SIGKILL);
      killed = true;
      break;
    }
    pollfd p{out[0], POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    const ssize_t n = read(out[0], buffer, sizeof buffer);
    if (n <= 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  close(out[0]);
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  if (status) *status = killed || !WIFEXITED(wstatus) ? -1 : WEXITSTATUS(wstatus);
  return text;
}

// The child's side of a start as the session's user: its identity, folder, environment and
// output, then the program.
[[noreturn]] void ExecAsUser(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                             const fs::path& folder, uid_t uid, gid_t gid, const fs::path& log) {
  const int output = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (output >= 0) {
    dup2(output, STDOUT_FILENO);
    dup2(output, STDERR_FILENO);
  }
  const int null = open("/dev/null", O_RDONLY);
  dup2(null, STDIN_FILENO);
  if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0 || chdir(folder.c_str()) != 0) _exit(126);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  std::vector<char*> envp;
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  execvpe(args[0], args.data(), envp.data());
  _exit(127);
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const Rect& r) {
  return out << "(" << r.x << ", " << r.y << ") " << r.width << "x" << r.height;
}

bool Near(Rgb a, Rgb b, int tolerance) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
  return out << text;
}

Rgb Screenshot::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return {};
  const std::size_t i =
      (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)) * 3;
  return {rgb_[i], rgb_[i + 1], rgb_[i + 2]};
}

std::optional<Rect> Screenshot::BoundsOf(Rgb colour, const Rect& area, int tolerance) const {
  int left = width_, top = height_, right = -1, bottom = -1;
  for (int y = std::max(0, area.y); y < std::min(height_, area.Bottom()); ++y) {
    for (int x = std::max(0, area.x); x < std::min(width_, area.Right()); ++x) {
      if (!Near(At(x, y), colour, tolerance)) continue;
      left = std::min(left, x);
      top = std::min(top, y);
      right = std::max(right, x);
      bottom = std::max(bottom, y);
    }
  }
  if (right < 0) return std::nullopt;
  return Rect{left, top, right - left + 1, bottom - top + 1};
}

Compositor* Compositor::Get() {
  static Compositor* compositor = []() -> Compositor* {
    auto* c = new Compositor;
    c->runtimeDir_ = Getenv("CORVANE_WAYLAND_RUNTIME_DIR");
    c->display_ = Getenv("CORVANE_WAYLAND_DISPLAY");
    c->swaySock_ = Getenv("CORVANE_SWAYSOCK");
    c->user_ = Getenv("CORVANE_WAYLAND_USER");
    c->home_ = Getenv("CORVANE_WAYLAND_HOME");
    const passwd* user = c->user_.empty() ? nullptr : getpwnam(c->user_.c_str());
    if (c->runtimeDir_.empty() || c->display_.empty() || !user) {
      delete c;
      return nullptr;
    }
    c->uid_ = user->pw_uid;
    c->gid_ = user->pw_gid;
    return c;
  }();
  return compositor;
}

std::map<std::string, std::string> Compositor::Env() const {
  return {{"XDG_RUNTIME_DIR", runtimeDir_}, {"WAYLAND_DISPLAY", display_}, {"SWAYSOCK", swaySock_}};
}

std::vector<std::string> Compositor::ClientEnvironment(const fs::path& home) const {
  return {"PATH=/usr/bin:/bin",
          "HOME=" + home.string(),
          "XDG_RUNTIME_DIR=" + runtimeDir_,
          "WAYLAND_DISPLAY=" + display_,
          "XDG_CONFIG_HOME=" + (home / ".config").string(),
          "XDG_CACHE_HOME=" + home_ + "/.cache",
          "LANG=C.UTF-8"};
}

Screenshot Compositor::Capture(const std::string& name) const {
  int status = 0;
  const std::string ppm = Run({"grim", "-t", "ppm", "-"}, Env(), 20s, &status);
  if (!name.empty()) {
    const fs::path folder = CORVANE_E2E_SCREENSHOT_DIR;
    fs::create_directories(folder);
    Run({"grim", (folder / ("wayland-" + name + ".png")).string()}, Env(), 20s);
  }
  // P6 <width> <height> 255 <pixels>
  std::istringstream in(ppm);
  std::string magic;
  int width = 0, height = 0, depth = 0;
  in >> magic >> width >> height >> depth;
  in.get();
  const std::size_t size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
  if (status != 0 || magic != "P6" || depth != 255 || ppm.size() < size) throw std::runtime_error("grim failed");
  std::vector<std::uint8_t> rgb(ppm.end() - static_cast<std::ptrdiff_t>(size), ppm.end());
  return Screenshot(width, height, std::move(rgb));
}

std::string Compositor::Sway(const std::vector<std::string>& args) const {
  std::vector<std::string> argv{"swaymsg", "-s", swaySock_};
  argv.insert(argv.end(), args.begin(), args.end());
  int status = 0;
  std::string answer = Run(argv, Env(), 10s, &status);
  return status == 0 ? answer : "";
}

std::vector<Compositor::Output> Compositor::Outputs() const {
  const std::string json = Sway({"-t", "get_outputs", "-r"});
  static const std::regex rect(
      R"re("rect":\s*\{\s*"x":\s*(-?\d+),\s*"y":\s*(-?\d+),\s*"width":\s*(\d+),\s*"height":\s*(\d+))re");
  static const std::regex name(R"re("name":\s*"([^"]+)")re");
  static const std::regex active(R"re("active":\s*true)re");
  // One piece of the answer per output: each begins with its "type".
  std::vector<Output> outputs;
  std::size_t start = json.find("\"type\": \"output\"");
  while (start != std::string::npos) {
    const std::size_t next = json.find("\"type\": \"output\"", start + 1);
    const std::string piece = json.substr(start, next == std::string::npos ? std::string::npos : next - start);
    std::smatch r, n;
    if (std::regex_search(piece, active) && std::regex_search(piece, r, rect) && std::regex_search(piece, n, name)) {
      outputs.push_back({n[1], {std::stoi(r[1]), std::stoi(r[2]), std::stoi(r[3]), std::stoi(r[4])}});
    }
    start = next;
  }
  return outputs;
}

void Compositor::Keys(const std::vector<std::string>& args) const {
  std::vector<std::string> argv{"wtype"};
  argv.insert(argv.end(), args.begin(), args.end());
  Run(argv, Env(), 10s);
}

pid_t Compositor::SpawnAsUser(const std::vector<std::string>& argv, const fs::path& folder) const {
  const std::vector<std::string> env = ClientEnvironment(folder);
  const fs::path log = folder / (fs::path(argv[0]).filename().string() + ".log");
  const pid_t pid = fork();
  if (pid == 0) ExecAsUser(argv, env, folder, uid_, gid_, log);
  return pid;
}

int Compositor::RunAsUser(const std::vector<std::string>& argv, const fs::path& folder,
                          std::chrono::milliseconds timeout) const {
  const pid_t pid = SpawnAsUser(argv, folder);
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(20ms);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// --- the pointer ------------------------------------------------------------------------------

namespace {

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) {
  auto* found = static_cast<std::pair<wl_seat*, zwlr_virtual_pointer_manager_v1*>*>(data);
  if (std::strcmp(interface, wl_seat_interface.name) == 0 && !found->first) {
    found->first = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  }
  if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
    found->second = static_cast<zwlr_virtual_pointer_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
  }
}
void OnGlobalRemove(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener kRegistryListener{OnGlobal, OnGlobalRemove};

}  // namespace

// The layout's extent: absolute moves are fractions of it.
Rect Pointer::Layout() const {
  Rect all{0, 0, 0, 0};
  int right = 0, bottom = 0;
  for (const Compositor::Output& output : compositor_.Outputs()) {
    const Rect& r = output.rect;
    all.x = std::min(all.x, r.x);
    all.y = std::min(all.y, r.y);
    right = std::max(right, r.Right());
    bottom = std::max(bottom, r.Bottom());
  }
  all.width = right - all.x;
  all.height = bottom - all.y;
  return all;
}

Pointer::Pointer(const Compositor& compositor) : compositor_(compositor) {
  setenv("XDG_RUNTIME_DIR", Getenv("CORVANE_WAYLAND_RUNTIME_DIR").c_str(), 1);
  display_ = wl_display_connect(Getenv("CORVANE_WAYLAND_DISPLAY").c_str());
  if (!display_) throw std::runtime_error("no connection to the compositor");
  std::pair<wl_seat*, zwlr_virtual_pointer_manager_v1*> found{nullptr, nullptr};
  registry_ = wl_display_get_registry(display_);
  wl_registry_add_listener(registry_, &kRegistryListener, &found);
  wl_display_roundtrip(display_);
  seat_ = found.first;
  manager_ = found.second;
  if (!manager_) throw std::runtime_error("the compositor offers no virtual pointer");
  pointer_ = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager_, seat_);
  Flush();
}

Pointer::~Pointer() {
  if (pointer_) zwlr_virtual_pointer_v1_destroy(pointer_);
  if (manager_) zwlr_virtual_pointer_manager_v1_destroy(manager_);
  if (seat_) wl_seat_destroy(seat_);
  if (registry_) wl_registry_destroy(registry_);
  if (display_) {
    wl_display_roundtrip(display_);
    wl_display_disconnect(display_);
  }
}

std::uint32_t Pointer::Now() const {
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count());
}

void Pointer::Flush() {
  zwlr_virtual_pointer_v1_frame(pointer_);
  wl_display_roundtrip(display_);
}

void Pointer::MoveTo(int x, int y) {
  const Rect layout = Layout();
  x_ = x;
  y_ = y;
  zwlr_virtual_pointer_v1_motion_absolute(
      pointer_, Now(), static_cast<std::uint32_t>(x - layout.x), static_cast<std::uint32_t>(y - layout.y),
      static_cast<std::uint32_t>(layout.width), static_cast<std::uint32_t>(layout.height));
  Flush();
}

void Pointer::Press(std::uint32_t button) {
  zwlr_virtual_pointer_v1_button(pointer_, Now(), button, WL_POINTER_BUTTON_STATE_PRESSED);
  Flush();
}

void Pointer::Release(std::uint32_t button) {
  zwlr_virtual_pointer_v1_button(pointer_, Now(), button, WL_POINTER_BUTTON_STATE_RELEASED);
  Flush();
}

void Pointer::Click(int x, int y, std::uint32_t button) {
  MoveTo(x, y);
  std::this_thread::sleep_for(50ms);
  Press(button);
  Release(button);
}

void Pointer::DoubleClick(int x, int y) {
  Click(x, y);
  std::this_thread::sleep_for(60ms);
  Press();
  Release();
}

void Pointer::Drag(int fromX, int fromY, int toX, int toY) {
  MoveTo(fromX, fromY);
  std::this_thread::sleep_for(50ms);
  Press();
  constexpr int kSteps = 20;
  for (int step = 1; step <= kSteps; ++step) {
    MoveTo(fromX + (toX - fromX) * step / kSteps, fromY + (toY - fromY) * step / kSteps);
    std::this_thread::sleep_for(15ms);
  }
  std::this_thread::sleep_for(100ms);
  Release();
}

void Pointer::Wheel(int notches) {
  zwlr_virtual_pointer_v1_axis_source(pointer_, WL_POINTER_AXIS_SOURCE_WHEEL);
  zwlr_virtual_pointer_v1_axis_discrete(pointer_, Now(), WL_POINTER_AXIS_VERTICAL_SCROLL,
                                        wl_fixed_from_int(-15 * notches), -notches);
  Flush();
}

// --- the program ------------------------------------------------------------------------------

Program::Program(const Compositor& compositor) : compositor_(compositor) {
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(test->test_suite_name()) + "." + test->name();
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  folder_ = fs::path(Getenv("CORVANE_WAYLAND_RUNS")) / name;
  fs::remove_all(folder_);
  fs::create_directories(folder_);
  fs::copy_file(CORVANE_LINUX_PATH, folder_ / "corvane");
  for (const fs::path& p : {folder_, folder_ / "corvane"}) {
    if (chown(p.c_str(), compositor_.Uid(), compositor_.Gid()) != 0) throw std::runtime_error("chown failed");
  }
}

Program::~Program() { Stop(); }

void Program::WriteSettings(int leftPixels, int topPixels) {
  const fs::path file = folder_ / kSettingsFileName;
  std::ofstream(file, std::ios::binary) << EncodeSettingsRecord(leftPixels * kTwipsPerPixel, topPixels * kTwipsPerPixel,
                                                                NoPictureMarker);
  if (chown(file.c_str(), compositor_.Uid(), compositor_.Gid()) != 0) throw std::runtime_error("chown failed");
}

std::optional<std::pair<int, int>> Program::SavedPlace() const {
  std::ifstream in(folder_ / kSettingsFileName, std::ios::binary);
  unsigned char bytes[8];
  if (!in.read(reinterpret_cast<char*>(bytes), sizeof bytes)) return std::nullopt;
  const auto int32 = [&](int at) {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
        static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24);
  };
  const auto px = [](std::int32_t twips) { return static_cast<int>(std::lround(twips / double(kTwipsPerPixel))); };
  return std::make_pair(px(int32(0)), px(int32(4)));
}

void Program::Start(const std::vector<std::string>& args) {
  std::vector<std::string> argv{(folder_ / "corvane").string()};
  argv.insert(argv.end(), args.begin(), args.end());
  pid_ = compositor_.SpawnAsUser(argv, folder_);
}

bool Program::Running() { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }

testing::AssertionResult Program::WaitForExit(std::chrono::milliseconds timeout, int* status) {
  if (pid_ <= 0) return testing::AssertionFailure() << "Corvane was not started";
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  int wstatus = 0;
  while (waitpid(pid_, &wstatus, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) return testing::AssertionFailure() << "Corvane still runs";
    std::this_thread::sleep_for(20ms);
  }
  pid_ = -1;
  if (status) *status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  return testing::AssertionSuccess();
}

int Program::SecondStart(const std::vector<std::string>& args) const {
  std::vector<std::string> argv{(folder_ / "corvane").string()};
  argv.insert(argv.end(), args.begin(), args.end());
  return compositor_.RunAsUser(argv, folder_, 20s);
}

void Program::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  if (!WaitForExit(5s)) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  pid_ = -1;
}

testing::AssertionResult Eventually(const std::string& what, const std::function<testing::AssertionResult()>& condition,
                                    std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    testing::AssertionResult result = condition();
    if (result) return result;
    if (std::chrono::steady_clock::now() > deadline)
      return testing::AssertionFailure() << what << ": " << result.message();
    std::this_thread::sleep_for(100ms);
  }
}

}  // namespace corvane::wayland_e2e
