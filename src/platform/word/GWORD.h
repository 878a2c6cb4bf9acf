#pragma once

#include <QString>
#include <optional>

#include "platform/word/WordDocument.h"

namespace tarovent::word {

// `GWORD`: the word-processor object the composition talks to, one call per operation. It
// holds the open document and a cursor on a table cell (the selection), and reports failures
// by returning false with the message in lastError() instead of throwing.
class GWORD {
 public:
  bool W_FichierOuvrir(const QString& path);
  bool W_FichierOuvrirRO(const QString& path);
  // New document on a template: base + ".dot", ".dotm", ".dotx", the first that exists (any
  // of them holds OOXML content), or base itself when it names a file.
  bool W_FichierNouveau(const QString& templateBase);
  bool W_FichierEnregistrer();
  bool W_FichierEnregistrerSous(const QString& path);
  void W_FichierFermer();
  bool W_EstDocModifie() const;

  bool W_Existe_Signet(const QString& name) const;
  QString W_LitSignet(const QString& name) const;
  bool W_EcritSignet(const QString& name, const QString& text);
  bool W_Signet_SUPPRIME(const QString& name);
  // Adds a bookmark at the cursor cell.
  bool W_EditionSignet(const QString& name);
  // Moves the cursor to the cell holding a bookmark, or to the first cell of a table.
  bool W_EditionAtteindre(const QString& name);
  bool W_EditionAtteindreTableau(int table);

  // Whether the cursor is in a table (Information(12)).
  bool W_Existe_Tableau() const;
  int W_TABLEAU_NBCOL() const;
  // Appends a row to the cursor's table and moves the cursor to its first cell.
  bool W_TABLEAU_ADDLIGNE();
  bool W_TableauInsererLigne();
  bool W_TableauSupprimerCellules();
  bool W_CelluleSuiv();
  bool W_CellulePrec();
  QString W_LitTexte() const;
  // Types into the cursor cell, replacing its text; W_Masque decides whether it is hidden.
  bool W_Insertion(const QString& text);
  void W_Masque(bool hidden);
  void W_AffichageMasque(bool show);

  WordDocument* document() { return m_doc ? &*m_doc : nullptr; }
  std::optional<CellRef> cursor() const { return m_cursor; }
  QString lastError() const { return m_error; }

 private:
  template <class F>
  bool attempt(F&& f);

  std::optional<WordDocument> m_doc;
  std::optional<CellRef> m_cursor;
  bool m_hidden = false;
  QString m_error;
};

}  // namespace tarovent::word
