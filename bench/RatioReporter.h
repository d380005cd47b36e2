// Console output plus, at the end, each benchmark's time as a ratio of its group's baseline
// measured in the same run (the run named "<group>/baseline"): wall-clock time, and the CPU
// time of the benchmark's thread, which a machine shared with other work disturbs less.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

class TRatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration || r.aggregate_name == "median") {
        std::string name = r.run_name.str();
        times_[name] = r.GetAdjustedRealTime();
        cpu_[name] = r.GetAdjustedCPUTime();
        units_[name] = benchmark::GetTimeUnitString(r.time_unit);
        if (std::find(order_.begin(), order_.end(), name) == order_.end()) order_.push_back(name);
      }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nRatios to the baseline of the same run:\n");
    for (const std::string& name : order_) {
      std::string group = name.substr(0, name.find('/'));
      auto base = times_.end();
      for (auto it = times_.begin(); it != times_.end(); ++it)
        if (it->first.rfind(group + "/baseline", 0) == 0) base = it;
      if (base == times_.end() || name == base->first) continue;
      std::printf("  %-40s %6.2fx  (%+.1f %s)  CPU %5.2fx\n", name.c_str(), times_[name] / base->second,
                  times_[name] - base->second, units_[name].c_str(), cpu_[name] / cpu_[base->first]);
    }
  }

 private:
  std::map<std::string, double> times_, cpu_;
  std::map<std::string, std::string> units_;
  std::vector<std::string> order_;
};
