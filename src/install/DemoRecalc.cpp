#include "DemoRecalc.h"

#include <QDir>
#include <QHash>
#include <QStringList>
#include <stdexcept>

#include "articles/ArticleFiles.h"
#include "composition/NumberFormat.h"
#include "composition/Recalculation.h"
#include "composition/Totals.h"
#include "core/Catalogue.h"
#include "core/DocumentNames.h"
#include "core/ProcessState.h"
#include "guard/PriceMemory.h"
#include "platform/db/DbError.h"
#include "platform/ooxml/OoxmlError.h"
#include "platform/word/WordDocument.h"

namespace tarovent::install {

namespace {

// Nobody watches a demo being built: questions are answered yes and messages kept, so that a
// document that cannot be recalculated is reported with what the recalculation said.
class SilentFunnel : public ui::MessageFunnel {
 public:
  void show(const QString& text, ui::Icon, const QString&) override { m_said << text; }
  ui::Answer ask(const QString&, ui::Buttons, int, ui::Icon, const QString&) override {
    return ui::Answer::Yes;
  }
  void beep() override {}
  QString takeSaid() {
    const QString said = m_said.join(' ');
    m_said.clear();
    return said;
  }

 private:
  QStringList m_said;
};

QString documentName(const db::Recordset& version) {
  return core::Nom_Document(version.text("TDEV_SOC"), long(version.number("TDEV_NUMDOSS")),
                            int(version.number("TDEV_NSEQ")));
}

[[noreturn]] void refuse(const QString& text) { throw std::runtime_error(text.toStdString()); }

}  // namespace

bool openFamilyForRecalculation(core::ProcessState& state) {
  core::Catalogue catalogue(state);
  bool fatal = false;
  if (!catalogue.Lire_Catalogue() || !catalogue.Ouvrir_Bases(fatal) || fatal) return false;
  try {
    db::Recordset tpar = state.mainDb().OpenRecordset("TPAR");
    if (!tpar.EOF_()) {
      state.params.txTvaDef = tpar.number("TPAR_TxTVADef");
      state.params.coeffDev = tpar.number("TPAR_COEFFDEV");
      state.params.libDev2 = tpar.text("TPAR_LIBDEV2");
    }
    if (state.base(core::entry::Planning).open()) {
      state.routingTable =
          state.base(core::entry::Planning).db.OpenRecordset("TGAM", db::RecordsetType::Table);
      state.routingTable.setIndex("PrimaryKey");
    }
  } catch (const db::DbError&) {
    return false;
  }
  return true;
}

int recalculateDocuments(const FamilyLayout& layout) {
  SilentFunnel silent;
  core::ProcessState state(silent);
  state.workingFolder = layout.workingFolder;
  if (!openFamilyForRecalculation(state))
    refuse(QStringLiteral("La famille %1 ne peut pas être ouverte pour recalculer ses devis. %2")
               .arg(layout.root, silent.takeSaid()));
  articles::ArticleFiles files(state);
  const QString folder = layout.dataFolder + "DOC_TAROVENT/";
  struct Totals {
    double net, hours;
  };
  QHash<QString, Totals> recalculated;  // by document name
  {
    db::Recordset versions = state.mainDb().OpenRecordset(
        "select TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_TXTVA from TDEV",
        db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
    for (; !versions.EOF_(); versions.MoveNext()) {
      const QString name = documentName(versions);
      if (!QFile::exists(folder + name)) continue;
      composition::RecalcResult result;
      try {
        word::WordDocument doc = word::WordDocument::open(folder + name);
        composition::RecalcOptions o;
        o.fromQuote = true;
        o.vatField = versions.text("TDEV_TXTVA");
        o.decimalSeparator =
            composition::documentDecimalSeparator(doc, composition::workstationDecimalSeparator());
        result = composition::Recalcul_Document(state, files, doc, o);
        if (result.completed) doc.save();
      } catch (const ooxml::OoxmlError& e) {
        refuse(QStringLiteral("Le devis %1 n'a pas pu être recalculé : %2").arg(name, e.message()));
      }
      if (!result.completed)
        refuse(QStringLiteral("Le devis %1 n'a pas pu être recalculé. %2")
                   .arg(name, silent.takeSaid())
                   .trimmed());
      recalculated.insert(name, {result.netTotal, result.hours});
    }
  }
  // Each version keeps the amount and the hours its document shows.
  db::TransactionGuard guard(state.mainDb());
  db::Recordset versions = state.mainDb().OpenRecordset("TDEV", db::RecordsetType::Table);
  for (; !versions.EOF_(); versions.MoveNext()) {
    const auto it = recalculated.constFind(documentName(versions));
    if (it == recalculated.cend()) continue;
    versions.Edit();
    versions.setValue("TDEV_MONTANT", it->net);
    versions.setValue("TDEV_TEMPS", it->hours);
    versions.Update();
  }
  guard.commit();
  // The prices each client was given, for line entry to show from the first quote composed.
  tarovent::guard::rebuildPriceMemory(state);
  return int(recalculated.size());
}

}  // namespace tarovent::install
