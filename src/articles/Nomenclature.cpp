#include "articles/Nomenclature.h"

#include <QStringList>
#include <algorithm>
#include <optional>
#include <vector>

#include "articles/ArticleFiles.h"
#include "articles/PendingEdit.h"
#include "platform/db/Database.h"

namespace tarovent::articles {

namespace {

constexpr int kMaxDepth = 32;

struct Loader {
  ArticleFiles& files;
  db::RowInserter& rows;
  ui::MessageFunnel& msg;
  QStringList path;  // the sub-assemblies open above, the edited article excluded
  int line = 0;

  bool stop(const QString& text) {
    msg.show(text, ui::Icon::Warning);
    return false;
  }

  void routing(const QString& code, int depth) {
    if (!files.hasRoutings()) return;
    db::Recordset& gam = files.routings();
    gam.Seek(">=", code, QStringLiteral("00"));
    for (; !gam.NoMatch() && !gam.EOF_() &&
           gam.text("TGAM_Codart").compare(code, Qt::CaseInsensitive) == 0;
         gam.MoveNext())
      rows.add({++line, depth, gam.text("TGAM_CodSec"), "M", code, false, gam.text("TGAM_Libope"),
                "H", 0, 0, 0, 0, gam.number("TGAM_TmpPrep"), gam.number("TGAM_TmpPie"),
                gam.text("TGAM_Note"), gam.number("TGAM_Numope")});
  }

