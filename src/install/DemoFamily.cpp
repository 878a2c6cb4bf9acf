#include "DemoFamily.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <random>
#include <stdexcept>

#include "DemoDocuments.h"
#include "DemoRecalc.h"
#include "Schemas.h"
#include "TableWriter.h"
#include "install/templates/TemplateBuilder.h"
#include "platform/db/DbError.h"
#include "platform/word/WordDocument.h"

namespace tarovent::install {

namespace {

using composition::QuoteLine;
using templates::QuoteTemplateKind;

double round2(double x) { return std::floor(x * 100 + 0.5) / 100; }

// Deterministic choices: the same seed gives the same family.
class Dice {
 public:
  explicit Dice(unsigned seed) : m_g(seed) {}
  int range(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_g); }
  double real(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(m_g); }
  double money(double lo, double hi) { return round2(real(lo, hi)); }
  bool chance(double p) { return real(0, 1) < p; }
  template <typename List>
  const auto& pick(const List& list) {
    return list[range(0, int(std::size(list)) - 1)];
  }

 private:
  std::mt19937 m_g;
};

struct Counts {
  int clients, articles, manufactured, tariffLines, dossiers, versions, documents;
};

Counts countsFor(DemoSize size) {
  if (size == DemoSize::Large) return {5000, 20000, 1000, 3000, 50000, 150000, 200};
  return {60, 400, 40, 300, 200, 350, 350};
}

struct Contact {
  QString name, function, tel, mobile, mail;
};

struct Vehicle {
  QString immat, make, serial;
  int meter = 0;
};

struct Client {
  QString code, name, adr1, adr2, postcode, town, country, category, terms, mode, tel, fax, mail;
  QString workshop, vatNumber;
  double discount = 0, labourRate = 0;
  bool validated = false;
  QList<Contact> contacts;
  QList<Vehicle> vehicles;
};

struct PriceBreak {
  double bound, pv1, pv2;
};

struct Article {
  QString code, label, description, type, subType, unit, discountClass, supplier;
  double pmp = 0, overhead = 0, pv1 = 0, pv2 = 0, floor = 0, weight = 0, launch = 1;
  QList<PriceBreak> breaks;
  double cost() const { return pmp * (1 + overhead / 100); }
};

struct Link {
  int parent, child;
  double quantity;
  QDate from, to;
};

struct Operation {
  int article, number, section;
  QString label, subcontractor;
  double setup, perPiece;
};

struct Section {
  QString code, label;
  double cost, sale;
};

struct Tariff {
  QString supplier, reference, article, label, unit;
  double purchase, sale;
};

struct QuoteType {
  QString code, label;
  QuoteTemplateKind kind;
  QString materials, labour;
  bool inactive;
  bool describeBought;  // the descriptive text of bought articles goes into the line table
};

struct Option {
  QString code, label;
  double price;
};

struct Company {
  QString code, name;
  bool inactive;
  int last = 0;
};

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

struct Town {
  const char *name, *postcode, *country;
};
const Town kTowns[] = {
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

// Families of bought articles: code prefix, label with its size, unit, price range, weight.
struct ArticleFamily {
  const char* prefix;
  const char* label;
  const char* unit;
  double minPrice, maxPrice, weight;
};
const ArticleFamily kBought[] = {
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
const char* const kManufactured[] = {
    "Ensemble support moteur", "Bâti mécano-soudé",     "Châssis de remorque",
    "Carter de protection",    "Godet de chargeuse",    "Fourche de levage",
    "Platine de fixation",     "Arbre de transmission", "Bride d'accouplement",
    "Rampe de chargement",     "Potence d'atelier",     "Attelage renforcé",
    "Lame de déneigement",     "Bras de pelle",         "Réservoir hydraulique"};

const Section kSections[] = {
    {"SOUD", "Soudure", 42, 68},          {"USIN", "Usinage", 48, 78},
    {"TOUR", "Tournage", 46, 74},         {"FRAI", "Fraisage", 50, 82},
    {"PEIN", "Peinture", 36, 58},         {"MONT", "Montage", 38, 62},
    {"DEBI", "Débit et sciage", 34, 52},  {"PLIA", "Pliage", 40, 64},
    {"CTRL", "Contrôle qualité", 45, 70}, {"HYDR", "Hydraulique", 44, 72},
};

struct Supplier {
  const char *code, *name;
};
const Supplier kSuppliers[] = {
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

const QuoteType kTypes[] = {
    {"ENTR", "Entretien et réparation", QuoteTemplateKind::Standard, "V", "V", false, true},
    {"FABR", "Fabrication mécano-soudée", QuoteTemplateKind::WithWeightsAndCosts, "V", "V", false,
     false},
    {"PIEC", "Vente de pièces", QuoteTemplateKind::WithVat, "P", "V", false, true},
    {"CHAU", "Chaudronnerie", QuoteTemplateKind::Standard, "V", "R", false, false},
    {"EXPO", "Export hors taxes", QuoteTemplateKind::WithVat, "V", "V", false, true},
    {"ANC", "Ancien modèle (2019)", QuoteTemplateKind::Standard, "R", "R", true, false},
};

const Option kOptions[] = {
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

// The interface's French texts and their English translation (language 1).
const char* const kEnglish[][2] = {
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

const std::pair<const char*, const char*> kCountries[] = {
    {"F", "France"},    {"B", "Belgique"}, {"CH", "Suisse"}, {"L", "Luxembourg"},
    {"D", "Allemagne"}, {"I", "Italie"},   {"E", "Espagne"}};

// The second currency of the demo's parameters: Swiss francs.
constexpr double kExchangeRate = 0.94;

QString countryLabel(const QString& code) {
  for (const auto& [c, label] : kCountries)
    if (code == QLatin1String(c)) return QString::fromUtf8(label);
  return {};
}

QString quoteNumber(const QString& company, int dossier, int version) {
  return QStringLiteral("%1_%2.%3")
      .arg(dossier, 5, 10, QLatin1Char('0'))
      .arg(version, 2, 10, QLatin1Char('0'))
      .arg(company);
}

QString businessKey(const QString& company, int dossier) {
  return company + QStringLiteral("%1").arg(dossier, 5, 10, QLatin1Char('0'));
}

// Letters of a name without accents, for codes.
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

class DemoBuilder {
 public:
  DemoBuilder(DemoSize size, const QDate& today)
      : m_counts(countsFor(size)), m_today(today), m_dice(20261205) {}

  DemoSummary build(const QString& root) {
    DemoSummary s;
    s.layout = initFamily(root, true);
    m_layout = s.layout;
    makeCompanies();
    makeClients();
    makeArticles();
    makeTariffs();

    writeTemplates();
    db::Workspace ws;
    const auto open = [&](const char* file) { return ws.OpenDatabase(m_layout.dataFolder + file); };
    db::Database stock = open("CORVELIN.MDB"), com = open("PALUNDA.MDB"),
                 planning = open("DAVRISET.MDB"), tariffs = open("TARIFS.MDB"),
                 purchasing = open("ACHATS.MDB"), main = open("TAROVENT.MDB"),
                 trad = open("BDTRAD.MDB"), basedoc = open("BASEDOC.MDB"),
                 signets = open("SIGNETS.MDB");
    writeStock(stock);
    writePlanning(planning);
    writeTariffs(tariffs);
    writeClients(com);
    writePricing(com);
    writeParameters(main);
    writeDossiers(main);
    writeAffairs(com, planning, stock, purchasing);
    writeTranslations(trad);
    writeDocumentBase(basedoc, main);
    writeBookmarks(signets);
    writeDocuments();
    writeIni();

    s.companies = m_companies.size();
    s.clients = m_clients.size();
    s.articles = m_articles.size();
    s.manufactured = m_counts.manufactured;
    s.tariffLines = m_tariffs.size();
    s.dossiers = m_dossierCount;
    s.versions = m_versionCount;
    s.documents = m_documents;
    return s;
  }

 private:
  // --- In memory -------------------------------------------------------------------------

  void makeCompanies() {
    m_companies = {{"AB", "Ateliers de Bréval", false},
                   {"MR", "Maintenance Rhin-Rhône", false},
                   {"TL", "Tôlerie Lorraine (ancienne société)", true}};
  }

  Contact makeContact() {
    Contact c;
    c.name = m_dice.pick(kFirstNames) + ' ' + m_dice.pick(kSurnames);
    c.function = m_dice.pick(kFunctions);
    c.tel = QStringLiteral("03 %1 %2 %3 %4")
                .arg(m_dice.range(10, 89))
                .arg(m_dice.range(10, 99))
                .arg(m_dice.range(10, 99))
                .arg(m_dice.range(10, 99));
    c.mobile = QStringLiteral("06 %1 %2 %3 %4")
                   .arg(m_dice.range(10, 99))
                   .arg(m_dice.range(10, 99))
                   .arg(m_dice.range(10, 99))
                   .arg(m_dice.range(10, 99));
    c.mail = codeLetters(c.name.section(' ', 0, 0), 20).toLower() + '.' +
             codeLetters(c.name.section(' ', 1), 20).toLower();
    return c;
  }

  void makeClients() {
    const QStringList categories = {"IND", "AGR", "TP", "TRA", "COL"};
    const QStringList terms = {"COMPT", "30J", "45FM", "60J"};
    const QStringList modes = {"CHQ", "VIR", "TRT", "LCR"};
    QSet<QString> codes;
    for (int i = 0; i < m_counts.clients; ++i) {
      Client c;
      const int combos = int(kTrades.size() * kPlaces.size());
      const int k = (i * 7) % combos;  // spreads the first clients over the trades
      c.name = kTrades[k % kTrades.size()] + ' ' + kPlaces[k / kTrades.size()];
      if (i >= combos) c.name += QStringLiteral(" - site %1").arg(i / combos + 1);
      QString stem = codeLetters(c.name, 5);
      int n = 1;
      do c.code = stem + QString::number(n++).rightJustified(m_counts.clients > 900 ? 4 : 3, '0');
      while (codes.contains(c.code));
      codes.insert(c.code);
      const Town& town = kTowns[i % 10 == 9 ? 16 + (i / 10) % 4 : m_dice.range(0, 15)];
      c.town = QString::fromUtf8(town.name);
      c.postcode = QString::fromUtf8(town.postcode);
      c.country = QString::fromUtf8(town.country);
      c.adr1 = QStringLiteral("%1 %2")
                   .arg(m_dice.range(1, 180))
                   .arg(m_dice.pick(QStringList{
                       "rue de la Forge", "avenue de l'Industrie", "zone artisanale des Écluses",
                       "chemin du Moulin", "rue Pasteur", "route d'Épinal", "boulevard Foch"}));
      if (m_dice.chance(0.3)) c.adr2 = QStringLiteral("BP %1").arg(m_dice.range(10, 990));
      c.category = categories[i % categories.size()];
      c.workshop = kWorkshops[i % kWorkshops.size()];
      if (c.country == "F")
        c.vatNumber = QStringLiteral("FR%1%2").arg(10 + i % 89).arg(300000000 + i * 7919);
      c.terms = m_dice.pick(terms);
      c.mode = m_dice.pick(modes);
      c.discount = m_dice.chance(0.4) ? m_dice.range(2, 12) : 0;
      c.labourRate = m_dice.chance(0.25) ? m_dice.range(55, 72) : 0;
      c.validated = m_dice.chance(0.7);
      const int contacts = m_dice.range(1, 3);
      for (int j = 0; j < contacts; ++j) c.contacts << makeContact();
      c.tel = c.contacts.first().tel;
      c.fax = QString(c.tel).replace(c.tel.size() - 2, 2, "99");
      c.mail = "contact@" + codeLetters(c.name, 12).toLower() + ".fr";
      const int vehicles = m_dice.range(0, 3);
      for (int j = 0; j < vehicles; ++j) {
        Vehicle v;
        v.immat = QStringLiteral("%1%2-%3-%4%5")
                      .arg(QChar('A' + m_dice.range(0, 25)))
                      .arg(QChar('A' + m_dice.range(0, 25)))
                      .arg(m_dice.range(100, 999))
                      .arg(QChar('A' + m_dice.range(0, 25)))
                      .arg(QChar('A' + m_dice.range(0, 25)));
        v.make = m_dice.pick(kMakes);
        v.serial =
            QStringLiteral("%1%2").arg(codeLetters(v.make, 3)).arg(m_dice.range(100000, 999999));
        v.meter = m_dice.range(1, 400) * 250;
        c.vehicles << v;
      }
      m_clients << c;
    }
  }

  void makeArticles() {
    const int bought = m_counts.articles - m_counts.manufactured;
    const QStringList classes = {"A", "B", "C", "D"};
    QHash<QString, int> perPrefix;
    for (int i = 0; i < bought; ++i) {
      const ArticleFamily& f = kBought[i % std::size(kBought)];
      Article a;
      const int n = ++perPrefix[f.prefix];
      a.code = QStringLiteral("%1%2").arg(f.prefix).arg(n, 4, 10, QLatin1Char('0'));
      const int p1 = 4 + (n * 3) % 20, p2 = 10 * (1 + (n * 7) % 15);
      const QString label = QString::fromUtf8(f.label);
      a.label = label.contains("%2") ? label.arg(p1).arg(p2) : label.arg(p1);
      a.type = "A";
      a.unit = f.unit;
      a.pmp = m_dice.money(f.minPrice, f.maxPrice);
      a.overhead = m_dice.range(5, 15);
      a.pv1 = round2(a.cost() * (1 + m_dice.range(30, 60) / 100.0));
      a.pv2 = m_dice.chance(0.8) ? round2(a.cost() * (1 + m_dice.range(15, 28) / 100.0)) : 0;
      if (m_dice.chance(0.25)) a.floor = round2(a.cost() * 1.1);
      a.weight = round2(f.weight * m_dice.real(0.7, 1.4) * 1000) / 1000;
      if (m_dice.chance(0.85)) a.discountClass = classes[n % classes.size()];
      a.supplier = kSuppliers[i % std::size(kSuppliers)].code;
      if (m_dice.chance(0.3))
        a.description = QStringLiteral("Conforme aux normes en vigueur. Conditionnement : %1.")
                            .arg(a.unit == "U" ? "par 10" : "à l'unité");
      if (m_dice.chance(0.15)) {
        const double pv2 = a.pv2 > 0 ? a.pv2 : a.pv1;
        a.breaks = {{10, a.pv1, pv2},
                    {50, round2(a.pv1 * 0.92), round2(pv2 * 0.92)},
                    {999999, round2(a.pv1 * 0.85), round2(pv2 * 0.85)}};
      }
      m_articles << a;
    }
    // Manufactured articles in four tiers: a tier's components come from the tier below, so
    // the deepest bill of materials has four levels.
    const int tierSize = m_counts.manufactured / 4;
    QList<int> tiers[4];
    for (int i = 0; i < m_counts.manufactured; ++i) {
      Article a;
      const int tier = 3 - i / tierSize;  // 3: semi-finished built from bought articles only
      const int n = i + 1;
      a.code = QStringLiteral("ENS%1").arg(n, 4, 10, QLatin1Char('0'));
      a.label = QString::fromUtf8(kManufactured[i % std::size(kManufactured)]) +
                QStringLiteral(" type %1").arg(n);
      a.type = "F";
      a.subType = tier == 0 ? "FIN" : "SEM";
      a.unit = "U";
      a.overhead = 5;
      a.launch = QList<double>{1, 1, 5, 10}[n % 4];
      if (i == 1) a.launch = 0;  // taken as one piece
      a.description = QStringLiteral("Fabrication en nos ateliers, acier S235, finition peinte.");
      tiers[tier] << int(m_articles.size());
      m_articles << a;
    }
    m_tierTop = tiers[0];
    // Components and routings, deepest tier first so that costs roll up.
    for (int tier = 3; tier >= 0; --tier) {
      for (int parent : tiers[tier]) {
        QSet<int> used;
        const auto addLink = [&](int child, double qty) {
          if (used.contains(child)) return;
          used.insert(child);
          m_links.append({parent, child, qty, {}, {}});
        };
        if (tier < 3) addLink(m_dice.pick(tiers[tier + 1]), m_dice.range(1, 2));
        const int parts = m_dice.range(2, 4);
        for (int j = 0; j < parts; ++j)
          addLink(m_dice.range(0, m_counts.articles - m_counts.manufactured - 1),
                  m_dice.range(1, 8));
        const int ops = m_dice.range(1, 4);
        for (int j = 0; j < ops; ++j) {
          Operation op;
          op.article = parent;
          op.number = (j + 1) * 10;
          op.section = m_dice.range(0, int(std::size(kSections)) - 1);
          op.label = kSections[op.section].label + QStringLiteral(" - phase %1").arg(j + 1);
          if (kSections[op.section].code == "PEIN" && m_dice.chance(0.5))
            op.subcontractor = "SOUDAL";
          op.setup = m_dice.range(1, 8) * 0.25;
          op.perPiece = m_dice.range(1, 24) * 0.25;
          m_operations << op;
        }
      }
      for (int parent : tiers[tier]) rollUp(parent);
    }
    // A component valid from tomorrow, one whose validity ended, one ending today.
    const QList<int> top = tiers[0];
    m_links.append({top[0], unusedPart(top[0]), 2, m_today.addDays(1), {}});
    m_links.append({top[1], unusedPart(top[1]), 1, m_today.addDays(-400), m_today.addDays(-30)});
    m_links.append({top[2], unusedPart(top[2]), 4, {}, m_today});
  }

  // A bought article that is not yet a component of `parent`.
  int unusedPart(int parent) const {
    for (int child = m_counts.articles - m_counts.manufactured - 1;; --child) {
      bool used = false;
      for (const Link& l : m_links) used |= l.parent == parent && l.child == child;
      if (!used) return child;
    }
  }

  void rollUp(int parent) {
    Article& a = m_articles[parent];
    double cost = 0;
    for (const Link& l : m_links)
      if (l.parent == parent) cost += l.quantity * m_articles[l.child].cost();
    const double launch = a.launch > 0 ? a.launch : 1;
    for (const Operation& op : m_operations)
      if (op.article == parent)
        cost += (op.setup / launch + op.perPiece) * kSections[op.section].cost;
    for (const Link& l : m_links)
      if (l.parent == parent) a.weight += l.quantity * m_articles[l.child].weight;
    a.pmp = round2(cost);
    a.pv1 = round2(a.cost() * 1.35);
    a.pv2 = round2(a.cost() * 1.22);
  }

  void makeTariffs() {
    const int bought = m_counts.articles - m_counts.manufactured;
    for (int i = 0; i < m_counts.tariffLines; ++i) {
      const Supplier& s = kSuppliers[i % std::size(kSuppliers)];
      Tariff t;
      t.supplier = s.code;
      t.reference = QStringLiteral("%1-%2").arg(codeLetters(s.code, 3)).arg(10000 + i * 37);
      if (i % 4 != 3) {  // referenced as an article
        const Article& a = m_articles[(i * 13) % bought];
        t.article = a.code;
        t.label = a.label;
        t.unit = a.unit;
        t.purchase = round2(a.pmp * m_dice.real(0.9, 1.05));
      } else {
        t.article = "*";
        t.label = QStringLiteral("Pièce spécifique %1 réf. fournisseur %2").arg(s.name).arg(i);
        t.unit = "U";
        t.purchase = m_dice.money(5, 600);
      }
      t.sale = round2(t.purchase * 1.35);
      m_tariffs << t;
    }
  }

  // --- Databases -------------------------------------------------------------------------

  void writeStock(db::Database& db) {
    db::TransactionGuard g(db);
    db.Execute(
        "INSERT INTO TPARA (TPARA_LABART1, TPARA_LABART2, TPARA_LABART3, TPARA_LABIMP1, "
        "TPARA_LABIMP2, TPARA_NBRDEC, TPARA_GestLots, TPARA_MultiEmpl) VALUES ('Emplacement', "
        "'Réf. constructeur', 'Marque', 'N° d''affaire', 'N° de lot', 2, False, False)");
    TableWriter arti(
        db, "TARTI",
        {"TARTI_CODART",   "TARTI_LIBART",    "TARTI_DESCR", "TARTI_Type",  "TARTI_Sous_Type",
         "TARTI_UNST_LIB", "TARTI_UNACH_LIB", "TARTI_POIDS", "TARTI_USER1", "TARTI_CLREM",
         "TARTI_PMP",      "TARTI_COEFFRG",   "TARTI_PVU1",  "TARTI_PVU2",  "TARTI_PVUMIN",
         "TARTI_QTE_LANC", "TARTI_FOURN",     "TARTI_ALLEE", "TARTI_POSTE", "TARTI_Desactive",
         "TARTI_QTEDISP"});
    for (int i = 0; i < m_articles.size(); ++i) {
      const Article& a = m_articles[i];
      arti.add({a.code,
                a.label,
                a.description.isEmpty() ? QVariant() : a.description,
                a.type,
                a.subType.isEmpty() ? QVariant() : a.subType,
                a.unit,
                a.unit,
                a.weight,
                a.type == "A" ? QVariant(QStringLiteral("Allée %1").arg(i % 12 + 1)) : QVariant(),
                a.discountClass.isEmpty() ? QVariant() : a.discountClass,
                a.pmp,
                a.overhead,
                a.pv1,
                a.pv2 > 0 ? QVariant(a.pv2) : QVariant(),
                a.floor > 0 ? QVariant(a.floor) : QVariant(),
                a.launch,
                a.supplier.isEmpty() ? QVariant() : a.supplier,
                QString::number(i % 12 + 1),
                QString::number(i % 40 + 1),
                i % 97 == 96,
                double(m_dice.range(0, 250))});
    }
    TableWriter lien(db, "TLIEN",
                     {"TLIEN_PERE", "TLIEN_VARPERE", "TLIEN_FILS", "TLIEN_VARFILS", "TLIEN_NUMORD",
                      "TLIEN_QTEUNI", "TLIEN_DebApplic", "TLIEN_FinApplic"});
    QHash<int, int> order;
    for (const Link& l : m_links)
      lien.add({m_articles[l.parent].code, "00", m_articles[l.child].code, "00",
                (++order[l.parent]) * 10, l.quantity,
                l.from.isValid() ? QVariant(l.from) : QVariant(),
                l.to.isValid() ? QVariant(l.to) : QVariant()});
    db.Execute("INSERT INTO TFAM VALUES ('TUB', 'Tubes carrés sur mesure')");
    db.Execute("INSERT INTO TFAM VALUES ('FLX', 'Flexibles hydrauliques sur mesure')");
    TableWriter fam(db, "TFAM_DETAIL",
                    {"TFAM_DETAIL_CODE", "TFAM_DETAIL_NUM", "TFAM_DETAIL_TITRE", "TFAM_DETAIL_TYPE",
                     "TFAM_DETAIL_LONG", "TFAM_DETAIL_NBRDEC"});
    fam.add({"TUB", 1, "TUB", "K", 3, 0});
    fam.add({"TUB", 2, "Côté (mm)", "N", 3, 0});
    fam.add({"TUB", 3, "X", "K", 1, 0});
    fam.add({"TUB", 4, "Épaisseur (mm)", "N", 4, 1});
    fam.add({"FLX", 1, "FLX-DN", "K", 6, 0});
    fam.add({"FLX", 2, "Diamètre nominal", "N", 2, 0});
    fam.add({"FLX", 3, "-L", "K", 2, 0});
    fam.add({"FLX", 4, "Longueur (mm)", "N", 4, 0});
    fam.add({"FLX", 5, "Embout", "C", 3, 0});
    db.Execute("INSERT INTO TSite VALUES ('ATEL', 'Atelier principal')");
    db.Execute("INSERT INTO TSite VALUES ('EPI', 'Dépôt d''Épinal')");
    g.commit();
  }

  void writePlanning(db::Database& db) {
    db::TransactionGuard g(db);
    TableWriter sec(db, "TSEC",
                    {"TSEC_CODSEC", "TSEC_Libsec", "TSEC_CoutHRevient", "TSEC_COUTHVENTE"});
    for (const Section& s : kSections) sec.add({s.code, s.label, s.cost, s.sale});
    TableWriter gam(db, "TGAM",
                    {"TGAM_Codart", "TGAM_Vargam", "TGAM_Numope", "TGAM_CodSec", "TGAM_Libope",
                     "TGAM_TmpPrep", "TGAM_TmpPie", "TGAM_CodFourn"});
    for (const Operation& op : m_operations)
      gam.add({m_articles[op.article].code, "00", op.number, kSections[op.section].code, op.label,
               op.setup, op.perPiece, op.subcontractor.isEmpty() ? QVariant() : op.subcontractor});
    g.commit();
  }

  void writeTariffs(db::Database& db) {
    db::TransactionGuard g(db);
    TableWriter fou(db, "TFOU", {"TFOU_CodFourn", "TFOU_RSfourn"});
    for (const Supplier& s : kSuppliers) fou.add({s.code, QString::fromUtf8(s.name)});
    TableWriter trf(
        db, "TTRF",
        {"TTRF_CODFOURN", "TTRF_REFFOURN", "TTRF_CODART", "TTRF_LIBART", "TTRF_UN", "TTRF_PUnit",
         "TTRF_PrixVen", "TTRF_DatMaj", "TTRF_DELAI", "TTRF_TauxTVA", "TTRF_PasDeRemise"});
    const QStringList delays = {"48 h", "1 semaine", "2 semaines", "sur stock"};
    for (int i = 0; i < m_tariffs.size(); ++i) {
      const Tariff& t = m_tariffs[i];
      trf.add({t.supplier, t.reference, t.article, t.label, t.unit, t.purchase, t.sale,
               m_today.addDays(-m_dice.range(5, 700)), delays[i % delays.size()], 20.0,
               i % 11 == 0});
    }
    g.commit();
  }

  void writeClients(db::Database& db) {
    db::TransactionGuard g(db);
    TableWriter cat(db, "TCAT", {"TCAT_CODE", "TCAT_LIBELLE"});
    cat.add({"IND", "Industrie"});
    cat.add({"AGR", "Agriculture"});
    cat.add({"TP", "Travaux publics"});
    cat.add({"TRA", "Transport et logistique"});
    cat.add({"COL", "Collectivités"});
    TableWriter pays(db, "TPAYS", {"TPAYS_CODE", "TPAYS_LIBELLE"});
    for (const auto& [code, label] : kCountries) pays.add({code, label});
    TableWriter cal(db, "TCAL", {"TCAL_CODE", "TCAL_NOM", "TCAL_TEL", "TCAL_MAIL"});
    for (const auto& [code, name] :
         {std::pair{"JMD", "Jean-Marc Dufresne"}, std::pair{"SLB", "Sophie Le Bihan"},
          std::pair{"NGA", "Nathalie Gauthier"}, std::pair{"PHR", "Philippe Hérault"},
          std::pair{"CDO", "Céline d'Ormesson"}}) {
      m_reps << code;
      m_repInfo[code] = {
          QString::fromUtf8(name),
          QStringLiteral("06 12 34 %1 %2").arg(m_reps.size() * 11).arg(m_reps.size() + 40),
          QString(code).toLower() + "@breval-atelier.fr"};
      const QStringList& info = m_repInfo[code];
      cal.add({code, info[0], info[1], info[2]});
    }
    TableWriter cli(
        db, "TCLI",
        {"TCLI_CODE",     "TCLI_RS",      "TCLI_ADR1",    "TCLI_ADR2",     "TCLI_CODP",
         "TCLI_VILLE",    "TCLI_PAYS",    "TCLI_TEL1",    "TCLI_FAX1",     "TCLI_EMAIL",
         "TCLI_CONTACT1", "TCLI_FONCT1",  "TCLI_Portab1", "TCLI_EMail1",   "TCLI_Categ",
         "TCLI_PCRemise", "TCLI_TauxMDO", "TCLI_ModPaie", "TCLI_CondPaie", "TCLI_Notes1",
         "TCLI_Valide",   "TCLI_USER1",   "TCLI_USER2",   "TCLI_TVAIntra", "TCLI_Fiabilite"});
    TableWriter contact(
        db, "TCLI_CONTACT",
        {"TCLI_CONTACT_CodCli", "TCLI_CONTACT_Num", "TCLI_Contact_Nom", "TCLI_CONTACT_Fonct",
         "TCLI_CONTACT_Tel", "TCLI_CONTACT_Portab", "TCLI_CONTACT_mail"});
    TableWriter veh(db, "TVEH",
                    {"TVEH_CODCLI", "TVEH_IMMAT", "TVEH_COMPLIDENT", "TVEH_MARQUE", "TVEH_USER3"});
    TableWriter vis(db, "TVIS",
                    {"TVIS_CodCli", "TVIS_DatePrev", "TVIS_DateRea", "TVIS_Resume", "TVIS_Detail",
                     "TVIS_Cal", "TVIS_Contact"});
    const QStringList subjects = {"Présentation du contrat d'entretien", "Relance du devis",
                                  "Visite de chantier", "Réception des travaux",
                                  "Point annuel avec l'acheteur"};
    for (int i = 0; i < m_clients.size(); ++i) {
      const Client& c = m_clients[i];
      const Contact& main = c.contacts.first();
      const QString domain = c.mail.section('@', 1);
      cli.add({c.code,
               c.name,
               c.adr1,
               c.adr2.isEmpty() ? QVariant() : c.adr2,
               c.postcode,
               c.town,
               c.country,
               c.tel,
               c.fax,
               c.mail,
               main.name,
               main.function,
               main.mobile,
               main.mail + '@' + domain,
               c.category,
               c.discount,
               c.labourRate,
               c.mode,
               c.terms,
               i % 5 == 0 ? QVariant(QStringLiteral("Accès atelier par l'arrière du bâtiment"))
                          : QVariant(),
               c.validated,
               c.workshop,
               i % 3 == 0 ? QVariant(QStringLiteral("Grand compte")) : QVariant(),
               c.vatNumber.isEmpty() ? QVariant() : c.vatNumber,
               QString(QChar('A' + i % 3))});
      for (int j = 0; j < c.contacts.size(); ++j) {
        const Contact& k = c.contacts[j];
        contact.add({c.code, j + 1, k.name, k.function, k.tel, k.mobile, k.mail + '@' + domain});
      }
      for (const Vehicle& v : c.vehicles)
        veh.add({c.code, v.immat, v.serial, v.make, thousands(v.meter)});
      const int visits = m_counts.clients > 1000 ? i % 3 : m_dice.range(0, 4);
      for (int j = 0; j < visits; ++j) {
        const QDate planned = m_today.addDays(m_dice.range(-150, 60));
        const bool done = planned < m_today && m_dice.chance(0.7);
        vis.add({c.code, planned, done ? QVariant(planned.addDays(m_dice.range(0, 3))) : QVariant(),
                 m_dice.pick(subjects),
                 done ? QVariant(QStringLiteral("Client satisfait ; à rappeler dans trois mois."))
                      : QVariant(),
                 m_dice.pick(m_reps), c.contacts[j % c.contacts.size()].name});
      }
    }
    g.commit();
  }

  void writePricing(db::Database& db) {
    db::TransactionGuard g(db);
    TableWriter prix(db, "TPRIX", {"TPRIX_CODART", "TPRIX_MAXTRANCHE", "TPRIX_PUV1", "TPRIX_PUV2"});
    for (const Article& a : m_articles)
      for (const PriceBreak& b : a.breaks) prix.add({a.code, b.bound, b.pv1, b.pv2});
    TableWriter remi(db, "TREMI", {"TREMI_CLREM", "TREMI_CATEG", "TREMI_PC1", "TREMI_PC2"});
    const QStringList categories = {"IND", "AGR", "TP", "TRA", "COL"};
    const double base[] = {5, 8, 12, 0};  // class D: no discount, the user is asked
    for (int c = 0; c < 4; ++c)
      for (int k = 0; k < categories.size(); ++k)
        remi.add({QString(QChar('A' + c)), categories[k], base[c] == 0 ? 0 : base[c] + k,
                  base[c] == 0 ? 0 : base[c] / 2 + k});
    g.commit();
  }

  void writeParameters(db::Database& db) {
    db::TransactionGuard g(db);
    db.Execute(
        "UPDATE TPAR SET TPAR_LIBDEV2 = 'Franc suisse', TPAR_COEFFDEV = " +
        QString::number(kExchangeRate) +
        ", "
        "TPAR_LIBUSER1 = 'Atelier', TPAR_USER1_TYP = 'C', TPAR_USER1_LNG = 20, TPAR_USER1_DEC "
        "= 0, TPAR_USER1_TAB = 'TBUSER_ATELIER', TPAR_LIBUSER2 = 'Date souhaitée', "
        "TPAR_USER2_TYP = 'D', TPAR_USER2_LNG = 10, TPAR_USER2_DEC = 0, TPAR_LIBUSER3 = "
        "'Compteur (km/h)', TPAR_USER3_TYP = 'N', TPAR_USER3_LNG = 15, TPAR_USER3_DEC = 0");
    applySchema(db, customValueTableSchema("TBUSER_ATELIER"));
    const auto fill = [&](const QString& table, const QStringList& values) {
      TableWriter w(db, table, {"TBUSER_Libelle", "TBUSER_Ordre"});
      for (int i = 0; i < values.size(); ++i) w.add({values[i], (i + 1) * 10});
    };
    fill("TBUSER_ATELIER", kWorkshops);
    fill("TBUSER_LIBOPE", kOperations);
    fill("TBUSER_NATVEH", kMakes);
    TableWriter typ(
        db, "TTYP",
        {"TTYP_CODE", "TTYP_LIB", "TTYP_Desactive", "TTYP_TARMAT", "TTYP_TARMO", "TTYP_DART1A",
         "TTYP_DART1F", "TTYP_DTRF1", "TTYP_DART1A_HT", "TTYP_MASKET2", "TTYP_LibEnTitre",
         "TTYP_TitreCorps", "TTYP_TitreEnGras", "TTYP_TitreSouligne"});
    for (int i = 0; i < int(std::size(kTypes)); ++i) {
      const QuoteType& t = kTypes[i];
      typ.add({t.code, t.label, t.inactive, t.materials, t.labour, t.describeBought, true, i != 2,
               i == 1, i == 3, i == 1, 11, true, i == 1});
    }
    TableWriter pro(db, "TPRO", {"TPRO_Code", "TPRO_LIB", "TPRO_PU"});
    for (const Option& o : kOptions) pro.add({o.code, o.label, o.price});
    TableWriter mac(db, "TMACRO", {"TMACRO_NomMacro", "TMACRO_Form", "TMACRO_Detail"});
    mac.add({"Ligne de déplacement", "FCOMPO", "DEPL{TAB}1{ENTER}"});
    mac.add({"Relance téléphonique", "FREL", "{TAB}{TAB}Relancé par téléphone{ENTER}"});
    mac.add({"Imprimer la fenêtre", "*", "[ImpEcran]"});
    g.commit();
  }

  static QuoteLine priced(const QString& code, const QString& designation, const QString& unit,
                          double qty, double cost, double gross, double discount) {
    QuoteLine l;
    l.code = code;
    l.designation = designation;
    l.unit = unit;
    l.quantity = qty;
    l.costPrice = cost;
    l.grossPrice = gross;
    l.discountPercent = discount;
    computeAmounts(l);
    return l;
  }

  // Prices one line of a version as the line entry prices it.
  QuoteLine articleLine(const Article& a, double qty, const QuoteType& type, const Client& c) {
    const QString& mode = type.materials;
    QuoteLine l;
    l.code = a.code;
    l.designation = a.label;
    if (a.type == "F" || type.describeBought) l.description1 = a.description;
    l.unit = a.unit;
    l.quantity = qty;
    l.costPrice = round2(a.cost());
    l.weight = a.weight;
    double pv1 = a.pv1, pv2 = a.pv2;
    if (mode != "R") {
      for (const PriceBreak& b : a.breaks)
        if (b.bound > qty) {
          pv1 = b.pv1;
          pv2 = b.pv2;
          break;
        }
    }
    if (pv2 == 0) pv2 = pv1;
    if (pv1 == 0) pv1 = pv2;
    l.grossPrice = mode == "R" ? l.costPrice : mode == "V" ? pv1 : pv2;
    l.discountPercent = mode == "R" ? 0 : c.discount;
    if (a.type == "A" && !a.discountClass.isEmpty() && mode != "R") {
      const int k = QStringList{"IND", "AGR", "TP", "TRA", "COL"}.indexOf(c.category);
      const double base[] = {5, 8, 12, 0};
      const int cls = a.discountClass[0].unicode() - 'A';
      if (base[cls] > 0) l.discountPercent = mode == "V" ? base[cls] + k : base[cls] / 2 + k;
    }
    computeAmounts(l);
    return l;
  }

  struct Version {
    QList<QuoteLine> lines;
    double amount = 0, hours = 0;
  };

  Version priceVersion(const Client& c, const QuoteType& type) {
    Version v;
    const int bought = m_counts.articles - m_counts.manufactured;
    const int labour = m_dice.range(1, 2);
    for (int i = 0; i < labour; ++i) {
      const Section& s = m_dice.pick(kSections);
      v.lines << priced("MO*" + s.code, s.label, "H", m_dice.range(1, 24) * 0.5, s.cost,
                        type.labour == "R" ? s.cost : (c.labourRate > 0 ? c.labourRate : s.sale),
                        c.discount);
      v.hours += v.lines.last().quantity;
    }
    const int items = m_dice.range(2, 4);
    for (int i = 0; i < items; ++i) {
      const bool manufactured = i == 0 && type.kind == QuoteTemplateKind::WithWeightsAndCosts;
      const int index = manufactured ? m_dice.pick(m_tierTop) : m_dice.range(0, bought - 1);
      const Article& a = m_articles[index];
      const double qty = a.pmp > 100     ? m_dice.range(1, 3)
                         : a.pmp > 10    ? m_dice.range(1, 12)
                         : a.unit == "U" ? m_dice.range(1, 60)
                                         : m_dice.range(1, 40) * 0.5;
      v.lines << articleLine(a, manufactured ? 1 : qty, type, c);
      if (manufactured)
        for (const Link& link : m_links)
          if (link.parent == index && !link.to.isValid() && !link.from.isValid()) {
            QuoteLine comp = articleLine(m_articles[link.child], link.quantity, type, c);
            comp.level = 1;
            comp.description1.clear();
            v.lines << comp;
          }
    }
    if (m_dice.chance(0.4)) {
      const Tariff& t = m_dice.pick(m_tariffs);
      v.lines << priced(t.reference, t.label, t.unit, m_dice.range(1, 6), t.purchase,
                        type.materials == "R" ? t.purchase : t.sale, c.discount);
      v.lines.last().supplier = t.supplier;
    }
    if (m_dice.chance(0.5)) {
      const Option& o = m_dice.pick(kOptions);
      v.lines << priced(o.code, o.label, "U", 1, 0, o.price, c.discount);
    }
    for (QuoteLine& l : v.lines) {
      if (type.kind == QuoteTemplateKind::WithVat) l.vatRate = c.country == "F" ? "20" : "0";
      if (l.level == 0) v.amount += l.netAmount;
    }
    v.amount = round2(v.amount);
    return v;
  }

  QHash<QString, QString> head(const Client& c, const QString& rep, const QString& number,
                               const QDate& date, const Contact& contact, const QString& cm,
                               const QString& operation, const QString& subType,
                               const Vehicle* vehicle) {
    QHash<QString, QString> h;
    h["NUMDEV"] = h["NUMDEV_P2"] = number;
    h["DATDEV"] = h["DATDEV_P2"] = date.toString("dd/MM/yyyy");
    h["CODCLI"] = c.code;
    h["RS"] = c.name;
    h["ADR1"] = c.adr1;
    h["ADR2"] = c.adr2;
    h["ADR"] = c.postcode + ' ' + c.town;
    h["PAYS"] = countryLabel(c.country);
    h["COMMERCIAL"] = rep;
    h["NOMCAL"] = m_repInfo[rep].value(0);
    h["TELCAL"] = m_repInfo[rep].value(1);
    h["MAILCAL"] = m_repInfo[rep].value(2);
    h["CONTACT"] = contact.name;
    h["CM"] = cm;
    h["TEL"] = contact.tel;
    h["FAX"] = c.fax;
    h["PORTABLE"] = contact.mobile;
    h["EMAIL"] = contact.mail + '@' + c.mail.section('@', 1);
    h["SCOND"] = c.terms + " - " + c.mode;
    h["CLIUSER1"] = c.workshop;
    h["TVAINTRA"] = c.vatNumber;
    h["OPERATION"] = operation;
    h["STYPTRAV"] = subType;
    if (vehicle) {
      h["TYPVEH"] = vehicle->make;
      h["IMMAT"] = vehicle->immat;
      h["COMPLIDENT"] = vehicle->serial;
    }
    return h;
  }

  void writeDossiers(db::Database& db) {
    // Versions per dossier: one each, then the rest spread at random (at most six).
    QList<int> versions(m_counts.dossiers, 1);
    for (int extra = m_counts.versions - m_counts.dossiers; extra > 0;) {
      int& n = versions[m_dice.range(0, m_counts.dossiers - 1)];
      if (n < 6) {
        ++n;
        --extra;
      }
    }
    db::TransactionGuard g(db);
    TableWriter dos(db, "TDOS",
                    {"TDOS_SOC", "TDOS_NUMDOSS", "TDOS_CLIENT", "TDOS_TYPE", "TDOS_CAL",
                     "TDOS_CONTACT", "TDOS_CM", "TDOS_RESUME", "TDOS_STYPTRAV", "TDOS_IMMAT",
                     "TDOS_NATVEH", "TDOS_ComplIdent", "TDOS_USER1", "TDOS_USER2", "TDOS_USER3"});
    TableWriter dev(
        db, "TDEV",
        {"TDEV_SOC", "TDEV_NUMDOSS", "TDEV_NSEQ", "TDEV_DATE", "TDEV_DATREL", "TDEV_MONTANT",
         "TDEV_TEMPS", "TDEV_TXTVA", "TDEV_TARMAT", "TDEV_TARMO", "TDEV_NOTE"});
    const int span = std::max(400, m_counts.dossiers / 25);  // days covered by the dossiers
    for (int d = 0; d < m_counts.dossiers; ++d) {
      // The deactivated company holds the oldest tenth of the dossiers.
      const bool old = d < m_counts.dossiers / 10;
      Company& company = old ? m_companies[2] : m_companies[d % 3 == 2 ? 1 : 0];
      const int number = ++company.last;
      const Client& c = m_clients[m_dice.range(0, int(m_clients.size()) - 1)];
      const QuoteType& type = old ? kTypes[m_dice.chance(0.5) ? 5 : 0]
                                  : kTypes[m_dice.range(0, int(std::size(kTypes)) - 2)];
      const QString rep = m_dice.pick(m_reps);
      const Contact& contact = m_dice.pick(c.contacts);
      const Vehicle* vehicle = c.vehicles.isEmpty() ? nullptr : &m_dice.pick(c.vehicles);
      const QString operation = m_dice.pick(kOperations);
      const QString subType = m_dice.pick(kSubTypes);
      const QString cm =
          m_dice.chance(0.5) ? QStringLiteral("Cde %1").arg(m_dice.range(1000, 9999)) : QString();
      const QDate start =
          m_today.addDays(-int(double(span) * (m_counts.dossiers - d) / m_counts.dossiers) - 5);
      dos.add({company.code, number, c.code, type.code, rep, contact.name,
               cm.isEmpty() ? QVariant() : cm, operation, subType,
               vehicle ? QVariant(vehicle->immat) : QVariant(),
               vehicle ? QVariant(vehicle->make) : QVariant(),
               vehicle ? QVariant(vehicle->serial) : QVariant(), kWorkshops[d % kWorkshops.size()],
               d % 4 == 0 ? QVariant(start.addDays(30).toString("dd/MM/yyyy")) : QVariant(),
               vehicle ? QVariant(thousands(vehicle->meter)) : QVariant()});
      QDate date = start;
      for (int seq = 0; seq < versions[d]; ++seq) {
        const bool last = seq == versions[d] - 1;
        date = std::min(date.addDays(seq == 0 ? 0 : m_dice.range(2, 20)), m_today);
        Version v = priceVersion(c, type);
        QVariant reminder;
        if (last && !old && m_dice.chance(0.6)) {
          const int r = m_dice.range(0, 9);
          reminder = r < 2   ? m_today
                     : r < 6 ? m_today.addDays(-m_dice.range(1, 45))
                             : m_today.addDays(m_dice.range(1, 45));
        }
        const QString file = quoteNumber(company.code, number, seq);
        dev.add({company.code, number, seq, date, reminder, v.amount, v.hours,
                 c.country == "F" ? 20.0 : 0.0, type.materials, type.labour,
                 seq > 0 && m_dice.chance(0.3)
                     ? QVariant(QStringLiteral("Version révisée à la demande du client."))
                     : QVariant()});
        ++m_versionCount;
        if (m_quotes.size() < m_counts.documents) {
          DemoQuote q;
          q.fileName = file;
          q.templatePath = m_layout.dataFolder + type.code + ".dotx";
          q.head = head(c, rep, file, date, contact, cm, operation, subType, vehicle);
          q.lines = v.lines;
          q.vatRate = c.country == "F" ? 20 : 0;
          q.exchangeRate = kExchangeRate;
          m_quotes << q;
        }
        m_lastVersions.insert(d, {company.code, number, seq, date, v.amount, c.name, type.code});
      }
    }
    m_dossierCount = m_counts.dossiers;
    TableWriter soc(db, "TSOC", {"TSOC_CODE", "TSOC_LIB", "TSOC_NSEQ", "TSOC_Desactive"});
    for (const Company& c : m_companies) soc.add({c.code, c.name, c.last, c.inactive});
    g.commit();
  }

  // Orders in the commercial database for a quarter of the older quotes, with the hours,
  // purchases and stock issues that went into them and their invoices.
  void writeAffairs(db::Database& com, db::Database& planning, db::Database& stock,
                    db::Database& purchasing) {
    db::TransactionGuard g1(com), g2(planning), g3(stock), g4(purchasing);
    TableWriter aff(com, "TAFF",
                    {"TAFF_NUMAFF", "TAFF_NUMDEV", "TAFF_NomClient", "TAFF_DATCREA", "TAFF_DatMaj",
                     "TAFF_QTE", "TAFF_TYPTRAV", "TAFF_Etat"});
    TableWriter afs(com, "TAFS", {"TAFS_NUMAFF", "TAFS_NUMDEV", "TAFS_NomClient", "TAFS_DATCREA"});
    TableWriter fac(com, "TFAC", {"TFAC_NumFact", "TFAC_NumAff", "TFAC_DatFact", "TFAC_MtHT"});
    TableWriter heu(planning, "THEU", {"THEU_NumAff", "THEU_CodSec", "THEU_Date", "THEU_NbrHRea"});
    TableWriter mvt(
        stock, "TMVTS",
        {"TMVTS_CODART", "TMVTS_CODMVT", "TMVTS_DATE", "TMVTS_QTE", "TMVTS_PU", "TMVTS_IMP1"});
    TableWriter cmd(purchasing, "TCMD",
                    {"TCMD_NumCmde", "TCMD_NumAff", "TCMD_CodFourn", "TCMD_Date"});
    TableWriter det(purchasing, "TCMD_DETAIL",
                    {"TCMD_DETAIL_NumCmde", "TCMD_DETAIL_NumLig", "TCMD_DETAIL_RefFourn",
                     "TCMD_DETAIL_Qte", "TCMD_DETAIL_PrixUnit", "TCMD_DETAIL_PCRemise"});
    int affairs = 0, invoices = 0, orders = 0;
    const int bought = m_counts.articles - m_counts.manufactured;
    for (auto it = m_lastVersions.cbegin(); it != m_lastVersions.cend(); ++it) {
      const LastVersion& v = it.value();
      if (it.key() % 4 != 1 || v.date > m_today.addDays(-20)) continue;
      const QString number = QStringLiteral("AF%1-%2")
                                 .arg(v.date.year() % 100, 2, 10, QLatin1Char('0'))
                                 .arg(++affairs, 5, 10, QLatin1Char('0'));
      const QString quote = businessKey(v.company, v.dossier) +
                            QStringLiteral("/%1").arg(v.seq, 2, 10, QLatin1Char('0'));
      const QDate created = v.date.addDays(m_dice.range(3, 15));
      if (affairs % 5 == 0) {  // archived
        afs.add({number, quote, v.client, created});
        continue;
      }
      const bool finished = created < m_today.addDays(-30);
      const double qty = affairs % 7 == 0 ? 0 : m_dice.range(1, 3);
      aff.add({number, quote, v.client, created, finished ? created.addDays(25) : created,
               qty > 0 ? QVariant(qty) : QVariant(), v.type, finished ? "F" : "E"});
      if (!finished) continue;
      fac.add({QStringLiteral("FA%1").arg(++invoices, 6, 10, QLatin1Char('0')), number,
               created.addDays(28), round2(v.amount * m_dice.real(0.95, 1.1))});
      if (affairs % 6 == 0)  // a pro-forma, never counted as invoiced
        fac.add({QStringLiteral("PF-%1").arg(affairs, 5, 10, QLatin1Char('0')), number,
                 created.addDays(1), v.amount});
      for (int h = 0; h < 2; ++h)
        heu.add({number, m_dice.pick(kSections).code, created.addDays(5 + h),
                 m_dice.range(1, 16) * 0.5});
      for (int m = 0; m < 2; ++m) {
        const Article& a = m_articles[m_dice.range(0, bought - 1)];
        mvt.add({a.code, "S", created.addDays(4), double(m_dice.range(1, 10)), a.pmp, number});
      }
      const QString order = QStringLiteral("CF%1").arg(++orders, 6, 10, QLatin1Char('0'));
      const Tariff& t = m_dice.pick(m_tariffs);
      cmd.add({order, number, t.supplier, created.addDays(2)});
      det.add({order, 1, t.reference, double(m_dice.range(1, 5)), t.purchase, 5.0});
      det.add({order, 2, "*", 1.0, 40.0, 0.0});
    }
    g1.commit();
    g2.commit();
    g3.commit();
    g4.commit();
  }

  void writeTranslations(db::Database& db) {
    db::TransactionGuard g(db);
    TableWriter w(db, "TTRAD", {"T_VALEUR", "T_TRAD1"});
    for (const auto& t : kEnglish) w.add({QString::fromUtf8(t[0]), QString::fromUtf8(t[1])});
    g.commit();
  }

  // The dossiers' project of the document viewer, and the saved query it reads them through.
  void writeDocumentBase(db::Database& db, db::Database& main) {
    main.CreateQueryDef("RDOS",
                        "SELECT [TDOS_SOC] & Right('00000' & [TDOS_NUMDOSS],5) AS NUMDEV, TDOS.* "
                        "FROM TDOS;");
    TableWriter w(
        db, "TPROJ",
        {"PROJET", "PATHBASE", "NOMBASE", "NomTable", "Nomchamp", "Nomchamp2", "Nomchamp3"});
    w.add({"ZORVANE", m_layout.dataFolder, "TAROVENT.MDB", "RDOS", "NUMDEV", "TDOS_CLIENT",
           "TDOS_RESUME"});
    // Pictures of a few articles; the second view of the first one has been moved away.
    const QString folder = m_layout.dataFolder + "PHOTOS/";
    QDir().mkpath(folder);
    TableWriter photos(db, "TPROJ_DETAIL", {"PROJET", "VALCHAMP", "PATHDOC", "NOMDOC"});
    for (int i = 0; i < 6; ++i) {
      const Article& a = m_articles[i];
      writePicture(folder + a.code + ".ppm", i);
      photos.add({"QUILMORA", a.code, folder, a.code + ".ppm"});
    }
    photos.add({"QUILMORA", m_articles[0].code, folder, m_articles[0].code + "-vue2.ppm"});
  }

  // A small picture (portable pixmap, which every image reader knows): a shaded plate.
  static void writePicture(const QString& path, int shade) {
    constexpr int kWidth = 160, kHeight = 120;
    QByteArray image = QStringLiteral("P6\n%1 %2\n255\n").arg(kWidth).arg(kHeight).toLatin1();
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        const bool edge = x < 8 || y < 8 || x >= kWidth - 8 || y >= kHeight - 8;
        const char grey = char(edge ? 60 : 120 + (x + y + shade * 20) % 100);
        image.append(grey).append(grey).append(char(edge ? 90 : grey));
      }
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(image) != image.size())
      throw std::runtime_error(QStringLiteral("Impossible d'écrire %1.").arg(path).toStdString());
  }

  void writeTemplates() {
    templates::buildEmptyTemplate(m_layout.dataFolder + "VIDE.dotx");
    for (const QuoteType& t : kTypes)
      templates::buildQuoteTemplate(m_layout.dataFolder + t.code + ".dotx", t.kind);
  }

  // The bookmarks of each template, as the word-processor interface records them.
  void writeBookmarks(db::Database& db) {
    db::TransactionGuard g(db);
    TableWriter w(db, "TSIGNETS", {"SIGNETS_Appli", "SIGNETS_nomdot", "SIGNETS_nomsignet"});
    for (const QuoteType& t : kTypes) {
      const QString name = t.code + ".dotx";
      const auto doc =
          word::WordDocument::open(m_layout.dataFolder + name, word::OpenMode::ReadOnly);
      QSet<QString> seen;
      for (const auto& b : doc.bookmarks(word::BookmarkOrder::ByName))
        if (!seen.contains(b.name.toUpper())) {
          seen.insert(b.name.toUpper());
          w.add({"TAROVENT", name, b.name});
        }
    }
    g.commit();
  }

  void writeDocuments() {
    const QString folder = m_layout.dataFolder + "DOC_TAROVENT/";
    for (const DemoQuote& q : m_quotes) {
      writeDemoQuote(folder, q);
      ++m_documents;
    }
  }

  void writeIni() {
    QFile ini(m_layout.root + "milostar.ini");
    if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
      throw std::runtime_error(
          QStringLiteral("Impossible d'écrire %1.").arg(ini.fileName()).toStdString());
    ini.write("LANGUE=0\nCHARSET=0\nFONT=\nMIRE=ON\nDEVCAL=\nSITE=ATEL\nDEVSOC=AB\n");
  }

  struct LastVersion {
    QString company;
    int dossier, seq;
    QDate date;
    double amount;
    QString client, type;
  };

  Counts m_counts;
  QDate m_today;
  Dice m_dice;
  FamilyLayout m_layout;
  QList<Company> m_companies;
  QList<Client> m_clients;
  QList<Article> m_articles;
  QList<int> m_tierTop;
  QList<Link> m_links;
  QList<Operation> m_operations;
  QList<Tariff> m_tariffs;
  QStringList m_reps;
  QHash<QString, QStringList> m_repInfo;  // name, telephone, mail
  QList<DemoQuote> m_quotes;
  QMap<int, LastVersion> m_lastVersions;
  int m_dossierCount = 0;
  int m_versionCount = 0;
  int m_documents = 0;
};

}  // namespace

DemoSummary buildDemoFamily(const QString& root, DemoSize size, const QDate& today) {
  try {
    DemoSummary summary = DemoBuilder(size, today).build(root);
    // The documents get their totals from the recalculation, as the composition gives them.
    recalculateDocuments(summary.layout);
    return summary;
  } catch (const db::DbError& e) {
    throw std::runtime_error(
        QStringLiteral("Erreur n° %1 : %2").arg(e.number()).arg(e.description()).toStdString());
  }
}

}  // namespace tarovent::install
