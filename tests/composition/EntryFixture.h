#pragma once

// A dossier version whose document has a line table of `lines` rows and the bookmark OPTIONS,
// with articles, a bill (PORTAIL: two VIS), price breaks, discount classes, a family, a labour
// section, tariff lines and an option in the family's bases: what line entry reads.

#include <QStringList>

#include "FamilyFixture.h"
#include "QuoteDocs.h"
#include "composition/CompositionSession.h"
#include "composition/TableLocator.h"
#include "core/DocumentNames.h"
#include "ui/WindowRegistry.h"

namespace tarovent::fixtures {

// Records the windows the program was asked to open.
class RecordingOpener : public ui::WindowOpener {
 public:
  bool openWindow(const QString& name) override {
    opened << name;
    return true;
  }
  QStringList opened;
};

class EntryTest : public FamilyTest {
 protected:
  void SetUp() override {
    FamilyTest::SetUp();
    if (HasFatalFailure()) return;
    m_state->params.tarifMat = "V";
    m_state->params.tarifMo = "V";
    const auto run = [&](int base, const QStringList& sql) {
      for (const QString& s : sql) m_state->base(base).db.Execute(s);
    };
    run(core::entry::Main,
        {"insert into TTYP (TTYP_CODE, TTYP_LIB) values ('DEV', 'Devis')",
         "insert into TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT, TDOS_TYPE) values ('AB', 12, "
         "'C1', 'DEV')",
         "insert into TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_DATE, TDEV_TXTVA, "
         "TDEV_TARMAT, TDEV_TARMO) values ('AB', 12, 0, #03/15/2026#, 20, 'V', 'V')",
         "insert into TPRO (TPRO_Code, TPRO_LIB, TPRO_PU) values ('OPT1', 'Peinture', 150)"});
    run(core::entry::Commercial,
        {"insert into TCLI (TCLI_CODE, TCLI_RS, TCLI_PCRemise, TCLI_TauxMDO, TCLI_Categ) values "
         "('C1', 'Client', 5, 42, 'IND')",
         "insert into TPRIX values ('TOLE', 10, 9, 8)",
         "insert into TPRIX values ('TOLE', 50, 7, 6)",
         "insert into TREMI values ('CL1', 'IND', 12, 4)",
         "insert into TREMI values ('CL0', 'IND', 0, 0)"});
    run(core::entry::Stock,
        {"insert into TARTI (TARTI_CODART, TARTI_LIBART, TARTI_Type, TARTI_PMP, TARTI_COEFFRG, "
         "TARTI_PVU1, TARTI_PVU2, TARTI_PVUMIN, TARTI_CLREM, TARTI_UNST_LIB) values ('VIS', "
         "'Vis M8', 'A', 10, 15, 12.5, Null, 20, 'CL0', 'U')",
         "insert into TARTI (TARTI_CODART, TARTI_LIBART, TARTI_Type, TARTI_PVU1, TARTI_PVU2, "
         "TARTI_CLREM) values ('TOLE', 'Tôle', 'A', 20, 18, 'CL1')",
         "insert into TARTI (TARTI_CODART, TARTI_LIBART, TARTI_Type, TARTI_PVU1) values "
         "('PORTAIL', 'Portail', 'F', 900)",
         "insert into TARTI (TARTI_CODART, TARTI_LIBART, TARTI_Desactive) values ('VIEUX', "
         "'Ancien', True)",
         "insert into TFAM (TFAM_CODE, TFAM_LIB) values ('FAM', 'Profilés')",
         "insert into TLIEN (TLIEN_PERE, TLIEN_VARPERE, TLIEN_NUMORD, TLIEN_FILS, "
         "TLIEN_VARFILS, TLIEN_QTEUNI) values ('PORTAIL', '00', 1, 'VIS', '00', 2)"});
    run(core::entry::Planning, {"insert into TSEC (TSEC_CODSEC, TSEC_Libsec, TSEC_CoutHRevient, "
                                "TSEC_COUTHVENTE) values ('SOUD', 'Soudure', 40, 60)"});
    run(core::entry::Tariffs,
        {"insert into TTRF (TTRF_CODFOURN, TTRF_REFFOURN, TTRF_CODART, TTRF_LIBART, TTRF_PUnit, "
         "TTRF_PrixVen) values ('F1', 'R-12', '*', 'Roulement', 30, 45)",
         "insert into TTRF (TTRF_CODFOURN, TTRF_REFFOURN, TTRF_CODART, TTRF_LIBART, TTRF_PUnit, "
         "TTRF_PrixVen) values ('F2', 'B-7', '*', 'Bague', 3, 5)",
         "insert into TTRF (TTRF_CODFOURN, TTRF_REFFOURN, TTRF_CODART, TTRF_LIBART, TTRF_PUnit, "
         "TTRF_PrixVen) values ('F1', 'X-1', 'VIS', 'Vis référencée', 1, 2)"});
  }

  // Opens version 0 of dossier 12, its document holding `lines` article rows.
  std::unique_ptr<composition::CompositionSession> openQuote(int lines = 3) {
    QuoteDoc q;
    q.codes = {"CODART", "LIBART", "QTE", "PUBRUT", "PCREM", "PUNET", "MTNET"};
    for (int i = 1; i <= lines; ++i)
      q.lines << QStringList{QString("L%1").arg(i), "Ligne", "1", "10", "", "10", "10"};
    q.between = marked("OPTIONS", "", 951);
    word::WordDocument doc = q.build();
    const QString path =
        core::Chemin_Document(m_layout.dataFolder, core::Nom_Document("AB", 12, 0));
    doc.saveAs(path);
    core::QuoteContext& c = m_state->quote;
    c.company = "AB";
    c.dossier = 12;
    c.sequence = "0";
    c.documentName = core::Nom_Document("AB", 12, 0);
    c.tarMat = "V";
    c.tarMo = "V";
    c.clientCode = "C1";
    composition::OpenRequest r;
    r.origin = composition::Origin::Dossier;
    auto s = composition::CompositionSession::open(*m_state, r);
    if (!s) return s;
    s->setDecimalSeparator(',');
    m_table =
        composition::Reperer_Tableaux(s->document(), composition::LocatePurpose::Recalculation)
            .layout->firstLineTable;
    s->setCursor(m_table, 1);
    m_messages.clear();
    return s;
  }

  // Registers windows the line entry may open, with an opener that records them.
  void registerWindows(const QStringList& names) {
    for (const QString& n : names) m_state->windows.add(n, {});
    m_state->opener = &m_opener;
  }

  QString cell(composition::CompositionSession& s, int row, int column) {
    return s.document().cellText({m_table, row, column});
  }

  int m_table = 0;
  RecordingOpener m_opener;
};

}  // namespace tarovent::fixtures
