#pragma once

#include <QString>

#include "composition/WorkbookRows.h"

namespace tarovent::excel {
class Workbook;
}

namespace tarovent::composition {

class CompositionSession;

struct ImportResult {
  bool completed = false;  // false when a message stopped it before anything was written
  int lines = 0;           // quote lines written (text lines not counted)
  double hours = 0;        // hours of the labour lines
};

// `Importer_Classeur` on a workbook as saved: reads the selected rows of its nomenclature
// sheet into TMP_TABLEAU, writes them into the session's document in the presentation
// chosen, then lets the workbook's "MSK_" check boxes hide or show same-named bookmarks and
// its named cells fill same-named bookmarks. Messages go through the session's funnel.
ImportResult Importer_Classeur(CompositionSession& session, const excel::Workbook& workbook,
                               Presentation presentation);

// The two last steps alone: "MSK_" check boxes, then named cells into bookmarks.
void transferMasks(CompositionSession& session, const excel::Workbook& workbook);
void transferNamedCells(CompositionSession& session, const excel::Workbook& workbook);

}  // namespace tarovent::composition
