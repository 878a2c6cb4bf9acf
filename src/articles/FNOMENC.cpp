#include "articles/FNOMENC.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "articles/ArticleFiles.h"
#include "articles/Nomenclature.h"
#include "core/InputHelpers.h"
#include "core/ProcessState.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "ui/DbErrorMessage.h"
#include "ui/RowList.h"

namespace tarovent::articles {

namespace {

constexpr int kNewRole = Qt::UserRole + 1;
constexpr int kOperationRole = Qt::UserRole + 2;  // the number of a loaded operation

const char* const kFields[] = {"TMP_Niveau", "TMP_Type",     "TMP_Codart",  "TMP_Libart",
                               "TMP_Unite",  "TMP_QTEUNI",   "TMP_PMP",     "TMP_PVU1",
                               "TMP_PVU2",   "TGAM_TmpPrep", "TGAM_TmpPie", "TGAM_Note"};

}  // namespace

FNOMENC::FNOMENC(core::ProcessState& state, QWidget* parent)
    : QWidget(parent),
      m_state(state),
      m_files(std::make_unique<ArticleFiles>(state)),
      m_article(state.createdCode) {
  setObjectName(QStringLiteral("FNOMENC"));
  ui::MessageFunnel& m = state.messages();
  setWindowTitle(m.tr("Décomposition de l'article (nomenclature)"));
  auto* header = new QLabel(this);
  header->setObjectName(QStringLiteral("CTL_ARTICLE"));
  m_grid = new QTableWidget(0, 12, this);
  m_grid->setObjectName(QStringLiteral("DBG_NOMENC"));
  m_grid->setHorizontalHeaderLabels({m.tr("Niveau"), m.tr("Type"), m.tr("Code"), m.tr("Libellé"),
                                     m.tr("Unité"), m.tr("Qté"), m.tr("PMP"), m.tr("PV 1"),
                                     m.tr("PV 2"), m.tr("Tps prép."), m.tr("Tps pièce"),
                                     m.tr("Note")});
  m_grid->installEventFilter(this);
  connect(m_grid, &QTableWidget::cellChanged, this, &FNOMENC::cellEdited);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  const auto add = [&](const char* name, const QString& caption, auto slot) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, slot);
    buttons->addWidget(b);
  };
  add("Cmd_Enregistrer", m.tr("&Enregistrer"), [this] { save(); });
  add("Cmd_Annuler", m.tr("&Annuler"), [this] { cancel(); });
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(header);
  layout->addWidget(m_grid, 1);
  layout->addLayout(buttons);
  if (m_files->ensureStock() && m_files->Trouver_Article(m_article))
    header->setText(m_article + "  " + m_files->articles().text("TARTI_LIBART") + "  " +
                    m_files->articles().text("TARTI_UNST_LIB"));
  load();
}

FNOMENC::~FNOMENC() = default;

void FNOMENC::load() {
  ui::MessageFunnel& m = m_state.messages();
  try {
    Charger_Nomenclature(*m_files, m_state.localDb, m_article, m);
    m_filling = true;
    db::Recordset rs =
        m_state.localDb.OpenRecordset("select * from TMP_NOMENC order by TMP_NumLig;");
    for (; !rs.EOF_(); rs.MoveNext()) {
      const int row = m_grid->rowCount();
      m_grid->insertRow(row);
      for (int c = 0; c < 12; ++c) {
        const QVariant v = rs.value(QLatin1String(kFields[c]));
        m_grid->setItem(row, c, new QTableWidgetItem(v.isNull() ? QString() : v.toString()));
      }
      m_grid->item(row, Level)->setData(kOperationRole, int(rs.number("TGAM_Numope")));
    }
    m_filling = false;
  } catch (const db::DbError& e) {
    m_filling = false;
    ui::showDbError(m, e);
  }
}

bool FNOMENC::isNew(int row) const {
  const QTableWidgetItem* level = m_grid->item(row, Level);
  return level && level->data(kNewRole).toBool();
}

void FNOMENC::Ajouter_Composant() { addLine(false); }

void FNOMENC::Ajouter_Operation() {
  if (!m_files->hasRoutings()) return;
  addLine(true);
}

void FNOMENC::addLine(bool operation) {
  ui::MessageFunnel& m = m_state.messages();
  setWindowTitle(operation ? m.tr("Saisie d'une opération") : m.tr("Saisie d'un composant"));
  const int current = m_grid->currentRow();
  const int row = current + 1;
  const QString level =
      current >= 0 && m_grid->item(current, Level) ? m_grid->item(current, Level)->text() : "1";
  m_filling = true;
  m_grid->insertRow(row);
  for (int c = 0; c < 12; ++c) m_grid->setItem(row, c, new QTableWidgetItem);
  m_grid->item(row, Level)->setText(level);
  m_grid->item(row, Level)->setData(kNewRole, true);
  if (operation) {
    m_grid->item(row, Type)->setText("M");
    m_grid->item(row, Unit)->setText("H");
  }
  m_filling = false;
  m_grid->setCurrentCell(row, Code);
}

