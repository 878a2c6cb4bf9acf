#pragma once

// What a zip holds as stored, for tests that check that untouched parts are kept byte for byte.
#include <zip.h>

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QPair>
#include <QString>

namespace tarovent::test {

// Every entry of a zip as it is stored: method and compressed bytes, in archive order.
inline QList<QPair<QString, QPair<int, QByteArray>>> storedEntries(const QString& path) {
  int err = 0;
  zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &err);
  QList<QPair<QString, QPair<int, QByteArray>>> out;
  for (zip_int64_t i = 0; z && i < zip_get_num_entries(z, 0); ++i) {
    zip_stat_t st;
    zip_stat_index(z, zip_uint64_t(i), 0, &st);
    QByteArray bytes(qsizetype(st.comp_size), '\0');
    if (zip_file_t* f = zip_fopen_index(z, zip_uint64_t(i), ZIP_FL_COMPRESSED)) {
      zip_fread(f, bytes.data(), st.comp_size);
      zip_fclose(f);
    }
    out.append({QString::fromUtf8(st.name), {int(st.comp_method), bytes}});
  }
  if (z) zip_discard(z);
  return out;
}

}  // namespace tarovent::test
