// Real processes for the tests that need them (several writers on one table,
// a writer killed half-way): a body run in a forked child, and its end.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>

namespace pharmex::reliability {

// Runs `body` in a child process and returns its id. The child leaves with
// _exit (no destructors of the parent's objects run twice): 0 when the body
// returned, 1 after printing the message of what it threw to stderr.
pid_t spawn(const std::function<void()>& body);

// Waits for a child: "" when it exited with 0, else how it ended ("exit 1",
// "signal 9").
std::string wait_for(pid_t child);

// A one-shot start signal for several children: they wait() until the parent
// calls release(), so that they begin at the same moment.
class StartGate {
 public:
  StartGate();
  ~StartGate();
  StartGate(const StartGate&) = delete;
  StartGate& operator=(const StartGate&) = delete;

  // In a child: blocks until the gate opens.
  void wait();
  // In the parent: opens the gate for every child.
  void release();

 private:
  int read_end_ = -1;
  int write_end_ = -1;
};

}  // namespace pharmex::reliability
