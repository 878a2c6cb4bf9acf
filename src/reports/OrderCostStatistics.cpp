#include "OrderCostStatistics.h"

#include "core/Catalogue.h"
#include "core/ProcessState.h"
#include "platform/db/DbError.h"
#include "platform/db/RowReader.h"
#include "platform/text/NumberMask.h"
#include "ui/DbErrorMessage.h"

namespace tarovent::reports {

namespace {

QString sqlDate(const QDate& d) { return d.toString(QStringLiteral("MM/dd/yyyy")); }

QString labourSql(const QString& planning) {
  return QStringLiteral(
             "SELECT DISTINCTROW THEU.THEU_NumAff, Sum(CDbl([THEU_NbrHRea])*[TSEC_CoutHRevient]) "
             "AS TotMDO FROM [%1].THEU LEFT JOIN [%1].TSEC ON THEU.THEU_CodSec = TSEC.TSEC_CodSec "
             "where THEU.THEU_CODSEC <> '*' and THEU.THEU_NbrHRea is not null GROUP BY "
             "THEU.THEU_NumAff Having (((Sum(CDbl([THEU_NbrHRea]) * [TSEC_CoutHRevient])) <> 0) "
             "And ((Sum(THEU.THEU_NbrHRea)) <> 0 And (Sum(THEU.THEU_NbrHRea)) Is Not Null)) "
             "ORDER BY THEU.THEU_NumAff;")
      .arg(planning);
}

QString supplierSql(const QString& purchasing) {
  return QStringLiteral(
             "SELECT DISTINCTROW TCMD.TCMD_NumAff, "
             "Sum(([TCMD_DETAIL_Qte]*[TCMD_DETAIL_PrixUnit])*(1-([TCMD_DETAIL_PCRemise]/100))) AS "
             "TotFou FROM [%1].TCMD LEFT JOIN [%1].TCMD_DETAIL ON TCMD.TCMD_NumCmde = "
             "TCMD_DETAIL.TCMD_DETAIL_NumCmde GROUP BY TCMD.TCMD_NumAff, "
             "[TCMD_DETAIL_RefFourn]<>'*' HAVING ((TCMD.TCMD_NumAff Is Not Null) AND "
             "(([TCMD_DETAIL_RefFourn]<>'*')=True));")
      .arg(purchasing);
}

QString stockSql(const QString& stock) {
  return QStringLiteral(
             "SELECT DISTINCTROW TMVTS.TMVTS_IMP1, Sum([TMVTS_QTE]*[TMVTS_PU]) AS TotMag From "
             "[%1].TMVTS GROUP BY TMVTS.TMVTS_IMP1, TMVTS.TMVTS_CODMVT HAVING "
             "(((Sum([TMVTS_QTE]*[TMVTS_PU]))<>0) AND (TMVTS.TMVTS_CODMVT='S')) ORDER BY "
             "TMVTS.TMVTS_IMP1;")
      .arg(stock);
}

QString invoiceSql(const QString& commercial) {
  // Invoice numbers from "PF-" upwards are pro-forma invoices.
  return QStringLiteral(
             "SELECT DISTINCTROW TFAC.TFAC_NumAff, Sum(TFAC.TFAC_MtHT) AS TotFac From [%1].TFAC "
             "GROUP BY TFAC.TFAC_NumFact, TFAC.TFAC_NumAff Having ((TFAC.TFAC_NumFact < 'PF-') "
             "And (TFAC.TFAC_NumAff <> '*') And ((Sum(TFAC.TFAC_MtHT)) > 0)) ORDER BY "
             "TFAC.TFAC_NumAff;")
      .arg(commercial);
}

}  // namespace

QString orderCondition(const OrderPeriod& p) {
  QString c = QStringLiteral("TAFF_DatMaj>=#") + sqlDate(p.from) +
              QStringLiteral("# and TAFF_DatMaj<=#") + sqlDate(p.to) + QStringLiteral("# ");
  if (!p.workType.trimmed().isEmpty())
    c += QStringLiteral("and TAFF_TYPTRAV = ") + db::sqlLiteral(p.workType.trimmed()) + ' ';
  return c + QStringLiteral("and TAFF_Etat ='F'");
}

QString formatAmount(double value, QChar separator) {
  return text::formatMasked(value, QStringLiteral("# ### ##0.00"), separator);
}

OrderCostStatistics::OrderCostStatistics(core::ProcessState& state) : m_state(state) {}

void OrderCostStatistics::fillWorkTable(const OrderPeriod& p) {
  db::Database& work = m_state.localDb;
  work.Execute(QStringLiteral("delete * from TMP_STATAFF"));
  const core::BaseEntry& commercial = m_state.base(core::entry::Commercial);
  if (commercial.present())
    work.Execute(QStringLiteral("INSERT INTO TMP_STATAFF ( NumAff, Client, DateAff, Qte ) SELECT "
                                "DISTINCTROW TAFF.TAFF_Numaff, TAFF.TAFF_NomClient, "
                                "TAFF.TAFF_DatCrea, TAFF.TAFF_QTE FROM [") +
                 commercial.path() + QStringLiteral("].TAFF where ") + orderCondition(p) +
                 QStringLiteral(" order by TAFF_NumAFF;"));
  m_orders.clear();
  work.forEachRow(QStringLiteral("select NumAff, Client, DateAff, Qte from TMP_STATAFF"),
                  [this](const db::RowReader& row) {
                    OrderCost o;
                    o.number = row.text("NumAff");
                    o.client = row.text("Client");
                    o.created = row.value("DateAff");
                    o.quantity = row.value("Qte");
                    m_orders << o;
                  });
}

QHash<QString, double> OrderCostStatistics::totals(const QString& database, const QString& sql,
                                                   const char* orderField,
                                                   const char* totalField) {
  QHash<QString, double> found;
  if (database.isEmpty()) return found;
  m_state.localDb.forEachRow(sql, [&](const db::RowReader& row) {
    const QString order = row.text(orderField).toCaseFolded();
    if (!found.contains(order)) found.insert(order, row.number(totalField));
  });
  return found;
}

void OrderCostStatistics::writeWorkTable() {
  db::Database& work = m_state.localDb;
  db::TransactionGuard guard(work);
  work.Execute(QStringLiteral("delete * from TMP_STATAFF"));
  db::RowInserter insert(work, QStringLiteral("TMP_STATAFF"),
                         {QStringLiteral("NumAff"), QStringLiteral("Client"),
                          QStringLiteral("DateAff"), QStringLiteral("Qte"),
                          QStringLiteral("PDRMDO"), QStringLiteral("PDRFOU"),
                          QStringLiteral("PDRMAG"), QStringLiteral("MTFACT"),
                          QStringLiteral("Marge")});
  for (const OrderCost& o : m_orders)
    insert.add({o.number, o.client, o.created, o.quantity, o.labour, o.supplier, o.stock,
                o.invoiced, o.margin ? QVariant(*o.margin) : QVariant()});
  guard.commit();
}

OrderCostStatistics::Outcome OrderCostStatistics::compute(const OrderPeriod& p) {
  auto& m = m_state.messages();
  try {
    fillWorkTable(p);
    if (m_orders.isEmpty()) {
      m.show(m.tr(QStringLiteral("Aucune affaire trouvée pour la sélection.")),
             ui::Icon::Information);
      return Outcome::NoOrder;
    }
    const auto path = [this](int n) {
      const core::BaseEntry& b = m_state.base(n);
      return b.present() ? b.path() : QString();
    };
    // The start-up leaves the purchasing database aside: the catalogue is asked here.
    QString purchasing = path(core::entry::Purchasing);
    if (purchasing.isEmpty()) {
      const core::BaseEntry entry = core::Catalogue(m_state).lookUp(core::entry::Purchasing);
      if (entry.present()) purchasing = entry.path();
    }
    const QString planning = path(core::entry::Planning);
    const QString stock = path(core::entry::Stock);
    const QString commercial = path(core::entry::Commercial);
    const QHash<QString, double> labour =
        totals(planning, labourSql(planning), "THEU_NumAff", "TotMDO");
    const QHash<QString, double> supplier =
        totals(purchasing, supplierSql(purchasing), "TCMD_NumAff", "TotFou");
    const QHash<QString, double> stockIssues =
        totals(stock, stockSql(stock), "TMVTS_IMP1", "TotMag");
    const QHash<QString, double> invoiced =
        totals(commercial, invoiceSql(commercial), "TFAC_NumAff", "TotFac");
    for (OrderCost& o : m_orders) {
      // An order without a quantity counts as one unit.
      const double q = o.quantity.isNull() || o.quantity.toDouble() == 0 ? 1.0
                                                                         : o.quantity.toDouble();
      const QString key = o.number.toCaseFolded();
      o.labour = labour.value(key) / q;
      o.supplier = supplier.value(key) / q;
      o.stock = stockIssues.value(key) / q;
      o.invoiced = invoiced.value(key) / q;
      if (o.invoiced != 0) o.margin = o.invoiced - (o.supplier + o.labour + o.stock);
    }
    writeWorkTable();
  } catch (const db::DbError& e) {
    ui::showDbError(m, e, QStringLiteral("TMP_STATAFF : "));
    return Outcome::Failed;
  }
  return Outcome::Filled;
}

OrderCostAverages OrderCostStatistics::averages() const {
  OrderCostAverages a;
  if (m_orders.isEmpty()) return a;
  for (const OrderCost& o : m_orders) {
    a.labour += o.labour;
    a.stock += o.stock;
    a.supplier += o.supplier;
    a.invoiced += o.invoiced;
  }
  const double n = double(m_orders.size());
  if (a.invoiced != 0) a.margin = (a.invoiced - (a.labour + a.stock + a.supplier)) / n;
  a.labour /= n;
  a.stock /= n;
  a.supplier /= n;
  a.invoiced /= n;
  return a;
}

QList<QStringList> orderCostCells(const OrderCostStatistics& s, QChar separator) {
  QList<QStringList> rows;
  for (const OrderCost& o : s.orders()) {
    const QString quantity =
        o.quantity.isNull() ? QString()
                            : QString::number(o.quantity.toDouble(), 'g', 12).replace('.', separator);
    rows << QStringList{o.number,
                        o.client,
                        o.created.toDate().toString(QStringLiteral("dd/MM/yyyy")),
                        quantity,
                        formatAmount(o.labour, separator),
                        formatAmount(o.supplier, separator),
                        formatAmount(o.stock, separator),
                        formatAmount(o.invoiced, separator),
                        o.margin ? formatAmount(*o.margin, separator) : QString()};
  }
  return rows;
}

QStringList orderCostAverageCells(const OrderCostStatistics& s, QChar separator) {
  const OrderCostAverages a = s.averages();
  return {formatAmount(a.labour, separator), formatAmount(a.stock, separator),
          formatAmount(a.supplier, separator), formatAmount(a.invoiced, separator),
          a.margin ? formatAmount(*a.margin, separator) : QString()};
}

}  // namespace tarovent::reports
