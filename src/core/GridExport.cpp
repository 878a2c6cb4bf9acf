#include "GridExport.h"

#include <xlsxwriter.h>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include "platform/db/DbError.h"
#include "platform/db/Recordset.h"

namespace tarovent::core {

namespace {

bool isNumber(db::FieldType t) {
  return t == db::FieldType::Byte || t == db::FieldType::Integer || t == db::FieldType::Long ||
         t == db::FieldType::Currency || t == db::FieldType::Single || t == db::FieldType::Double;
}

lxw_datetime excelDate(const QDateTime& dt) {
  const QDate d = dt.date();
  const QTime t = dt.time();
  return lxw_datetime{d.year(), d.month(),  d.day(),
                      t.hour(), t.minute(), t.second() + t.msec() / 1000.0};
}

// The workbook being written, closed (and so written out) on every path.
class Workbook {
 public:
  explicit Workbook(const QByteArray& path) {
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;  // rows go straight to disk: any length, little memory
    m_book = workbook_new_opt(path.constData(), &options);
  }
  ~Workbook() {
    if (m_book) workbook_close(m_book);
  }
  lxw_workbook* get() const { return m_book; }
  lxw_error close() {
    lxw_workbook* book = m_book;
    m_book = nullptr;
    return workbook_close(book);
  }

 private:
  lxw_workbook* m_book = nullptr;
};

}  // namespace

QString writeGridWorkbook(const db::Recordset& source, const QList<ExportColumn>& columns,
                          const QString& path) {
  const QString partial = path + QStringLiteral(".partiel");
  QFile::remove(partial);
  QString failure;
  {
    Workbook book(QFile::encodeName(partial));
    if (!book.get()) return QStringLiteral("Création du classeur impossible.");
    lxw_worksheet* sheet = workbook_add_worksheet(book.get(), "Feuille1");
    lxw_format* bold = workbook_add_format(book.get());
    format_set_bold(bold);
    lxw_format* day = workbook_add_format(book.get());
    format_set_num_format(day, "dd/mm/yyyy");
    lxw_format* moment = workbook_add_format(book.get());
    format_set_num_format(moment, "dd/mm/yyyy hh:mm:ss");

    QList<int> fieldOf;
    QList<db::FieldType> types;
    db::Recordset rs = source.isOpen() ? source.Clone() : db::Recordset();
    for (int c = 0; c < columns.size(); ++c) {
      const int f = rs.isOpen() ? rs.fieldIndex(columns[c].field) : -1;
      fieldOf << f;
      types << (f >= 0 ? rs.fieldSpec(f).type : db::FieldType::Text);
      const QByteArray header = columns[c].header.toUtf8();
      worksheet_write_string(sheet, 0, lxw_col_t(c), header.constData(), bold);
      const double width = columns[c].width > 0 ? columns[c].width : LXW_DEF_COL_WIDTH;
      worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), width, nullptr);
    }
    lxw_row_t row = 1;
    try {
      if (rs.isOpen() && !(rs.BOF() && rs.EOF_())) rs.MoveFirst();
      for (; rs.isOpen() && !rs.EOF_(); rs.MoveNext(), ++row) {
        for (int c = 0; c < columns.size(); ++c) {
          if (fieldOf[c] < 0 && columns[c].compute) {
            const QByteArray text =
                columns[c].compute([&rs](const QString& f) { return rs.value(f); }).toUtf8();
            if (!text.isEmpty())
              worksheet_write_string(sheet, row, lxw_col_t(c), text.constData(), nullptr);
            continue;
          }
          if (fieldOf[c] < 0) continue;
          const QVariant v = rs.value(fieldOf[c]);
          if (v.isNull() || !v.isValid()) continue;
          const auto col = lxw_col_t(c);
          if (isNumber(types[c])) {
            worksheet_write_number(sheet, row, col, v.toDouble(), nullptr);
          } else if (types[c] == db::FieldType::Date) {
            const QDateTime dt =
                v.typeId() == QMetaType::QDate ? v.toDate().startOfDay() : v.toDateTime();
            if (!dt.isValid()) continue;
            lxw_datetime when = excelDate(dt);
            worksheet_write_datetime(sheet, row, col, &when,
                                     dt.time() == QTime(0, 0) ? day : moment);
          } else if (types[c] == db::FieldType::Boolean) {
            worksheet_write_boolean(sheet, row, col, v.toBool(), nullptr);
          } else {
            const QByteArray text =
                (columns[c].format ? columns[c].format(v) : v.toString()).toUtf8();
            worksheet_write_string(sheet, row, col, text.constData(), nullptr);
          }
        }
      }
    } catch (const db::DbError& e) {
      failure = e.description();
    }
    if (failure.isEmpty()) {
      const lxw_error err = book.close();
      if (err != LXW_NO_ERROR) failure = QString::fromUtf8(lxw_strerror(err));
    }
  }
  if (!failure.isEmpty()) {
    QFile::remove(partial);
    return failure;
  }
  QFile::remove(path);
  if (!QFile::rename(partial, path)) {
    QFile::remove(partial);
    return QStringLiteral("Le fichier ") + QFileInfo(path).fileName() +
           QStringLiteral(" est peut-être ouvert dans un autre programme.");
  }
  return {};
}

QString exportFileBase(const QString& tooltip) {
  QString name = tooltip.trimmed();
  for (QChar& c : name)
    if (QStringLiteral("\\/:*?\"<>|").contains(c) || c.unicode() < 32) c = '_';
  return name.isEmpty() ? QStringLiteral("Grille") : name;
}

}  // namespace tarovent::core
