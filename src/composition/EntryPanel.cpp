#include "composition/EntryPanel.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "composition/CompositionSession.h"
#include "composition/NumberFormat.h"
#include "core/ProcessState.h"
#include "guard/PriceMemoryBox.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "ui/FormNavigation.h"
#include "ui/PlainItemDelegate.h"
#include "ui/RowList.h"

namespace tarovent::composition {

using ui::FormNavigation;

namespace {

const QString kCode = QStringLiteral("CTX_CODART");
const QString kQuantity = QStringLiteral("CTX_QTE");

struct FieldSpec {
  const char* name;
  const char* label;
  int row, column, span;
};

// Three label + field pairs a row; the designation and the descriptions are wider.
const FieldSpec kFieldLayout[] = {
    {"CTX_CODART", "Code", 0, 0, 1},
    {"CTX_TYPE", "Type", 0, 1, 1},
    {"CTX_UNITE", "Unité", 0, 2, 1},
    {"CTX_TPRO_LIB", "Désignation", 1, 0, 3},
    {"CTX_TPRO_DESCR", "Descriptif 1", 2, 0, 1},
    {"CTX_TPRO_DESCR2", "Descriptif 2", 2, 1, 2},
    {"CTX_QTE", "Quantité", 3, 0, 1},
    {"CTX_TPRO_PU", "Prix unitaire", 3, 1, 1},
    {"CTX_TPRO_PU_Bis", "Autre prix", 3, 2, 1},
    {"CTX_PDR", "Prix de revient", 4, 0, 1},
    {"CTX_POIDS", "Poids", 4, 1, 1},
    {"CTX_CODFOURN", "Fournisseur", 4, 2, 1},
    {"CTX_USER1", "Libre 1", 5, 0, 1},
    {"CTX_USER2", "Libre 2", 5, 1, 1},
    {"CTX_USER3", "Libre 3", 5, 2, 1},
    {"CTX_USER4", "Libre 4", 6, 0, 1},
    {"CTX_REMPL", "Remplacement", 6, 1, 1},
    {"CTX_CLREM", "Classe de remise", 6, 2, 1},
    {"CTX_TXTVA", "Taux de TVA", 7, 0, 1},
};

struct SourceSpec {
  EntrySource source;
  const char* caption;
  QStringList headers;
};

const SourceSpec kSources[] = {
    {EntrySource::Options, "Options", {"Code", "Désignation", "Prix"}},
    {EntrySource::Stock, "Article stock", {"Code", "Désignation", "Unité", "Prix"}},
    {EntrySource::Labour, "Main d'oeuvre", {"Section", "Libellé", "Taux horaire"}},
    {EntrySource::Tariffs,
     "Article non stocké",
     {"Référence", "Fournisseur", "Désignation", "Prix de vente"}},
};

// The tariff list's columns, for the search of non-referenced lines.
const char* const kTariffFields[] = {"TTRF_REFFOURN", "TTRF_CODFOURN", "TTRF_LIBART",
                                     "TTRF_PrixVen"};

QString widgetText(QWidget* w) {
  if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
  if (auto* p = qobject_cast<QPlainTextEdit*>(w)) return p->toPlainText();
  return {};
}

void setWidgetText(QWidget* w, const QString& text) {
  if (widgetText(w) == text) return;
  if (auto* e = qobject_cast<QLineEdit*>(w)) e->setText(text);
  if (auto* p = qobject_cast<QPlainTextEdit*>(w)) p->setPlainText(text);
}

bool isEnter(const QKeyEvent* k) { return k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter; }

}  // namespace

EntryPanel::EntryPanel(CompositionSession& session, QWidget* parent)
    : QWidget(parent), m_session(session), m_entry(session) {
  setObjectName(QStringLiteral("EntryPanel"));
  // Codes, numbers and French labels: Latin script, drawn without the shaping engine that
  // every change of a field's text ran again. The window's font otherwise.
  QFont plain;
  plain.setStyleStrategy(QFont::PreferNoShaping);
  setFont(plain);
  core::ProcessState& state = session.state();
  const auto tr = [&](const char* text) { return state.Traduire(QString::fromUtf8(text)); };

  m_tree = new QTreeWidget(this);
  m_tree->setObjectName(QStringLiteral("TRV_Sources"));
  m_tree->setHeaderHidden(true);
  m_tree->setRootIsDecorated(false);
  for (const SourceSpec& s : kSources) {
    auto* item = new QTreeWidgetItem(m_tree, {tr(s.caption)});
    item->setData(0, Qt::UserRole, int(s.source));
    item->setToolTip(0, tr(s.caption) + QStringLiteral(" : ") +
                            sourceKey(s.source).toString(QKeySequence::NativeText) +
                            tr(" depuis la composition"));
    // A source whose base is not configured has nothing to offer.
    if (!m_entry.lookupEnabled(s.source)) item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
  }
  // Above the list, as high as its four sources: beside it, it took the width the list's
  // designations need on a 1280-pixel screen.
  m_tree->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_tree->setFixedHeight(m_tree->topLevelItemCount() * m_tree->sizeHintForRow(0) +
                         2 * m_tree->frameWidth());
  m_tree->installEventFilter(this);

  m_model = new QStandardItemModel(this);
  m_list = new QTableView(this);
  m_list->setObjectName(QStringLiteral("DBG_Liste"));
  m_list->setModel(m_model);
  ui::readByRows(m_list);
  m_list->setSelectionMode(QAbstractItemView::SingleSelection);
  m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // One line a row: a designation wider than its column ends in "…" (its tooltip holds it all).
  m_list->setWordWrap(false);
  m_list->setItemDelegate(new ui::PlainItemDelegate(m_list));
  m_list->verticalHeader()->hide();
  m_list->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  m_list->horizontalHeader()->setStretchLastSection(true);
  m_list->installEventFilter(this);
  connect(m_list, &QTableView::doubleClicked, this, [this] { pickCurrent(); });
  m_typedLabel = new QLabel(this);
  m_typedLabel->setObjectName(QStringLiteral("CTL_Recherche"));

  // Alt+R on the sources, whose arrows choose; Ctrl and a number chooses from anywhere.
  auto* sources = new QLabel(tr("Sou&rce de la ligne (Ctrl+1 à Ctrl+4)"), this);
  sources->setObjectName(QStringLiteral("CTL_Sources"));
  sources->setBuddy(m_tree);
  auto* listBox = new QVBoxLayout;
  listBox->addWidget(sources);
  listBox->addWidget(m_tree);
  listBox->addWidget(m_list, 1);
  auto* searchRow = new QHBoxLayout;
  m_selectButton = new QPushButton(tr("&Sélection non réf."), this);
  m_selectButton->setToolTip(
      tr("Articles non référencés du tarif dont la colonne commence par..."));
  m_selectButton->setObjectName(QStringLiteral("Cmd_TrfSelection"));
  m_searchButton = new QPushButton(tr("Rec&herche non réf."), this);
  m_searchButton->setToolTip(tr("Articles non référencés du tarif dont la colonne contient..."));
  m_searchButton->setObjectName(QStringLiteral("Cmd_TrfRecherche"));
  connect(m_selectButton, &QPushButton::clicked, this, [this] { searchNonReferenced(false); });
  connect(m_searchButton, &QPushButton::clicked, this, [this] { searchNonReferenced(true); });
  // The typed search above the two tariff commands.
  listBox->addWidget(m_typedLabel);
  searchRow->addWidget(m_selectButton);
  searchRow->addWidget(m_searchButton);
  listBox->addLayout(searchRow);

  auto* grid = new QGridLayout;
  buildFields(grid);
  plugPriceMemory(listBox);
  auto* insert = new QPushButton(tr("Ajouter l'article au dessus du &pointeur"), this);
  insert->setObjectName(QStringLiteral("Cmd_Inserer"));
  insert->setToolTip(tr("Ctrl+Entrée depuis un champ de la ligne"));
  connect(insert, &QPushButton::clicked, this, [this] { insertLine(); });
  // Both commands on a row of their own: beside the VAT rate they widened the window.
  grid->addWidget(insert, 8, 0, 1, 3);
  auto* append = new QPushButton(tr("Ajout en &fin de tableau"), this);
  append->setObjectName(QStringLiteral("Cmd_AjoutFin"));
  connect(append, &QPushButton::clicked, this, [this] { appendLine(); });
  grid->addWidget(append, 8, 3, 1, 3);

  auto* top = new QHBoxLayout(this);
  top->setContentsMargins(4, 4, 4, 4);
  top->addLayout(listBox, 2);
  top->addLayout(grid, 3);

  m_prompt = [this](const QString& question) -> std::optional<QString> {
    bool ok = false;
    const QString answer =
        QInputDialog::getText(window(), m_session.state().Traduire(QStringLiteral("Recherche")),
                              question, QLineEdit::Normal, QString(), &ok);
    if (!ok) return std::nullopt;
    return answer;
  };
  connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (item) setSource(EntrySource(item->data(0, Qt::UserRole).toInt()));
  });
  m_tree->setCurrentItem(m_tree->topLevelItem(int(EntrySource::Stock)));
  showTexts();
}

