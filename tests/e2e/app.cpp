#include "app.h"

#include <stdlib.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>

#include "probe.h"

namespace corvane::e2e {

namespace {

std::filesystem::path MakeTempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "corvane-e2e-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed for " + pattern);
  return pattern;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

}  // namespace

App::App() : base_(MakeTempFolder()), folder_(base_ / "app"), log_(base_ / "output.log") {
  const std::filesystem::path exe = NativeTarget() ? CORVANE_LINUX_PATH : CORVANE_EXE_PATH;
  if (!std::filesystem::exists(exe)) {
    std::filesystem::remove_all(base_);
    throw std::runtime_error(exe.string() + " does not exist: build the " + (NativeTarget() ? "linux" : "windows") +
                             " preset first");
  }
  std::filesystem::create_directory(folder_);
  std::filesystem::copy_file(exe, Exe());
}

App::~App() {
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  const bool failed = test && test->result()->Failed();
  if (failed) {
    // The screen as it was when the test gave up, before anything is stopped.
    try {
      std::cerr << "screen at the failure: " << SaveScreenshot(CaptureScreen(), "failure").string() << "\n";
    } catch (const std::exception& e) {
      std::cerr << "no screenshot of the failure: " << e.what() << "\n";
    }
  }
  try {
    Stop();
  } catch (const std::exception& e) {
    ADD_FAILURE() << "stopping Corvane failed: " << e.what();
  }
  if (failed) {
    std::ifstream in(log_);
    const std::string output((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!output.empty()) std::cerr << "--- output of Corvane ---\n" << output << "---\n";
  }
  std::error_code ignored;
  std::filesystem::remove_all(base_, ignored);
}

std::vector<std::string> App::Command() const {
  if (NativeTarget()) return {Exe().string()};
  return {WineProgram(), Exe().string()};
}

std::string App::ProgramPath(const std::string& name) const {
  return NativeTarget() ? (folder_ / name).string() : WindowsFolder() + "\\" + name;
}

std::string App::WindowsFolder() const {
  if (NativeTarget()) return folder_.string();
  std::string path = "Z:" + folder_.string();
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

void App::WriteSettings(const std::vector<std::uint8_t>& bytes) const {
  std::ofstream out(SettingsFile(), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + SettingsFile().string());
}

std::optional<std::vector<std::uint8_t>> App::ReadSettings() const {
  std::ifstream in(SettingsFile(), std::ios::binary);
  if (!in) return std::nullopt;
  return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void App::Start(const std::vector<std::string>& args) {
  if (process_.Started()) throw std::logic_error("this App was started already");
  // The program inherits the tests' environment: settle which display it opens before it starts,
  // even when no test step has talked to the X server yet.
  TargetDisplay();
  std::vector<std::string> argv = Command();
  argv.insert(argv.end(), args.begin(), args.end());
  process_ = ChildProcess::Start(argv, folder_, log_);
}

testing::AssertionResult App::WaitForExit(Millis timeout) {
  if (!process_.Started()) return testing::AssertionFailure() << "Corvane was never started";
  if (const auto status = process_.Wait(timeout)) {
    return testing::AssertionSuccess() << "Corvane ended with " << status->Describe();
  }
  return testing::AssertionFailure() << "Corvane (pid " << Pid() << ") still runs after " << timeout.count() << " ms";
}

testing::AssertionResult App::WaitForWindow(const std::string& title, XTopLevel* found, Millis timeout) {
  SettledPlace place;
  bool ended = false;
  testing::AssertionResult result = Eventually(
      "a shown X window of Corvane (pid " + std::to_string(Pid()) + ") named \"" + title + "\"",
      [&] {
        for (const XTopLevel& window : TopLevelWindows()) {
          if (window.mapped && window.name == title && window.pid == Pid()) {
            if (found) *found = window;
            return place.Holds(window.rect);
          }
        }
        place.Forget();
        ended = !Running();
        return ended;  // no use waiting any longer
      },
      timeout);
  if (ended) {
    return testing::AssertionFailure() << "Corvane ended (" << Exit()->Describe()
                                       << ") without showing a window named \"" << title << "\"";
  }
  return result;
}

void App::Stop() {
  if (!process_.Running()) return;
  process_.Kill();
  // The kernel drops the native program's instance lock with the process.
  if (NativeTarget()) return;
  // The Unix process is gone; the Windows one is gone once wineserver has noticed.
  const std::string prefix = Lower(WindowsFolder() + "\\");
  const auto gone = Eventually("Wine to forget the killed Corvane in " + WindowsFolder(), [&] {
    for (const ProbeRecord& process : RunProbe({"processes"}).OfKind("process")) {
      if (Lower(process.Text("path")).rfind(prefix, 0) == 0) return false;
    }
    return true;
  });
  if (!gone) throw std::runtime_error(gone.message());
}

}  // namespace corvane::e2e
