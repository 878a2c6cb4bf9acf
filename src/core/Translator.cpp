#include "Translator.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include "Paths.h"
#include "ProcessState.h"
#include "platform/db/DbError.h"

namespace tarovent::core {

bool Translator::Charger_Traductions(ProcessState& state) {
  m_language = 0;
  m_charset = 0;
  m_font.clear();
  m_table = {};
  const QString ini = configurationPath(state.workingFolder);
  if (QFileInfo::exists(ini)) {
    const Configuration c = readConfigurationFile(ini);
    m_language = c.language;
    m_charset = c.charset;
    m_font = c.font;
  }
  if (m_language == 0) return true;
  const QString file = localPath(state.translationFolder + state.translationFile);
  bool found = false;
  try {
    found = state.workspace.exists(file);
  } catch (const db::DbError&) {
    // A server out of reach: told as a missing base.
  }
  if (!found) {
    m_language = 0;
    state.messages().show(
        QStringLiteral("Base de traduction non trouvée (Translation database not found)"),
        ui::Icon::Critical);
    return false;
  }
  try {
    db::Database& local = state.localDb;
    const QString n = QString::number(m_language);
    local.Execute(
        "INSERT INTO TMP_TRAD ( T_ABREGE, T_VALEUR, T_TRAD ) SELECT Left([T_VALEUR],20) "
        "AS Expr1, TTRAD.T_VALEUR, TTRAD.T_TRAD" +
        n + " FROM [" + file + "].TTRAD where TTRAD.T_TRAD" + n +
        " & '' <> '' order by T_VALEUR; ");
    db::Recordset rs = local.OpenRecordset("TMP_TRAD");
    if (rs.RecordCount() == 0) {
      m_language = 0;
      return true;
    }
    rs.Close();
    db::IndexSpec ix;
    ix.name = "NTX_ABREGE";
    ix.fields = {"T_ABREGE"};
    local.createIndex("TMP_TRAD", ix);
    m_table = local.OpenRecordset("TMP_TRAD");
    m_table.setIndex("NTX_ABREGE");
  } catch (const db::DbError&) {
    // A language whose column is missing or unreadable translates nothing.
    m_language = 0;
    m_table = {};
  }
  return true;
}

void Translator::useTable(int language, db::Recordset table) {
  m_language = language;
  m_table = std::move(table);
  if (m_language != 0) m_table.setIndex("NTX_ABREGE");
}

QString Translator::Traduire(const QString& text, bool toCp1250) const {
  if (m_language == 0 || !m_table.isOpen()) return text;
  int lead = 0;
  while (lead < text.size() && text[lead] == ' ') ++lead;
  if (lead == text.size()) return text;
  int trail = 0;
  while (trail < text.size() && text[text.size() - 1 - trail] == ' ') ++trail;
  const QString trimmed = text.mid(lead, text.size() - lead - trail);
  const QString key = trimmed.left(20);
  const QString keyUp = key.toUpper();
  const QString trimmedUp = trimmed.toUpper();
  try {
    m_table.Seek(">=", key);
    if (m_table.NoMatch()) return text;
    while (!m_table.EOF_()) {
      if (m_table.text("T_VALEUR").trimmed().toUpper() == trimmedUp) {
        QString result = QString(lead, ' ') + m_table.text("T_TRAD") + QString(trail, ' ');
        if (toCp1250) {
          QStringEncoder enc("windows-1250");
          QStringDecoder dec("windows-1250");
          result = dec.decode(enc.encode(result));
        }
        return result;
      }
      const QString abrUp = m_table.text("T_ABREGE").toUpper();
      if (abrUp != keyUp && abrUp > keyUp) break;
      m_table.MoveNext();
    }
  } catch (const db::DbError&) {
    // A failing lookup shows the French text.
  }
  return text;
}

}  // namespace tarovent::core
