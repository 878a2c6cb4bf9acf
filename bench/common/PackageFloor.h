#pragma once

// What the document benchmarks measure against: the same work done plainly in the same
// process. Every entry of the package is read; the main part is parsed with pugixml and
// serialized again; every entry is written back, deflated at the engine's own level. Floor
// and engine runs alternate, and each side keeps the median of its runs.
#include <time.h>
#include <zip.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <pugixml.hpp>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/Timing.h"
#include "platform/ooxml/Package.h"

namespace tarovent::bench {

inline void plainRewrite(const QString& in, const QString& out,
                         const char* mainPart = "word/document.xml") {
  int err = 0;
  zip_t* src = zip_open(QFile::encodeName(in).constData(), ZIP_RDONLY, &err);
  zip_t* dst = zip_open(QFile::encodeName(out).constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
  std::vector<std::string> data;
  const zip_int64_t n = zip_get_num_entries(src, 0);
  data.reserve(size_t(n));
  for (zip_int64_t i = 0; i < n; ++i) {
    zip_stat_t st;
    zip_stat_index(src, zip_uint64_t(i), 0, &st);
    zip_file_t* f = zip_fopen_index(src, zip_uint64_t(i), 0);
    std::string bytes(size_t(st.size), '\0');
    zip_fread(f, bytes.data(), st.size);
    zip_fclose(f);
    if (std::string(st.name) == mainPart) {
      pugi::xml_document doc;
      doc.load_buffer_inplace(bytes.data(), bytes.size(), pugi::parse_full);
      std::ostringstream xml;
      doc.save(xml, "", pugi::format_raw);
      bytes = xml.str();
    }
    data.push_back(std::move(bytes));
    const std::string& kept = data.back();
    const zip_int64_t index = zip_file_add(
        dst, st.name, zip_source_buffer(dst, kept.data(), kept.size(), 0), ZIP_FL_ENC_UTF_8);
    zip_set_file_compression(dst, zip_uint64_t(index), ZIP_CM_DEFLATE,
                             zip_uint32_t(ooxml::Package::kCompressionLevel));
  }
  zip_close(dst);
  zip_discard(src);
}

inline double cpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Medians of floor and engine over runs that alternate: wall-clock time, and processor time,
// which a machine busy with other work disturbs less.
struct Timings {
  double floorMs = 0, engineMs = 0;
  double floorCpuMs = 0, engineCpuMs = 0;
};

template <class Floor, class Engine>
Timings interleaved(int runs, Floor&& floor, Engine&& engine) {
  std::vector<double> f, e, fc, ec;
  const auto timed = [](auto&& work, std::vector<double>& wall, std::vector<double>& cpu) {
    QElapsedTimer timer;
    const double cpu0 = cpuMs();
    timer.start();
    work();
    wall.push_back(double(timer.nsecsElapsed()) / 1e6);
    cpu.push_back(cpuMs() - cpu0);
  };
  for (int i = 0; i < runs; ++i) {
    timed(floor, f, fc);
    timed(engine, e, ec);
  }
  return {median(f), median(e), median(fc), median(ec)};
}

// Prints floor, engine (described by `engine`) and their ratios against the target.
inline void printTimings(const Timings& t, const char* engine, double target) {
  std::printf(
      "floor  (entries read, main part parsed and serialized, written back): "
      "%7.1f ms (%.1f ms processor)\n",
      t.floorMs, t.floorCpuMs);
  std::printf("engine (%s): %7.1f ms (%.1f ms processor)\n", engine, t.engineMs, t.engineCpuMs);
  std::printf("ratio: %.2f wall, %.2f processor (target <= %g)\n", t.engineMs / t.floorMs,
              t.engineCpuMs / t.floorCpuMs, target);
}

}  // namespace tarovent::bench
