#include "CostRollup.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <vector>

#include "ArticleFiles.h"
#include "platform/db/Database.h"
#include "platform/db/Recordset.h"
#include "ui/BusyCursor.h"

namespace tarovent::articles {

namespace {

constexpr int kMaxDepth = 20;

// What the walk takes from an article record.
struct ArticleFacts {
  bool manufactured = false;
  double lancement = 1;  // launch quantity, never 0
  double cost = 0, weight = 0, pv1 = 0, pv2 = 0;
};

// One component link, read with the rest of its parent's list.
struct Link {
  QString component;
  double quantity = 0;
  bool valid = false;
};

// One operation of a routing.
struct Operation {
  QString section;
  double perPiece = 0, preparation = 0;
};

// What one unit of a manufactured article adds up to, and how many levels of lists lie
// under it (0 without components), so that a memoised one is still held to the depth limit.
struct Assembly {
  ArticleValue value;
  int height = 0;
};

// Codes are matched as the database matches them, whatever their case: "kit" is KIT.
QString key(const QString& code) { return code.toUpper(); }
bool sameCode(const QString& a, const QString& b) {
  return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A parent's links: the records from the key (parent, variant) on that keep that parent and
// variant. The first must lead to the same variant, or the parent has no list.
std::vector<Link> linksOf(db::Recordset& links, const QString& parent, const QString& variante,
                          const QDate& today) {
  std::vector<Link> list;
  links.Seek(">=", parent, variante);
  if (links.NoMatch() || links.EOF_() || !sameCode(links.text("TLIEN_PERE"), parent) ||
      !sameCode(links.text("TLIEN_VARPERE"), variante) ||
      !sameCode(links.text("TLIEN_VARFILS"), variante))
    return list;
  do {
    list.push_back(
        {links.text("TLIEN_FILS"), links.number("TLIEN_QTEUNI"), Lien_Valide(links, today)});
    links.MoveNext();
  } while (!links.EOF_() && sameCode(links.text("TLIEN_PERE"), parent) &&
           sameCode(links.text("TLIEN_VARPERE"), variante));
  return list;
}

// The article fields a roll-up needs, read by `number` and `text` under their names.
template <class Fields>
ArticleFacts factsOf(const Fields& art) {
  ArticleFacts f;
  f.manufactured = art.text("TARTI_Type") == u"F";
  if (f.manufactured) {
    f.lancement = art.number("TARTI_QTE_LANC");
    if (f.lancement == 0) f.lancement = 1;
  } else {
    f.cost = Prix_Revient_Article(art.number("TARTI_PMP"), art.number("TARTI_COEFFRG"));
    f.weight = art.number("TARTI_POIDS");
    f.pv1 = art.number("TARTI_PVU1");
    f.pv2 = art.number("TARTI_PVU2");
  }
  return f;
}

void addScaled(ArticleValue& to, const ArticleValue& v, double q) {
  to.cout_matiere += q * v.cout_matiere;
  to.cout_mo += q * v.cout_mo;
  to.poids += q * v.poids;
  to.valeur_pv1 += q * v.valeur_pv1;
  to.valeur_pv2 += q * v.valeur_pv2;
  to.valeur_mo_vente += q * v.valeur_mo_vente;
}

}  // namespace

struct RollupCache::Data {
  QDate day;
  QString variante;
  DataStamp stamp;
  QHash<QString, ArticleFacts> articles;
  QHash<QString, std::vector<Link>> links;
  QHash<QString, std::vector<Operation>> routings;
  QHash<QString, Assembly> assemblies;
  void clear() {
    articles.clear();
    links.clear();
    routings.clear();
    assemblies.clear();
  }
};

RollupCache::RollupCache() : m_data(std::make_unique<Data>()) {}
RollupCache::~RollupCache() = default;

namespace {

// One roll-up: the depth-first walk written as a recursion over manufactured articles, each
// of which is valued once per unit and kept, since a sub-assembly is worth the same wherever
// it is used.
class Walk {
 public:
  Walk(ArticleFiles& files, ui::MessageFunnel& messages, RollupCache::Data& memo,
       const QString& variante, const QDate& today)
      : m_files(files), m_msg(messages), m_memo(memo), m_variante(variante), m_today(today) {}

  const ArticleFacts* facts(const QString& code) {
    auto it = m_memo.articles.constFind(key(code));
    if (it != m_memo.articles.cend()) return &*it;
    if (!m_files.Trouver_Article(code)) {
      m_msg.show(m_msg.tr("L'article ") + code + m_msg.tr(" n'existe plus"), ui::Icon::Warning);
      return nullptr;
    }
    return &*m_memo.articles.insert(key(code), factsOf(m_files.articles()));
  }

