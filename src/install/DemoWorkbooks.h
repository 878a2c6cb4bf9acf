#pragma once

#include <QString>

namespace tarovent::db {
class Database;
}

namespace tarovent::install {

// Writes the demo's calculation templates into `folder` (ending with a separator), one per
// family of import presentations: pieces and labour at the root, a per-post one in the
// sub-folder of the supplier HYDRO, a grouped one at the root; and an old one in a sub-folder
// named after no supplier. Points the general parameters of `main` at the folder. Throws
// std::runtime_error (French message), ooxml::OoxmlError or db::DbError.
void writeCalculationTemplates(db::Database& main, const QString& folder);

}  // namespace tarovent::install
