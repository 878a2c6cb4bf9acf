#include "composition/Explosion.h"

#include <optional>
#include <unordered_map>
#include <vector>

#include "articles/ArticleFiles.h"
#include "platform/db/Recordset.h"
#include "platform/word/WordDocument.h"
#include "ui/BusyCursor.h"

namespace tarovent::composition {

namespace {

constexpr int kMaxDepth = 32;

// Takes the rows an explosion writes: the first above the cursor row or at the end of the
// cursor's table, each next one right below the previous.
class RowTaker {
 public:
  RowTaker(word::WordDocument& doc, TableCursor& cursor, bool insert, DocumentChanges* changes)
      : m_doc(doc), m_cursor(cursor), m_insert(insert), m_changes(changes) {}

  int take() {
    const int table = m_cursor.table;
    bool reused = false;
    if (m_insert) {
      m_row = m_row == 0 ? m_doc.insertRow(table, m_cursor.row, word::RowPlacement::Above)
                         : m_doc.insertRow(table, m_row, word::RowPlacement::Below);
      ++m_cursor.row;
    } else if (m_row == 0 && lastRowBlank()) {
      m_row = m_doc.rowCount(table);
      reused = true;
    } else {
      m_row = m_doc.appendRow(table);
    }
    // The first new row copies a row of the quote, which a print level may have hidden; the
    // next ones copy the rows written here.
    if (!reused && m_written == 0) m_doc.setRowHidden(table, m_row, false);
    if (m_changes) {
      if (reused)
        m_changes->rowsChanged(table, m_row, m_row);
      else
        m_changes->rowsInserted(table, m_row, 1);
    }
    ++m_written;
    return m_row;
  }
  int table() const { return m_cursor.table; }
  int written() const { return m_written; }

 private:
  // A table's last row left empty (a new document's) takes the first line.
  bool lastRowBlank() const {
    const int t = m_cursor.table, r = m_doc.rowCount(t);
    for (int c = 1; c <= m_doc.cellCount(t, r); ++c)
      if (!m_doc.cellText({t, r, c}).trimmed().isEmpty()) return false;
    return true;
  }

  word::WordDocument& m_doc;
  TableCursor& m_cursor;
  bool m_insert;
  DocumentChanges* m_changes;
  int m_row = 0;
  int m_written = 0;
};

// One explosion: the article files, the document and what the lines are written with.
class Exploder {
 public:
  Exploder(articles::ArticleFiles& files, word::WordDocument& doc, const ColumnMap& columns,
           RowTaker& rows, const ExplosionOptions& options, ui::MessageFunnel& messages)
      : m_files(files),
        m_doc(doc),
        m_rows(rows),
        m_options(options),
        m_today(options.day.isValid() ? options.day : QDate::currentDate()),
        m_msg(messages),
        m_writer(columns, withBlankZeros(options.lines, options.lines.quantityDecimals)),
        m_labourWriter(columns, withBlankZeros(options.lines, 2)) {}

  bool run(const EntryLine& line);

 private:
  // Explosion lines leave zero cells empty; labour lines count hours with two decimals.
  static LineOptions withBlankZeros(LineOptions o, int quantityDecimals) {
    o.blankZeros = true;
    o.quantityDecimals = quantityDecimals;
    return o;
  }
  bool stop(const QString& message) {
    m_msg.show(message, ui::Icon::Warning);
    return false;
  }
  // What a component's line takes from its article, read once per explosion: a bill names
  // the same bought parts again and again.
  struct Component {
    EntryLine line;  // the article's fields and designation
    double costPrice = 0, salePrice1 = 0, salePrice2 = 0;
  };
  // The article `code`, null when it is unknown.
  const Component* component(const QString& code);
  // `Ecrire_Ligne_Nomenclature` for a component at `level`.
  bool writeComponent(const Component& c, int level, double quantity);
  // `Ecrire_Lignes_Gamme`: the routing of `code` for `quantity` pieces, one level deeper.
  void writeRouting(const QString& code, double quantity, int level);
  // `Ecrire_Descriptions`: the texts of an article of type `type` outside the table.
  void writeDescriptions(const QString& type, const QString& label, const QString& text1,
                         const QString& text2);
  bool routingsKept() { return m_files.hasRoutings(); }

