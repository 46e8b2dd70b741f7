// Runs the registered benchmarks and then prints one line per comparison:
//   ratio NAME OURS_NS ANCHOR_NS OURS/ANCHOR
// using the real time per iteration measured in this same run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace tintaro::bench {

struct Comparison {
  std::string name;
  std::string ours;    // benchmark name
  std::string anchor;  // benchmark name, or "" with anchorNs set
  double anchorNs = 0;
};

class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  // No colour codes: the ratio lines printed after the table must start
  // with "ratio" for anyone who greps for them.
  RecordingReporter() : benchmark::ConsoleReporter(OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const double ns = run.GetAdjustedRealTime() *
                        (run.time_unit == benchmark::kNanosecond    ? 1.0
                         : run.time_unit == benchmark::kMicrosecond ? 1e3
                         : run.time_unit == benchmark::kMillisecond ? 1e6
                                                                    : 1e9);
      std::string name = run.benchmark_name();
      // With repetitions, the median stands for the benchmark.
      if (run.run_type == Run::RT_Aggregate) {
        if (run.aggregate_name != "median") continue;
        name = run.run_name.str();
        medians_[name] = ns;
      } else if (!medians_.count(name)) {
        times_[name] = ns;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  double Ns(const std::string& name) const {
    if (auto it = medians_.find(name); it != medians_.end()) return it->second;
    if (auto it = times_.find(name); it != times_.end()) return it->second;
    return -1;
  }

 private:
  std::map<std::string, double> times_;
  std::map<std::string, double> medians_;
};

inline int RunWithRatios(int argc, char** argv, const std::vector<Comparison>& comparisons) {
  benchmark::Initialize(&argc, argv);
  RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (const Comparison& c : comparisons) {
    const double ours = reporter.Ns(c.ours);
    const double anchor = c.anchor.empty() ? c.anchorNs : reporter.Ns(c.anchor);
    if (ours < 0 || anchor <= 0) continue;  // filtered out of this run
    std::printf("ratio %s %.0f %.0f %.3f\n", c.name.c_str(), ours, anchor, ours / anchor);
  }
  benchmark::Shutdown();
  return 0;
}

}  // namespace tintaro::bench
