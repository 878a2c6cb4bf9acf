#include "DossierRules.h"

#include <QDate>
#include <QDir>

#include "DocumentNames.h"
#include "core/Paths.h"
#include "platform/db/Database.h"

namespace tarovent::dossiers {

namespace {

db::Recordset tableOnKey(db::Database& db, const QString& table, const QString& index) {
  db::Recordset rs = db.OpenRecordset(table, db::RecordsetType::Table, db::rsopt::ReadOnly);
  rs.setIndex(index);
  return rs;
}

}  // namespace

namespace dossierSql {

QString dossiers(const QString& salesRep) {
  if (salesRep.isEmpty())
    return QStringLiteral("select * from TDOS order by TDOS_SOC, TDOS_NUMDOSS DESC;");
  return QStringLiteral("select * from TDOS WHERE TDOS.TDOS_CAL = ") + db::sqlLiteral(salesRep) +
         QStringLiteral(" ");
}

QString companies(bool activeOnly) {
  return activeOnly ? QStringLiteral("select * from TSOC where TSOC_Desactive=false;")
                    : QStringLiteral("select * from TSOC;");
}

QString quoteTypes() {
  return QStringLiteral("select * from TTYP order by TTYP_Desactive DESC, TTYP_LIB");
}

QString clientList() { return QStringLiteral("select * from TCLI order by TCLI_CODE"); }

QString contacts(const QString& client) {
  return QStringLiteral("select * from TCLI_CONTACT where TCLI_CONTACT_CodCli = ") +
         db::sqlLiteral(client) + QStringLiteral(" order by TCLI_CONTACT_Num; ");
}

QString vehicles(const QString& client) {
  if (client.isEmpty())
    return QStringLiteral("select * from TVEH order by TVEH_CODCLI, TVEH_IMMAT");
  return QStringLiteral("select * from TVEH where TVEH_CODCLI=") + db::sqlLiteral(client) +
         QStringLiteral(" order by TVEH_CODCLI, TVEH_IMMAT");
}

QString dossier(const QString& company, long number) {
  return QStringLiteral("TDOS_SOC = ") + db::sqlLiteral(company) +
         QStringLiteral(" and TDOS_NUMDOSS = ") + QString::number(number);
}

QString nextCompany(const QString& company) {
  return QStringLiteral("TDOS_SOC > ") + db::sqlLiteral(company);
}

QString clientBuffer(const QString& buffer) {
  return QStringLiteral("left(TCLI_Code,") + QString::number(buffer.size()) +
         QStringLiteral(") >=") + db::sqlLiteral(buffer);
}

}  // namespace dossierSql

void findClient(db::Recordset& clients, const QString& typed) {
  const QString text = db::sqlLiteral(typed);
  const QString criteria[] = {
      QStringLiteral("left(TCLI_Code,%1) = %2").arg(typed.size()).arg(text),
      QStringLiteral("instr(1,TCLI_RS,%1) <> 0").arg(text),
      dossierSql::clientBuffer(typed),
  };
  for (const QString& c : criteria) {
    clients.FindFirst(c);
    if (!clients.NoMatch()) return;
  }
  clients.MoveLast();
}

void DossierRowCells::open(db::Database& main, db::Database& clients) {
  m_versions = tableOnKey(main, QStringLiteral("TDEV"), QStringLiteral("Primarykey"));
  m_clients = tableOnKey(clients, QStringLiteral("TCLI"), QStringLiteral("PrimaryKey"));
}

QString DossierRowCells::lastVersionDate(const QString& company, long number) {
  if (!m_versions.isOpen()) return {};
  db::Recordset& rs = m_versions;
  // The last version sorts just before the first key past the dossier's highest sequence.
  rs.Seek(QStringLiteral(">="), company, qlonglong(number), 9999);
  if (rs.NoMatch() || rs.EOF_()) {
    rs.MoveLast();
  } else {
    rs.MovePrevious();
    if (rs.BOF()) rs.MoveFirst();
  }
  if (rs.BOF() || rs.EOF_()) return {};
  if (rs.text(QStringLiteral("TDEV_SOC")).compare(company, Qt::CaseInsensitive) != 0 ||
      long(rs.number(QStringLiteral("TDEV_NUMDOSS"))) != number)
    return {};
  const QVariant date = rs.value(QStringLiteral("TDEV_DATE"));
  if (date.isNull()) return {};
  return date.toDate().toString(QStringLiteral("dd/MM/yy"));
}

QString DossierRowCells::clientName(const QString& code) {
  if (!m_clients.isOpen() || code.isEmpty()) return {};
  m_clients.Seek(QStringLiteral("="), code);
  return m_clients.NoMatch() ? QString() : m_clients.text(QStringLiteral("TCLI_RS"));
}

std::optional<VehicleFill> vehicleFill(db::Database& clients, const QString& registration,
                                       const QString& complement) {
  db::Recordset rs = clients.OpenRecordset(QStringLiteral("TVEH"), db::RecordsetType::Dynaset,
                                           db::rsopt::ReadOnly);
  bool found = false;
  if (!complement.trimmed().isEmpty()) {
    rs.FindFirst(QStringLiteral("TVEH_COMPLIDENT =") + db::sqlLiteral(complement));
    found = !rs.NoMatch();
  }
  if (!found && registration.size() >= 5) {
    rs.FindFirst(QStringLiteral("TVEH_IMMAT=") + db::sqlLiteral(registration));
    found = !rs.NoMatch();
  }
  if (!found) return std::nullopt;
  VehicleFill fill;
  for (int n = 3; n <= 15; ++n) {
    const QVariant v = rs.value(QStringLiteral("TVEH_USER%1").arg(n));
    if (!v.isNull()) fill.userFields.insert(n, v.toString());
  }
  fill.make = rs.text(QStringLiteral("TVEH_MARQUE"));
  return fill;
}

QStringList dossierDocuments(const QString& folder, const QString& company, long number) {
  // A number beyond the names has no documents: the names found would be another dossier's.
  if (!hasOwnName(number)) return {};
  const QString base = core::localPath(core::withSeparator(folder));
  // Nom_Document with "??" for the sequence.
  const QString pattern =
      Nom_Document(company, number, 0).left(6) + QStringLiteral("??.") + company;
  QStringList found;
  for (const QString& dir : {base, base + QLatin1String(kDocumentSubfolder)}) {
    const QDir d(dir);
    for (const QString& name : d.entryList({pattern}, QDir::Files)) found << d.filePath(name);
  }
  return found;
}

bool quoteTypesExist(db::Database& main) {
  db::Recordset rs = main.OpenRecordset(QStringLiteral("select TTYP_CODE from TTYP"),
                                        db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
  return !rs.EOF_();
}

}  // namespace tarovent::dossiers
