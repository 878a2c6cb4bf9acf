#pragma once

#include <QDate>
#include <QString>
#include <memory>
#include <optional>

#include "articles/ArticleFiles.h"
#include "ui/MessageFunnel.h"

namespace tarovent::articles {

// What one unit of an article costs and is worth, rolled up through its bill of materials and
// routing.
struct ArticleValue {
  double cout_matiere = 0;
  double cout_mo = 0;
  double poids = 0;
  double valeur_pv1 = 0;
  double valeur_pv2 = 0;
  double valeur_mo_vente = 0;
};

// What roll-ups made one after the other share: the articles and link lists they read and the
// value of each manufactured article met. It forgets them all when the article, link or
// routing data, the day or the variant change.
class RollupCache {
 public:
  RollupCache();
  ~RollupCache();
  RollupCache(const RollupCache&) = delete;
  RollupCache& operator=(const RollupCache&) = delete;
  struct Data;
  Data& data() { return *m_data; }

 private:
  std::unique_ptr<Data> m_data;
};

// Walks the article's bill of materials depth first (20 levels at most) and its routings; a
// sub-assembly met again counts what it counted the first time. Without `cache` the files'
// own memo is used.
// Bought components count through links valid on `today`; manufactured ones are entered
// whatever their link's dates and count only through their components and routing. Returns
// nothing, after its message, when an article or the depth stops the walk.
std::optional<ArticleValue> Valoriser_Article(ArticleFiles& files, ui::MessageFunnel& messages,
                                              const QString& code, const QString& variante,
                                              const QDate& today = QDate::currentDate(),
                                              RollupCache* cache = nullptr);

}  // namespace tarovent::articles