  // The value of one unit of a manufactured article entered at `depth`; none after a message.
  const Assembly* assembly(const QString& code, const ArticleFacts& f, int depth) {
    auto known = m_memo.assemblies.constFind(key(code));
    if (known != m_memo.assemblies.cend()) return fits(*known, depth) ? &*known : nullptr;
    if (m_open.contains(key(code))) return tooDeep();  // a circular bill never reaches its end
    Assembly a;
    routing(code, f, a.value);
    auto list = m_memo.links.constFind(key(code));
    if (list == m_memo.links.cend())
      list = m_memo.links.insert(key(code),
                                 linksOf(m_files.Ouvrir_Liens(), code, m_variante, m_today));
    const std::vector<Link> links = *list;  // the hash may grow below
    if (!links.empty()) {
      if (depth + 1 > kMaxDepth) return tooDeep();
      m_open.insert(key(code));
      a.height = 1;
      for (const Link& link : links) {
        const ArticleFacts* c = facts(link.component);
        if (!c) return nullptr;
        if (c->manufactured) {
          const ArticleFacts copy = *c;
          const Assembly* sub = assembly(link.component, copy, depth + 1);
          if (!sub) return nullptr;
          addScaled(a.value, sub->value, link.quantity);
          a.height = std::max(a.height, 1 + sub->height);
        } else if (link.valid) {
          addScaled(a.value, {c->cost, 0, c->weight, c->pv1, c->pv2, 0}, link.quantity);
        }
      }
      m_open.remove(key(code));
    }
    return &*m_memo.assemblies.insert(key(code), a);
  }

 private:
  bool fits(const Assembly& a, int depth) {
    if (depth + a.height <= kMaxDepth) return true;
    tooDeep();
    return false;
  }
  const Assembly* tooDeep() {
    m_msg.show(m_msg.tr("Le nombre de niveaux dépasse les possibilités actuelles du programme"),
               ui::Icon::Warning);
    return nullptr;
  }
  void routing(const QString& code, const ArticleFacts& f, ArticleValue& v) {
    if (!m_files.hasRoutings()) return;
    auto ops = m_memo.routings.constFind(key(code));
    if (ops == m_memo.routings.cend()) {
      std::vector<Operation> read;
      db::Recordset& gam = m_files.routings();
      gam.Seek(">=", code);
      for (; !gam.NoMatch() && !gam.EOF_() && sameCode(gam.text("TGAM_Codart"), code);
           gam.MoveNext())
        read.push_back(
            {gam.text("TGAM_CodSec"), gam.number("TGAM_TmpPie"), gam.number("TGAM_TmpPrep")});
      ops = m_memo.routings.insert(key(code), std::move(read));
    }
    for (const Operation& op : *ops) {
      if (!m_files.Chercher_Section(op.section)) {
        m_msg.show(m_msg.tr("La section ") + op.section + m_msg.tr(" n'existe plus ! "),
                   ui::Icon::Warning);
        continue;
      }
      const double temps = op.perPiece + op.preparation / f.lancement;
      v.cout_mo += m_files.sections().number("TSEC_CoutHRevient") * temps;
      v.valeur_mo_vente += m_files.sections().number("TSEC_COUTHVENTE") * temps;
    }
  }

