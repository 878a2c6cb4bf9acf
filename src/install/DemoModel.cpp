#include "DemoModel.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <random>

#include "DemoTables.h"
#include "composition/LinePricing.h"
#include "core/DocumentNames.h"

namespace tarovent::install::demo {

namespace {

using composition::QuoteLine;
using templates::QuoteTemplateKind;

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

class ModelBuilder {
 public:
  ModelBuilder(DemoSize size, const QDate& today, const QString& templateFolder)
      : m_counts(countsFor(size)), m_templates(templateFolder), m_dice(20261205) {
    m_model.today = today;
    m_model.manufactured = m_counts.manufactured;
  }

  DemoModel build() {
    m_model.companies = {{"AB", "Ateliers de Bréval", false},
                         {"MR", "Maintenance Rhin-Rhône", false},
                         {"TL", "Tôlerie Lorraine (ancienne société)", true}};
    makeReps();
    makeClients();
    makeArticles();
    makeTariffs();
    makeDossiers();
    makeAffairs();
    makeFollowUp();
    return std::move(m_model);
  }

 private:
  int boughtCount() const { return m_counts.articles - m_counts.manufactured; }
  const QDate& today() const { return m_model.today; }

  void makeReps() {
    for (const auto& [code, name] :
         {std::pair{"JMD", "Jean-Marc Dufresne"}, std::pair{"SLB", "Sophie Le Bihan"},
          std::pair{"NGA", "Nathalie Gauthier"}, std::pair{"PHR", "Philippe Hérault"},
          std::pair{"CDO", "Céline d'Ormesson"}}) {
      const int n = int(m_model.reps.size()) + 1;
      m_model.reps.append({code, QString::fromUtf8(name),
                           QStringLiteral("06 12 34 %1 %2").arg(n * 11).arg(n + 40),
                           QString(code).toLower() + "@breval-atelier.fr"});
    }
  }

  const Rep& pickRep() { return m_dice.pick(m_model.reps); }

  Contact makeContact() {
    Contact c;
    c.name = m_dice.pick(kFirstNames) + ' ' + m_dice.pick(kSurnames);
    c.function = m_dice.pick(kFunctions);
    const auto phone = [&](const char* prefix, int firstMax) {
      return QStringLiteral("%1 %2 %3 %4 %5")
          .arg(prefix)
          .arg(m_dice.range(10, firstMax))
          .arg(m_dice.range(10, 99))
          .arg(m_dice.range(10, 99))
          .arg(m_dice.range(10, 99));
    };
    c.tel = phone("03", 89);
    c.mobile = phone("06", 99);
    c.mail = codeLetters(c.name.section(' ', 0, 0), 20).toLower() + '.' +
             codeLetters(c.name.section(' ', 1), 20).toLower();
    return c;
  }

  void makeClients() {
    const QStringList terms = {"COMPT", "30J", "45FM", "60J"};
    const QStringList modes = {"CHQ", "VIR", "TRT", "LCR"};
    const QStringList subjects = {"Présentation du contrat d'entretien", "Relance du devis",
                                  "Visite de chantier", "Réception des travaux",
                                  "Point annuel avec l'acheteur"};
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
      c.category = kCategories[i % kCategories.size()];
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
      const int visits = m_counts.clients > 1000 ? i % 3 : m_dice.range(0, 4);
      for (int j = 0; j < visits; ++j) {
        Visit v;
        v.planned = today().addDays(m_dice.range(-150, 60));
        if (v.planned < today() && m_dice.chance(0.7))
          v.done = v.planned.addDays(m_dice.range(0, 3));
        v.subject = m_dice.pick(subjects);
        v.rep = pickRep().code;
        v.contact = c.contacts[j % c.contacts.size()].name;
        c.visits << v;
      }
      m_model.clients << c;
    }
  }