  articles::ArticleFiles& m_files;
  word::WordDocument& m_doc;
  RowTaker& m_rows;
  const ExplosionOptions& m_options;
  const QDate m_today;
  ui::MessageFunnel& m_msg;
  LineWriter m_writer;
  LineWriter m_labourWriter;
  // Node-based: a component's address holds while others are added.
  std::unordered_map<QString, std::optional<Component>> m_components;
};

bool Exploder::run(const EntryLine& line) {
  const QString code = line.code;
  if (!m_files.Trouver_Article(code))
    return stop(m_msg.tr("Erreur interne, article introuvable : ") + code);
  const auto first = m_files.explosionLinks(code);
  if (!first) return stop(code + m_msg.tr(" sans décomposition!"));
  const db::Recordset& art = m_files.articles();
  const QString type = art.text("TARTI_Type"), label = art.text("TARTI_LIBART");
  const QString text1 = art.text("TARTI_DESCR"), text2 = art.text("TARTI_INFOS");

  Ecrire_Ligne(m_doc, m_rows.table(), m_rows.take(), m_writer, line, m_options.discountPercent,
               m_options.rules);
  writeDescriptions(type, label, text1, text2);
  if (type == "F") writeRouting(code, line.quantity, 1);

  // One frame per depth entered: the list of the sub-assembly that opened it, the next link,
  // the quantity of that sub-assembly.
  struct Frame {
    std::shared_ptr<const std::vector<articles::ExplosionLink>> links;
    size_t next;
    double quantity;
    QString parent;
  };
  std::vector<Frame> frames{{first, 0, line.quantity, code}};
  while (!frames.empty()) {
    Frame& top = frames.back();
    if (top.next == top.links->size()) {
      frames.pop_back();
      continue;
    }
    const articles::ExplosionLink& link = (*top.links)[top.next++];
    if (!articles::Lien_Valide(link.from, link.to, m_today)) continue;
    const int depth = int(frames.size());
    const double quantity = link.quantity * top.quantity;
    const QString component = link.component;
    const Component* article = this->component(component);
    if (!article)
      return stop(m_msg.tr("Nomenclature erronée, article ") + component + m_msg.tr(" inconnu !"));
    auto sub = m_files.explosionLinks(component);
    if (!sub) {
      if (quantity != 0 && !writeComponent(*article, depth, quantity)) return false;
      continue;
    }
    // A sub-assembly already open above it: the bill goes round. The exploded article itself
    // is not looked for, so that a bill going back to it shows it once more.
    for (size_t i = 1; i < frames.size(); ++i) {
      if (frames[i].parent.compare(component, Qt::CaseInsensitive) == 0) {
        m_msg.beep();
        return stop(m_msg.tr("Attention, nomenclature bouclante entre ") + frames[i].parent +
                    m_msg.tr(" et ") + top.parent);
      }
    }
    if (depth + 1 > kMaxDepth)
      return stop(
          m_msg.tr("Le nombre de niveaux dépasse les possibilités actuelles du "
                   "programme"));
    if (quantity != 0 && !writeComponent(*article, depth, quantity)) return false;
    frames.push_back({std::move(sub), 0, quantity, component});
  }
  return true;
}

const Exploder::Component* Exploder::component(const QString& code) {
  auto it = m_components.find(code);
  if (it == m_components.end()) {
    std::optional<Component> c;
    if (m_files.Trouver_Article(code)) {
      const db::Recordset& a = m_files.articles();
      c.emplace();
      c->line = articleFields(a);
      c->line.designation = a.text("TARTI_LIBART");
      c->costPrice = articles::Prix_Revient_Article(a);
      c->salePrice1 = a.number("TARTI_PVU1");
      c->salePrice2 = a.number("TARTI_PVU2");
    }
    it = m_components.emplace(code, std::move(c)).first;
  }
  return it->second ? &*it->second : nullptr;
}

bool Exploder::writeComponent(const Component& c, int level, double quantity) {
  EntryLine l = c.line;
  l.quantity = quantity;
  if (l.type == "A") {
    l.costPrice = c.costPrice;
    const QString& mode = m_options.pricing.tarMat;
    if (mode == "R")
      l.unitPrice = l.costPrice;
    else if (mode == "V")
      l.unitPrice = c.salePrice1;
    else if (mode == "P")
      l.unitPrice = c.salePrice2;
    else
      return stop(m_msg.tr("Le type de tarification n'a pas été initialisé ") + "\n" +
                  m_msg.tr("Voir Paramètres Généraux"));
  }
  // Components show no discount: the line's discount belongs to the article's own line.
  Ecrire_Ligne(m_doc, m_rows.table(), m_rows.take(), m_writer, l, 0, m_options.rules, level);
  writeDescriptions(l.type, l.designation, l.description1, l.description2);
  if (l.type == "F") writeRouting(l.code, quantity, level + 1);
  return true;
}

void Exploder::writeRouting(const QString& code, double quantity, int level) {
  if (!routingsKept()) return;
  db::Recordset& gam = m_files.routings();
  gam.Seek(">=", code, QStringLiteral("00"), 0);
  for (; !gam.NoMatch() && !gam.EOF_() && gam.text("TGAM_Codart").trimmed() == code;
       gam.MoveNext()) {
    const QString section = gam.text("TGAM_CodSec");
    QuoteLine q;
    q.code = "MO*" + section;
    q.level = level;
    q.designation = gam.text("TGAM_Libope");
    q.quantity = gam.number("TGAM_TmpPrep") + gam.number("TGAM_TmpPie") * quantity;
    q.unit = "H";
    q.supplier = gam.text("TGAM_CodFourn");
    if (m_files.Chercher_Section(section)) {
      const db::Recordset& s = m_files.sections();
      q.costPrice = s.number("TSEC_CoutHRevient");
      const QString& mode = m_options.pricing.tarMo;
      if (mode == "R")
        q.grossPrice = q.costPrice;
      else if (mode == "V")
        q.grossPrice = s.number("TSEC_COUTHVENTE");
    } else {
      m_msg.show(m_msg.tr("Erreur GAMME: Code de section [") + section + m_msg.tr("] inconnu !! "),
                 ui::Icon::Warning);
    }
    q.discountPercent = 0;
    Calcul_Ligne(q);
    m_labourWriter.write(m_doc, m_rows.table(), m_rows.take(), q);
  }
}

void Exploder::writeDescriptions(const QString& type, const QString& label, const QString& text1,
                                 const QString& text2) {
  const TypeOptions& t = m_options.type;
  const auto switchOf = [&](int n) {
    return type == "N" ? t.flag(QStringLiteral("TTYP_DTRF%1_HT").arg(n))
                       : t.flag(QStringLiteral("TTYP_DART%1%2_HT").arg(n).arg(type));
  };
  const struct {
    const QString& text;
    const char* bookmark;
    int n;
  } texts[] = {{text1, "DESCRHT", 1}, {text2, "DESCRTHT", 2}};
  for (const auto& d : texts) {
    if (d.text.trimmed().isEmpty() || !switchOf(d.n)) continue;
    const QString bookmark = QString::fromLatin1(d.bookmark);
    if (!m_doc.hasBookmark(bookmark)) continue;
    word::CharFormat plain;
    if (t.flag(QStringLiteral("TTYP_MASKHT%1").arg(d.n))) plain.hidden = true;
    QList<word::TextPiece> paragraphs;
    if (t.flag("TTYP_LibEnTitre")) {
      word::CharFormat title = plain;
      if (t.flag("TTYP_TitreEnGras")) title.bold = true;
      if (t.flag("TTYP_TitreSouligne")) title.underline = true;
      if (t.titleSize != 0) title.pointSize = t.titleSize;
      paragraphs.append({label, title});
    }
    paragraphs.append({d.text, plain});
    m_doc.insertParagraphsAt(bookmark, paragraphs);
  }
}

}  // namespace

ExplosionResult Eclater_Article(articles::ArticleFiles& files, word::WordDocument& doc,
                                const ColumnMap& columns, TableCursor& cursor,
                                const EntryLine& line, const ExplosionOptions& options,
                                ui::MessageFunnel& messages, DocumentChanges* changes) {
  ui::BusyCursor busy;
  ExplosionResult result;
  if (!files.ensureStock()) return result;
  RowTaker rows(doc, cursor, options.insert, changes);
  Exploder exploder(files, doc, columns, rows, options, messages);
  result.completed = exploder.run(line);
  result.rows = rows.written();
  return result;
}

bool addOptionLine(word::WordDocument& doc, const QString& label) {
  return doc.insertParagraphsAt(QStringLiteral("OPTIONS"), {{label, {}}});
}

int writeEntryLine(word::WordDocument& doc, const ColumnMap& columns, TableCursor& cursor,
                   const EntryLine& line, const ExplosionOptions& options,
                   DocumentChanges* changes) {
  RowTaker rows(doc, cursor, options.insert, changes);
  const int row = rows.take();
  Ecrire_Ligne(doc, rows.table(), row, LineWriter(columns, options.lines), line,
               options.discountPercent, options.rules);
  return row;
}

}  // namespace tarovent::composition