  // The components of `parent` at `depth`, in the links' key order.
  bool components(const QString& parent, int depth) {
    struct Link {
      QString code;
      double quantity;
    };
    std::vector<Link> list;
    db::Recordset& links = files.Ouvrir_Liens();
    const QDate today = QDate::currentDate();
    bool any = false;
    links.Seek(">=", parent, QStringLiteral("00"));
    for (; !links.NoMatch() && !links.EOF_() &&
           links.text("TLIEN_PERE").compare(parent, Qt::CaseInsensitive) == 0 &&
           links.text("TLIEN_VARPERE") == "00";
         links.MoveNext()) {
      any = true;
      if (Lien_Valide(links, today))
        list.push_back({links.text("TLIEN_FILS"), links.number("TLIEN_QTEUNI")});
    }
    // The edited article may be new: its bill is what is about to be entered.
    if (!any && depth > 1) msg.show(parent + msg.tr(" sans décomposition!"), ui::Icon::Warning);
    for (const Link& l : list) {
      if (!files.Trouver_Article(l.code))
        return stop(msg.tr("Nomenclature erronée, article ") + l.code + msg.tr(" inconnu !"));
      const db::Recordset& a = files.articles();
      const QString type = a.text("TARTI_Type");
      if (type == "F" && path.contains(l.code, Qt::CaseInsensitive)) {
        if (depth > 1) msg.beep();
        return stop(msg.tr("Attention, nomenclature bouclante entre ") + parent + msg.tr(" et ") +
                    l.code);
      }
      rows.add({++line, depth, l.code, type, parent, false, a.text("TARTI_LIBART"),
                a.text("TARTI_UNST_LIB"), a.number("TARTI_PMP"), a.number("TARTI_PVU1"),
                a.number("TARTI_PVU2"), l.quantity, QVariant(), QVariant(), QVariant(),
                QVariant()});
      if (type != "F") continue;
      if (depth + 1 > kMaxDepth)
        return stop(
            msg.tr("Le nombre de niveaux dépasse les possibilités actuelles du "
                   "programme"));
      routing(l.code, depth + 1);
      path << l.code;
      if (!components(l.code, depth + 1)) return false;
      path.removeLast();
    }
    return true;
  }
};

const QStringList kFields{"TMP_NumLig",   "TMP_Niveau",  "TMP_Codart", "TMP_Type",
                          "TMP_Pere",     "TMP_Newlig",  "TMP_Libart", "TMP_Unite",
                          "TMP_PMP",      "TMP_PVU1",    "TMP_PVU2",   "TMP_QTEUNI",
                          "TGAM_TmpPrep", "TGAM_TmpPie", "TGAM_Note",  "TGAM_Numope"};

}  // namespace

bool Charger_Nomenclature(ArticleFiles& files, db::Database& local, const QString& article,
                          ui::MessageFunnel& messages) {
  if (!files.ensureStock()) return false;
  db::TransactionGuard g(local);
  local.Execute("delete * from TMP_NOMENC;");
  bool complete = false;
  {
    db::RowInserter rows(local, "TMP_NOMENC", kFields);
    Loader loader{files, rows, messages, {}, 0};
    loader.routing(article, 1);
    complete = loader.components(article, 1);
  }
  g.commit();
  return complete;
}

void Enregistrer_Nomenclature(ArticleFiles& files, db::Database& local, const QString& article,
                              const std::vector<RemovedLine>& removed) {
  local.Execute("delete * from TMP_NOMENC where TMP_Codart Is Null or Trim(TMP_Codart) = '';");
  struct Line {
    int number = 0, depth = 1;
    bool isNew = false;
    QString code, type, parent, label, unit;
    double pmp = 0, pv1 = 0, pv2 = 0, quantity = 0, preparation = 0, perPiece = 0;
    QVariant note;
  };
  std::vector<Line> lines;
  QStringList lastAt{article};  // code of the last line seen at each depth, the article at 0
  for (db::Recordset rs = local.OpenRecordset("select * from TMP_NOMENC order by TMP_NumLig;");
       !rs.EOF_(); rs.MoveNext()) {
    Line l;
    l.number = int(rs.number("TMP_NumLig"));
    l.depth = std::max(1, int(rs.number("TMP_Niveau")));
    l.isNew = rs.value("TMP_Newlig").toInt() != 0;
    l.code = rs.text("TMP_Codart").trimmed();
    l.type = rs.text("TMP_Type");
    l.parent = lastAt.value(l.depth - 1);
    lastAt.resize(l.depth);
    lastAt << l.code;
    l.label = rs.text("TMP_Libart");
    l.unit = rs.text("TMP_Unite");
    l.pmp = rs.number("TMP_PMP");
    l.pv1 = rs.number("TMP_PVU1");
    l.pv2 = rs.number("TMP_PVU2");
    l.quantity = rs.number("TMP_QTEUNI");
    l.preparation = rs.number("TGAM_TmpPrep");
    l.perPiece = rs.number("TGAM_TmpPie");
    l.note = rs.value("TGAM_Note");
    lines.push_back(l);
  }
  {
    db::TransactionGuard g(local);
    for (const Line& l : lines)
      local.Execute("update TMP_NOMENC set TMP_Pere = " + db::sqlLiteral(l.parent) +
                    " where TMP_NumLig = " + QString::number(l.number));
    g.commit();
  }

  db::Database& stock = files.stockDatabase();
  db::Database& plan = files.planningDatabase();
  db::TransactionGuard gs(stock);
  std::optional<db::TransactionGuard> gp;
  if (plan.isOpen()) gp.emplace(plan);
  for (const RemovedLine& r : removed) {
    if (r.type == "M") {
      if (plan.isOpen())
        plan.Execute("delete * from TGAM where TGAM_Codart = " + db::sqlLiteral(r.parent) +
                     " and TGAM_Vargam = '00' and TGAM_Numope = " + QString::number(r.operation));
    } else {
      stock.Execute("delete * from TLIEN where TLIEN_PERE = " + db::sqlLiteral(r.parent) +
                    " and TLIEN_VARPERE = '00' and TLIEN_FILS = " + db::sqlLiteral(r.code) +
                    " and TLIEN_VARFILS = '00'");
    }
  }
  db::Recordset& links = files.Ouvrir_Liens();
  int counter = 1;
  for (const Line& l : lines) {
    if (!l.isNew) continue;
    if (l.type == "M") {
      if (!files.hasRoutings()) continue;
      db::Recordset& gam = files.routings();
      const PendingEdit pendingOperation(gam);
      int number = counter;
      for (;; number += 5) {
        gam.Seek("=", l.parent, QStringLiteral("00"), number);
        if (gam.NoMatch()) break;
      }
      gam.AddNew();
      gam.setValue("TGAM_Codart", l.parent);
      gam.setValue("TGAM_Vargam", QStringLiteral("00"));
      gam.setValue("TGAM_Numope", number);
      gam.setValue("TGAM_CodSec", l.code);
      gam.setValue("TGAM_Libope", l.label);
      gam.setValue("TGAM_TmpPrep", l.preparation);
      gam.setValue("TGAM_TmpPie", l.perPiece);
      gam.setValue("TGAM_Note", l.note);
      gam.Update();
      counter = number + 5;
      continue;
    }
    counter = 1;
    if (!files.Trouver_Article(l.code)) {
      db::Recordset& a = files.articles();
      const PendingEdit pendingArticle(a);
      a.AddNew();
      a.setValue("TARTI_CODART", l.code);
      a.setValue("TARTI_LIBART", l.label);
      a.setValue("TARTI_Type", l.type);
      if (l.type == "F") a.setValue("TARTI_Sous_Type", QStringLiteral("SEM"));
      a.setValue("TARTI_UNST_LIB", l.unit);
      a.setValue("TARTI_PMP", l.pmp);
      a.setValue("TARTI_PVU1", l.pv1);
      a.setValue("TARTI_PVU2", l.pv2);
      a.Update();
    }
    links.Seek("=", l.parent, QStringLiteral("00"), l.code, QStringLiteral("00"));
    if (!links.NoMatch()) continue;
    const PendingEdit pendingLink(links);
    links.AddNew();
    links.setValue("TLIEN_PERE", l.parent);
    links.setValue("TLIEN_VARPERE", QStringLiteral("00"));
    links.setValue("TLIEN_FILS", l.code);
    links.setValue("TLIEN_VARFILS", QStringLiteral("00"));
    links.setValue("TLIEN_NUMORD", 0);
    links.setValue("TLIEN_QTEUNI", l.quantity);
    links.Update();
  }
  gs.commit();
  if (gp) gp->commit();
}

}  // namespace tarovent::articles