void FNOMENC::openList() {
  const int row = m_grid->currentRow();
  if (row < 0 || m_grid->currentColumn() != Code) return;
  ui::MessageFunnel& m = m_state.messages();
  const bool sections = m_grid->item(row, Type)->text() == "M";
  const QString typed = m_grid->item(row, Code)->text().trimmed();
  core::BaseEntry& base = m_state.base(sections ? core::entry::Planning : core::entry::Stock);
  if (!base.open()) return;
  auto* model = new QStandardItemModel(this);
  int current = 0;
  try {
    db::Recordset rs = base.db.OpenRecordset(
        sections ? QStringLiteral("select TSEC_CODSEC, TSEC_Libsec from TSEC order by TSEC_CODSEC")
                 : "select TARTI_CODART, TARTI_LIBART, TARTI_UNST_LIB, TARTI_Type, TARTI_PMP, "
                   "TARTI_PVU1, TARTI_PVU2 from TARTI where TARTI_CODART >= " +
                       db::sqlLiteral(typed) + " order by TARTI_CODART");
    for (; !rs.EOF_(); rs.MoveNext()) {
      QList<QStandardItem*> items;
      for (int c = 0; c < (sections ? 2 : 7); ++c) {
        const QVariant v = rs.value(c);
        items << new QStandardItem(v.isNull() ? QString() : v.toString());
      }
      // The sections all stay listed, from the first at or after the typed code.
      if (sections && items[0]->text().compare(typed, Qt::CaseInsensitive) < 0)
        current = model->rowCount() + 1;
      model->appendRow(items);
    }
  } catch (const db::DbError& e) {
    delete model;
    ui::showDbError(m, e);
    return;
  }
  model->setHorizontalHeaderLabels(sections ? QStringList{m.tr("Section"), m.tr("Libellé")}
                                            : QStringList{m.tr("Code"), m.tr("Libellé"),
                                                          m.tr("Unité"), m.tr("Type"), m.tr("PMP"),
                                                          m.tr("PV 1"), m.tr("PV 2")});
  auto* list = new QDialog(this);
  list->setAttribute(Qt::WA_DeleteOnClose);
  list->setWindowTitle(sections ? m.tr("Sections") : m.tr("Articles"));
  model->setParent(list);
  auto* view = new QTableView(list);
  view->setObjectName(sections ? QStringLiteral("DBG_SECTIONS") : QStringLiteral("DBG_ARTICLES"));
  view->setModel(model);
  ui::readByRows(view);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->verticalHeader()->hide();
  view->horizontalHeader()->setStretchLastSection(true);
  if (model->rowCount() > 0)
    view->setCurrentIndex(model->index(std::min(current, model->rowCount() - 1), 0));
  (new QVBoxLayout(list))->addWidget(view);
  list->resize(sections ? 420 : 720, 360);
  // Enter or a double click takes the code into the cell the list was opened on.
  connect(view, &QAbstractItemView::activated, list, [this, list, row](const QModelIndex& index) {
    const QString code = index.siblingAtColumn(0).data().toString();
    list->accept();
    if (row < m_grid->rowCount()) {
      m_grid->setCurrentCell(row, Code);
      m_grid->item(row, Code)->setText(code);
    }
  });
  list->open();
  view->setFocus(Qt::OtherFocusReason);
}

void FNOMENC::cellEdited(int row, int column) {
  if (m_filling) return;
  ui::MessageFunnel& m = m_state.messages();
  QTableWidgetItem* item = m_grid->item(row, column);
  const auto set = [&](int c, const QString& text) {
    m_filling = true;
    m_grid->item(row, c)->setText(text);
    m_filling = false;
  };
  if (column == Type) {
    const QString type = item->text().trimmed().toUpper();
    if (type != "M" && type != "A" && type != "F") {
      m.show(m.tr("Le type doit être M (main d'oeuvre) ou A/F (article)"), ui::Icon::Warning);
      set(Type, QString());
      return;
    }
    set(Type, type);
  } else if (column == Code) {
    const QString code = item->text().trimmed();
    if (code.isEmpty()) return;
    try {
      if (m_grid->item(row, Type)->text() == "M") {
        if (m_files->Chercher_Section(code)) set(Label, m_files->sections().text("TSEC_Libsec"));
        return;
      }
      if (m_files->Trouver_Article(code)) {
        const db::Recordset& a = m_files->articles();
        set(Label, a.text("TARTI_LIBART"));
        set(Unit, a.text("TARTI_UNST_LIB"));
        set(Type, a.text("TARTI_Type"));
        set(Pmp, QString::number(a.number("TARTI_PMP")));
        set(Pv1, QString::number(a.number("TARTI_PVU1")));
        set(Pv2, QString::number(a.number("TARTI_PVU2")));
      } else if (m.ask(m.tr("Cet article n'existe pas.") + "\n" +
                           m.tr("Confirmez-vous sa création ?"),
                       ui::Buttons::YesNo, 1, ui::Icon::Question) == ui::Answer::Yes) {
        set(Type, "A");
      } else {
        set(Code, QString());
      }
    } catch (const db::DbError& e) {
      ui::showDbError(m, e);
    }
  }
}

