#include "QuoteOpening.h"

#include <QFileInfo>

#include "core/DocumentNames.h"
#include "core/Paths.h"
#include "core/ProcessState.h"
#include "platform/db/Database.h"
#include "platform/db/Recordset.h"

namespace tarovent::admin {

namespace {

QString quoted(const QString& text) { return "'" + QString(text).replace('\'', "''") + "'"; }

bool isTariffMode(const QString& mode, const QString& allowed) {
  return mode.size() == 1 && allowed.contains(mode.toUpper());
}

}  // namespace

bool fillQuoteContext(core::ProcessState& state, const QString& file, long dossier, int seq,
                      QTextStream& err) {
  db::Database& db = state.mainDb();
  const QString where = QStringLiteral(" TDEV_NUMDOSS=%1 and TDEV_NSEQ=%2").arg(dossier).arg(seq);
  db::Recordset v = db.OpenRecordset(
      "select * from TDEV where TDEV_SOC=" + quoted(QFileInfo(file).suffix()) + " and" + where);
  if (v.EOF_()) v = db.OpenRecordset("select * from TDEV where" + where);
  if (v.EOF_()) {
    err << "La version " << seq << " du dossier " << dossier << " n'existe pas.\n";
    return false;
  }
  core::QuoteContext& q = state.quote;
  q.company = v.text("TDEV_SOC");
  q.dossier = dossier;
  q.sequence = QString::number(seq);
  q.documentName = core::Nom_Document(q.company, dossier, seq);
  // An unusable stored mode gives way to the default one, as in the workspace.
  q.tarMat =
      isTariffMode(v.text("TDEV_TARMAT"), "RVP") ? v.text("TDEV_TARMAT") : state.params.tarifMat;
  q.tarMo = isTariffMode(v.text("TDEV_TARMO"), "RV") ? v.text("TDEV_TARMO") : state.params.tarifMo;
  q.newText = !QFileInfo::exists(file);
  db::Recordset d = db.OpenRecordset("select * from TDOS where TDOS_SOC=" + quoted(q.company) +
                                     " and TDOS_NUMDOSS=" + QString::number(dossier));
  if (!d.EOF_()) {
    q.clientCode = d.text("TDOS_CLIENT");
    q.templatePath =
        core::withSeparator(state.base(core::entry::Main).folder) + d.text("TDOS_TYPE");
  }
  return true;
}

void readDefaultTariffModes(core::ProcessState& state) {
  db::Recordset p = state.mainDb().OpenRecordset("select * from TPAR");
  if (p.EOF_()) return;
  state.params.tarifMat = p.text("TPAR_TYP_TARIF_MAT");
  state.params.tarifMo = p.text("TPAR_TYP_TARIF_MO");
}

}  // namespace tarovent::admin
