#pragma once

#include <QString>

#include "platform/db/Database.h"

namespace tarovent::core {

class ProcessState;

// The translation table of the configured language (TMP_TRAD of the local work database).
class Translator {
 public:
  int language() const { return m_language; }
  int charset() const { return m_charset; }
  const QString& font() const { return m_font; }
  bool active() const { return m_language != 0; }

  // Fills TMP_TRAD from the translation database; false when the program must end (the
  // message has been shown).
  bool Charger_Traductions(ProcessState& state);

  // Returns `text` translated, its leading and trailing spaces kept; unchanged without a
  // language or a translation. `toCp1250` gives the translation as windows-1250 would show it.
  QString Traduire(const QString& text, bool toCp1250 = false) const;

  // For tests and for a table filled by other means.
  void useTable(int language, db::Recordset table);

 private:
  int m_language = 0;
  int m_charset = 0;
  QString m_font;
  mutable db::Recordset m_table;
};

}  // namespace tarovent::core