  void makeArticles() {
    QList<Article>& articles = m_model.articles;
    const QStringList classes = {"A", "B", "C", "D"};
    QHash<QString, int> perPrefix;
    for (int i = 0; i < boughtCount(); ++i) {
      const ArticleFamily& f = kBought[i % kBought.size()];
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
      a.supplier = kSuppliers[i % kSuppliers.size()].code;
      if (m_dice.chance(0.3))
        a.description = QStringLiteral("Conforme aux normes en vigueur. Conditionnement : %1.")
                            .arg(a.unit == "U" ? "par 10" : "à l'unité");
      if (m_dice.chance(0.15)) {
        const double pv2 = a.pv2 > 0 ? a.pv2 : a.pv1;
        a.breaks = {{10, a.pv1, pv2},
                    {50, round2(a.pv1 * 0.92), round2(pv2 * 0.92)},
                    {999999, round2(a.pv1 * 0.85), round2(pv2 * 0.85)}};
      }
      articles << a;
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
      a.label = QString::fromUtf8(kManufactured[i % kManufactured.size()]) +
                QStringLiteral(" type %1").arg(n);
      a.type = "F";
      a.subType = tier == 0 ? "FIN" : "SEM";
      a.unit = "U";
      a.overhead = 5;
      a.launch = QList<double>{1, 1, 5, 10}[n % 4];
      if (i == 1) a.launch = 0;  // taken as one piece
      a.description = QStringLiteral("Fabrication en nos ateliers, acier S235, finition peinte.");
      tiers[tier] << int(articles.size());
      articles << a;
    }
    m_tierTop = tiers[0];
    // Components and routings, deepest tier first so that costs roll up.
    for (int tier = 3; tier >= 0; --tier) {
      for (int parent : tiers[tier]) {
        QSet<int> used;
        const auto addLink = [&](int child, double qty) {
          if (used.contains(child)) return;
          used.insert(child);
          m_model.links.append({parent, child, qty, {}, {}});
        };
        if (tier < 3) addLink(m_dice.pick(tiers[tier + 1]), m_dice.range(1, 2));
        const int parts = m_dice.range(2, 4);
        for (int j = 0; j < parts; ++j)
          addLink(m_dice.range(0, boughtCount() - 1), m_dice.range(1, 8));
        const int ops = m_dice.range(1, 4);
        for (int j = 0; j < ops; ++j) {
          Operation op;
          op.article = parent;
          op.number = (j + 1) * 10;
          op.section = m_dice.range(0, int(kSections.size()) - 1);
          op.label = kSections[op.section].label + QStringLiteral(" - phase %1").arg(j + 1);
          if (kSections[op.section].code == "PEIN" && m_dice.chance(0.5))
            op.subcontractor = "SOUDAL";
          op.setup = m_dice.range(1, 8) * 0.25;
          op.perPiece = m_dice.range(1, 24) * 0.25;
          m_model.operations << op;
        }
      }
      for (int parent : tiers[tier]) rollUp(parent);
    }
    // A component valid from tomorrow, one whose validity ended, one ending today.
    const QList<int> top = tiers[0];
    m_model.links.append({top[0], unusedPart(top[0]), 2, today().addDays(1), {}});
    m_model.links.append(
        {top[1], unusedPart(top[1]), 1, today().addDays(-400), today().addDays(-30)});
    m_model.links.append({top[2], unusedPart(top[2]), 4, {}, today()});
    for (Article& a : articles) a.available = m_dice.range(0, 250);
  }

  // A bought article that is not yet a component of `parent`.
  int unusedPart(int parent) const {
    for (int child = boughtCount() - 1;; --child) {
      bool used = false;
      for (const Link& l : m_model.links) used |= l.parent == parent && l.child == child;
      if (!used) return child;
    }
  }

  void rollUp(int parent) {
    Article& a = m_model.articles[parent];
    double cost = 0;
    for (const Link& l : m_model.links)
      if (l.parent == parent) {
        cost += l.quantity * m_model.articles[l.child].cost();
        a.weight += l.quantity * m_model.articles[l.child].weight;
      }
    const double launch = a.launch > 0 ? a.launch : 1;
    for (const Operation& op : m_model.operations)
      if (op.article == parent)
        cost += (op.setup / launch + op.perPiece) * kSections[op.section].cost;
    a.pmp = round2(cost);
    a.pv1 = round2(a.cost() * 1.35);
    a.pv2 = round2(a.cost() * 1.22);
  }

