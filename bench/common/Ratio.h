#pragma once

// Our layer against the same work done plainly, both timed in one run.
#include <cstdio>
#include <functional>
#include <vector>

#include "common/Timing.h"

namespace tarovent::bench {

struct Ratio {
  const char* what;
  double ours;  // medians, ms
  double plain;
  double ratio;  // median of the runs' ratios
};

// Each run times both sides one after the other, the side going first alternating, so that
// a slow moment of the machine falls on both alike.
inline Ratio measure(const char* what, const std::function<void()>& ours,
                     const std::function<void()>& plain, int runs) {
  std::vector<double> o, p, q;
  for (int run = 0; run < runs; ++run) {
    double a, b;
    if (run % 2 == 0) {
      a = timed(ours);
      b = timed(plain);
    } else {
      b = timed(plain);
      a = timed(ours);
    }
    o.push_back(a);
    p.push_back(b);
    q.push_back(a / b);
  }
  return {what, median(o), median(p), median(q)};
}

// One line: the medians and the ratio; `plainName` names the baseline ("sqlite", "libpq").
inline void report(const Ratio& r, const char* plainName) {
  printf("%-44s ours %8.1f ms   %s %8.1f ms   ratio %.2f\n", r.what, r.ours, plainName, r.plain,
         r.ratio);
}

}  // namespace tarovent::bench