void FNOMENC::deleteLine() {
  const int row = m_grid->currentRow();
  if (row < 0) return;
  ui::MessageFunnel& m = m_state.messages();
  if (m.ask(m.tr("Confirmez-vous la suppression?"), ui::Buttons::YesNo, 2, ui::Icon::Question) !=
      ui::Answer::Yes)
    return;
  const int level = m_grid->item(row, Level)->text().toInt();
  // A line read from the database goes from it at the save: its parent is the edited article
  // at depth 1, else the nearest line one depth up.
  if (!isNew(row)) {
    QString parent = m_article;
    for (int r = row - 1; r >= 0 && level > 1; --r)
      if (m_grid->item(r, Level)->text().toInt() == level - 1) {
        parent = m_grid->item(r, Code)->text().trimmed();
        break;
      }
    m_removed.push_back({parent, m_grid->item(row, Code)->text().trimmed(),
                         m_grid->item(row, Type)->text(),
                         m_grid->item(row, Level)->data(kOperationRole).toInt()});
  }
  int last = row;
  if (m_grid->item(row, Type)->text() == "F")
    while (last + 1 < m_grid->rowCount() && m_grid->item(last + 1, Level)->text().toInt() > level)
      ++last;
  for (int r = last; r >= row; --r) m_grid->removeRow(r);
}

bool FNOMENC::save() {
  ui::MessageFunnel& m = m_state.messages();
  if (m.ask(m.tr("Les données de nomenclature et de gamme vont être enregistrées."),
            ui::Buttons::OkCancel, 1, ui::Icon::Question) != ui::Answer::Ok)
    return false;
  try {
    db::Database& local = m_state.localDb;
    {
      db::TransactionGuard g(local);
      local.Execute("delete * from TMP_NOMENC;");
      QStringList fields{"TMP_NumLig", "TMP_Newlig"};
      for (const char* f : kFields) fields << QLatin1String(f);
      db::RowInserter rows(local, "TMP_NOMENC", fields);
      for (int r = 0; r < m_grid->rowCount(); ++r) {
        QVariantList values{r + 1, isNew(r)};
        for (int c = 0; c < 12; ++c) {
          const QString text = m_grid->item(r, c) ? m_grid->item(r, c)->text() : QString();
          const bool numeric = c == Level || (c >= Quantity && c <= Piece);
          values << (numeric ? QVariant(core::Valeur_Numerique(text)) : QVariant(text));
        }
        rows.add(values);
      }
      g.commit();
    }
    Enregistrer_Nomenclature(*m_files, local, m_article, m_removed);
    m_removed.clear();
  } catch (const db::DbError& e) {
    m.show(m.tr("Err. enreg. nomenc. : ") + QString::number(e.number()), ui::Icon::Critical);
    return false;
  }
  quit();
  return true;
}

void FNOMENC::cancel() {
  ui::MessageFunnel& m = m_state.messages();
  if (m.ask(m.tr("Abandonner la décomposition de l'article ?"), ui::Buttons::YesNo, 2,
            ui::Icon::Question) == ui::Answer::Yes)
    quit();
}

void FNOMENC::quit() {
  if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
    sub->close();
  else
    close();
}

void FNOMENC::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::NoModifier) {
    save();
    return;
  }
  if (event->key() == Qt::Key_Escape) return cancel();
  QWidget::keyPressEvent(event);
}

bool FNOMENC::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_grid && event->type() == QEvent::KeyPress) {
    switch (static_cast<QKeyEvent*>(event)->key()) {
      case Qt::Key_F5:
        Ajouter_Composant();
        return true;
      case Qt::Key_F6:
        Ajouter_Operation();
        return true;
      case Qt::Key_F4:
        openList();
        return true;
      case Qt::Key_Delete:
        deleteLine();
        return true;
      default:
        break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace tarovent::articles