  ArticleFiles& m_files;
  ui::MessageFunnel& m_msg;
  RollupCache::Data& m_memo;
  const QString& m_variante;
  const QDate& m_today;
  QSet<QString> m_open;  // the manufactured articles being valued, root first
};

// Runs `select` once per slice of `codes`, with the slice's codes as a list of literals. The
// rows are read forward once: a bill's thousands of rows copied into a dynaset
// first cost more than the whole walk.
template <class Row>
void readByCodes(db::Database& db, const QStringList& codes, const QString& select, Row&& row) {
  constexpr int kSlice = 500;
  for (int from = 0; from < codes.size(); from += kSlice) {
    QStringList literals;
    for (const QString& c : codes.mid(from, kSlice)) literals << db::sqlLiteral(c);
    db.forEachRow(select.arg(literals.join(',')), row);
  }
}

// Reads the bill under `root` a level at a time, links joined to their articles and the
// routings in one query each, into what the walk would otherwise seek one by one. Codes are
// matched as the seeks match them, whatever their case.
void prefetch(ArticleFiles& files, RollupCache::Data& memo, const QString& root,
              const QString& variante, const QDate& today) {
  db::Database& stock = files.stockDatabase();
  const bool routings = files.hasRoutings();
  QStringList level{root};
  QSet<QString> seen{key(root)};
  while (!level.isEmpty()) {
    QStringList parents, operated;
    for (const QString& c : level) {
      if (!memo.links.contains(key(c))) parents << c;
      if (routings && !memo.routings.contains(key(c))) operated << c;
    }
    // The links with their components' records: one query a level.
    QHash<QString, std::vector<Link>> lists;
    QHash<QString, bool> opened;  // whether the first link of a parent leads to the variant
    readByCodes(
        stock, parents,
        "select TLIEN_PERE, TLIEN_VARPERE, TLIEN_VARFILS, TLIEN_FILS, TLIEN_QTEUNI, "
        "TLIEN_DebApplic, TLIEN_FinApplic, TARTI_CODART, TARTI_Type, TARTI_QTE_LANC, TARTI_PMP, "
        "TARTI_COEFFRG, TARTI_POIDS, TARTI_PVU1, TARTI_PVU2 from TLIEN left join TARTI on "
        "TLIEN_FILS = TARTI_CODART where TLIEN_VARPERE = " +
            db::sqlLiteral(variante) +
            " and TLIEN_PERE in (%1) order by TLIEN_PERE, TLIEN_VARPERE, TLIEN_FILS, "
            "TLIEN_VARFILS",
        [&](const db::RowReader& rs) {
          const QString parent = key(rs.text("TLIEN_PERE"));
          if (!sameCode(rs.text("TLIEN_VARPERE"), variante)) return;
          if (!opened.contains(parent))
            opened.insert(parent, sameCode(rs.text("TLIEN_VARFILS"), variante));
          if (!opened.value(parent)) return;
          const QString component = rs.text("TLIEN_FILS");
          const bool valid =
              Lien_Valide(rs.value("TLIEN_DebApplic"), rs.value("TLIEN_FinApplic"), today);
          lists[parent].push_back({component, rs.number("TLIEN_QTEUNI"), valid});
          // A component not found is left for the walk, which says so.
          if (!rs.isNull("TARTI_CODART") && !memo.articles.contains(key(component)))
            memo.articles.insert(key(component), factsOf(rs));
        });
    for (const QString& p : parents) memo.links.insert(key(p), lists.value(key(p)));
    if (!operated.isEmpty()) {
      QHash<QString, std::vector<Operation>> ops;
      readByCodes(
          files.planningDatabase(), operated,
          QStringLiteral("select TGAM_Codart, TGAM_CodSec, TGAM_TmpPie, TGAM_TmpPrep "
                         "from TGAM where TGAM_Codart in (%1) order by TGAM_Codart, "
                         "TGAM_Vargam, TGAM_Numope"),
          [&](const db::RowReader& rs) {
            ops[key(rs.text("TGAM_Codart"))].push_back(
                {rs.text("TGAM_CodSec"), rs.number("TGAM_TmpPie"), rs.number("TGAM_TmpPrep")});
          });
      for (const QString& c : operated) memo.routings.insert(key(c), ops.value(key(c)));
    }

    QStringList components;
    for (const QString& c : level)
      for (const Link& l : memo.links.value(key(c)))
        if (!seen.contains(key(l.component))) {
          seen.insert(key(l.component));
          components << l.component;
        }
    level.clear();
    for (const QString& c : components) {
      auto f = memo.articles.constFind(key(c));
      if (f != memo.articles.cend() && f->manufactured) level << c;
    }
  }
}

}  // namespace

std::optional<ArticleValue> Valoriser_Article(ArticleFiles& files, ui::MessageFunnel& messages,
                                              const QString& code, const QString& variante,
                                              const QDate& today, RollupCache* cache) {
  ui::BusyCursor busy;
  if (!files.ensureStock()) return std::nullopt;
  RollupCache::Data& memo = (cache ? *cache : files.rollupMemo()).data();
  // Link validity depends on the day, lists on the variant, everything on the data: another
  // of any starts afresh.
  const DataStamp stamp = files.dataStamp();
  if (memo.day != today || memo.variante != variante || memo.stamp != stamp) {
    memo.clear();
    memo.day = today;
    memo.variante = variante;
    memo.stamp = stamp;
  }
  // One read transaction per base for the whole walk rather than one per seek.
  db::ReadSnapshot stockRead(files.stockDatabase());
  db::ReadSnapshot planningRead(files.planningDatabase());
  Walk walk(files, messages, memo, variante, today);
  const ArticleFacts* f = walk.facts(code);
  if (!f) return std::nullopt;
  if (!f->manufactured) return ArticleValue{f->cost, 0, f->weight, f->pv1, f->pv2, 0};
  const ArticleFacts root = *f;
  if (!memo.assemblies.contains(key(code))) prefetch(files, memo, code, variante, today);
  const Assembly* a = walk.assembly(code, root, 0);
  if (!a) return std::nullopt;
  return a->value;
}

}  // namespace tarovent::articles
