#pragma once

// The large demo family (50,000 dossiers, 150,000 versions) the benchmarks work in.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <cstdlib>

#include "install/DemoFamily.h"

namespace tarovent::bench {

// A demo family, built on the first run only: a marker written last tells a finished family
// from one a killed run left half written.
inline install::FamilyLayout largeDemo(const QString& root,
                                       install::DemoSize size = install::DemoSize::Large) {
  const QString marker = root + "/.complet";
  if (QFile::exists(marker)) {
    printf("famille de démonstration reprise de %s\n", qPrintable(root));
    return install::familyLayout(root);
  }
  QDir(root).removeRecursively();
  QElapsedTimer t;
  t.start();
  const auto demo = install::buildDemoFamily(root, size);
  QFile f(marker);
  if (!f.open(QIODevice::WriteOnly)) {
    fprintf(stderr, "Impossible d'écrire %s\n", qPrintable(marker));
    std::exit(1);
  }
  printf(
      "famille de démonstration : %d sociétés, %d clients, %d dossiers, %d versions "
      "construite en %.1f s\n",
      demo.companies, demo.clients, demo.dossiers, demo.versions, t.elapsed() / 1000.0);
  return demo.layout;
}

}  // namespace tarovent::bench
