// Child processes for the end-to-end tests: start with posix_spawn (the environment is
// inherited), ask whether they still run, wait for their end with a deadline, kill them.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace corvane::e2e {

// How a process ended: its exit code, or the signal that ended it.
struct ExitStatus {
  int code = 0;
  int signal = 0;

  bool Exited() const { return signal == 0; }
  std::string Describe() const;
};

// Sets an environment variable while it lives, for the processes started meanwhile (they inherit
// this process's environment), and puts back what was there before.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::string& value);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// The wine launcher: the one found when the tests were configured, else "wine" on PATH.
std::string WineProgram();

// The outcome of a command run to its end with its output captured.
struct CommandResult {
  std::optional<ExitStatus> status;  // nothing when it was killed at the deadline
  std::string out;
  std::string err;

  bool Succeeded() const { return status && status->Exited() && status->code == 0; }
};

// What a running process has used so far, all its threads together: processor time (user and
// system), and the times a thread gave up the processor to wait for something (voluntary
// context switches). A program at rest waits without waking; every timer message, X event or
// Wine server call that wakes it counts. Nothing once the process is gone.
struct ProcessUsage {
  std::chrono::milliseconds cpu{0};
  long wakeups = 0;
};
std::optional<ProcessUsage> ReadProcessUsage(pid_t pid);

class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&& other) noexcept;
  ~ChildProcess();  // kills a child that still runs

  // Starts argv[0] (looked up on PATH) in workdir, or in this process's folder when workdir is
  // empty. Standard output and error go to the given files, or are inherited when empty.
  // Throws std::runtime_error when the process cannot be started.
  static ChildProcess Start(const std::vector<std::string>& argv, const std::filesystem::path& workdir = {},
                            const std::filesystem::path& outputFile = {});

  pid_t Pid() const { return pid_; }
  bool Started() const { return pid_ > 0; }

  // True while the process has not ended. Collects its exit status once it has.
  bool Running();
  // The exit status once the process has ended (after Running() or Wait() saw it end).
  const std::optional<ExitStatus>& Status() const { return status_; }
  // Waits up to timeout for the end; the exit status, or nothing if it still runs.
  std::optional<ExitStatus> Wait(std::chrono::milliseconds timeout);
  // SIGKILL, then waits for the end. Does nothing for a process that has already ended.
  void Kill();

 private:
  friend CommandResult RunCommand(const std::vector<std::string>& argv, std::chrono::milliseconds timeout,
                                  const std::vector<std::string>& environment);
  explicit ChildProcess(pid_t pid) : pid_(pid) {}

  pid_t pid_ = -1;
  std::optional<ExitStatus> status_;
};

// Runs argv (looked up on PATH) with stdin from /dev/null, collecting standard output and error.
// `environment` ("NAME=value" each) is set for the command over this process's environment.
// A command still running at the deadline is killed.
CommandResult RunCommand(const std::vector<std::string>& argv, std::chrono::milliseconds timeout,
                         const std::vector<std::string>& environment = {});

}  // namespace corvane::e2e
