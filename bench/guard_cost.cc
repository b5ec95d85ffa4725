// pharmex-guard-bench: what the guard around every host call costs, on the
// platform it is built for (on Windows, where the guard catches the host's
// structured exceptions, run it under Wine or on Windows):
//
//   pharmex-guard-bench [--calls N] [--rows N] [--dir FOLDER]
//
// It prints one JSON line per measure:
//   - "host-call": nanoseconds per call of IDataSet.Eof of a synthetic
//     host, made directly through the host's table, through the platform's
//     guard alone (platform::call_guarded with its trampoline), and through
//     the library's whole wrapper (host::HostDataSet::eof: the guard, the
//     host's failure reports, the result);
//   - "djinal": the Djinal waybill export of --rows lines through
//     waybill_export_ToPath, its seconds, the host calls it made, and the
//     share of its time the guard takes at the cost measured above.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "bench_data.h"
#include "host/host_dataset.h"
#include "pharmex/pharmex.h"
#include "platform/structured_exceptions.h"
#include "synthetic_dataset.h"

namespace pharmex::bench {

namespace {

constexpr int kDjinalLayout = 4;

double now() {
  using Clock = std::chrono::steady_clock;
  return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

// Nanoseconds per iteration of `call`, the best of three rounds.
template <class Call>
double nanoseconds_per_call(int64_t calls, Call&& call) {
  double best = 0;
  for (int round = 0; round < 3; ++round) {
    const double start = now();
    for (int64_t i = 0; i < calls; ++i)
      call();
    const double elapsed = (now() - start) * 1e9 / static_cast<double>(calls);
    if (round == 0 || elapsed < best) best = elapsed;
  }
  return best;
}

struct EofCall {
  IDataSet* dataset;
  PxBool result;
};

void eof_call(void* context) {
  auto* call = static_cast<EofCall*>(context);
  call->result = call->dataset->lpVtbl->Eof(call->dataset);
}

struct CallCosts {
  double direct;
  double guard;
  double wrapper;
};

CallCosts measure_calls(int64_t calls) {
  SyntheticRef data = make_synthetic(waybill_line_table(1));
  IDataSet* dataset = data.get();
  host::HostDataSet wrapped(host::HostRef<IDataSet>::retain(dataset));
  int64_t seen = 0;
  CallCosts costs{};
  costs.direct = nanoseconds_per_call(calls, [&] { seen += dataset->lpVtbl->Eof(dataset); });
  costs.guard = nanoseconds_per_call(calls, [&] {
    EofCall call{dataset, 0};
    platform::HostException raised;
    if (platform::call_guarded(eof_call, &call, raised)) seen += call.result;
  });
  costs.wrapper = nanoseconds_per_call(calls, [&] { seen += wrapped.eof() ? 1 : 0; });
  if (seen != 0) std::printf("{\"error\":\"Eof was true\"}\n");
  std::printf(
      "{\"case\":\"host-call\",\"calls\":%lld,\"direct_ns\":%.2f,\"guard_ns\":%.2f,"
      "\"wrapper_ns\":%.2f,\"guard_raises\":%s}\n",
      static_cast<long long>(calls), costs.direct, costs.guard, costs.wrapper,
      platform::failures_can_be_raised() ? "true" : "false");
  return costs;
}

int measure_djinal(int64_t rows, const std::string& folder, const CallCosts& costs) {
  SyntheticRef headers = make_synthetic(waybill_header_table(rows));
  SyntheticRef lines = make_synthetic(waybill_line_table(rows));
  const int64_t before = synthetic_operations();
  const double start = now();
  waybill_export_ToPath(0, headers.get(), lines.get(), nullptr, nullptr, nullptr, folder.c_str(),
                        kDjinalLayout);
  const double seconds = now() - start;
  const int64_t calls = synthetic_operations() - before;
  if (pharmex_last_error()[0] != 0) {
    std::printf("{\"case\":\"djinal\",\"error\":\"%s\"}\n", pharmex_last_error());
    return 1;
  }
  const double guard_seconds = static_cast<double>(calls) * (costs.guard - costs.direct) * 1e-9;
  std::printf(
      "{\"case\":\"djinal\",\"rows\":%lld,\"seconds\":%.3f,\"host_calls\":%lld,"
      "\"host_calls_per_row\":%.1f,\"guard_seconds\":%.4f,\"guard_share_percent\":%.2f}\n",
      static_cast<long long>(rows), seconds, static_cast<long long>(calls),
      static_cast<double>(calls) / static_cast<double>(rows), guard_seconds,
      100.0 * guard_seconds / seconds);
  std::filesystem::remove(folder + "waybill_" + first_waybill_number() + ".dbf");
  return 0;
}

int64_t number(const char* text) {
  char* end = nullptr;
  const long long value = std::strtoll(text, &end, 10);
  return end != text && *end == 0 && value > 0 ? value : 0;
}

}  // namespace

}  // namespace pharmex::bench

int main(int argc, char** argv) {
  int64_t calls = 20'000'000;
  int64_t rows = 200'000;
  std::string folder;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--calls") == 0) {
      calls = pharmex::bench::number(argv[i + 1]);
    } else if (std::strcmp(argv[i], "--rows") == 0) {
      rows = pharmex::bench::number(argv[i + 1]);
    } else if (std::strcmp(argv[i], "--dir") == 0) {
      folder = argv[i + 1];
    } else {
      calls = 0;
    }
  }
  if (calls == 0 || rows == 0 || argc % 2 == 0) {
    std::fprintf(stderr, "usage: pharmex-guard-bench [--calls N] [--rows N] [--dir FOLDER]\n");
    return 2;
  }
  namespace fs = std::filesystem;
  if (folder.empty()) folder = (fs::temp_directory_path() / "pharmex-guard-bench").string();
  fs::create_directories(folder);
  folder += static_cast<char>(fs::path::preferred_separator);
  pharmex_set_failure_mode(PX_FAILURE_RECORD);
  const pharmex::bench::CallCosts costs = pharmex::bench::measure_calls(calls);
  return pharmex::bench::measure_djinal(rows, folder, costs);
}