EntryPanel::~EntryPanel() = default;

void EntryPanel::plugPriceMemory(QVBoxLayout* box) {
  auto* memory = guard::PriceMemoryBox::forQuote(m_session.state(),
                                                 m_session.origin() == Origin::Dossier, this);
  memory->follow(qobject_cast<QLineEdit*>(field(kCode)));
  // The field being left applies its rules first (a quantity its price breaks); then the
  // remembered price is typed into the unit price, whose rules (the floor) apply.
  connect(memory, &guard::PriceMemoryBox::taken, this, [this](double price) {
    const QString name = QStringLiteral("CTX_TPRO_PU");
    focusField(name);
    setWidgetText(field(name), formatMasked(price, kPriceMask, m_session.decimalSeparator()));
    leaveField(name);
    focusField(name);
  });
  box->addWidget(memory);
}

void EntryPanel::buildFields(QGridLayout* grid) {
  core::ProcessState& state = m_session.state();
  for (const FieldSpec& f : kFieldLayout) {
    const QString name = QString::fromLatin1(f.name);
    QWidget* w = nullptr;
    if (name.startsWith(QStringLiteral("CTX_TPRO_DESCR"))) {
      auto* p = new QPlainTextEdit(this);
      p->setTabChangesFocus(true);
      connect(p, &QPlainTextEdit::textChanged, this, [this, p, name] {
        if (m_refreshing) return;
        FieldView* v = view(p);
        v->shown = p->toPlainText();
        v->stale = false;
        m_entry.setText(v->index, v->shown);
      });
      p->setFixedHeight(fontMetrics().lineSpacing() * 2 + 12);
      p->viewport()->installEventFilter(this);  // where the mouse and drops arrive
      w = p;
    } else {
      auto* e = new QLineEdit(this);
      connect(e, &QLineEdit::textChanged, this,
              [this, e](const QString& text) { view(e)->shown = text; });
      connect(e, &QLineEdit::textEdited, this, [this, e](const QString& text) {
        FieldView* v = view(e);
        v->stale = false;
        m_entry.setText(v->index, text);
      });
      if (LineEntry::isNumberField(name)) {
        e->setAlignment(Qt::AlignRight);
        // Wide enough for the largest price the masks write, whatever the window's width.
        e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("9 999 999,99")) +
                           2 * e->fontMetrics().averageCharWidth() + 8);
      } else if (name == QStringLiteral("CTX_CODFOURN")) {
        e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("FOURNISSEUR")) + 8);
      }
      w = e;
    }
    w->setObjectName(name);
    w->installEventFilter(this);
    auto* label = new QLabel(state.Traduire(QString::fromUtf8(f.label)), this);
    label->setBuddy(w);
    grid->addWidget(label, f.row, f.column * 2);
    grid->addWidget(w, f.row, f.column * 2 + 1, 1, f.span * 2 - 1);
    m_fields.insert(name, w);
    m_views.push_back({name, LineEntry::fieldIndex(name), w, widgetText(w), false});
  }
  grid->setColumnStretch(1, 2);
  grid->setColumnStretch(3, 1);
  grid->setColumnStretch(5, 1);
}

