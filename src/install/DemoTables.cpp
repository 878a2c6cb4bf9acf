#include "DemoTables.h"

#include <cmath>

#include "core/InputHelpers.h"

namespace tarovent::install::demo {

using templates::QuoteTemplateKind;

const QStringList kFirstNames = {"Jérôme", "Hélène",  "François", "Éric",   "Agnès",
                                 "Gaëlle", "Loïc",    "Benoît",   "Cécile", "Stéphane",
                                 "Amélie", "Thierry", "Noémie",   "Rémi",   "Maëlle"};
const QStringList kSurnames = {"Martin",  "Lefèvre",   "Dupré",    "Girard",   "Mercier",
                               "Faure",   "Chevalier", "Rousseau", "Lemaître", "D'Amico",
                               "N'Diaye", "Bérard",    "Perrin",   "Masson",   "Noël"};
const QStringList kFunctions = {"Directeur technique",
                                "Responsable maintenance",
                                "Acheteur",
                                "Gérant",
                                "Chef d'atelier",
                                "Comptable"};
const QStringList kTrades = {"Ateliers",   "Mécanique",   "Chaudronnerie",  "Garage",
                             "Transports", "Métallerie",  "Serrurerie",     "Forges",
                             "Usinage",    "Maintenance", "Tôlerie",        "Scierie",
                             "Carrières",  "Coopérative", "Travaux publics"};
const QStringList kPlaces = {"d'Épinal",     "de l'Aube",   "du Morvan",    "des Vosges",
                             "de Bourgogne", "d'Auxerre",   "de la Saône",  "du Jura",
                             "d'Alsace",     "de Lorraine", "de Champagne", "du Doubs",
                             "de Nancy",     "de Belfort",  "d'Héricourt"};

const QStringList kMakes = {"Renault Trucks", "Iveco",       "John Deere", "Claas",
                            "Manitou",        "Caterpillar", "Volvo CE",   "Fendt",
                            "New Holland",    "Liebherr",    "JCB",        "Mercedes-Benz"};
const QStringList kOperations = {
    "Révision générale",  "Remplacement embrayage",     "Réparation hydraulique",
    "Soudure de châssis", "Fabrication pièce unitaire", "Contrôle réglementaire VGP",
    "Remise en état",     "Modification d'équipement"};
const QStringList kWorkshops = {"Mécanique", "Chaudronnerie", "Hydraulique", "Électricité",
                                "Peinture"};
const QStringList kSubTypes = {"Atelier", "Sur site", "Sous-traitance"};

const QStringList kCategories = {"IND", "AGR", "TP", "TRA", "COL"};

namespace {

const Town townTable[] = {
    {"Épinal", "88000", "F"},
    {"Nancy", "54000", "F"},
    {"Dijon", "21000", "F"},
    {"Besançon", "25000", "F"},
    {"Troyes", "10000", "F"},
    {"Auxerre", "89000", "F"},
    {"Chalon-sur-Saône", "71100", "F"},
    {"Mulhouse", "68100", "F"},
    {"Metz", "57000", "F"},
    {"Belfort", "90000", "F"},
    {"Saint-Dié-des-Vosges", "88100", "F"},
    {"Lons-le-Saunier", "39000", "F"},
    {"Vesoul", "70000", "F"},
    {"Mâcon", "71000", "F"},
    {"Remiremont", "88200", "F"},
    {"Gérardmer", "88400", "F"},
    {"Bruxelles", "1000", "B"},
    {"Genève", "1201", "CH"},
    {"Luxembourg", "1009", "L"},
    {"Fribourg-en-Brisgau", "79098", "D"},
};

const ArticleFamily boughtTable[] = {
    {"VIS", "Vis H M%1x%2 zinguée classe 8.8", "U", 0.05, 0.6, 0.02},
    {"ECR", "Écrou H M%1 frein nylon", "U", 0.03, 0.4, 0.01},
    {"RON", "Rondelle plate M%1 large", "U", 0.02, 0.2, 0.005},
    {"ROUL", "Roulement à billes 62%1-2RS", "U", 4, 45, 0.2},
    {"JNT", "Joint torique %1x%2 NBR", "U", 0.2, 3, 0.001},
    {"FLEX", "Flexible hydraulique DN%1 L%2 mm", "U", 18, 95, 0.6},
    {"TOLE", "Tôle acier S235 ép. %1 mm", "M2", 25, 160, 24},
    {"TUBE", "Tube carré %1x%1 ép. %2 mm", "M", 6, 40, 3.5},
    {"COUR", "Courroie trapézoïdale SPZ %1%2", "U", 5, 30, 0.15},
    {"FILT", "Filtre à huile hydraulique %1%2 µm", "U", 9, 70, 0.4},
    {"HUIL", "Huile hydraulique HV%1", "L", 3, 9, 0.9},
    {"ELEC", "Électrode rutile Ø%1 mm", "KG", 6, 15, 1},
    {"PEIN", "Peinture glycéro RAL %1%2", "L", 12, 35, 1.3},
    {"GRAI", "Graisse lithium EP%1", "KG", 7, 20, 1},
    {"CHAI", "Chaîne à rouleaux %1B-1", "M", 9, 45, 0.7},
    {"PIGN", "Pignon Z%1 pas %2B", "U", 12, 80, 0.5},
    {"VER", "Vérin hydraulique Ø%1 course %2 mm", "U", 120, 780, 9},
    {"MOT", "Motoréducteur %1,%2 kW", "U", 250, 1400, 22},
    {"CAPT", "Capteur inductif M%1 portée %2 mm", "U", 25, 120, 0.1},
    {"FUS", "Fusible cartouche %1 A", "U", 0.5, 6, 0.01},
};
const char* const manufacturedTable[] = {
    "Ensemble support moteur", "Bâti mécano-soudé",     "Châssis de remorque",
    "Carter de protection",    "Godet de chargeuse",    "Fourche de levage",
    "Platine de fixation",     "Arbre de transmission", "Bride d'accouplement",
    "Rampe de chargement",     "Potence d'atelier",     "Attelage renforcé",
    "Lame de déneigement",     "Bras de pelle",         "Réservoir hydraulique"};

const Section sectionTable[] = {
    {"SOUD", "Soudure", 42, 68},          {"USIN", "Usinage", 48, 78},
    {"TOUR", "Tournage", 46, 74},         {"FRAI", "Fraisage", 50, 82},
    {"PEIN", "Peinture", 36, 58},         {"MONT", "Montage", 38, 62},
    {"DEBI", "Débit et sciage", 34, 52},  {"PLIA", "Pliage", 40, 64},
    {"CTRL", "Contrôle qualité", 45, 70}, {"HYDR", "Hydraulique", 44, 72},
};

const Supplier supplierTable[] = {
    {"WURTH", "Würth France"},
    {"SKF", "SKF Équipements"},
    {"HYDRO", "Hydro'Tech Distribution"},
    {"ACIEST", "Aciers de l'Est"},
    {"DESCOURS", "Descours & Cabaud"},
    {"FACOM", "Facom Outillage"},
    {"ORAPI", "Orapi Lubrifiants"},
    {"PROMAT", "Promat Levage"},
    {"FOURNIER", "Établissements Fournier"},
    {"LEGRAND", "Legrand Électricité"},
    {"TOLLOR", "Tôlerie Lorraine"},
    {"SOUDAL", "Soudure d'Alsace"},
};

const QuoteType typeTable[] = {
    {"ENTR", "Entretien et réparation", QuoteTemplateKind::Standard, "V", "V", false, true},
    {"FABR", "Fabrication mécano-soudée", QuoteTemplateKind::WithWeightsAndCosts, "V", "V", false,
     false},
    {"PIEC", "Vente de pièces", QuoteTemplateKind::WithVat, "P", "V", false, true},
    {"CHAU", "Chaudronnerie", QuoteTemplateKind::Grouped, "V", "R", false, false},
    {"EXPO", "Export hors taxes", QuoteTemplateKind::WithVat, "V", "V", false, true},
    {"ANC", "Ancien modèle (2019)", QuoteTemplateKind::Standard, "R", "R", true, false},
};

const Option optionTable[] = {
    {"GAR1", "Extension de garantie d'un an", 180},
    {"DEPL", "Forfait déplacement (zone 1)", 65},
    {"NETT", "Nettoyage haute pression", 90},
    {"PEINT", "Remise en peinture RAL d'origine", 240},
    {"VGP", "Contrôle réglementaire VGP", 120},
    {"LIVR", "Livraison sur site", 85},
    {"ESSAI", "Essais et réglages en charge", 110},
    {"DOC", "Dossier technique et certificat", 75},
    {"URG", "Intervention urgente le week-end", 350},
    {"RECY", "Recyclage des huiles usagées", 35},
};

const std::pair<const char*, const char*> englishTable[] = {
    {"TAROVENT - Gestion des devis", "TAROVENT - Quotation management"},
    {"Accueil", "Home"},
    {"&Devis", "&Quotes"},
    {"Gestion des &devis", "&Quote management"},
    {"&Factures PROFORMA", "&Pro forma invoices"},
    {"&Quitter", "E&xit"},
    {"&Clients", "&Customers"},
    {"&Fiches clients", "Customer &records"},
    {"Suivi des &Visites", "&Visit follow-up"},
    {"Catégories", "Categories"},
    {"&Relances", "&Reminders"},
    {"Rentabilité", "Profitability"},
    {"&Tables", "&Tables"},
    {"&Sociétés", "&Companies"},
    {"&Options", "&Options"},
    {"&Types de devis", "Quote &types"},
    {"Paramètres généraux", "General settings"},
    {"&Personnalisation", "&Customisation"},
    {"&Créateur de macros", "&Macro editor"},
    {"I&nformations", "I&nformation"},
    {"Devis", "Quotes"},
    {"Clients", "Customers"},
    {"Relances", "Reminders"},
    {"Types de devis", "Quote types"},
    {"Composition", "Composition"},
    {"Macros", "Macros"},
    {"Exécuter une macro", "Run a macro"},
    {"Informations de mise à jour", "Update information"},
    {"Aucune information de mise à jour n'est disponible.", "No update information is available."},
    {"Ce programme est en version", "This program is version"},
    {"et la base de données en version", "and the database is version"},
    {"Base de données", "Database"},
    {"introuvable.", "not found."},
    {"est inaccessible.", "cannot be reached."},
    {"La table TPATH est vide. Chemins d'accès non définis",
     "The TPATH table is empty. No database paths are defined"},
    {"La table des clients n'est pas accessible.", "The customer table cannot be reached."},
    {"La table des paramètres articles n'est pas accessible.",
     "The article settings table cannot be reached."},
    {"La table des paramètres n'est pas accessible.", "The settings table cannot be reached."},
    {"Table de conditions de paiement vide.", "The payment terms table is empty."},
    {"Le module d'accès aux données", "The data access module"},
    {"n'a pas la bonne version", "is not the right version"},
    {"Version attendue", "Expected version"},
    {"Version rencontrée", "Version found"},
    {"Err. n°", "Err. no."},
    {"Cette fonction ne peut pas fonctionner sans CORVELIN",
     "This function cannot work without CORVELIN"},
    {"L'ouverture de la base CORVELIN n'a pu se faire normalement",
     "The CORVELIN database could not be opened properly"},
    {"Procédure Allumer_Menu : Nom de contrôle inconnu", "Allumer_Menu: unknown control name"},
    {"Procédure Eteindre_Menu : Nom de contrôle inconnu", "Eteindre_Menu: unknown control name"},
    {"Enregistrez ou annulez votre saisie", "Save or cancel your changes"},
    {"Voulez-vous enregistrer votre saisie", "Do you want to save your changes"},
    {"Confirmer la suppression", "Confirm the deletion"},
    {"Libellé devise principale", "Main currency label"},
    {"Libellé devise secondaire", "Second currency label"},
    {"TVA par défaut", "Default VAT"},
    {"Chemin", "Path"},
};

const std::pair<const char*, const char*> countryTable[] = {
    {"F", "France"},    {"B", "Belgique"}, {"CH", "Suisse"}, {"L", "Luxembourg"},
    {"D", "Allemagne"}, {"I", "Italie"},   {"E", "Espagne"}};

}  // namespace

const std::span<const Town> kTowns(townTable);
const std::span<const ArticleFamily> kBought(boughtTable);
const std::span<const char* const> kManufactured(manufacturedTable);
const std::span<const Section> kSections(sectionTable);
const std::span<const Supplier> kSuppliers(supplierTable);
const std::span<const QuoteType> kTypes(typeTable);
const std::span<const Option> kOptions(optionTable);
const std::span<const std::pair<const char*, const char*>> kEnglish(englishTable);
const std::span<const std::pair<const char*, const char*>> kCountries(countryTable);

double classDiscount(int discountClass, int category, const QString& mode) {
  static constexpr double base[] = {5, 8, 12, 0};
  if (discountClass < 0 || discountClass > 3 || base[discountClass] == 0) return 0;
  return mode == QLatin1String("P") ? base[discountClass] / 2 + category
                                    : base[discountClass] + category;
}

double round2(double x) { return core::Arrondi(x, 2); }

QString countryLabel(const QString& code) {
  for (const auto& [c, label] : kCountries)
    if (code == QLatin1String(c)) return QString::fromUtf8(label);
  return {};
}

QString codeLetters(const QString& name, int count) {
  QString out;
  for (QChar c : name.normalized(QString::NormalizationForm_D))
    if (c.isLetter() && c.unicode() < 128 && out.size() < count) out += c.toUpper();
  return out;
}

QString thousands(qint64 n) {
  QString digits = QString::number(n), out;
  for (int i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ' ';
    out += digits[i];
  }
  return out;
}

}  // namespace tarovent::install::demo
