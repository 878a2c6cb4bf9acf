#include "composition/WorkbookHeader.h"

#include <QDate>
#include <optional>

#include "core/ProcessState.h"
#include "core/QuoteContext.h"
#include "platform/db/Database.h"
#include "platform/db/Recordset.h"
#include "platform/excel/Workbook.h"

namespace tarovent::composition {

namespace {

using excel::CellValue;

std::optional<db::Recordset> firstOf(db::Database& db, const QString& sql) {
  db::Recordset rs = db.OpenRecordset(sql);
  if (rs.EOF_()) return std::nullopt;
  return rs;
}

db::Database& clientDatabase(core::ProcessState& state) {
  return state.base(core::entry::Commercial).open() ? state.base(core::entry::Commercial).db
                                                    : state.mainDb();
}

CellValue text(const QString& value) { return CellValue::fromText(value); }

}  // namespace

QMap<QString, CellValue> readHeaderCells(core::ProcessState& state,
                                         const core::QuoteContext& quote) {
  QMap<QString, CellValue> cells;
  cells["NUMDEV"] = text(quote.company + QStringLiteral("%1").arg(quote.dossier, 5, 10, QLatin1Char('0')) +
                         '-' + QStringLiteral("%1").arg(quote.sequence.toInt(), 2, 10, QLatin1Char('0')));
  const auto dossier = firstOf(state.mainDb(), "select * from TDOS where TDOS_SOC=" +
                                                   db::sqlLiteral(quote.company) +
                                                   " and TDOS_NUMDOSS=" + QString::number(quote.dossier));
  if (dossier) {
    const db::Recordset& d = *dossier;
    cells["CODCLI"] = text(d.text("TDOS_CLIENT"));
    cells["COMMERCIAL"] = text(d.text("TDOS_CAL"));
    cells["CM"] = text(d.text("TDOS_CM"));
    cells["LIBOPE"] = text(d.text("TDOS_RESUME"));
    cells["STYPTRAV"] = text(d.text("TDOS_STYPTRAV"));
    for (int i = 1; i <= 15; ++i)
      cells[QStringLiteral("AFFUSER%1").arg(i)] = text(d.text(QStringLiteral("TDOS_USER%1").arg(i)));
    if (const auto rep = firstOf(clientDatabase(state), "select * from TCAL where TCAL_CODE=" +
                                                            db::sqlLiteral(d.text("TDOS_CAL"))))
      cells["NOMCAL"] = text(rep->text("TCAL_NOM"));
    const QString code = d.text("TDOS_CLIENT");
    const auto client =
        firstOf(clientDatabase(state), "select * from TCLI where TCLI_CODE=" + db::sqlLiteral(code));
    if (!client) {
      ui::MessageFunnel& m = state.messages();
      m.show(m.tr(QStringLiteral("Client ")) + code + m.tr(QStringLiteral(" inconnu")),
             ui::Icon::Warning);
    } else {
      static const std::pair<const char*, const char*> fields[] = {
          {"CLIUSER1", "TCLI_USER1"},   {"CLIUSER2", "TCLI_USER2"},   {"CLINOTES1", "TCLI_Notes1"},
          {"CLINOTES2", "TCLI_Notes2"}, {"CLINOTES3", "TCLI_Notes3"}, {"CLIRS", "TCLI_RS"},
          {"CLIADR1", "TCLI_ADR1"},     {"CLIADR2", "TCLI_ADR2"},     {"CLICODP", "TCLI_Codp"},
          {"CLIVILLE", "TCLI_VILLE"},   {"CLIPAYS", "TCLI_PAYS"},     {"CLITEL", "tcli_tel1"},
          {"CLIFAX", "tcli_fax1"},      {"CLICONTACT", "TCLI_CONTACT1"}};
      for (const auto& [cell, field] : fields)
        cells[QString::fromLatin1(cell)] = text(client->text(QString::fromLatin1(field)));
    }
  }
  if (const auto version = firstOf(
          state.mainDb(), "select * from TDEV where TDEV_SOC=" + db::sqlLiteral(quote.company) +
                              " and TDEV_NUMDOSS=" + QString::number(quote.dossier) +
                              " and TDEV_NSEQ=" + QString::number(quote.sequence.toInt()))) {
    const QDate date = version->value("TDEV_DATE").toDate();
    if (date.isValid()) cells["DATDEV"] = CellValue::fromDate(date);
  }
  return cells;
}

int fillHeaderCells(excel::Workbook& workbook, int sheet, const QMap<QString, CellValue>& values) {
  int written = 0;
  for (auto it = values.cbegin(); it != values.cend(); ++it) {
    CellValue value = it.value();
    // A date goes into the workbook in its own date system.
    if (value.isDate && workbook.date1904())
      value = CellValue::fromDate(value.dateTime(false).date(), true);
    if (workbook.setNamedValue(it.key(), value, sheet)) ++written;
  }
  return written;
}

QString quoteWorkbookName(const QString& templateName, const QString& documentName) {
  const qsizetype dot = documentName.lastIndexOf(QLatin1Char('.'));
  const QString key = documentName.left(5) + (dot >= 0 ? documentName.mid(dot + 1) : QString());
  return templateName + QLatin1Char('_') + key + QStringLiteral(".xlsx");
}

}  // namespace tarovent::composition
