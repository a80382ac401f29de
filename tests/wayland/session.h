// The Wayland end-to-end tests' harness: the headless sway that scripts/test.sh starts as an
// unprivileged user, the real Linux program run as that user in a folder of its own, pointer
// input through a virtual pointer of the tests' own, keys through wtype, screenshots through
// grim.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct wl_display;
struct wl_registry;
struct wl_seat;
struct zwlr_virtual_pointer_manager_v1;
struct zwlr_virtual_pointer_v1;

namespace corvane::wayland_e2e {

using namespace std::chrono_literals;

struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  int Right() const { return x + width; }
  int Bottom() const { return y + height; }
  friend bool operator==(const Rect&, const Rect&) = default;
};
std::ostream& operator<<(std::ostream& out, const Rect& r);

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  static constexpr Rgb Hex(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
  }
};
bool Near(Rgb a, Rgb b, int tolerance = 8);
std::ostream& operator<<(std::ostream& out, const Rgb& c);

// The whole layout's pixels, as grim captures them.
class Screenshot {
 public:
  Screenshot(int width, int height, std::vector<std::uint8_t> rgb)
      : width_(width), height_(height), rgb_(std::move(rgb)) {}
  int Width() const { return width_; }
  int Height() const { return height_; }
  Rgb At(int x, int y) const;
  // The smallest rectangle holding every pixel of `colour` within `area`; nullopt when there is
  // none.
  std::optional<Rect> BoundsOf(Rgb colour, const Rect& area, int tolerance = 8) const;

 private:
  int width_;
  int height_;
  std::vector<std::uint8_t> rgb_;
};

// The compositor scripts/test.sh started: its sockets and its user.
class Compositor {
 public:
  // Null when the test command started none.
  static Compositor* Get();
  uid_t Uid() const { return uid_; }
  gid_t Gid() const { return gid_; }
  // What a client of the session sees: its runtime folder and Wayland socket, and no X display.
  std::vector<std::string> ClientEnvironment(const std::filesystem::path& home) const;
  // grim's capture of the whole layout; saved as build/e2e-screenshots/wayland-<name>.png too
  // when a name is given.
  Screenshot Capture(const std::string& name = "") const;
  // swaymsg's answer (the IPC socket's), or an empty string when it fails.
  std::string Sway(const std::vector<std::string>& args) const;
  // The active outputs' names and rectangles in the layout, as sway reports them.
  struct Output {
    std::string name;
    Rect rect;
  };
  std::vector<Output> Outputs() const;
  // Keys through wtype's virtual keyboard: its arguments (-M ctrl -k t -m ctrl, say).
  void Keys(const std::vector<std::string>& args) const;
  // Runs a program as the session's user and waits for it: its exit status.
  int RunAsUser(const std::vector<std::string>& argv, const std::filesystem::path& folder,
                std::chrono::milliseconds timeout) const;
  // Starts a program as the session's user in `folder` (output in folder/<name>.log): its pid.
  pid_t SpawnAsUser(const std::vector<std::string>& argv, const std::filesystem::path& folder) const;

 private:
  Compositor() = default;
  std::map<std::string, std::string> Env() const;
  std::string runtimeDir_, display_, swaySock_, user_, home_;
  uid_t uid_ = 0;
  gid_t gid_ = 0;
};

// The tests' own pointer on the seat: absolute moves over the whole layout, buttons, wheel.
class Pointer {
 public:
  explicit Pointer(const Compositor& compositor);
  ~Pointer();
  Pointer(const Pointer&) = delete;
  Pointer& operator=(const Pointer&) = delete;
  void MoveTo(int x, int y);
  void Press(std::uint32_t button = kLeft);
  void Release(std::uint32_t button = kLeft);
  void Click(int x, int y, std::uint32_t button = kLeft);
  void DoubleClick(int x, int y);
  // Moves there with the left button down, in steps as a hand does.
  void Drag(int fromX, int fromY, int toX, int toY);
  // Whole wheel notches, up for a positive count.
  void Wheel(int notches);

  static constexpr std::uint32_t kLeft = 0x110;   // BTN_LEFT
  static constexpr std::uint32_t kRight = 0x111;  // BTN_RIGHT

 private:
  void Flush();
  Rect Layout() const;
  std::uint32_t Now() const;
  const Compositor& compositor_;
  wl_display* display_ = nullptr;
  wl_registry* registry_ = nullptr;
  wl_seat* seat_ = nullptr;
  zwlr_virtual_pointer_manager_v1* manager_ = nullptr;
  zwlr_virtual_pointer_v1* pointer_ = nullptr;
  int x_ = 0, y_ = 0;
};

// One run of the Linux program as the session's user, from a copy of it in a folder of its own
// (the settings file is written beside the program).
class Program {
 public:
  explicit Program(const Compositor& compositor);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  const std::filesystem::path& Folder() const { return folder_; }
  // The settings file the run starts with: a place in pixels and the help panel.
  void WriteSettings(int leftPixels, int topPixels);
  // The place saved in the settings file, in pixels; nullopt without a readable file.
  std::optional<std::pair<int, int>> SavedPlace() const;
  void Start(const std::vector<std::string>& args = {});
  bool Running();
  // Whether it ended within `timeout`, and how.
  testing::AssertionResult WaitForExit(std::chrono::milliseconds timeout, int* status = nullptr);
  // A second start, with `args`: it hands them over and ends; its exit status.
  int SecondStart(const std::vector<std::string>& args) const;
  void Stop();

 private:
  const Compositor& compositor_;
  std::filesystem::path folder_;
  pid_t pid_ = -1;
};

// Polls `condition` until it holds or `timeout` passes: the last answer.
testing::AssertionResult Eventually(const std::string& what, const std::function<testing::AssertionResult()>& condition,
                                    std::chrono::milliseconds timeout = 10s);

}  // namespace corvane::wayland_e2e
