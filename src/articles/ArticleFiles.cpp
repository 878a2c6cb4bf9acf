#include "ArticleFiles.h"

#include "CostRollup.h"
#include "core/Catalogue.h"
#include "core/ProcessState.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "ui/BusyCursor.h"

namespace tarovent::articles {

ArticleFiles::ArticleFiles(core::ProcessState& state)
    : m_s(state), m_rollups(std::make_unique<RollupCache>()) {}

ArticleFiles::~ArticleFiles() = default;

bool ArticleFiles::ensureStock() { return core::Catalogue(m_s).Ouvrir_Stock(); }

db::Recordset& ArticleFiles::articles() { return m_s.articleTable; }

bool ArticleFiles::Trouver_Article(const QString& code) {
  db::Recordset& rs = m_s.articleTable;
  if (!rs.isOpen()) return false;
  // A record being added is no article yet.
  if (rs.EditMode() != db::EditMode::None) rs.CancelUpdate();
  if (rs.RecordCount() > 0 && !rs.EOF_() && !rs.BOF()) {
    try {
      if (rs.text("TARTI_CODART") == code) return true;
    } catch (const db::DbError&) {
      // The current record went away: seek it again.
    }
  }
  rs.Seek("=", code);
  return !rs.NoMatch();
}

bool ArticleFiles::Chercher_Section(const QString& code) {
  if (!m_sections.isOpen()) {
    core::BaseEntry& plan = m_s.base(core::entry::Planning);
    if (!plan.open()) return false;
    ui::BusyCursor busy;
    try {
      m_sections = plan.db.OpenRecordset("TSEC", db::RecordsetType::Table);
      m_sections.setIndex("PrimaryKey");
    } catch (const db::DbError&) {
      m_sections = {};
    }
    if (!m_sections.isOpen()) return false;
  }
  m_sections.Seek("=", code);
  return !m_sections.NoMatch();
}

db::Recordset& ArticleFiles::Ouvrir_Liens() {
  if (!m_links.isOpen()) {
    m_links = m_s.base(core::entry::Stock).db.OpenRecordset("TLIEN", db::RecordsetType::Table);
    m_links.setIndex("PrimaryKey");
  }
  return m_links;
}

bool ArticleFiles::hasRoutings() { return m_s.routingTable.isOpen(); }

db::Recordset& ArticleFiles::routings() { return m_s.routingTable; }

bool ArticleFiles::findTariffLine(const QString& supplier, const QString& reference) {
  core::BaseEntry& t = m_s.base(core::entry::Tariffs);
  if (!t.open()) return false;
  m_tariffs =
      t.db.OpenRecordset("select * from TTRF where TTRF_CODFOURN =" + db::sqlLiteral(supplier) +
                         " and TTRF_REFFOURN =" + db::sqlLiteral(reference));
  return !m_tariffs.EOF_();
}

db::Database& ArticleFiles::stockDatabase() { return m_s.base(core::entry::Stock).db; }

db::Database& ArticleFiles::planningDatabase() { return m_s.base(core::entry::Planning).db; }

DataStamp ArticleFiles::dataStamp() {
  // Not the change stamp: on a file that one also moves at every commit of the process to any
  // base, and the recalculation writes its work table to the workstation's base.
  return {stockDatabase().dataVersion(), planningDatabase().dataVersion()};
}

std::shared_ptr<const std::vector<ExplosionLink>> ArticleFiles::explosionLinks(
    const QString& parent) {
  db::Database& stock = stockDatabase();
  const quint64 stamp = stock.changeStamp();
  if (!m_explosionLinks || m_explosionStamp != stamp) {
    auto links = std::make_shared<LinksByParent>();
    db::Recordset rs = stock.OpenRecordset(
        "select TLIEN_PERE, TLIEN_FILS, TLIEN_QTEUNI, TLIEN_DebApplic, TLIEN_FinApplic from "
        "TLIEN where TLIEN_VARPERE = '00' order by TLIEN_PERE, TLIEN_VARPERE, TLIEN_NUMORD");
    for (; !rs.EOF_(); rs.MoveNext())
      (*links)[rs.text("TLIEN_PERE").toUpper()].push_back(
          {rs.text("TLIEN_FILS"), rs.number("TLIEN_QTEUNI"), rs.value("TLIEN_DebApplic"),
           rs.value("TLIEN_FinApplic")});
    // Replaced whole, never changed in place: the lists handed out keep their reading alive.
    m_explosionLinks = std::move(links);
    m_explosionStamp = stamp;
  }
  const auto it = m_explosionLinks->constFind(parent.toUpper());
  if (it == m_explosionLinks->cend()) return nullptr;
  return {m_explosionLinks, &*it};
}

bool Lien_Valide(const db::Recordset& link, const QDate& day) {
  return Lien_Valide(link.value("TLIEN_DebApplic"), link.value("TLIEN_FinApplic"), day);
}

bool Lien_Valide(const QVariant& from, const QVariant& to, const QDate& day) {
  const auto asDay = [](const QVariant& v) {
    return v.typeId() == QMetaType::QDateTime ? v.toDateTime().date() : v.toDate();
  };
  if (!from.isNull() && asDay(from) > day) return false;
  if (!to.isNull() && asDay(to) < day) return false;
  return true;
}

double Prix_Revient_Article(const db::Recordset& article) {
  return Prix_Revient_Article(article.number("TARTI_PMP"), article.number("TARTI_COEFFRG"));
}

double Prix_Revient_Article(double pmp, double coeffrg) { return pmp * (1 + coeffrg / 100); }

}  // namespace tarovent::articles
