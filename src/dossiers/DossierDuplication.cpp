#include "DossierDuplication.h"

#include <QDate>
#include <QFile>

#include "DocumentNames.h"
#include "DossierCreation.h"
#include "DossierNumbering.h"
#include "WriteTransaction.h"
#include "core/Paths.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "ui/MessageFunnel.h"

namespace tarovent::dossiers {

namespace {

// A document copied before the commit waits under this name beside its final place, so that
// a failed or killed duplication never leaves a document for a dossier that does not exist.
const QString kStagedSuffix = QStringLiteral(".copie");

}  // namespace

DossierDuplication::DossierDuplication(db::Database& local, QString mainPath, QString documents,
                                       const ui::MessageFunnel& messages)
    : m_local(local),
      m_mainPath(std::move(mainPath)),
      m_documents(std::move(documents)),
      m_messages(messages) {}

QString DossierDuplication::mainTable(const QString& table) const {
  return '[' + m_mainPath + "]." + table;
}

QString DossierDuplication::confirmation(const DuplicationRequest& r) const {
  return m_messages.tr(QStringLiteral("Confirmez la duplication (Dossier ")) +
         QString::number(r.number) + m_messages.tr(QStringLiteral("   version ")) +
         QString::number(r.sequence) + ')';
}

QString DossierDuplication::targetRefusal(const QString& target) {
  db::Recordset soc = m_local.OpenRecordset("select TSOC_Desactive from " + mainTable("TSOC") +
                                                " where TSOC_CODE = " + db::sqlLiteral(target),
                                            db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
  const auto& m = m_messages;
  if (target.isEmpty() || soc.EOF_())
    return m.tr(QStringLiteral("Choisissez la société du nouveau dossier"));
  if (soc.flag(QStringLiteral("TSOC_Desactive")))
    return m.tr(QStringLiteral("La société ")) + target +
           m.tr(QStringLiteral(" est désactivée, duplication impossible"));
  return {};
}

long DossierDuplication::copyRows(const DuplicationRequest& r, const QString& target) {
  const QString company = db::sqlLiteral(r.company);
  const QString number = QString::number(r.number);
  m_local.Execute(QStringLiteral("delete * from TMP_DOS;"));
  m_local.Execute(QStringLiteral("delete * from TMP_DEV;"));
  m_local.Execute("INSERT INTO TMP_DOS SELECT TDOS.* From " + mainTable("TDOS") +
                  " WHERE (((TDOS_SOC)=" + company + ") AND ((TDOS_NUMDOSS)=" + number + "));");
  m_local.Execute("INSERT INTO TMP_DEV SELECT TDEV.* From " + mainTable("TDEV") +
                  " WHERE (((TDEV_SOC)=" + company + ") AND ((TDEV_NUMDOSS)=" + number +
                  ")) ORDER BY TDEV_NSEQ DESC;");

  db::Recordset soc = m_local.OpenRecordset(
      "select TSOC_NSEQ from " + mainTable("TSOC") + " where TSOC_CODE = " + db::sqlLiteral(target),
      db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
  const long newNumber = nextDossierNumber(m_local, mainTable("TDOS"), target,
                                           long(soc.number(QStringLiteral("TSOC_NSEQ"))));

  db::Recordset dos = m_local.OpenRecordset(QStringLiteral("TMP_DOS"), db::RecordsetType::Dynaset);
  if (dos.EOF_()) return 0;
  dos.Edit();
  dos.setValue(QStringLiteral("TDOS_SOC"), target);
  dos.setValue(QStringLiteral("TDOS_NUMDOSS"), qlonglong(newNumber));
  if (!r.copyUserFields)
    for (int n = 3; n <= 15; ++n) dos.setValue(QStringLiteral("TDOS_USER%1").arg(n), QString());
  dos.Update();

  // The highest version is the one kept.
  db::Recordset dev = m_local.OpenRecordset(
      QStringLiteral("select * from TMP_DEV order by TDEV_NSEQ DESC"), db::RecordsetType::Dynaset);
  if (dev.EOF_()) return 0;
  for (dev.MoveNext(); !dev.EOF_(); dev.MoveNext()) dev.Delete();
  dev.MoveFirst();
  dev.Edit();
  dev.setValue(QStringLiteral("TDEV_SOC"), target);
  dev.setValue(QStringLiteral("TDEV_NUMDOSS"), qlonglong(newNumber));
  dev.setValue(QStringLiteral("TDEV_NSEQ"), 0);
  dev.setValue(QStringLiteral("TDEV_DATE"), QDate::currentDate());
  dev.setValue(QStringLiteral("TDEV_DATREL"), QVariant());
  dev.Update();
  return newNumber;
}

QString DossierDuplication::stageDocument(const DuplicationRequest& r, const QString& target,
                                          long number) const {
  const QString source =
      core::localPath(Chemin_Document(m_documents, Nom_Document(r.company, r.number, r.sequence)));
  if (!QFile::exists(source)) return {};
  const QString staged =
      core::localPath(Chemin_Document(m_documents, Nom_Document(target, number, 0))) +
      kStagedSuffix;
  QFile::remove(staged);
  if (!QFile::copy(source, staged))
    throw db::DbError(db::err::DiskFull,
                      m_messages.tr(QStringLiteral("Le document ")) + source +
                          m_messages.tr(QStringLiteral(" n'a pas pu être recopié")));
  return staged;
}

DossierDuplication::Result DossierDuplication::run(const DuplicationRequest& r) {
  Result result;
  if (r.sequence < 0) {
    result.refusal =
        m_messages.tr(QStringLiteral("Aucune version de ce devis n'a encore été créée"));
    return result;
  }
  // Everything runs on the work database's connection, the main file attached to it. Attached
  // before the transaction begins, the main file is then write-locked by the same BEGIN
  // IMMEDIATE as the work tables, so the counter is read and raised under one lock. The main
  // connection must not write meanwhile: it would wait for this lock (and its own BEGIN
  // IMMEDIATE would lock BDLOC.MDB, which it attaches, against this connection).
  if (!m_local.isOpen())
    throw db::DbError(db::err::ObjectClosed,
                      m_messages.tr(QStringLiteral("La base de travail n'est pas ouverte")));
  m_local.attach(m_mainPath);
  QString staged;
  try {
    inWriteTransaction(m_local, [&] {
      result = {};
      if (!staged.isEmpty()) QFile::remove(staged);
      staged.clear();
      result.refusal = targetRefusal(r.target);
      if (!result.done()) return;
      const long number = copyRows(r, r.target);
      if (number == 0) {
        result.refusal =
            m_messages.tr(QStringLiteral("Aucune version de ce devis n'a encore été créée"));
        return;
      }
      if (!hasOwnName(number)) {
        result.refusal = tooManyDossiers(m_messages);
        return;
      }
      if (r.copyDocument) staged = stageDocument(r, r.target, number);
      m_local.Execute("INSERT INTO " + mainTable("TDOS") + " SELECT TMP_DOS.* FROM TMP_DOS;");
      m_local.Execute("INSERT INTO " + mainTable("TDEV") + " SELECT TMP_DEV.* FROM TMP_DEV;");
      if (m_afterInserts) m_afterInserts();
      m_local.Execute("UPDATE " + mainTable("TSOC") +
                      " SET TSOC_NSEQ = " + QString::number(number) +
                      " WHERE TSOC_CODE = " + db::sqlLiteral(r.target) + ";");
      result.company = r.target;
      result.number = number;
    });
  } catch (...) {
    if (!staged.isEmpty()) QFile::remove(staged);
    throw;
  }
  if (!staged.isEmpty()) {
    // An existing document of that name is replaced.
    const QString final = staged.chopped(kStagedSuffix.size());
    if ((QFile::exists(final) && !QFile::remove(final)) || !QFile::rename(staged, final))
      result.documentLeft = staged;
  }
  return result;
}

}  // namespace tarovent::dossiers