  void makeTariffs() {
    for (int i = 0; i < m_counts.tariffLines; ++i) {
      const Supplier& s = kSuppliers[i % kSuppliers.size()];
      Tariff t;
      t.supplier = s.code;
      t.reference = QStringLiteral("%1-%2").arg(codeLetters(s.code, 3)).arg(10000 + i * 37);
      if (i % 4 != 3) {  // referenced as an article
        const Article& a = m_model.articles[(i * 13) % boughtCount()];
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
      t.updated = today().addDays(-m_dice.range(5, 700));
      m_model.tariffs << t;
    }
  }

  // --- Quote lines, priced by the composition's own line pricing -------------------------

  static QuoteLine priced(composition::EntryLine e, double discount) {
    return composition::priceLine(e, discount);
  }

  static composition::EntryLine entry(const QString& code, const QString& designation,
                                      const QString& unit, double qty, double cost, double gross) {
    composition::EntryLine e;
    e.code = code;
    e.designation = designation;
    e.unit = unit;
    e.quantity = qty;
    e.costPrice = cost;
    e.unitPrice = gross;
    return e;
  }

  // One article line as the line entry prices it: price breaks, then the client's discount or
  // the article's discount class.
  QuoteLine articleLine(const Article& a, double qty, const QuoteType& type, const Client& c) {
    const QString& mode = type.materials;
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
    const double cost = round2(a.cost());
    composition::EntryLine e = entry(a.code, a.label, a.unit, qty, cost,
                                     mode == "R"   ? cost
                                     : mode == "V" ? pv1
                                                   : pv2);
    if (a.type == "F" || type.describeBought) e.description1 = a.description;
    e.weight = a.weight;
    double discount = mode == "R" ? 0 : c.discount;
    if (a.type == "A" && !a.discountClass.isEmpty() && mode != "R") {
      const double d = classDiscount(a.discountClass[0].unicode() - 'A',
                                     int(kCategories.indexOf(c.category)), mode);
      if (d > 0) discount = d;
    }
    return priced(e, discount);
  }

  Version priceVersion(const Client& c, const QuoteType& type) {
    Version v;
    const int labour = m_dice.range(1, 2);
    for (int i = 0; i < labour; ++i) {
      const Section& s = m_dice.pick(kSections);
      v.lines << priced(
          entry("MO*" + s.code, s.label, "H", m_dice.range(1, 24) * 0.5, s.cost,
                type.labour == "R" ? s.cost : (c.labourRate > 0 ? c.labourRate : s.sale)),
          c.discount);
      v.hours += v.lines.last().quantity;
    }
    const int items = m_dice.range(2, 4);
    for (int i = 0; i < items; ++i) {
      const bool manufactured = i == 0 && type.kind == QuoteTemplateKind::WithWeightsAndCosts;
      const int index = manufactured ? m_dice.pick(m_tierTop) : m_dice.range(0, boughtCount() - 1);
      const Article& a = m_model.articles[index];
      const double qty = a.pmp > 100     ? m_dice.range(1, 3)
                         : a.pmp > 10    ? m_dice.range(1, 12)
                         : a.unit == "U" ? m_dice.range(1, 60)
                                         : m_dice.range(1, 40) * 0.5;
      v.lines << articleLine(a, manufactured ? 1 : qty, type, c);
      if (manufactured)
        for (const Link& link : m_model.links)
          if (link.parent == index && !link.to.isValid() && !link.from.isValid()) {
            QuoteLine comp = articleLine(m_model.articles[link.child], link.quantity, type, c);
            comp.level = 1;
            comp.description1.clear();
            v.lines << comp;
          }
    }
    if (m_dice.chance(0.4)) {
      const Tariff& t = m_dice.pick(m_model.tariffs);
      composition::EntryLine e = entry(t.reference, t.label, t.unit, m_dice.range(1, 6), t.purchase,
                                       type.materials == "R" ? t.purchase : t.sale);
      e.supplier = t.supplier;
      v.lines << priced(e, c.discount);
    }
    if (m_dice.chance(0.5)) {
      const Option& o = m_dice.pick(kOptions);
      v.lines << priced(entry(o.code, o.label, "U", 1, 0, o.price), c.discount);
    }
    for (QuoteLine& l : v.lines) {
      if (type.kind == QuoteTemplateKind::WithVat) l.vatRate = c.country == "F" ? "20" : "0";
      if (l.level == 0) v.amount += l.netAmount;
    }
    v.amount = round2(v.amount);
    return v;
  }

  QHash<QString, QString> head(const Dossier& d, const Version& v) const {
    const Client& c = m_model.clients[d.client];
    const Contact* contact = &c.contacts.first();
    for (const Contact& k : c.contacts)
      if (k.name == d.contact) contact = &k;
    const QString number = core::Nom_Document(d.company, d.number, v.seq);
    QHash<QString, QString> h;
    h["NUMDEV"] = h["NUMDEV_P2"] = number;
    h["DATDEV"] = h["DATDEV_P2"] = v.date.toString("dd/MM/yyyy");
    for (const Company& k : m_model.companies)
      if (k.code == d.company) h["SOCIETE"] = k.name;
    h["CODCLI"] = c.code;
    h["RS"] = c.name;
    h["ADR1"] = c.adr1;
    h["ADR2"] = c.adr2;
    h["ADR4"] = c.postcode + ' ' + c.town;
    h["ADR"] =
        QStringList({c.adr1, c.adr2, h["ADR4"]}).filter(QRegularExpression("\\S")).join('\v');
    h["PAYS"] = countryLabel(c.country);
    h["COMMERCIAL"] = d.rep;
    for (const Rep& r : m_model.reps)
      if (r.code == d.rep) {
        h["NOMCAL"] = r.name;
        h["TELCAL"] = r.tel;
        h["MAILCAL"] = r.mail;
      }
    h["CONTACT"] = contact->name;
    h["CM"] = d.cm;
    h["TEL"] = contact->tel;
    h["FAX"] = c.fax;
    h["PORTABLE"] = contact->mobile;
    h["EMAIL"] = contact->mail + '@' + c.mail.section('@', 1);
    h["SCOND"] = c.terms + " - " + c.mode;
    h["CLIUSER1"] = c.workshop;
    h["TVAINTRA"] = c.vatNumber;
    h["OPERATION"] = d.operation;
    h["STYPTRAV"] = d.subType;
    if (d.vehicle >= 0) {
      const Vehicle& vehicle = c.vehicles[d.vehicle];
      h["TYPVEH"] = vehicle.make;
      h["IMMAT"] = vehicle.immat;
      h["COMPLIDENT"] = vehicle.serial;
    }
    return h;
  }

  void makeDossiers() {
    // Versions per dossier: one each, then the rest spread at random (at most six).
    QList<int> versions(m_counts.dossiers, 1);
    for (int extra = m_counts.versions - m_counts.dossiers; extra > 0;) {
      int& n = versions[m_dice.range(0, m_counts.dossiers - 1)];
      if (n < 6) {
        ++n;
        --extra;
      }
    }
    const int span = std::max(400, m_counts.dossiers / 25);  // days covered by the dossiers
    for (int i = 0; i < m_counts.dossiers; ++i) {
      // The deactivated company holds the oldest tenth of the dossiers.
      const bool old = i < m_counts.dossiers / 10;
      Company& company = m_model.companies[old ? 2 : i % 3 == 2 ? 1 : 0];
      Dossier d;
      d.company = company.code;
      d.number = ++company.last;
      d.client = m_dice.range(0, int(m_model.clients.size()) - 1);
      const Client& c = m_model.clients[d.client];
      d.type = old ? (m_dice.chance(0.5) ? 5 : 0) : m_dice.range(0, int(kTypes.size()) - 2);
      const QuoteType& type = kTypes[d.type];
      d.rep = pickRep().code;
      d.contact = m_dice.pick(c.contacts).name;
      if (!c.vehicles.isEmpty()) d.vehicle = m_dice.range(0, int(c.vehicles.size()) - 1);
      d.operation = m_dice.pick(kOperations);
      d.subType = m_dice.pick(kSubTypes);
      if (m_dice.chance(0.5)) d.cm = QStringLiteral("Cde %1").arg(m_dice.range(1000, 9999));
      d.workshop = kWorkshops[i % kWorkshops.size()];
      const QDate start =
          today().addDays(-int(double(span) * (m_counts.dossiers - i) / m_counts.dossiers) - 5);
      if (i % 4 == 0) d.wishedDate = start.addDays(30).toString("dd/MM/yyyy");
      QDate date = start;
      for (int seq = 0; seq < versions[i]; ++seq) {
        date = std::min(date.addDays(seq == 0 ? 0 : m_dice.range(2, 20)), today());
        Version v = priceVersion(c, type);
        v.seq = seq;
        v.date = date;
        if (seq == versions[i] - 1 && !old && m_dice.chance(0.6)) {
          const int r = m_dice.range(0, 9);
          v.reminder = r < 2   ? today()
                       : r < 6 ? today().addDays(-m_dice.range(1, 45))
                               : today().addDays(m_dice.range(1, 45));
        }
        if (seq > 0 && m_dice.chance(0.3))
          v.note = QStringLiteral("Version révisée à la demande du client.");
        if (m_model.documents.size() < m_counts.documents) {
          DemoQuote q;
          q.fileName = core::Nom_Document(d.company, d.number, seq);
          q.templatePath = m_templates + type.code + ".dotx";
          q.head = head(d, v);
          q.lines = v.lines;
          m_model.documents << q;
        }
        d.versions << v;
        ++m_model.versionCount;
      }
      m_model.dossiers << d;
    }
  }

  // What the follow-up windows show every morning, whatever the dice gave: for the first two
  // representatives, a reminder due yesterday, one today and one next week on the latest
  // version of three of their dossiers; for the first client, a made visit, a due one and a
  // planned one. No dice here: the rest of the family stays as it was drawn.
  void makeFollowUp() {
    const int offsets[] = {-1, 0, 7};
    for (int r = 0; r < 2 && r < m_model.reps.size(); ++r) {
      int given = 0;
      for (int i = int(m_model.dossiers.size()) - 1; i >= 0 && given < 3; --i) {
        Dossier& d = m_model.dossiers[i];
        if (d.rep != m_model.reps[r].code || d.company == m_model.companies[2].code) continue;
        d.versions.last().reminder = today().addDays(offsets[given++]);
      }
    }
    if (m_model.clients.isEmpty()) return;
    Client& c = m_model.clients.first();
    const QString contact = c.contacts.isEmpty() ? QString() : c.contacts.first().name;
    const QString rep = m_model.reps.first().code;
    c.visits << Visit{today().addDays(-20), today().addDays(-20),
                      QStringLiteral("Présentation de la gamme"), rep, contact}
             << Visit{today().addDays(-3), {}, QStringLiteral("Relance du devis"), rep, contact}
             << Visit{today().addDays(10), {}, QStringLiteral("Visite de chantier"), rep, contact};
  }

  // Orders in the commercial database for a quarter of the older quotes, with the hours,
  // purchases and stock issues that went into them and their invoices.
  void makeAffairs() {
    int count = 0, invoices = 0, orders = 0;
    for (int i = 0; i < m_model.dossiers.size(); ++i) {
      const Dossier& d = m_model.dossiers[i];
      const Version& v = d.versions.last();
      if (i % 4 != 1 || v.date > today().addDays(-20)) continue;
      Affair a;
      a.number = QStringLiteral("AF%1-%2")
                     .arg(v.date.year() % 100, 2, 10, QLatin1Char('0'))
                     .arg(++count, 5, 10, QLatin1Char('0'));
      a.quote = core::businessKey(d.company, d.number) +
                QStringLiteral("/%1").arg(v.seq, 2, 10, QLatin1Char('0'));
      a.client = m_model.clients[d.client].name;
      a.type = kTypes[d.type].code;
      a.created = v.date.addDays(m_dice.range(3, 15));
      a.archived = count % 5 == 0;
      if (!a.archived) {
        a.finished = a.created < today().addDays(-30);
        a.quantity = count % 7 == 0 ? 0 : m_dice.range(1, 3);
      }
      if (a.finished) {
        a.invoices.append({QStringLiteral("FA%1").arg(++invoices, 6, 10, QLatin1Char('0')),
                           a.created.addDays(28), round2(v.amount * m_dice.real(0.95, 1.1))});
        if (count % 6 == 0)  // a pro-forma, never counted as invoiced
          a.invoices.append({QStringLiteral("PF-%1").arg(count, 5, 10, QLatin1Char('0')),
                             a.created.addDays(1), v.amount});
        for (int h = 0; h < 2; ++h)
          a.hours.append(
              {m_dice.pick(kSections).code, a.created.addDays(5 + h), m_dice.range(1, 16) * 0.5});
        for (int m = 0; m < 2; ++m) {
          const Article& article = m_model.articles[m_dice.range(0, boughtCount() - 1)];
          a.issues.append(
              {article.code, a.created.addDays(4), double(m_dice.range(1, 10)), article.pmp});
        }
        a.order = QStringLiteral("CF%1").arg(++orders, 6, 10, QLatin1Char('0'));
        const Tariff& t = m_dice.pick(m_model.tariffs);
        a.orderSupplier = t.supplier;
        a.orderDate = a.created.addDays(2);
        a.orderLines.append({t.reference, double(m_dice.range(1, 5)), t.purchase, 5.0});
        a.orderLines.append({"*", 1.0, 40.0, 0.0});
      }
      m_model.affairs << a;
    }
  }

  Counts m_counts;
  QString m_templates;
  Dice m_dice;
  DemoModel m_model;
  QList<int> m_tierTop;
};

}  // namespace

DemoModel buildDemoModel(DemoSize size, const QDate& today, const QString& templateFolder) {
  return ModelBuilder(size, today, templateFolder).build();
}

}  // namespace tarovent::install::demo
