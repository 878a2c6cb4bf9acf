#pragma once

#include <QString>

namespace tarovent::install {

// The folders of a family laid out by a new installation.
struct FamilyLayout {
  QString root;           // the family folder: milostar.ini, DBPATH.MDB
  QString dataFolder;     // root + "DONNEES/": databases, DOC_TAROVENT/, templates
  QString workingFolder;  // root + "TAROVENT/": BDLOC.MDB, DAOCHECK.LOG
};

FamilyLayout familyLayout(const QString& root);

// Creates a new, empty installation in `root` (created when missing). With `siblings`, the
// catalogue also names new empty stock, commercial, planning, tariff and purchasing databases.
// Throws std::runtime_error (French message) when `root` already holds a family or a file
// cannot be written.
FamilyLayout initFamily(const QString& root, bool siblings);

}  // namespace tarovent::install
