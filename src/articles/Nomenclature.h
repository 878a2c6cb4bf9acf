#pragma once

#include <QString>
#include <vector>

#include "ui/MessageFunnel.h"

namespace tarovent::db {
class Database;
}

namespace tarovent::articles {

class ArticleFiles;

// `Charger_Nomenclature`: fills the editor's work table (TMP_NOMENC, emptied first) with the
// article's routing, then its components depth first, each manufactured one followed by its
// routing one depth below it. Only the links valid today are read; a manufactured component
// without any is told ("X sans décomposition!") and loaded alone. False after the message of
// an unknown component, a circular bill or too many levels; the lines met before stay.
bool Charger_Nomenclature(ArticleFiles& files, db::Database& local, const QString& article,
                          ui::MessageFunnel& messages);

// A line read from the database that the user deleted in the editor: at the save, its link
// (a component) or its operation (type "M", by its number) goes with it. A deleted
// sub-assembly keeps its own bill: only its link to the parent goes.
struct RemovedLine {
  QString parent, code, type;
  int operation = 0;
};

// `Enregistrer_Nomenclature`: drops the lines without code, gives each line its parent (the
// edited article at depth 1, else the last line one depth up), removes the links and
// operations of `removed` and writes what the new lines add: missing articles, missing links,
// operations numbered from 1 by 5 per component. Throws db::DbError; the writes of one save
// are kept or undone together.
void Enregistrer_Nomenclature(ArticleFiles& files, db::Database& local, const QString& article,
                              const std::vector<RemovedLine>& removed = {});

}  // namespace tarovent::articles
