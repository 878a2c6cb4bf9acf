#pragma once

#include <QString>
#include <QStringList>

#include "platform/ooxml/Package.h"

namespace tarovent::templates {

// Builds WordprocessingML text for the templates: paragraphs, bookmarks and tables.
class WordprocessingXml {
 public:
  struct Run {
    QString text;
    bool bold = false;
    int halfPoints = 0;  // 0: the style's size
  };

  // A paragraph of runs; align is "", "left", "center" or "right".
  static QString paragraph(const QList<Run>& runs, const QString& align = {}, int halfPoints = 0);
  static QString paragraph(const QString& text, const QString& align = {}, int halfPoints = 0);
  // "label" followed by an empty bookmark that the program fills.
  QString labelled(const QString& label, const QString& bookmark, bool bold = false);
  // An empty paragraph holding an empty bookmark.
  QString anchor(const QString& bookmark);
  // An empty 1-point paragraph that keeps two tables apart without a visible gap.
  static QString spacer();
  // A field (PAGE, NUMPAGES) shown with its current result.
  static QString field(const QString& instruction, const QString& result);

  struct Cell {
    QString content;  // paragraphs
    int width = 0;    // twips
    QString shading;  // RRGGBB or empty
  };
  static QString row(const QList<Cell>& cells, bool repeatAsHeader = false);
  static QString table(const QList<int>& widths, const QStringList& rows, bool borders);

  // Starts and ends of bookmarks get document-wide unique ids.
  QString bookmark(const QString& name, const QString& innerRuns = {});
  // The two ends of a bookmark that spans paragraphs; end() closes the last one started.
  QString bookmarkStart(const QString& name);
  QString bookmarkEnd();

  // A whole package around body, header and footer content.
  static ooxml::Package package(const QString& body, const QString& defaultHeader,
                                const QString& footer, bool isTemplate, bool landscape);

 private:
  int m_nextId = 1;
  int m_openId = 0;
};

}  // namespace tarovent::templates