void EntryPanel::takeFocus() { focusField(kCode); }

void EntryPanel::startWithKey(const QKeyEvent& key) {
  takeFocus();
  QKeyEvent copy(QEvent::KeyPress, key.key(), key.modifiers(), key.text(), key.isAutoRepeat(),
                 ushort(key.count()));
  QCoreApplication::sendEvent(field(kCode), &copy);
}

void EntryPanel::focusQuantity() { focusField(kQuantity); }

void EntryPanel::windowActivated() {
  const bool cancelled = m_entry.takeCancelledCreation();
  if (m_entry.takeReturnedCode().isEmpty() && !cancelled) return;
  showTexts();
  takeFocus();
}

void EntryPanel::setSource(EntrySource source) {
  m_entry.setSource(source);
  m_typed.clear();
  m_typedLabel->clear();
  QTreeWidgetItem* item = m_tree->topLevelItem(int(source));
  if (m_tree->currentItem() != item) m_tree->setCurrentItem(item);
  m_selectButton->setEnabled(source == EntrySource::Tariffs);
  m_searchButton->setEnabled(source == EntrySource::Tariffs);
  loadList(m_entry.listQuery(source));
}

void EntryPanel::chooseSource(EntrySource source) {
  if (!sourceEnabled(source)) return;
  setSource(source);
  m_list->setFocus(Qt::ShortcutFocusReason);
}

