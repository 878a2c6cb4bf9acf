#include "platform/word/GWORD.h"

#include <QFileInfo>

#include "platform/ooxml/OoxmlError.h"

namespace tarovent::word {

template <class F>
bool GWORD::attempt(F&& f) {
  m_error.clear();
  try {
    return f();
  } catch (const ooxml::OoxmlError& e) {
    m_error = e.message();
    return false;
  }
}

bool GWORD::W_FichierOuvrir(const QString& path) {
  return attempt([&] {
    m_doc.emplace(WordDocument::open(path));
    m_cursor.reset();
    return true;
  });
}

bool GWORD::W_FichierOuvrirRO(const QString& path) {
  return attempt([&] {
    m_doc.emplace(WordDocument::open(path, OpenMode::ReadOnly));
    m_cursor.reset();
    return true;
  });
}

bool GWORD::W_FichierNouveau(const QString& templateBase) {
  return attempt([&] {
    for (const char* ext : {".dot", ".dotm", ".dotx", ""}) {
      const QString candidate = templateBase + QLatin1String(ext);
      if (!QFileInfo(candidate).isFile()) continue;
      m_doc.emplace(WordDocument::fromTemplate(candidate));
      m_cursor.reset();
      return true;
    }
    m_error = QStringLiteral("Le modèle %1 n'existe pas").arg(templateBase);
    return false;
  });
}

bool GWORD::W_FichierEnregistrer() {
  return attempt([&] {
    if (!m_doc) return false;
    m_doc->save();
    return true;
  });
}

bool GWORD::W_FichierEnregistrerSous(const QString& path) {
  return attempt([&] {
    if (!m_doc) return false;
    m_doc->saveAs(path);
    return true;
  });
}

void GWORD::W_FichierFermer() {
  m_doc.reset();
  m_cursor.reset();
}

bool GWORD::W_EstDocModifie() const { return m_doc && m_doc->isModified(); }

bool GWORD::W_Existe_Signet(const QString& name) const { return m_doc && m_doc->hasBookmark(name); }

QString GWORD::W_LitSignet(const QString& name) const {
  return m_doc ? m_doc->bookmarkText(name) : QString();
}

bool GWORD::W_EcritSignet(const QString& name, const QString& text) {
  return attempt([&] { return m_doc && m_doc->setBookmarkText(name, text); });
}

bool GWORD::W_Signet_SUPPRIME(const QString& name) {
  return attempt([&] { return m_doc && m_doc->deleteBookmark(name); });
}

bool GWORD::W_EditionSignet(const QString& name) {
  return attempt([&] {
    if (!m_doc || !m_cursor) return false;
    m_doc->addBookmark(name, *m_cursor);
    return true;
  });
}

bool GWORD::W_EditionAtteindre(const QString& name) {
  if (!m_doc) return false;
  const auto cell = m_doc->bookmarkCell(name);
  if (!m_doc->hasBookmark(name)) return false;
  m_cursor = cell;  // a bookmark outside the tables leaves the cursor outside them
  return true;
}

bool GWORD::W_EditionAtteindreTableau(int table) {
  if (!m_doc || table < 1 || table > m_doc->tableCount()) return false;
  m_cursor = CellRef{table, 1, 1};
  return true;
}

bool GWORD::W_Existe_Tableau() const { return m_doc && m_cursor.has_value(); }

int GWORD::W_TABLEAU_NBCOL() const {
  return W_Existe_Tableau() ? m_doc->columnCount(m_cursor->table) : 0;
}

bool GWORD::W_TABLEAU_ADDLIGNE() {
  return attempt([&] {
    if (!W_Existe_Tableau()) return false;
    m_cursor = CellRef{m_cursor->table, m_doc->appendRow(m_cursor->table), 1};
    return true;
  });
}

bool GWORD::W_TableauInsererLigne() {
  return attempt([&] {
    if (!W_Existe_Tableau()) return false;
    m_cursor->row = m_doc->insertRow(m_cursor->table, m_cursor->row, RowPlacement::Above);
    m_cursor->column = 1;
    return true;
  });
}

bool GWORD::W_TableauSupprimerCellules() {
  return attempt([&] {
    if (!W_Existe_Tableau()) return false;
    const int rows = m_doc->rowCount(m_cursor->table);
    m_doc->deleteRow(m_cursor->table, m_cursor->row);
    if (rows == 1)
      m_cursor.reset();
    else
      *m_cursor = CellRef{m_cursor->table, std::min(m_cursor->row, rows - 1), 1};
    return true;
  });
}

bool GWORD::W_CelluleSuiv() {
  if (!W_Existe_Tableau()) return false;
  CellRef& c = *m_cursor;
  if (c.column < m_doc->cellCount(c.table, c.row)) {
    ++c.column;
  } else if (c.row < m_doc->rowCount(c.table)) {
    ++c.row;
    c.column = 1;
  } else {
    return false;
  }
  return true;
}

bool GWORD::W_CellulePrec() {
  if (!W_Existe_Tableau()) return false;
  CellRef& c = *m_cursor;
  if (c.column > 1) {
    --c.column;
  } else if (c.row > 1) {
    --c.row;
    c.column = m_doc->cellCount(c.table, c.row);
  } else {
    return false;
  }
  return true;
}

QString GWORD::W_LitTexte() const {
  return W_Existe_Tableau() ? m_doc->cellText(*m_cursor) : QString();
}

bool GWORD::W_Insertion(const QString& text) {
  return attempt([&] {
    if (!W_Existe_Tableau()) return false;
    CharFormat format;
    format.hidden = m_hidden;
    m_doc->setCellText(*m_cursor, text, format);
    if (m_hidden) m_doc->setShowHiddenText(true);
    return true;
  });
}

void GWORD::W_Masque(bool hidden) { m_hidden = hidden; }

void GWORD::W_AffichageMasque(bool show) {
  if (m_doc) m_doc->setShowHiddenText(show);
}

}  // namespace tarovent::word
