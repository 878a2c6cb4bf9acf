#pragma once

// What every benchmark times with: one run of some work, and the median of several.
#include <QElapsedTimer>
#include <algorithm>
#include <functional>
#include <vector>

namespace tarovent::bench {

inline double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Milliseconds `f` takes.
inline double timed(const std::function<void()>& f) {
  QElapsedTimer t;
  t.start();
  f();
  return double(t.nsecsElapsed()) / 1e6;
}

}  // namespace tarovent::bench
