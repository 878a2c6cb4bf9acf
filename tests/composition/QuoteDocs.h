#pragma once

// Small quote documents for the document model tests.

#include <QStringList>

#include "platform/word/MiniDocx.h"
#include "platform/word/WordDocument.h"

namespace tarovent::fixtures {

// A header cell carrying a column bookmark.
inline QString headerCell(const QString& code, int id) {
  return "<w:p><w:bookmarkStart w:id=\"" + QString::number(id) + "\" w:name=\"" + code +
         "\"/><w:r><w:t>" + code + "</w:t></w:r><w:bookmarkEnd w:id=\"" + QString::number(id) +
         "\"/></w:p>";
}

struct QuoteDoc {
  QStringList codes{"CODART", "LIBART", "QTE", "PUBRUT", "MTNET"};
  QList<QStringList> lines;  // rows under the header
  bool headerAlone = true;   // header in a table of its own
  QString between;           // body XML after the line table
  QString totals = marked("SMTNET", "0,00", 900);

  word::WordDocument build() const {
    QList<QStringList> headerRow;
    QStringList cells;
    int id = 100;
    for (const QString& code : codes) cells << headerCell(code, id++);
    headerRow << cells;
    QString body = marked("RS", "Client", 1);
    if (headerAlone) {
      body += table(headerRow) + para("") + table(lines);
    } else {
      body += table(headerRow + lines);
    }
    body += between + totals;
    return word::WordDocument::fromPackage(MiniDocx{body}.package());
  }
};

}  // namespace tarovent::fixtures
