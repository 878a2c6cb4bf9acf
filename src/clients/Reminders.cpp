#include "Reminders.h"

#include <QHash>

#include "platform/db/Database.h"
#include "platform/db/JetType.h"
#include "platform/db/Recordset.h"

namespace tarovent::clients {

namespace {

const QString kJoin = QStringLiteral(
    "FROM TDOS RIGHT JOIN TDEV ON (TDOS.TDOS_NUMDOSS = TDEV.TDEV_NUMDOSS) AND (TDOS.TDOS_SOC = "
    "TDEV.TDEV_SOC) ");
const QString kDue =
    QStringLiteral("where TDEV.TDEV_DATREL Is Not Null And TDEV.TDEV_DATREL <= Date() ");
const QString kOrder =
    QStringLiteral("ORDER BY TDEV.TDEV_DATREL, TDEV.TDEV_SOC, TDEV.TDEV_NUMDOSS, TDEV.TDEV_NSEQ;");

db::Recordset versions(db::Database& main) {
  db::Recordset rs = main.OpenRecordset(QStringLiteral("TDEV"), db::RecordsetType::Table);
  rs.setIndex(QStringLiteral("PrimaryKey"));
  return rs;
}

QString text(const QVariant& v) {
  if (v.isNull()) return {};
  if (v.typeId() == QMetaType::QDate || v.typeId() == QMetaType::QDateTime)
    return v.toDate().toString(QStringLiteral("dd/MM/yyyy"));
  return v.toString();
}

}  // namespace

QString reminderListSql(const QString& rep) {
  if (rep.isEmpty()) return "SELECT * " + kJoin + kDue + kOrder;
  return "SELECT * " + kJoin + kDue + "and TDOS.TDOS_CAL = " + db::quoteText(rep) + ' ' + kOrder;
}

QString reminderCaption(const QString& caption, const QString& rep) {
  return rep.isEmpty() ? caption : caption + " (" + rep + ")";
}

int dropLatestReminder(db::Database& main, const QString& company, long dossier) {
  db::Recordset rs = versions(main);
  rs.Seek(QStringLiteral(">="), company, qlonglong(dossier), 999);
  if (!rs.BOF()) rs.MovePrevious();
  // Stepping back from the next dossier's first version lands on this dossier's latest one;
  // a dossier without versions must not lend its reminder to the one before it.
  if (rs.BOF() || rs.EOF_() || rs.text("TDEV_SOC").compare(company, Qt::CaseInsensitive) != 0 ||
      long(rs.number("TDEV_NUMDOSS")) != dossier)
    return -1;
  rs.Edit();
  rs.setValue(QStringLiteral("TDEV_DATREL"), QVariant());
  rs.Update();
  return int(rs.number("TDEV_NSEQ"));
}

bool dropReminder(db::Database& main, const VersionKey& version) {
  db::Recordset rs = versions(main);
  rs.Seek(QStringLiteral("="), version.company, qlonglong(version.dossier), version.sequence);
  if (rs.NoMatch()) return false;
  rs.Edit();
  rs.setValue(QStringLiteral("TDEV_DATREL"), kDroppedReminder);
  rs.Update();
  return true;
}

ContactCells contactCells(db::Database& clients, const QString& client, const QString& name) {
  db::Recordset rs = clients.OpenRecordset(
      "select * from TCLI_CONTACT where TCLI_CONTACT_CodCli = " + db::quoteText(client),
      db::RecordsetType::Dynaset, db::rsopt::ReadOnly);
  if (rs.EOF_()) return {};
  rs.FindFirst("TCLI_CONTACT_Nom = " + db::quoteText(name));
  if (rs.NoMatch()) return {};
  return {rs.text("TCLI_CONTACT_Fonct"), rs.text("TCLI_CONTACT_Tel"),
          rs.text("TCLI_CONTACT_Portab"), rs.text("TCLI_CONTACT_mail")};
}

QList<QStringList> reminderRows(db::Database& main, db::Database& clients, const QString& rep) {
  static const char* const kFields[] = {"TDEV_SOC",    "TDEV_NUMDOSS", "TDEV_NSEQ",
                                        "TDOS_CLIENT", "TDOS_RESUME",  "TDOS_CAL",
                                        "TDEV_DATREL", "TDOS_Contact"};
  QList<QStringList> rows;
  QHash<QString, ContactCells> known;
  db::Recordset rs =
      main.OpenRecordset(reminderListSql(rep), db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
  for (; !rs.EOF_(); rs.MoveNext()) {
    QStringList row;
    for (const char* f : kFields) row << text(rs.value(QString::fromLatin1(f)));
    const QString client = row[3], name = row[7];
    const QString key = client + QChar(0x1f) + name;
    if (!known.contains(key)) known.insert(key, contactCells(clients, client, name));
    const ContactCells& c = known[key];
    row << c.function << c.telephone << c.mobile << c.mail;
    rows << row;
  }
  return rows;
}

}  // namespace tarovent::clients
