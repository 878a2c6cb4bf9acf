#include "CostRollup.h"

#include <array>

#include "ArticleFiles.h"
#include "platform/db/Recordset.h"
#include "ui/BusyCursor.h"

namespace tarovent::articles {

namespace {

constexpr int kMaxDepth = 20;

}  // namespace

std::optional<ArticleValue> Valoriser_Article(ArticleFiles& files, ui::MessageFunnel& messages,
                                              const QString& code, const QString& variante,
                                              const QDate& today) {
  ui::BusyCursor busy;
  if (!files.ensureStock()) return std::nullopt;
  db::Recordset& links = files.Ouvrir_Liens();
  db::Recordset& art = files.articles();
  ArticleValue v;

  // One frame per depth: the cumulative quantity, the link through which the depth was entered
  // (to resume the parent's list) and the parent whose list it belongs to.
  std::array<double, kMaxDepth + 2> quantite{};
  std::array<QByteArray, kMaxDepth + 2> signet{};
  std::array<QString, kMaxDepth + 2> parent{};
  int d = 0;
  quantite[0] = 1;
  QString current = code;
  bool viaValidLink = true;  // the valued article itself counts

  for (;;) {
    if (!files.Trouver_Article(current)) {
      messages.show(messages.tr("L'article ") + current + messages.tr(" n'existe plus"),
                    ui::Icon::Warning);
      return std::nullopt;
    }
    bool hasComponents = false;
    if (art.text("TARTI_Type") == "F") {
      double lancement = art.number("TARTI_QTE_LANC");
      if (lancement == 0) lancement = 1;
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
          const double temps = gam.number("TGAM_TmpPie") + gam.number("TGAM_TmpPrep") / lancement;
          v.cout_mo += quantite[d] * files.sections().number("TSEC_CoutHRevient") * temps;
          v.valeur_mo_vente += quantite[d] * files.sections().number("TSEC_COUTHVENTE") * temps;
        }
      }
      links.Seek(">=", current, variante);
      if (links.NoMatch() && links.RecordCount() > 0) links.MoveLast();
      hasComponents =
          !links.EOF_() && links.RecordCount() > 0 && links.text("TLIEN_PERE") == current &&
          links.text("TLIEN_VARPERE") == variante && links.text("TLIEN_VARFILS") == variante;
    } else if (viaValidLink) {
      v.cout_matiere += quantite[d] * Prix_Revient_Article(art);
      v.poids += quantite[d] * art.number("TARTI_POIDS");
      v.valeur_pv1 += quantite[d] * art.number("TARTI_PVU1");
      v.valeur_pv2 += quantite[d] * art.number("TARTI_PVU2");
    }

    const auto enter = [&](int depth) {
      signet[depth] = links.Bookmark();
      quantite[depth] = quantite[depth - 1] * links.number("TLIEN_QTEUNI");
      current = links.text("TLIEN_FILS");
      viaValidLink = Lien_Valide(links, today);
    };

    if (hasComponents) {
      if (d + 1 > kMaxDepth) {
        messages.show(messages.tr("Le nombre de niveaux dépasse les possibilités actuelles du "
                                  "programme"),
                      ui::Icon::Warning);
        return std::nullopt;
      }
      parent[d + 1] = current;
      ++d;
      enter(d);
      continue;
    }

    // Next sibling, climbing as long as a list is finished.
    bool found = false;
    while (d > 0) {
      links.setBookmark(signet[d]);
      links.MoveNext();
      if (!links.EOF_() && links.text("TLIEN_PERE") == parent[d] &&
          links.text("TLIEN_VARPERE") == variante) {
        enter(d);
        found = true;
        break;
      }
      --d;
    }
    if (!found) return v;
  }
}

}  // namespace tarovent::articles
