#include "QuoteVersions.h"

#include <QFileInfo>

#include "DocumentNames.h"
#include "QuoteTypeTemplates.h"
#include "TariffModes.h"
#include "core/InputHelpers.h"
#include "core/Paths.h"
#include "core/ProcessState.h"
#include "guard/SentVersions.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/os/FileAttributes.h"
#include "ui/NumericInput.h"

namespace tarovent::dossiers {

namespace {

QString versionsOf(const QString& company, long number) {
  return "TDEV_SOC = " + db::sqlLiteral(company) + " and TDEV_NUMDOSS = " + QString::number(number);
}

// A stored mode, or the default one when it is Null or empty.
QString modeOr(const QString& stored, const QString& fallback) {
  return stored.trimmed().isEmpty() ? fallback : stored;
}

}  // namespace

QuoteVersions::QuoteVersions(core::ProcessState& state) : m_state(state) {}

NewVersion QuoteVersions::newVersion(const DossierKey& dossier) {
  NewVersion v;
  db::Recordset last = m_state.mainDb().OpenRecordset(
      "select * from TDEV where " + versionsOf(dossier.company, dossier.number) +
          " order by TDEV_NSEQ",
      db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
  if (last.RecordCount() > 0) {
    last.MoveLast();
    v.previous = static_cast<int>(last.number("TDEV_NSEQ"));
    v.sequence = v.previous + 1;
    v.tarMat = last.text("TDEV_TARMAT");
    v.tarMo = last.text("TDEV_TARMO");
    v.reminder = last.value("TDEV_DATREL");
  } else {
    db::Recordset type = m_state.mainDb().OpenRecordset(
        "select TTYP_TARMAT, TTYP_TARMO from TTYP where TTYP_CODE = " +
            db::sqlLiteral(dossier.type),
        db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
    const bool found = !type.EOF_();
    v.tarMat = modeOr(found ? type.text("TTYP_TARMAT") : QString(), m_state.params.tarifMat);
    v.tarMo = modeOr(found ? type.text("TTYP_TARMO") : QString(), m_state.params.tarifMo);
  }
  v.vatRate = vatRate(clientCountry(dossier.client), m_state.params.txTvaDef);
  return v;
}

void QuoteVersions::passReminderOn(const DossierKey& dossier, int previous) {
  if (previous < 0) return;
  m_state.mainDb().Execute("UPDATE TDEV SET TDEV_DATREL = Null WHERE " +
                           versionsOf(dossier.company, dossier.number) +
                           " and TDEV_NSEQ = " + QString::number(previous));
}

void QuoteVersions::deleteVersion(const DossierKey& dossier, int sequence) {
  m_state.mainDb().Execute("DELETE FROM TDEV WHERE " + versionsOf(dossier.company, dossier.number) +
                           " and TDEV_NSEQ = " + QString::number(sequence));
  // A later version given the same number starts unsent.
  guard::SentVersions(m_state.mainDb())
      .forget({dossier.company.toUpper(), dossier.number, sequence});
}

QString QuoteVersions::tooManyVersions(const ui::MessageFunnel& m) {
  return m.tr(QStringLiteral("Un dossier ne peut avoir plus de ")) +
         QString::number(kLastSequence + 1) + m.tr(QStringLiteral(" versions (0 à ")) +
         QString::number(kLastSequence) +
         m.tr(QStringLiteral(") : créez un nouveau dossier ou dupliquez celui-ci."));
}

double QuoteVersions::vatRate(const QString& country, double defaultRate) {
  const QString c = country.trimmed();
  return c.isEmpty() || c.compare(QLatin1String("F"), Qt::CaseInsensitive) == 0 ? defaultRate : 0;
}

QString QuoteVersions::shownMaterialsMode(const QString& stored) {
  if (stored == QLatin1String("R")) return stored;
  if (stored == QLatin1String("V")) return QStringLiteral("V1");
  if (stored == QLatin1String("P")) return QStringLiteral("V2");
  return {};
}

QString QuoteVersions::secondCurrency(double amount, const core::GeneralParameters& params) {
  return ui::fixedText(core::Arrondi(amount * params.coeffDev, 2), 2) + ' ' + params.libDev2;
}

QString QuoteVersions::documentsFolder() const {
  return core::withSeparator(core::localPath(m_state.base(core::entry::Main).folder));
}

QString QuoteVersions::documentPath(const DossierKey& dossier, int sequence) const {
  if (!hasOwnName(dossier.number, sequence)) return {};
  return Chemin_Document(documentsFolder(),
                         Nom_Document(dossier.company, dossier.number, sequence));
}

db::Recordset& QuoteVersions::clients() {
  if (m_state.clientTable.isOpen()) return m_state.clientTable;
  if (!m_ownClients.isOpen()) {
    core::BaseEntry& commercial = m_state.base(core::entry::Commercial);
    db::Database& db = commercial.open() ? commercial.db : m_state.mainDb();
    m_ownClients = db.OpenRecordset("TCLI", db::RecordsetType::Table, db::rsopt::ReadOnly);
    m_ownClients.setIndex(QStringLiteral("PrimaryKey"));
  }
  return m_ownClients;
}

QString QuoteVersions::clientCountry(const QString& code) {
  db::Recordset& rs = clients();
  if (code.isEmpty() || rs.RecordCount() == 0) return {};
  rs.Seek("=", code);
  return rs.NoMatch() ? QString() : rs.text("TCLI_PAYS");
}

HandOver QuoteVersions::prepareComposition(const DossierKey& dossier, int sequence,
                                           const QString& tarMat, const QString& tarMo) {
  ui::MessageFunnel& m = m_state.messages();
  db::Recordset& byKey = clients();
  if (byKey.RecordCount() == 0) {
    m.show(m.tr(QStringLiteral("La table des clients est vide.")), ui::Icon::Warning);
    return HandOver::Stopped;
  }
  byKey.Seek("=", dossier.client);
  if (byKey.NoMatch()) {
    m.show(m.tr(QStringLiteral("Le client ")) + dossier.client +
               m.tr(QStringLiteral(" n'existe plus")) + '\r' +
               m.tr(QStringLiteral("vous devez choisir un client valide")),
           ui::Icon::Warning);
    return HandOver::ClientMissing;
  }

  if (!hasOwnName(dossier.number, sequence)) {
    m.show(tooManyVersions(m), ui::Icon::Warning);
    return HandOver::Stopped;
  }
  core::QuoteContext& q = m_state.quote;
  q.company = dossier.company;
  q.dossier = dossier.number;
  q.sequence = QString::number(sequence);
  // The composition accepts only known letters: anything else takes the default mode.
  q.tarMat = validMaterialsMode(tarMat) ? tarMat : m_state.params.tarifMat;
  q.tarMo = validLabourMode(tarMo) ? tarMo : m_state.params.tarifMo;
  q.documentName = Nom_Document(dossier.company, dossier.number, sequence);
  q.templatePath = documentsFolder() + dossier.type;
  q.newText = true;
  q.clientCode = byKey.text("TCLI_CODE");
  q.clientDiscount = byKey.number("TCLI_PCRemise");
  q.clientCategory = byKey.text("TCLI_Categ");

  const QString path = Chemin_Document(documentsFolder(), q.documentName);
  if (QFileInfo(path).isFile()) {
    // Read-only alone is a passing protection; read-only and archived marks a final text.
    if (os::fileAttributes(path) == (os::attr::ReadOnly | os::attr::Archive)) {
      m.show(m.tr(QStringLiteral("Le fichier ")) + path +
                 m.tr(QStringLiteral(" est vérrouillé en lecture seule...")) + '\n' +
                 m.tr(QStringLiteral("Il ne devrait plus être modifié. Il convient de créer une "
                                     "nouvelle version du devis ...")),
             ui::Icon::Warning);
      return HandOver::Stopped;
    }
    // A version that has left opens as it left: there is no text to replace.
    if (guard::sendingOfVersion(m_state, {dossier.company.toUpper(), dossier.number, sequence}))
      q.newText = false;
    else
      switch (m.ask(m.tr(QStringLiteral("Voulez-vous conserver le texte existant ?")),
                    ui::Buttons::YesNoCancel)) {
        case ui::Answer::Cancel:
          return HandOver::Stopped;
        case ui::Answer::Yes:
          q.newText = false;
          break;
        default:
          q.newText = m.ask(m.tr(QStringLiteral("Confirmez-vous l'écrasement du texte existant ?")),
                            ui::Buttons::YesNo, 2) == ui::Answer::Yes;
      }
  }

  if (q.newText) {
    QuoteTypeTemplates templates(documentsFolder());
    if (!templates.hasTemplate(dossier.type)) {
      m.show(m.tr(QStringLiteral("Le fichier modèle ")) + templates.templateFile(dossier.type) +
                 m.tr(QStringLiteral(" est introuvable.")),
             ui::Icon::Warning);
      // The empty template is named whole; a missing one is the composition's to report.
      const QString empty = templates.emptyTemplate();
      q.templatePath = empty.isEmpty() ? documentsFolder() + QStringLiteral("VIDE.dotx") : empty;
    }
  }
  return HandOver::Ready;
}

bool QuoteVersions::writeBackModes(core::ProcessState& state, const QString& company, long dossier,
                                   int sequence) {
  const QString where =
      versionsOf(company, dossier) + " and TDEV_NSEQ = " + QString::number(sequence);
  db::Recordset rs =
      state.mainDb().OpenRecordset("select TDEV_TARMAT, TDEV_TARMO from TDEV where " + where,
                                   db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
  if (rs.EOF_()) return false;
  const QString mat = state.quote.tarMat;
  const QString mo = state.quote.tarMo;
  if (rs.text("TDEV_TARMAT") == mat && rs.text("TDEV_TARMO") == mo) return false;
  rs.Close();
  state.mainDb().Execute("UPDATE TDEV SET TDEV_TARMAT = " + db::sqlLiteral(mat) +
                         ", TDEV_TARMO = " + db::sqlLiteral(mo) + " WHERE " + where);
  return true;
}

}  // namespace tarovent::dossiers
