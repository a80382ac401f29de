// One Corvane under test: its own copy of Corvane.exe (or, for the native target, of the Linux
// program) in a fresh temporary folder (the settings file lives beside the program, so every
// test owns its own), started with wine (or directly), watched and, if it is still running at
// the end, killed.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "process.h"
#include "target.h"
#include "wait.h"
#include "x11.h"

namespace corvane::e2e {

// The title of the picture window while it shows the help panel.
inline constexpr char kHelpTitle[] = "Corvane Standard  v0.02";
inline constexpr char kSettingsFileName[] = "corvane.ini";

class App {
 public:
  App();  // makes the folder and copies Corvane.exe into it
  // Stops the program if it runs and removes the folder. After a failed test it first saves a
  // screenshot (build/e2e-screenshots/<test>-failure.png) and prints the program's output.
  ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  const std::filesystem::path& Folder() const { return folder_; }
  std::filesystem::path Exe() const { return folder_ / (NativeTarget() ? "corvane" : "Corvane.exe"); }
  // The command that starts the program in the folder: wine Corvane.exe, or the program.
  std::vector<std::string> Command() const;
  std::filesystem::path SettingsFile() const { return folder_ / kSettingsFileName; }
  // The folder as the program sees it, e.g. Z:\tmp\corvane-e2e-Ab12Cd\app (the native
  // program sees the Unix path).
  std::string WindowsFolder() const;
  // A file in the folder as the program names it.
  std::string ProgramPath(const std::string& name) const;

  // Writes the settings file before a start.
  void WriteSettings(const std::vector<std::uint8_t>& bytes) const;
  // The settings file's bytes, or nothing when there is no such file.
  std::optional<std::vector<std::uint8_t>> ReadSettings() const;

  // Starts `wine Corvane.exe args...` in the folder, with this process's environment. Its
  // output goes to a log that is printed if the test fails.
  void Start(const std::vector<std::string>& args = {});
  pid_t Pid() const { return process_.Pid(); }
  bool Running() { return process_.Running(); }
  // Success once the program has ended, with how it ended in the message.
  testing::AssertionResult WaitForExit(Millis timeout = kDefaultTimeout);
  const std::optional<ExitStatus>& Exit() const { return process_.Status(); }

  // Waits for a shown X window of this program named `title`.
  testing::AssertionResult WaitForWindow(const std::string& title, XTopLevel* found, Millis timeout = kDefaultTimeout);

  // Kills the program if it still runs and waits until Wine no longer lists it, so that its
  // single-instance mark is gone and the next Corvane can start.
  void Stop();

 private:
  std::filesystem::path base_;    // removed at the end
  std::filesystem::path folder_;  // base_/app, holding Corvane.exe
  std::filesystem::path log_;     // base_/output.log
  ChildProcess process_;
};

}  // namespace corvane::e2e
