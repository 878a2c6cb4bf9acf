#pragma once

// What every benchmark times with: one run of some work, and the median of several.
#include <QElapsedTimer>
#include <ctime>
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

// Milliseconds of this thread's processor time `f` takes: on a machine shared with builds,
// what the work costs without the time it waited for a processor. For work that neither
// waits on files nor hands work to other threads.
inline double cpuTimed(const std::function<void()>& f) {
  timespec start{}, end{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
  f();
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
  return double(end.tv_sec - start.tv_sec) * 1e3 + double(end.tv_nsec - start.tv_nsec) / 1e6;
}

// Both clocks over one run of `f`: the processor time of this thread, and the time that passed.
struct Clocks {
  double cpu = 0, wall = 0;
};
inline Clocks clocked(const std::function<void()>& f) {
  timespec start{}, end{};
  QElapsedTimer wall;
  wall.start();
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
  f();
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
  return {double(end.tv_sec - start.tv_sec) * 1e3 + double(end.tv_nsec - start.tv_nsec) / 1e6,
          double(wall.nsecsElapsed()) / 1e6};
}

}  // namespace tarovent::bench
