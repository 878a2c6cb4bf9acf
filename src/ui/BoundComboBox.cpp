#include "BoundComboBox.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>

#include "platform/db/Database.h"

namespace tarovent::ui {

BoundComboBox::BoundComboBox(QWidget* parent) : QComboBox(parent) {
  auto* model = new QStandardItemModel(0, 2, this);
  setModel(model);
  auto* view = new QTableView(this);
  view->horizontalHeader()->hide();
  view->verticalHeader()->hide();
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setShowGrid(false);
  view->horizontalHeader()->setStretchLastSection(true);
  view->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  setView(view);
  setModelColumn(0);
  connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0 && !m_unlisted.isEmpty()) {
      m_unlisted.clear();
      setPlaceholderText({});
    }
    noteChange();
  });
  connect(this, &QComboBox::editTextChanged, this, [this] { noteChange(); });
}

void BoundComboBox::setRowSource(db::Database& db, const QString& source) {
  QList<QPair<QString, QString>> rows;
  db::Recordset rs = db.OpenRecordset(source, db::RecordsetType::Dynaset, db::rsopt::ReadOnly);
  const bool twoColumns = rs.fieldCount() > 1;
  while (!rs.EOF_()) {
    rows.append({rs.value(0).toString(), twoColumns ? rs.value(1).toString() : QString()});
    rs.MoveNext();
  }
  setRows(rows);
  m_rowSource = source;
}

void BoundComboBox::setRows(const QList<QPair<QString, QString>>& rows) {
  const QString kept = code();
  const bool wasChanged = DataChanged();
  auto* model = static_cast<QStandardItemModel*>(this->model());
  blockSignals(true);
  model->removeRows(0, model->rowCount());
  for (const auto& [c, label] : rows)
    model->appendRow({new QStandardItem(c), new QStandardItem(label)});
  auto* table = static_cast<QTableView*>(view());
  table->setColumnHidden(
      1, std::all_of(rows.begin(), rows.end(), [](const auto& r) { return r.second.isEmpty(); }));
  table->resizeColumnToContents(0);
  setCurrentIndex(-1);
  blockSignals(false);
  setCode(kept);
  setDataChanged(wasChanged);
}

void BoundComboBox::clearRowSource() {
  blockSignals(true);
  static_cast<QStandardItemModel*>(model())->removeRows(0, count());
  blockSignals(false);
  m_rowSource.clear();
}

int BoundComboBox::rowOfCode(const QString& c) const {
  if (c.isEmpty()) return -1;
  for (int i = 0; i < count(); ++i)
    if (model()->index(i, 0).data().toString().compare(c, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

QString BoundComboBox::code() const {
  if (isEditable() && modelColumn() == 0) {
    const int i = rowOfCode(currentText());
    return i >= 0 ? model()->index(i, 0).data().toString() : currentText();
  }
  return currentIndex() >= 0 ? model()->index(currentIndex(), 0).data().toString() : m_unlisted;
}

void BoundComboBox::setCode(const QString& c) {
  const int i = rowOfCode(c);
  setCurrentIndex(i);
  if (isEditable() && i < 0) setEditText(c);
  // A stored code the list no longer holds (a deleted company or type) is shown and kept: the
  // record is saved with it unless the user chooses another.
  m_unlisted = !isEditable() && i < 0 ? c : QString();
  if (!isEditable()) setPlaceholderText(m_unlisted);
}

QVariant BoundComboBox::shownValue(const db::FieldSpec& field) const {
  return valueForField(code(), field);
}

void BoundComboBox::show(const QVariant& value, const db::FieldSpec& field) {
  setCode(textForField(value, field));
}

}  // namespace tarovent::ui
