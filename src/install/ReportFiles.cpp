#include "ReportFiles.h"

#include <QFile>
#include <stdexcept>

namespace tarovent::install {

namespace {

// The quote statistics, one line per dossier, by company.
const char kImprenta[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<!-- Statistiques des devis (menu Rentabilité) : le dernier devis de chaque dossier retenu,
     regroupé par société. Pour une variante, copiez ce fichier sous un nom commençant par
     IMPRENTA (IMPRENTA_CLIENT.RPT...) : elle sera proposée au moment d'imprimer. -->
<report title="Statistiques des devis" version="1">
  <page size="A4" orientation="landscape" margins="12"/>
  <font family="DejaVu Sans" size="8"/>
  <source name="TMP_RENTA"/>
  <header left="{title}" right="Imprimé le {date} à {time}"/>
  <footer left="{CHOIX}" right="Page {page} / {pages}"/>
  <heading size="14" align="center">{title}</heading>
  <heading size="9" bold="non" align="center">{PERIODE} - {CHOIX}</heading>
  <heading size="8" bold="non" align="center">{CRITERES}</heading>
  <group field="SOC" header="Société {SOC}" footer="Total société {SOC} : {count} devis"/>
  <columns>
    <column field="NUMDOSS" title="Dossier" width="16" align="right" format="00000"/>
    <column field="NUMDEV" title="Vers." width="10" align="right" format="00"/>
    <column field="DATDEV" title="Date" width="20" format="dd/mm/yyyy"/>
    <column field="CLIENT" title="Client" width="22"/>
    <column field="RESUME" title="Objet" width="70"/>
    <column field="TYPE" title="Type" width="14"/>
    <column field="CAL" title="Com." width="12"/>
    <column field="MONTANT" title="Montant HT" width="28" align="right" format="# ### ##0.00"
            total="sum"/>
    <column field="NUMAFF" title="Affaire" width="24" total="count"/>
    <column field="DATAFF" title="Date affaire" width="22" format="dd/mm/yyyy"/>
  </columns>
  <total label="Total général : {count} devis"/>
</report>
)";

// The same statistics by client, on portrait sheets.
const char kImprentaClient[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<!-- Statistiques des devis par client : variante d'IMPRENTA.RPT. -->
<report title="Statistiques des devis par client" version="1">
  <page size="A4" orientation="portrait" margins="12"/>
  <font family="DejaVu Sans" size="8"/>
  <source name="TMP_RENTA"/>
  <sort field="SOC"/>
  <sort field="NUMDOSS"/>
  <header left="{title}" right="Imprimé le {date}"/>
  <footer left="{PERIODE}" right="Page {page} / {pages}"/>
  <heading size="13" align="center">{title}</heading>
  <heading size="9" bold="non" align="center">{PERIODE} - {CHOIX}</heading>
  <group field="CLIENT" header="Client {CLIENT}" footer="Total client {CLIENT} : {count} devis"/>
  <columns>
    <column field="SOC" title="Soc." width="10"/>
    <column field="NUMDOSS" title="Dossier" width="16" align="right" format="00000"/>
    <column field="DATDEV" title="Date" width="20" format="dd/mm/yyyy"/>
    <column field="RESUME" title="Objet" width="62"/>
    <column field="MONTANT" title="Montant HT" width="28" align="right" format="# ### ##0.00"
            total="sum"/>
    <column field="NUMAFF" title="Affaire" width="24" total="count"/>
    <column field="DATAFF" title="Date affaire" width="22" format="dd/mm/yyyy"/>
  </columns>
  <total label="Total général : {count} devis"/>
</report>
)";

// The client visits listed in the visits window (saved query RimpVis).
const char kImpvisit[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<!-- Visites clients : les visites de la liste affichée (requête RimpVis), par date prévue. -->
<report title="Visites clients" version="1">
  <page size="A4" orientation="landscape" margins="12"/>
  <font family="DejaVu Sans" size="8.5"/>
  <source name="RimpVis"/>
  <sort field="TVIS_DatePrev"/>
  <header left="{title}" right="Imprimé le {date} à {time}"/>
  <footer right="Page {page} / {pages}"/>
  <heading size="14" align="center">{title}</heading>
  <columns>
    <column field="TVIS_DatePrev" title="Prévue le" width="22" format="dd/mm/yyyy"/>
    <column field="TVIS_CodCli" title="Client" width="20"/>
    <column field="TCLI_RS" title="Raison sociale" width="55"/>
    <column field="TCLI_CODP" title="C.P." width="14"/>
    <column field="TVIS_Contact" title="Contact" width="35"/>
    <column field="TVIS_Resume" title="Objet" width="75"/>
    <column field="TVIS_Cal" title="Com." width="14"/>
    <column field="TVIS_DateRea" title="Faite le" width="22" format="dd/mm/yyyy" total="count"/>
  </columns>
  <total label="{count} visites"/>
</report>
)";

}  // namespace

const char* const kVisitReportQuery =
    "Select * from TVIS left join TCLI on TVIS.TVIS_CODCLI = TCLI.TCLI_CODE ;";

void writeReportFiles(const QString& folder) {
  const std::pair<const char*, const char*> files[] = {
      {"IMPRENTA.RPT", kImprenta},
      {"IMPRENTA_CLIENT.RPT", kImprentaClient},
      {"IMPVISIT.RPT", kImpvisit}};
  for (const auto& [name, text] : files) {
    QFile f(folder + QLatin1String(name));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(text) < 0)
      throw std::runtime_error(
          QStringLiteral("Impossible d'écrire %1.").arg(f.fileName()).toStdString());
  }
}

}  // namespace tarovent::install
