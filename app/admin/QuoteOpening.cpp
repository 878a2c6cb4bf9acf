#include "QuoteOpening.h"

#include <QFileInfo>

#include "composition/CompositionSession.h"
#include "core/DocumentNames.h"
#include "core/Paths.h"
#include "core/ProcessState.h"
#include "install/DemoRecalc.h"
#include "install/Installer.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/db/Recordset.h"

namespace tarovent::admin {

namespace {

QString quoted(const QString& text) { return "'" + QString(text).replace('\'', "''") + "'"; }

bool isTariffMode(const QString& mode, const QString& allowed) {
  return mode.size() == 1 && allowed.contains(mode.toUpper());
}

}  // namespace

std::optional<VerbArguments> splitArguments(const QStringList& args,
                                            const QHash<QString, int>& arity) {
  VerbArguments split;
  for (int i = 0; i < args.size(); ++i) {
    if (!args[i].startsWith(QLatin1String("--"))) {
      split.positional << args[i];
      continue;
    }
    const auto known = arity.constFind(args[i]);
    if (known == arity.cend() || i + *known >= args.size()) return std::nullopt;
    split.options[args[i]] = args.mid(i + 1, *known);
    i += *known;
  }
  return split;
}

bool openFamily(core::ProcessState& state, const QString& folder, QTextStream& err) {
  state.workingFolder = install::familyLayout(folder).workingFolder;
  if (install::openFamilyForRecalculation(state)) return true;
  err << "La famille " << folder << " ne peut pas être ouverte.\n";
  return false;
}

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

std::unique_ptr<composition::CompositionSession> openQuoteSession(core::ProcessState& state,
                                                                  const QString& file, long dossier,
                                                                  int seq, QTextStream& err) {
  composition::OpenRequest request;
  request.documentPath = file;
  request.origin = composition::Origin::Dossier;
  try {
    readDefaultTariffModes(state);
    if (!fillQuoteContext(state, file, dossier, seq, err)) return nullptr;
  } catch (const db::DbError& e) {
    err << e.description() << '\n';
    return nullptr;
  }
  return composition::CompositionSession::open(state, request);
}

}  // namespace tarovent::admin
