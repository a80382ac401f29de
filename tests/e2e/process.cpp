#include "process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace corvane::e2e {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPollInterval = std::chrono::milliseconds(10);

ExitStatus FromWaitStatus(int status) {
  ExitStatus result;
  if (WIFEXITED(status)) result.code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

// Owns a posix_spawn_file_actions_t.
class FileActions {
 public:
  FileActions() { posix_spawn_file_actions_init(&actions_); }
  ~FileActions() { posix_spawn_file_actions_destroy(&actions_); }
  FileActions(const FileActions&) = delete;
  FileActions& operator=(const FileActions&) = delete;
  posix_spawn_file_actions_t* get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

// This process's environment with `overrides` ("NAME=value") put in place of, or beside, its own.
std::vector<std::string> MergedEnvironment(const std::vector<std::string>& overrides) {
  std::vector<std::string> merged;
  for (char** entry = environ; *entry; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('=') + 1);
    bool replaced = false;
    for (const std::string& o : overrides) replaced = replaced || o.rfind(name, 0) == 0;
    if (!replaced) merged.push_back(text);
  }
  merged.insert(merged.end(), overrides.begin(), overrides.end());
  return merged;
}

pid_t Spawn(const std::vector<std::string>& argv, FileActions& actions,
            const std::vector<std::string>& environment = {}) {
  if (argv.empty()) throw std::runtime_error("no program to start");
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  const std::vector<std::string> merged = MergedEnvironment(environment);
  std::vector<char*> env;
  for (const std::string& entry : merged) env.push_back(const_cast<char*>(entry.c_str()));
  env.push_back(nullptr);
  pid_t pid = -1;
  const int error =
      posix_spawnp(&pid, args[0], actions.get(), nullptr, args.data(), environment.empty() ? environ : env.data());
  if (error != 0) throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(error));
  return pid;
}

// Appends what the pipe holds now; false once it is closed (or broken).
bool Drain(int fd, std::string& into) {
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) {
      into.append(buffer, static_cast<size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    return n < 0 && errno == EAGAIN;
  }
}

}  // namespace

std::string ExitStatus::Describe() const {
  if (signal != 0) return "killed by signal " + std::to_string(signal) + " (" + strsignal(signal) + ")";
  return "exit code " + std::to_string(code);
}

ScopedEnvironment::ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
  if (const char* old = std::getenv(name)) old_ = old;
  setenv(name, value.c_str(), 1);
}

ScopedEnvironment::~ScopedEnvironment() {
  if (old_) {
    setenv(name_, old_->c_str(), 1);
  } else {
    unsetenv(name_);
  }
}

std::string WineProgram() {
  const std::string configured = CORVANE_WINE_PATH;
  if (!configured.empty() && configured.find("NOTFOUND") == std::string::npos &&
      access(configured.c_str(), X_OK) == 0) {
    return configured;
  }
  return "wine";
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept : pid_(other.pid_), status_(other.status_) {
  other.pid_ = -1;
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    Kill();
    pid_ = other.pid_;
    status_ = other.status_;
    other.pid_ = -1;
  }
  return *this;
}

ChildProcess::~ChildProcess() { Kill(); }

ChildProcess ChildProcess::Start(const std::vector<std::string>& argv, const std::filesystem::path& workdir,
                                 const std::filesystem::path& outputFile) {
  FileActions actions;
  posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  if (!workdir.empty()) posix_spawn_file_actions_addchdir_np(actions.get(), workdir.c_str());
  if (!outputFile.empty()) {
    posix_spawn_file_actions_addopen(actions.get(), STDOUT_FILENO, outputFile.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                     0644);
    posix_spawn_file_actions_adddup2(actions.get(), STDOUT_FILENO, STDERR_FILENO);
  }
  return ChildProcess(Spawn(argv, actions));
}

bool ChildProcess::Running() {
  if (pid_ <= 0 || status_) return false;
  int status = 0;
  const pid_t result = waitpid(pid_, &status, WNOHANG);
  if (result == pid_) {
    status_ = FromWaitStatus(status);
    return false;
  }
  return result == 0;
}

std::optional<ExitStatus> ChildProcess::Wait(std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (Running()) {
    if (Clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(kPollInterval);
  }
  return status_;
}

void ChildProcess::Kill() {
  if (!Running()) return;
  kill(pid_, SIGKILL);
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  status_ = FromWaitStatus(status);
}

CommandResult RunCommand(const std::vector<std::string>& argv, std::chrono::milliseconds timeout,
                         const std::vector<std::string>& environment) {
  int outPipe[2];
  int errPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
  if (pipe2(errPipe, O_CLOEXEC) != 0) {
    close(outPipe[0]);
    close(outPipe[1]);
    throw std::runtime_error("pipe2 failed");
  }
  ChildProcess child;
  {
    FileActions actions;
    posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(actions.get(), outPipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(actions.get(), errPipe[1], STDERR_FILENO);
    try {
      child = ChildProcess(Spawn(argv, actions, environment));
    } catch (...) {
      for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) close(fd);
      throw;
    }
  }
  close(outPipe[1]);
  close(errPipe[1]);
  fcntl(outPipe[0], F_SETFL, O_NONBLOCK);
  fcntl(errPipe[0], F_SETFL, O_NONBLOCK);

  // Reads until the child has ended, not until the pipes close: a Wine process may hand its
  // output descriptors on to system processes that outlive it.
  CommandResult result;
  const auto deadline = Clock::now() + timeout;
  bool outOpen = true;
  bool errOpen = true;
  for (;;) {
    pollfd fds[2];
    nfds_t count = 0;
    if (outOpen) fds[count++] = {outPipe[0], POLLIN, 0};
    if (errOpen) fds[count++] = {errPipe[0], POLLIN, 0};
    poll(fds, count, static_cast<int>(kPollInterval.count()));
    if (outOpen) outOpen = Drain(outPipe[0], result.out);
    if (errOpen) errOpen = Drain(errPipe[0], result.err);
    if (!child.Running()) {
      Drain(outPipe[0], result.out);
      Drain(errPipe[0], result.err);
      result.status = child.Status();
      break;
    }
    if (Clock::now() >= deadline) {
      child.Kill();
      break;
    }
  }
  close(outPipe[0]);
  close(errPipe[0]);
  return result;
}

std::optional<ProcessUsage> ReadProcessUsage(pid_t pid) {
  const std::filesystem::path proc = "/proc/" + std::to_string(pid);
  std::ifstream statFile(proc / "stat");
  std::string stat;
  if (!std::getline(statFile, stat)) return std::nullopt;
  // The command name, in parentheses, may hold spaces: the fields are counted after it. utime
  // and stime are the 14th and 15th fields, the 12th and 13th after the name.
  const std::size_t nameEnd = stat.rfind(')');
  if (nameEnd == std::string::npos) return std::nullopt;
  std::istringstream fields(stat.substr(nameEnd + 1));
  std::string field;
  long long ticks = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i >= 14) ticks += std::stoll(field);
  }
  ProcessUsage usage;
  usage.cpu = std::chrono::milliseconds(ticks * 1000 / sysconf(_SC_CLK_TCK));
  std::error_code error;
  for (const auto& task : std::filesystem::directory_iterator(proc / "task", error)) {
    std::ifstream status(task.path() / "status");
    for (std::string line; std::getline(status, line);) {
      if (line.rfind("voluntary_ctxt_switches:", 0) == 0) usage.wakeups += std::stol(line.substr(24));
    }
  }
  if (error) return std::nullopt;
  return usage;
}

}  // namespace corvane::e2e
