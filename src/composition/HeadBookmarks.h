#pragma once

#include <QMap>
#include <QString>

namespace tarovent::core {
class ProcessState;
struct QuoteContext;
}  // namespace tarovent::core
namespace tarovent::word {
class WordDocument;
}

namespace tarovent::composition {

// What the composition needs of the quote's client.
struct ClientValues {
  double discount = 0;    // TCLI_Pcremise
  QString category;       // TCLI_Categ
  double labourRate = 0;  // TCLI_TauxMDO
};

// The head of a quote document: bookmark name -> text, read from the dossier, its version,
// its client, the client's contact and the sales representative. Missing records leave their
// bookmarks out; database errors are reported to the caller as db::DbError.
struct HeadValues {
  QMap<QString, QString> bookmarks;
  ClientValues client;
  QString typeCode;  // TDOS_TYPE
  QString vatField;  // TDEV_TXTVA as the dossier workspace shows it
};

HeadValues readHeadValues(core::ProcessState& state, const core::QuoteContext& quote);

// Writes each value into its bookmark when the document has it; returns how many were written.
int fillHeadBookmarks(word::WordDocument& doc, const QMap<QString, QString>& values);

}  // namespace tarovent::composition
