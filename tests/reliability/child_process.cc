#include "reliability/child_process.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <exception>

namespace pharmex::reliability {

pid_t spawn(const std::function<void()>& body) {
  std::fflush(nullptr);  // nothing buffered is written twice
  const pid_t child = ::fork();
  if (child != 0) return child;
  int status = 0;
  try {
    body();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "child %d: %s\n", static_cast<int>(::getpid()), e.what());
    status = 1;
  } catch (...) {
    status = 1;
  }
  std::fflush(nullptr);
  ::_exit(status);
}

std::string wait_for(pid_t child) {
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return "lost";
  }
  if (WIFEXITED(status)) {
    return WEXITSTATUS(status) == 0 ? "" : "exit " + std::to_string(WEXITSTATUS(status));
  }
  if (WIFSIGNALED(status)) return "signal " + std::to_string(WTERMSIG(status));
  return "ended";
}

StartGate::StartGate() {
  int ends[2];
  if (::pipe(ends) == 0) {
    read_end_ = ends[0];
    write_end_ = ends[1];
  }
}

StartGate::~StartGate() {
  if (read_end_ >= 0) ::close(read_end_);
  if (write_end_ >= 0) ::close(write_end_);
}

void StartGate::wait() {
  // The child's copy of the write end must go, or the read never ends.
  if (write_end_ >= 0) ::close(write_end_);
  write_end_ = -1;
  char byte;
  while (::read(read_end_, &byte, 1) < 0 && errno == EINTR) {
  }
}

void StartGate::release() {
  // End of file for every reader at once.
  if (write_end_ >= 0) ::close(write_end_);
  write_end_ = -1;
}

}  // namespace pharmex::reliability
