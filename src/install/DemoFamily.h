#pragma once

#include <QDate>
#include <QString>

#include "Installer.h"

namespace tarovent::install {

enum class DemoSize {
  Small,  // 60 clients, 400 articles, 200 dossiers, 350 versions, every document
  Large   // 5,000 clients, 20,000 articles, 50,000 dossiers, 150,000 versions
};

// What a demo family holds, as built.
struct DemoSummary {
  FamilyLayout layout;
  int companies = 0;
  int clients = 0;
  int articles = 0;
  int manufactured = 0;
  int tariffLines = 0;
  int dossiers = 0;
  int versions = 0;
  int documents = 0;
};

// Creates in `root` a whole family of a metal-work and machine-repair company: companies,
// clients with contacts, vehicles and visits, articles with bills of materials and routings,
// price breaks, discount classes, supplier tariffs, quote types with their templates, options,
// custom dossier fields, dossiers and versions with their documents, reminders, affairs,
// invoices, macros and an English translation. The content depends only on `size` and `today`
// (reminders, visits and link validity are dated from it). Throws std::runtime_error with a
// French message when `root` already holds a family or a file cannot be written.
DemoSummary buildDemoFamily(const QString& root, DemoSize size,
                            const QDate& today = QDate::currentDate());

}  // namespace tarovent::install
