#include "CostRollup.h"

#include <QHash>
#include <vector>

#include "ArticleFiles.h"
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

// A parent's links: the records from the key (parent, variant) on that keep that parent and
// variant. The first must lead to the same variant, or the parent has no list.
std::vector<Link> linksOf(db::Recordset& links, const QString& parent, const QString& variante,
                          const QDate& today) {
  std::vector<Link> list;
  links.Seek(">=", parent, variante);
  if (links.NoMatch() || links.EOF_() || links.text("TLIEN_PERE") != parent ||
      links.text("TLIEN_VARPERE") != variante || links.text("TLIEN_VARFILS") != variante)
    return list;
  do {
    list.push_back(
        {links.text("TLIEN_FILS"), links.number("TLIEN_QTEUNI"), Lien_Valide(links, today)});
    links.MoveNext();
  } while (!links.EOF_() && links.text("TLIEN_PERE") == parent &&
           links.text("TLIEN_VARPERE") == variante);
  return list;
}

}  // namespace

struct RollupCache::Data {
  QDate day;
  QString variante;
  QHash<QString, ArticleFacts> articles;
  QHash<QString, std::vector<Link>> links;
};

RollupCache::RollupCache() : m_data(std::make_unique<Data>()) {}
RollupCache::~RollupCache() = default;

// The walk reads each parent's list of links in one pass and each article once: a bill
// repeats the same parts under many sub-assemblies, and re-seeking costs more than the sums.
std::optional<ArticleValue> Valoriser_Article(ArticleFiles& files, ui::MessageFunnel& messages,
                                              const QString& code, const QString& variante,
                                              const QDate& today, RollupCache* cache) {
  ui::BusyCursor busy;
  if (!files.ensureStock()) return std::nullopt;
  db::Recordset& links = files.Ouvrir_Liens();
  db::Recordset& art = files.articles();
  ArticleValue v;
  RollupCache own;
  RollupCache::Data& memo = (cache ? *cache : own).data();
  // Link validity depends on the day and lists on the variant: another of either starts afresh.
  if (memo.day != today || memo.variante != variante) {
    memo.articles.clear();
    memo.links.clear();
    memo.day = today;
    memo.variante = variante;
  }
  QHash<QString, ArticleFacts>& known = memo.articles;

  // One frame per depth entered: its list of links, the next to follow, the quantity of the
  // parent whose list it is.
  struct Frame {
    std::vector<Link> list;
    size_t next = 0;
    double quantity = 0;
  };
  std::vector<Frame> frames;
  QString current = code;
  double quantity = 1;
  bool viaValidLink = true;  // the valued article itself counts

  for (;;) {
    auto facts = known.constFind(current);
    if (facts == known.cend()) {
      if (!files.Trouver_Article(current)) {
        messages.show(messages.tr("L'article ") + current + messages.tr(" n'existe plus"),
                      ui::Icon::Warning);
        return std::nullopt;
      }
      ArticleFacts f;
      f.manufactured = art.text("TARTI_Type") == "F";
      if (f.manufactured) {
        f.lancement = art.number("TARTI_QTE_LANC");
        if (f.lancement == 0) f.lancement = 1;
      } else {
        f.cost = Prix_Revient_Article(art);
        f.weight = art.number("TARTI_POIDS");
        f.pv1 = art.number("TARTI_PVU1");
        f.pv2 = art.number("TARTI_PVU2");
      }
      facts = known.insert(current, f);
    }
    std::vector<Link> components;
    if (facts->manufactured) {
      if (files.hasRoutings()) {
        db::Recordset& gam = files.routings();
        gam.Seek(">=", current);
        for (; !gam.NoMatch() && !gam.EOF_() && gam.text("TGAM_Codart") == current;
             gam.MoveNext()) {
          const QString section = gam.text("TGAM_CodSec");
          if (!files.Chercher_Section(section)) {
            messages.show(messages.tr("La section ") + section + messages.tr(" n'existe plus ! "),
                          ui::Icon::Warning);
            continue;
          }
          const double temps =
              gam.number("TGAM_TmpPie") + gam.number("TGAM_TmpPrep") / facts->lancement;
          v.cout_mo += quantity * files.sections().number("TSEC_CoutHRevient") * temps;
          v.valeur_mo_vente += quantity * files.sections().number("TSEC_COUTHVENTE") * temps;
        }
      }
      auto list = memo.links.constFind(current);
      if (list == memo.links.cend())
        list = memo.links.insert(current, linksOf(links, current, variante, today));
      components = *list;
    } else if (viaValidLink) {
      v.cout_matiere += quantity * facts->cost;
      v.poids += quantity * facts->weight;
      v.valeur_pv1 += quantity * facts->pv1;
      v.valeur_pv2 += quantity * facts->pv2;
    }

    if (!components.empty()) {
      if (int(frames.size()) + 1 > kMaxDepth) {
        messages.show(messages.tr("Le nombre de niveaux dépasse les possibilités actuelles du "
                                  "programme"),
                      ui::Icon::Warning);
        return std::nullopt;
      }
      frames.push_back({std::move(components), 0, quantity});
    }

    // Next link, climbing as long as a list is finished.
    while (!frames.empty() && frames.back().next == frames.back().list.size()) frames.pop_back();
    if (frames.empty()) return v;
    Frame& f = frames.back();
    const Link& link = f.list[f.next++];
    current = link.component;
    quantity = f.quantity * link.quantity;
    viaValidLink = link.valid;
  }
}

}  // namespace tarovent::articles
