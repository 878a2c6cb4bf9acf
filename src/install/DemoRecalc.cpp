#include "DemoRecalc.h"

#include <QDir>

#include "articles/ArticleFiles.h"
#include "composition/NumberFormat.h"
#include "composition/Recalculation.h"
#include "core/Catalogue.h"
#include "core/ProcessState.h"
#include "platform/db/DbError.h"
#include "platform/ooxml/OoxmlError.h"
#include "platform/word/WordDocument.h"

namespace tarovent::install {

namespace {

// Nobody watches a demo being built: messages are dropped, questions answered yes.
class SilentFunnel : public ui::MessageFunnel {
 public:
  void show(const QString&, ui::Icon, const QString&) override {}
  ui::Answer ask(const QString&, ui::Buttons, int, ui::Icon, const QString&) override {
    return ui::Answer::Yes;
  }
  void beep() override {}
};

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
  if (!openFamilyForRecalculation(state)) return 0;
  articles::ArticleFiles files(state);
  const QString folder = layout.dataFolder + "DOC_TAROVENT/";
  int done = 0;
  db::Recordset versions =
      state.mainDb().OpenRecordset("select TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_TXTVA from TDEV",
                                   db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
  for (; !versions.EOF_(); versions.MoveNext()) {
    const QString name =
        QStringLiteral("%1_%2.%3")
            .arg(static_cast<int>(versions.number("TDEV_NUMDOSS")), 5, 10, QLatin1Char('0'))
            .arg(static_cast<int>(versions.number("TDEV_NSEQ")), 2, 10, QLatin1Char('0'))
            .arg(versions.text("TDEV_SOC"));
    if (!QFile::exists(folder + name)) continue;
    try {
      word::WordDocument doc = word::WordDocument::open(folder + name);
      composition::RecalcOptions o;
      o.fromQuote = true;
      o.vatField = versions.text("TDEV_TXTVA");
      o.decimalSeparator = composition::workstationDecimalSeparator();
      if (composition::Recalcul_Document(state, files, doc, o).completed) {
        doc.save();
        ++done;
      }
    } catch (const ooxml::OoxmlError&) {
      // A document that cannot be recalculated keeps the totals it was written with.
    }
  }
  return done;
}

}  // namespace tarovent::install
