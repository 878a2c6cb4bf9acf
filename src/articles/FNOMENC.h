#pragma once

#include <QWidget>
#include <memory>
#include <vector>

#include "articles/Nomenclature.h"

class QLabel;
class QTableWidget;

namespace tarovent::core {
class ProcessState;
}

namespace tarovent::articles {

class ArticleFiles;

// "Décomposition de l'article (nomenclature)": the whole bill and routing of the article named
// by the state's `createdCode` in one grid; F5 adds a component under the current line, F6 an
// operation, Delete removes a line (with what hangs below a manufactured one), F4 in the code
// column lists the articles from the typed code on, or the sections on an operation line. The
// save writes what the new lines add to the links, articles and routings.
class FNOMENC : public QWidget {
  Q_OBJECT
 public:
  enum Column { Level, Type, Code, Label, Unit, Quantity, Pmp, Pv1, Pv2, Prep, Piece, Note };

  explicit FNOMENC(core::ProcessState& state, QWidget* parent = nullptr);
  ~FNOMENC() override;

  QTableWidget* grid() const { return m_grid; }
  // F5 / F6: a new line under the current one.
  void Ajouter_Composant();
  void Ajouter_Operation();
  // F4: the list of the current line's code, whose Enter puts the chosen code in the cell.
  void openList();
  bool save();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // F10 saves, Escape abandons (after its question), as the buttons.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void load();
  void addLine(bool operation);
  void cellEdited(int row, int column);
  void deleteLine();
  void cancel();
  void quit();
  bool isNew(int row) const;

  core::ProcessState& m_state;
  std::unique_ptr<ArticleFiles> m_files;
  QString m_article;
  QTableWidget* m_grid = nullptr;
  bool m_filling = false;
  std::vector<RemovedLine> m_removed;  // loaded lines deleted since the last save
};

}  // namespace tarovent::articles