QKeySequence EntryPanel::sourceKey(EntrySource source) {
  return QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + int(source)));
}

void EntryPanel::loadList(const QString& sql) {
  const SourceSpec& source = kSources[int(m_entry.source())];
  m_model->clear();
  m_listTarget.reset();
  m_sortedBy = 0;  // the lists are read in the order of their codes
  QStringList headers;
  for (const QString& h : source.headers) headers << m_session.state().Traduire(h);
  m_model->setHorizontalHeaderLabels(headers);
  db::Database* db = m_entry.listDatabase(m_entry.source());
  if (!db) return;
  try {
    db::Recordset rs = db->OpenRecordset(sql, db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
    const int columns = std::min(rs.fieldCount(), int(headers.size()));
    for (; !rs.EOF_(); rs.MoveNext()) {
      QList<QStandardItem*> row;
      for (int c = 0; c < columns; ++c) {
        const QVariant v = rs.value(c);
        auto* item = new QStandardItem(
            v.typeId() == QMetaType::Double
                ? formatMasked(v.toDouble(), kPriceMask, m_session.decimalSeparator())
                : v.toString());
        if (v.typeId() == QMetaType::Double)
          item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        else if (c > 0)
          item->setToolTip(item->text());  // a designation cut by the column's width
        row << item;
      }
      m_model->appendRow(row);
    }
  } catch (const db::DbError& e) {
    ui::MessageFunnel& m = m_session.state().messages();
    m.show(e.description() + m.tr(QStringLiteral("   Err. n° ")) + QString::number(e.number()),
           ui::Icon::Critical);
  }
  // Codes, units and prices as wide as they are; the designation takes the rest.
  m_list->resizeColumnsToContents();
  if (m_model->columnCount() > 1) {
    QHeaderView* header = m_list->horizontalHeader();
    header->setStretchLastSection(false);
    const int designation = m_entry.source() == EntrySource::Tariffs ? 2 : 1;
    for (int c = 0; c < m_model->columnCount(); ++c)
      header->setSectionResizeMode(
          c, c == designation ? QHeaderView::Stretch : QHeaderView::ResizeToContents);
  }
  if (m_model->rowCount() > 0) m_list->selectRow(0);
}

void EntryPanel::positionList(const QString& typed) {
  // The tariff lines can be found by supplier too: on that column the list is in its order.
  const int column =
      m_entry.source() == EntrySource::Tariffs && m_list->currentIndex().column() == 1 ? 1 : 0;
  if (m_sortedBy != column) {
    m_model->sort(column);
    m_sortedBy = column;
  }
  QStringList codes;
  codes.reserve(m_model->rowCount());
  for (int r = 0; r < m_model->rowCount(); ++r) codes << m_model->item(r, column)->text();
  const int row = firstCodeAtOrAfter(codes, typed);
  if (row < 0) return;
  m_list->setCurrentIndex(m_model->index(row, column));
  m_list->scrollTo(m_model->index(row, column), QAbstractItemView::PositionAtTop);
}

void EntryPanel::showInList(const QString& code, const QString& supplier) {
  m_listTarget = {code, supplier};
  showTexts();  // queues the refresh, which positions the list
}

void EntryPanel::applyListPosition() {
  if (!m_listTarget) return;
  const auto [code, supplier] = *m_listTarget;
  m_listTarget.reset();
  for (int r = 0; r < m_model->rowCount(); ++r) {
    if (m_model->item(r, 0)->text().compare(code, Qt::CaseInsensitive) != 0) continue;
    if (!supplier.isEmpty() && m_model->columnCount() > 1 &&
        m_model->item(r, 1)->text().compare(supplier, Qt::CaseInsensitive) != 0)
      continue;
    if (m_list->currentIndex().row() == r) return;
    m_list->selectRow(r);
    m_list->scrollTo(m_model->index(r, 0));
    return;
  }
}

void EntryPanel::pickCurrent() {
  const QModelIndex current = m_list->currentIndex();
  if (!current.isValid()) return;
  const QString code = m_model->item(current.row(), 0)->text();
  const QString supplier = m_entry.source() == EntrySource::Tariffs
                               ? m_model->item(current.row(), 1)->text()
                               : QString();
  m_typed.clear();
  m_typedLabel->clear();
  holdReads();
  if (!m_entry.pick(m_entry.source(), code, supplier)) return;
  showTexts();
  focusField(kQuantity);
}

std::pair<QString, QString> EntryPanel::selectedArticle() {
  applyListPosition();
  m_list->setFocus(Qt::OtherFocusReason);
  const QModelIndex current = m_list->currentIndex();
  if (m_entry.source() != EntrySource::Stock || !current.isValid()) return {};
  const QStandardItem* label = m_model->item(current.row(), 1);
  return {m_model->item(current.row(), 0)->text(), label ? label->text() : QString()};
}

void EntryPanel::showTexts() {
  bool stale = false;
  for (FieldView& v : m_views) {
    v.stale = v.shown != m_entry.text(v.index);
    stale |= v.stale;
  }
  if (m_refreshQueued || (!stale && !m_listTarget)) return;
  m_refreshQueued = true;
  QMetaObject::invokeMethod(this, &EntryPanel::refreshNow, Qt::QueuedConnection);
}

EntryPanel::FieldView* EntryPanel::view(const QObject* widget) {
  for (FieldView& v : m_views)
    if (v.widget == widget) return &v;
  return nullptr;
}

bool EntryPanel::refreshField(QWidget* w) {
  FieldView* v = view(w);
  if (!v || !v->stale) return false;
  v->stale = false;
  m_refreshing = true;
  setWidgetText(w, m_entry.text(v->index));
  m_refreshing = false;
  v->shown = widgetText(w);
  return true;
}

void EntryPanel::refreshNow() {
  m_refreshQueued = false;
  for (const FieldView& v : m_views) refreshField(v.widget);
  applyListPosition();
}

void EntryPanel::focusField(const QString& name) {
  QWidget* w = field(name);
  auto* e = qobject_cast<QLineEdit*>(w);
  // Shown and selected before it has the keyboard: a field with the keyboard tells the input
  // method of every change of its text and cursor.
  refreshField(w);
  // An empty field has nothing to select: its cursor is at its start already.
  if (e && !e->text().isEmpty()) e->selectAll();
  w->setFocus(Qt::OtherFocusReason);
  // The field left on the way may have changed this one.
  if (refreshField(w) && e) e->selectAll();
}

void EntryPanel::holdReads() {
  if (!m_heldReads.empty()) return;
  core::ProcessState& state = m_session.state();
  for (const int base : {core::entry::Stock, core::entry::Commercial, core::entry::Planning,
                         core::entry::Main, core::entry::Tariffs})
    if (state.base(base).open())
      m_heldReads.push_back(std::make_unique<db::ReadSnapshot>(state.base(base).db));
  QMetaObject::invokeMethod(this, [this] { m_heldReads.clear(); }, Qt::QueuedConnection);
}

LeaveOutcome EntryPanel::leaveField(const QString& name) {
  if (m_leaving) return LeaveOutcome::Nothing;
  m_leaving = true;
  holdReads();
  // A field not refreshed yet holds nothing typed: the line entry's text is the newer.
  if (const FieldView* v = view(field(name)); !v->stale) m_entry.setText(v->index, v->shown);
  const LeaveOutcome outcome = m_entry.leave(name);
  // A refused number stays as typed, for the user to correct it.
  if (outcome != LeaveOutcome::Refused) showTexts();
  m_refused = outcome == LeaveOutcome::Refused ? name : QString();
  if (outcome == LeaveOutcome::Filled) {
    // The list follows the code typed, as if it had been picked there; the code, left just
    // now, is not left again when the keyboard moves on.
    QString code = m_entry.text(kCode);
    // The labour list shows the bare section code.
    if (m_entry.source() == EntrySource::Labour && code.startsWith(QStringLiteral("MO*")))
      code = code.mid(3);
    showInList(code, m_entry.source() == EntrySource::Tariffs
                         ? m_entry.text(QStringLiteral("CTX_CODFOURN"))
                         : QString());
    focusField(kQuantity);
  }
  m_leaving = false;
  return outcome;
}

void EntryPanel::moveOn(QWidget* from, bool forward) {
  const QString name = from->objectName();
  const LeaveOutcome outcome = leaveField(name);
  switch (outcome) {
    case LeaveOutcome::Refused:
    case LeaveOutcome::NotFound:
      focusField(name);
      return;
    case LeaveOutcome::Filled:
    case LeaveOutcome::WindowOpened:
      return;
    case LeaveOutcome::Nothing:
      break;
  }
  // A code already looked up: on to its quantity.
  if (forward && name == kCode && !m_entry.text(kCode).trimmed().isEmpty())
    return focusField(kQuantity);
  m_leaving = true;  // the field was just left: the focus change repeats nothing
  focusNextPrevChild(forward);
  m_leaving = false;
  FormNavigation::selectAll(QApplication::focusWidget());
}

bool EntryPanel::writeLine(bool atEnd) {
  // The number just refused was told already: back to it, without a second message.
  if (!m_refused.isEmpty()) {
    focusField(m_refused);
    return false;
  }
  for (const FieldView& v : m_views)
    if (!v.stale) m_entry.setText(v.index, v.shown);
  const bool written = atEnd ? m_entry.append() : m_entry.insert();
  if (const std::optional<QString>& refused = m_entry.refusedField()) {
    focusField(*refused);
    return false;
  }
  showTexts();
  if (written) {
    emit lineWritten();
    // Back to the code: the emptied quantity being left has nothing to apply.
    m_leaving = true;
    takeFocus();
    m_leaving = false;
  }
  return written;
}

void EntryPanel::searchNonReferenced(bool contains) {
  if (m_entry.source() != EntrySource::Tariffs) return;
  applyListPosition();
  const int column = std::max(0, m_list->currentIndex().column());
  const QString title = m_model->headerData(column, Qt::Horizontal).toString();
  ui::MessageFunnel& m = m_session.state().messages();
  const QString question = m.tr(contains ? QStringLiteral("Expression à rechercher (")
                                         : QStringLiteral("Critère de sélection (")) +
                           title + m.tr(QStringLiteral(") : "));
  const std::optional<QString> answer = m_prompt(question);
  if (!answer) return;
  loadList(LineEntry::nonReferencedQuery(QString::fromLatin1(kTariffFields[std::min(column, 3)]),
                                         *answer, contains));
  m_list->setFocus(Qt::OtherFocusReason);
}

bool EntryPanel::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    // What the user is about to work in shows what the line entry holds.
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::FocusIn:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
      if (watched == m_list)
        applyListPosition();
      else if (watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        refreshField(w);
        if (w->parentWidget() != this) refreshField(w->parentWidget());  // a text's viewport
      }
      break;
    default:
      break;
  }
  // Enter in a field is the panel's own (on to the next field, or the line written), and so is
  // a character typed in a line field: no shortcut is looked for.
  if (event->type() == QEvent::ShortcutOverride &&
      m_fields.value(watched->objectName()) == watched) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    const bool typed = qobject_cast<QLineEdit*>(watched) && key->key() < Qt::Key_Escape &&
                       (mods == Qt::NoModifier || mods == Qt::ShiftModifier);
    if (isEnter(key) || typed) {
      event->accept();
      return true;
    }
  }
  if (event->type() == QEvent::FocusOut) {
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    // A message box or another window taking the keyboard is not leaving the field.
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
        m_fields.contains(watched->objectName()) && watched->isWidgetType() &&
        m_fields.value(watched->objectName()) == watched &&
        leaveField(watched->objectName()) == LeaveOutcome::Refused) {
      // Left by Tab or the mouse: the keyboard comes back once the focus has moved.
      const QString name = watched->objectName();
      QMetaObject::invokeMethod(
          this, [this, name] { focusField(name); }, Qt::QueuedConnection);
    }
    return false;
  }
  // The release of an Enter the panel took is the panel's too: the field it lands on, left
  // already, has nothing to do with it.
  if (event->type() == QEvent::KeyRelease && isEnter(static_cast<QKeyEvent*>(event)) &&
      m_fields.value(watched->objectName()) == watched)
    return true;
  if (event->type() != QEvent::KeyPress) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() == Qt::Key_Escape) {
    emit leaveRequested();
    return true;
  }
  if (watched == m_tree && isEnter(key)) {
    m_list->setFocus(Qt::OtherFocusReason);
    return true;
  }
  if (watched == m_list) {
    if (isEnter(key)) {
      pickCurrent();
      return true;
    }
    if (key->key() == Qt::Key_Backspace && !m_typed.isEmpty()) {
      m_typed.chop(1);
    } else if (!key->text().isEmpty() && key->text().at(0).isPrint() &&
               !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
      m_typed += key->text();
    } else {
      return false;
    }
    m_typedLabel->setText(m_typed);
    positionList(m_typed);
    return true;
  }
  const QString name = watched->objectName();
  if (m_fields.value(name) != watched) return false;
  const bool text = qobject_cast<QPlainTextEdit*>(watched) != nullptr;
  // Ctrl+Enter writes the line from any field.
  if (isEnter(key) && key->modifiers() & Qt::ControlModifier) {
    if (leaveField(name) == LeaveOutcome::Refused)
      focusField(name);
    else
      insertLine();
    return true;
  }
  // Enter and Down move to the next field (the code is looked up on the way), Up to the
  // previous one; in the descriptions Shift+Enter starts a new line and the arrows move in
  // the text.
  if (isEnter(key) && !(text && key->modifiers() & Qt::ShiftModifier)) {
    moveOn(static_cast<QWidget*>(watched), true);
    return true;
  }
  if (!text && (key->key() == Qt::Key_Down || key->key() == Qt::Key_Up)) {
    moveOn(static_cast<QWidget*>(watched), key->key() == Qt::Key_Down);
    return true;
  }
  return false;
}

}  // namespace tarovent::composition
