#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "platform/db/Database.h"
#include "platform/db/QtPrinters.h"
#include "platform/report/Report.h"
#include "platform/report/ReportError.h"

namespace tarovent::report::test {

// The text of a PDF file as pdftotext lays it out; empty when pdftotext is missing.
inline QString pdfText(const QString& pdf) {
  QProcess p;
  p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
  p.waitForFinished(30000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

inline bool havePdfToText() {
  return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

// A folder of its own with a database holding SALES: one row per sale of a region and a rep,
// `rows` rows in all (regions Nord, Sud, Est in turn, amounts 10, 20, 30... ).
class ReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    m_db = m_ws.CreateDatabase(path("TEST.MDB"));
    m_db.Execute(
        "CREATE TABLE SALES (NUM LONG, REGION TEXT(20), REP TEXT(20), SOLD DATETIME, "
        "AMOUNT DOUBLE, NOTE TEXT(100), WON YESNO)");
  }
  QString path(const QString& name) const { return m_dir.filePath(name); }

  void addSales(int rows) {
    db::TransactionGuard g(m_db);
    db::RowInserter add(m_db, "SALES", {"NUM", "REGION", "REP", "SOLD", "AMOUNT", "NOTE", "WON"});
    const QStringList regions = {"Nord", "Sud", "Est"};
    for (int i = 1; i <= rows; ++i)
      add.add({i, regions[i % 3], i % 2 ? "Luc" : "Zoé", QDate(2025, 1, 1).addDays(i), i * 10.0,
               i % 7 ? QVariant(QStringLiteral("Vente %1").arg(i)) : QVariant(), i % 4 == 0});
    g.commit();
  }

  // Writes a report file and returns its path.
  QString write(const QString& name, const QString& text) {
    QFile f(path(name));
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(text.toUtf8());
    return f.fileName();
  }

  // A report of SALES with these columns and anything else inside <report>.
  QString salesReport(const QString& name, const QString& body) {
    return write(name, QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<report title="Ventes">
  <page size="A4" orientation="portrait" margins="10"/>
  <source name="SALES"/>
  <header left="{title}" right="{date}"/>
  <footer right="Page {page} / {pages}"/>
%1
</report>
)")
                           .arg(body));
  }

  // The report started on the test database, or a failure.
  Report started(const QString& file, const QString& formula = {}) {
    Report r(file);
    r.setDecimalSeparator(',');
    r.setSelectionFormula(formula);
    r.start(m_db);
    return r;
  }

  QTemporaryDir m_dir;
  db::Workspace m_ws;
  db::Database m_db;
};

}  // namespace tarovent::report::test
