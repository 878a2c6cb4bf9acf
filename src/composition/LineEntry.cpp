#include "composition/LineEntry.h"

#include "articles/ArticleFiles.h"
#include "composition/CompositionSession.h"
#include "composition/LineChange.h"
#include "composition/NumberFormat.h"
#include "core/InputHelpers.h"
#include "core/ProcessState.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/text/TypedText.h"

namespace tarovent::composition {

namespace {

const QString kCode = QStringLiteral("CTX_CODART");
const QString kQuantity = QStringLiteral("CTX_QTE");
const QString kPrice = QStringLiteral("CTX_TPRO_PU");
const QString kAltPrice = QStringLiteral("CTX_TPRO_PU_Bis");
const QString kCost = QStringLiteral("CTX_PDR");
const QString kWeight = QStringLiteral("CTX_POIDS");
const QString kVat = QStringLiteral("CTX_TXTVA");
const QString kLabel = QStringLiteral("CTX_TPRO_LIB");
const QString kText1 = QStringLiteral("CTX_TPRO_DESCR");
const QString kText2 = QStringLiteral("CTX_TPRO_DESCR2");
const QString kUnit = QStringLiteral("CTX_UNITE");
const QString kType = QStringLiteral("CTX_TYPE");
const QString kSupplier = QStringLiteral("CTX_CODFOURN");
const QString kUser1 = QStringLiteral("CTX_USER1");
const QString kUser2 = QStringLiteral("CTX_USER2");
const QString kUser3 = QStringLiteral("CTX_USER3");
const QString kUser4 = QStringLiteral("CTX_USER4");
const QString kReplacement = QStringLiteral("CTX_REMPL");
const QString kDiscountClass = QStringLiteral("CTX_CLREM");

// The fields' places in fieldNames(), where the line keeps their texts.
enum FieldPlace : int {
  iCode = 0,
  iLabel,
  iText1,
  iText2,
  iUnit,
  iType,
  iQuantity,
  iPrice,
  iAltPrice,
  iCost,
  iWeight,
  iSupplier,
  iUser1,
  iUser2,
  iUser3,
  iUser4,
  iReplacement,
  iDiscountClass,
  iVat,
};
static_assert(iVat + 1 == LineEntry::kFieldCount);

// The number fields and the labels their messages name them by, in the order of the panel.
struct NumberField {
  FieldPlace place;
  const char* label;  // UTF-8
};
constexpr NumberField kNumberFields[] = {
    {iQuantity, "Quantité"},   {iPrice, "Prix unitaire"},       {iAltPrice, "Autre prix"},
    {iCost, "Prix de revient"}, {iWeight, "Poids"},             {iVat, "Taux de TVA"},
};

const NumberField* numberField(int place) {
  for (const NumberField& f : kNumberFields)
    if (f.place == place) return &f;
  return nullptr;
}

// A number typed in a field; an invalid one has been refused before the line is read.
double numberIn(const QString& text) { return text::readTypedNumber(text); }

struct ListSource {
  int base;
  const char* select;  // its first field is the code the list is ordered and positioned by
  const char* table;
  const char* where;
};

const ListSource& listSource(EntrySource source) {
  static const ListSource sources[] = {
      {core::entry::Main, "TPRO_Code, TPRO_LIB, TPRO_PU", "TPRO", ""},
      {core::entry::Stock, "TARTI_CODART, TARTI_LIBART, TARTI_UNST_LIB, TARTI_PVU1", "TARTI",
       "TARTI_Desactive=False"},
      {core::entry::Planning, "TSEC_CODSEC, TSEC_Libsec, TSEC_COUTHVENTE", "TSEC", ""},
      {core::entry::Tariffs, "TTRF_REFFOURN, TTRF_CODFOURN, TTRF_LIBART, TTRF_PrixVen", "TTRF", ""},
  };
  return sources[int(source)];
}

QString codeField(const ListSource& s) {
  return QString::fromLatin1(s.select).section(QLatin1Char(','), 0, 0);
}

}  // namespace

LineEntry::LineEntry(CompositionSession& session) : m_session(session) {
  m_texts[iVat] = session.vatField();
}

const QStringList& LineEntry::fieldNames() {
  static const QStringList names = {
      kCode,    kLabel,  kText1, kText2,  kUnit,  kType,        kQuantity,      kPrice, kAltPrice,
      kCost,    kWeight, kSupplier, kUser1, kUser2, kUser3, kUser4, kReplacement, kDiscountClass,
      kVat};
  return names;
}

bool LineEntry::lookupEnabled(EntrySource source) const {
  core::ProcessState& s = m_session.state();
  return s.base(listSource(source).base).present();
}

int LineEntry::fieldIndex(const QString& field) {
  static const QHash<QString, int> places = [] {
    QHash<QString, int> h;
    for (int i = 0; i < fieldNames().size(); ++i) h.insert(fieldNames()[i], i);
    return h;
  }();
  return places.value(field, -1);
}

QString LineEntry::text(const QString& field) const {
  const int i = fieldIndex(field);
  return i < 0 ? QString() : m_texts[size_t(i)];
}

bool LineEntry::setText(const QString& field, const QString& text) {
  return setText(fieldIndex(field), text);
}

bool LineEntry::setText(int field, const QString& text) {
  if (field < 0 || field >= kFieldCount) return false;
  QString& held = m_texts[size_t(field)];
  if (field == iCode && held != text) m_codeChanged = true;
  held = text;
  return true;
}

QString LineEntry::number(double value, const QString& mask) const {
  return formatMasked(value, mask, m_session.decimalSeparator());
}

EntryLine LineEntry::line() const {
  EntryLine l;
  l.code = m_texts[iCode];
  l.designation = m_texts[iLabel];
  l.description1 = m_texts[iText1];
  l.description2 = m_texts[iText2];
  l.unit = m_texts[iUnit];
  l.type = m_texts[iType].trimmed().toUpper();
  l.quantity = numberIn(m_texts[iQuantity]);
  l.unitPrice = numberIn(m_texts[iPrice]);
  l.hasAltPrice = !m_texts[iAltPrice].trimmed().isEmpty();
  l.altPrice = numberIn(m_texts[iAltPrice]);
  l.costPrice = numberIn(m_texts[iCost]);
  l.weight = numberIn(m_texts[iWeight]);
  l.supplier = m_texts[iSupplier];
  l.user1 = m_texts[iUser1];
  l.user2 = m_texts[iUser2];
  l.user3 = m_texts[iUser3];
  l.user4 = m_texts[iUser4];
  l.replacement = m_texts[iReplacement];
  l.discountClass = m_texts[iDiscountClass];
  l.vatRate = m_texts[iVat];
  return l;
}

void LineEntry::fill(const EntryLine& l) {
  const QString quantity = m_texts[iQuantity];
  m_texts[iCode] = l.code;
  m_texts[iLabel] = l.designation;
  m_texts[iText1] = l.description1;
  m_texts[iText2] = l.description2;
  m_texts[iUnit] = l.unit;
  m_texts[iType] = l.type;
  m_texts[iQuantity] = quantity;
  m_texts[iPrice] = number(l.unitPrice, kPriceMask);
  m_texts[iAltPrice] = l.hasAltPrice ? number(l.altPrice, kPriceMask) : QString();
  m_texts[iCost] = number(l.costPrice, kPriceMask);
  m_texts[iWeight] = l.weight != 0 ? number(l.weight, kWeightMask) : QString();
  m_texts[iSupplier] = l.supplier;
  m_texts[iUser1] = l.user1;
  m_texts[iUser2] = l.user2;
  m_texts[iUser3] = l.user3;
  m_texts[iUser4] = l.user4;
  m_texts[iReplacement] = l.replacement;
  m_texts[iDiscountClass] = l.discountClass;
  m_texts[iVat] = l.vatRate.isEmpty() ? m_session.vatField() : l.vatRate;
  m_stockArticle = l.type == "A" || l.type == "F" ? l.code : QString();
  m_filledFrom = l.code;
  m_codeChanged = false;
}

void LineEntry::forgetLookedUp() {
  if (m_filledFrom.isEmpty()) return;
  const QString code = m_texts[iCode], quantity = m_texts[iQuantity];
  clear();
  m_texts[iCode] = code;
  m_texts[iQuantity] = quantity;
}

bool LineEntry::isNumberField(const QString& field) {
  return numberField(fieldIndex(field)) != nullptr;
}

bool LineEntry::numberRefused(int place) {
  const NumberField* f = numberField(place);
  if (!f) return false;
  // Read first without the message's helper: a line's numbers are read at every field left.
  bool ok = false;
  text::readTypedNumber(m_texts[size_t(place)], &ok);
  return !ok && !core::boxNumber(m_session.state().messages(), QString::fromUtf8(f->label),
                                 m_texts[size_t(place)]);
}

std::optional<QString> LineEntry::refusedNumberField() {
  for (const NumberField& f : kNumberFields)
    if (numberRefused(f.place)) return fieldNames()[f.place];
  return std::nullopt;
}

void LineEntry::clear() {
  // The quantity too: empty reads as 0, and what is typed there needs no selection to replace.
  for (QString& t : m_texts) t.clear();
  m_texts[iVat] = m_session.vatField();
  m_stockArticle.clear();
  m_filledFrom.clear();
  m_codeChanged = false;
}

LeaveOutcome LineEntry::leave(const QString& field) {
  if (numberRefused(fieldIndex(field))) return LeaveOutcome::Refused;
  if (field == kCode) {
    if (!m_codeChanged) return LeaveOutcome::Nothing;
    m_codeChanged = false;
    return lookUpCode();
  }
  if (field == kQuantity) {
    if (m_texts[iQuantity].trimmed().isEmpty()) m_texts[iQuantity] = QStringLiteral("0");
    // The breaks need the code and the quantity only.
    EntryLine l;
    l.code = m_texts[iCode];
    l.quantity = numberIn(m_texts[iQuantity]);
    db::Recordset* breaks = m_session.priceBreaks();
    if (breaks && !l.code.isEmpty() && applyPriceBreaks(*breaks, l, m_session.pricing())) {
      m_texts[iPrice] = number(l.unitPrice, kPriceMask);
      m_texts[iAltPrice] = number(l.altPrice, kPriceMask);
    }
    return LeaveOutcome::Nothing;
  }
  if (field == kPrice || field == kAltPrice || field == kCost) {
    if (!text(field).trimmed().isEmpty())
      m_texts[size_t(fieldIndex(field))] = number(numberIn(text(field)), kPriceMask);
    if (field != kPrice || m_stockArticle.isEmpty() ||
        m_stockArticle.compare(m_texts[iCode], Qt::CaseInsensitive) != 0)
      return LeaveOutcome::Nothing;
    EntryLine l = line();
    articles::ArticleFiles& files = m_session.files();
    if (files.Trouver_Article(m_stockArticle) &&
        applyFloorPrice(files.articles(), l, m_session.state().messages(),
                        m_session.decimalSeparator()))
      m_texts[iPrice] = number(l.unitPrice, kPriceMask);
  }
  return LeaveOutcome::Nothing;
}

LeaveOutcome LineEntry::lookUpCode() {
  const QString code = m_texts[iCode].trimmed();
  if (code.isEmpty() || !lookupEnabled(m_source)) return LeaveOutcome::Nothing;
  try {
    if (m_source == EntrySource::Stock) return lookUpArticle(code);
    if (m_source == EntrySource::Tariffs) return lookUpTariff(code);
    if (m_source == EntrySource::Labour) return lookUpSection(code);
  } catch (const db::DbError& e) {
    ui::MessageFunnel& m = m_session.state().messages();
    m.show(e.description() + m.tr(QStringLiteral("   Err. n° ")) + QString::number(e.number()),
           ui::Icon::Critical);
  }
  return LeaveOutcome::Nothing;
}

LeaveOutcome LineEntry::lookUpArticle(const QString& code) {
  core::ProcessState& s = m_session.state();
  articles::ArticleFiles& files = m_session.files();
  if (!files.ensureStock()) return LeaveOutcome::Nothing;
  // A family code is composed in its own window, when the program has it.
  if (s.familyTable.isOpen() && s.windows.has(QStringLiteral("FCOMPART")) && s.opener) {
    s.familyTable.Seek("=", code);
    if (!s.familyTable.NoMatch()) {
      s.compositeCode = code;
      m_handedFamily = code;
      openWindow(QStringLiteral("FCOMPART"));
      return LeaveOutcome::WindowOpened;
    }
  }
  if (!files.Trouver_Article(code)) {
    forgetLookedUp();
    ui::MessageFunnel& m = s.messages();
    // The creation form, once open, is where the keyboard goes.
    return offerCreation(QStringLiteral("FCREART"),
                         m.tr(QStringLiteral("Cet article n'existe pas en stock.")),
                         m.tr(QStringLiteral("Désirez-vous le créer ?")), code)
               ? LeaveOutcome::WindowOpened
               : LeaveOutcome::NotFound;
  }
  fill(lineFromArticle(files.articles(), m_session.pricing()));
  return LeaveOutcome::Filled;
}

LeaveOutcome LineEntry::lookUpTariff(const QString& code) {
  core::ProcessState& s = m_session.state();
  db::Recordset t =
      s.base(core::entry::Tariffs)
          .db.OpenRecordset("select * from TTRF where TTRF_REFFOURN = " + db::sqlLiteral(code));
  if (t.EOF_()) {
    forgetLookedUp();
    ui::MessageFunnel& m = s.messages();
    return offerCreation(QStringLiteral("FCRETRF"),
                         m.tr(QStringLiteral("Cet article n'existe pas en tarif.")),
                         m.tr(QStringLiteral("Désirez-vous le créer dans la base tarif ?")), code)
               ? LeaveOutcome::WindowOpened
               : LeaveOutcome::NotFound;
  }
  fill(lineFromTariff(t, m_session.pricing()));
  return LeaveOutcome::Filled;
}

// A section typed in full, with or without its "MO*", is taken as if picked from the list:
// written as typed, it became a free line that the recalculation prices as materials. Any
// other code stays a free line.
LeaveOutcome LineEntry::lookUpSection(const QString& code) {
  articles::ArticleFiles& files = m_session.files();
  const QString section =
      code.startsWith(QStringLiteral("MO*"), Qt::CaseInsensitive) ? code.mid(3) : code;
  if (section.isEmpty() || !files.Chercher_Section(section)) {
    forgetLookedUp();
    return LeaveOutcome::Nothing;
  }
  fill(lineFromSection(files.sections(), m_session.pricing()));
  return LeaveOutcome::Filled;
}

bool LineEntry::offerCreation(const QString& window, const QString& missing,
                              const QString& question, const QString& code) {
  core::ProcessState& s = m_session.state();
  ui::MessageFunnel& m = s.messages();
  if (!s.windows.has(window) || !s.opener) {
    // No creation form in this program yet: asking would lead nowhere.
    m.show(missing + "\n" + m.tr(QStringLiteral("La création n'est pas disponible ici.")),
           ui::Icon::Information);
    return false;
  }
  m.show(missing, ui::Icon::Information);
  if (m.ask(question, ui::Buttons::YesNo, 1) != ui::Answer::Yes) return false;
  s.creationCode = code;
  m_creationOffered = true;
  s.creationLabel = m_texts[iLabel];
  return openWindow(window);
}

bool LineEntry::openWindow(const QString& name) {
  core::ProcessState& s = m_session.state();
  return s.opener && s.opener->openWindow(name);
}

QString LineEntry::takeReturnedCode() {
  core::ProcessState& s = m_session.state();
  QString code = s.compositeCode;
  s.compositeCode.clear();
  // The family code itself comes back when nothing was composed: leaving the field again
  // would only reopen the window.
  if (!code.isEmpty() && code.compare(m_handedFamily, Qt::CaseInsensitive) == 0) code.clear();
  m_handedFamily.clear();
  if (code.isEmpty()) {
    code = s.createdCode;
    s.createdCode.clear();
  }
  if (!code.isEmpty()) setText(kCode, code);
  return code;
}

bool LineEntry::takeCancelledCreation() {
  core::ProcessState& s = m_session.state();
  // Saved, the form leaves its code; cancelled, it takes back the one it was given. Closed
  // otherwise, or still open, it leaves both as they are.
  if (!m_creationOffered || !s.createdCode.isEmpty() || !s.creationCode.isEmpty()) {
    if (!s.createdCode.isEmpty()) m_creationOffered = false;
    return false;
  }
  m_creationOffered = false;
  for (const QString* field : {&kCode, &kLabel, &kUnit, &kType}) m_texts[size_t(fieldIndex(*field))].clear();
  m_stockArticle.clear();
  m_codeChanged = false;
  return true;
}

bool LineEntry::pick(EntrySource source, const QString& code, const QString& supplier) {
  m_source = source;
  core::ProcessState& s = m_session.state();
  ui::MessageFunnel& m = s.messages();
  articles::ArticleFiles& files = m_session.files();
  const PricingContext c = m_session.pricing();
  bool found = false;
  try {
    switch (source) {
      case EntrySource::Options: {
        db::Recordset o = s.mainDb().OpenRecordset("select * from TPRO where TPRO_Code = " +
                                                   db::sqlLiteral(code));
        if ((found = !o.EOF_())) fill(lineFromOption(o));
        break;
      }
      case EntrySource::Stock:
        if ((found = files.ensureStock() && files.Trouver_Article(code)))
          fill(lineFromArticle(files.articles(), c));
        break;
      case EntrySource::Labour: {
        const QString section = code.startsWith(QStringLiteral("MO*")) ? code.mid(3) : code;
        if ((found = files.Chercher_Section(section))) fill(lineFromSection(files.sections(), c));
        break;
      }
      case EntrySource::Tariffs: {
        if (!s.base(core::entry::Tariffs).open()) break;
        QString sql = "select * from TTRF where TTRF_REFFOURN = " + db::sqlLiteral(code);
        if (!supplier.isEmpty()) sql += " and TTRF_CODFOURN = " + db::sqlLiteral(supplier);
        db::Recordset t = s.base(core::entry::Tariffs).db.OpenRecordset(sql);
        if ((found = !t.EOF_())) fill(lineFromTariff(t, c));
        break;
      }
    }
  } catch (const db::DbError&) {
    found = false;
  }
  if (!found)
    m.show(m.tr(QStringLiteral("Erreur interne : article introuvable : ")) + code,
           ui::Icon::Critical);
  return found;
}

bool LineEntry::write(bool atEnd) {
  m_refused = refusedNumberField();
  if (m_refused) return false;
  const EntryLine l = line();
  if (l.code.trimmed().isEmpty() && l.designation.trimmed().isEmpty()) return false;
  if (!(atEnd ? m_session.appendLine(l) : m_session.insertLine(l))) return false;
  clear();
  return true;
}

bool LineEntry::insert() { return write(false); }

bool LineEntry::append() { return write(true); }

db::Database* LineEntry::listDatabase(EntrySource source) const {
  core::BaseEntry& base = m_session.state().base(listSource(source).base);
  return base.open() ? &base.db : nullptr;
}

QString LineEntry::listQuery(EntrySource source) const {
  const ListSource& s = listSource(source);
  QString sql = QStringLiteral("select %1 from %2")
                    .arg(QString::fromLatin1(s.select), QString::fromLatin1(s.table));
  if (*s.where) sql += " where " + QString::fromLatin1(s.where);
  return sql + " order by " + codeField(s);
}

QString LineEntry::nonReferencedQuery(const QString& column, const QString& value, bool contains) {
  const QString test =
      contains ? QStringLiteral("instr(1,%1,%2) <> 0").arg(column, db::sqlLiteral(value))
               : QStringLiteral("Left(%1,%2) = %3")
                     .arg(column)
                     .arg(value.size())
                     .arg(db::sqlLiteral(value));
  return QStringLiteral("select %1 from TTRF where TTRF_Codart = '*' and %2 order by %3")
      .arg(QString::fromLatin1(listSource(EntrySource::Tariffs).select), test, column);
}

int firstCodeAtOrAfter(const QStringList& codes, const QString& typed) {
  if (codes.isEmpty()) return -1;
  for (int i = 0; i < codes.size(); ++i)
    if (codes[i].left(typed.size()).compare(typed, Qt::CaseInsensitive) >= 0) return i;
  return int(codes.size()) - 1;
}

}  // namespace tarovent::composition
