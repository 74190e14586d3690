#pragma once
// The program under test as a child process: started with its standard output and error in
// files, signalled, waited for.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

namespace ombrix::testing {

class ChildProcess {
 public:
  // Starts `program` with `args`; stdout and stderr go to the files named (or /dev/null).
  ChildProcess(const std::string& program, const std::vector<std::string>& args,
               const std::string& out = "/dev/null", const std::string& err = "/dev/null") {
    std::vector<std::string> all = {program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) {
      argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    // The test runner may ignore or block signals; the child starts with the defaults.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none;
    sigset_t all_signals;
    sigemptyset(&none);
    sigfillset(&all_signals);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all_signals);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    if (posix_spawn(&pid_, program.c_str(), &actions, &attr, argv.data(), environ) != 0) {
      pid_ = -1;
    }
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
  }
  ~ChildProcess() {
    if (pid_ > 0 && !waited_) {
      ::kill(pid_, SIGKILL);
      Wait();
    }
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }
  void Signal(int signal) const { ::kill(pid_, signal); }
  // The wait status (as waitpid gives it).
  int Wait() {
    if (!waited_) {
      while (::waitpid(pid_, &status_, 0) < 0 && errno == EINTR) {
      }
      waited_ = true;
    }
    return status_;
  }

 private:
  pid_t pid_ = -1;
  int status_ = 0;
  bool waited_ = false;
};

}  // namespace ombrix::testing
