// "First failure wins, clean-up always runs": the rule of every frame that
// owns something it must give back (a routine's table, the finish callback it
// promised, a table's memo and data files).
//
//   run_then_clean_up([&] { write_the_records(); },
//                     [&] { table.Close(); },
//                     [&] { form.notify_finish(); });
//
// The body runs first, then each clean-up step in order, every one of them
// also after the body or an earlier step failed. The first failure is passed
// on once all have run; later ones are dropped in its favour, because the
// first is the cause the user must see ("Error writing to %s" rather than the
// failed close that followed it).
#pragma once

#include <exception>

namespace pharmex {

template <class Body, class... Steps>
void run_then_clean_up(Body&& body, Steps&&... clean_up) {
  std::exception_ptr first;
  auto attempt = [&first](auto& step) {
    try {
      step();
    } catch (...) {
      if (!first) first = std::current_exception();
    }
  };
  attempt(body);
  (attempt(clean_up), ...);
  if (first) std::rethrow_exception(first);
}

}  // namespace pharmex

namespace pharmex {

// Sets a flag for one scope and clears it when the scope is left, also by an
// exception ("a form is being closed", "a program drives the dialog").
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
};

}  // namespace pharmex
