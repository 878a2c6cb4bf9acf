#pragma once

// What the document benchmarks measure against: every entry of a package read and written
// back unchanged through the same zip library, and the best of a few timed runs.
#include <zip.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <algorithm>
#include <vector>

namespace tarovent::bench {

inline void copyEntries(const QString& in, const QString& out) {
  int err = 0;
  zip_t* src = zip_open(QFile::encodeName(in).constData(), ZIP_RDONLY, &err);
  zip_t* dst = zip_open(QFile::encodeName(out).constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
  std::vector<QByteArray> data;
  const zip_int64_t n = zip_get_num_entries(src, 0);
  data.reserve(size_t(n));
  for (zip_int64_t i = 0; i < n; ++i) {
    zip_stat_t st;
    zip_stat_index(src, zip_uint64_t(i), 0, &st);
    zip_file_t* f = zip_fopen_index(src, zip_uint64_t(i), 0);
    QByteArray bytes(qsizetype(st.size), '\0');
    zip_fread(f, bytes.data(), st.size);
    zip_fclose(f);
    data.push_back(bytes);
    zip_file_add(dst, st.name, zip_source_buffer(dst, data.back().constData(), st.size, 0), 0);
  }
  zip_close(dst);
  zip_discard(src);
}

template <class F>
double bestOf(int runs, F&& f) {
  double best = 1e18;
  for (int i = 0; i < runs; ++i) {
    QElapsedTimer timer;
    timer.start();
    f();
    best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
  }
  return best;
}

}  // namespace tarovent::bench
