#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

#include "composition/LinePricing.h"
#include "platform/db/Recordset.h"

namespace tarovent::db {
class Database;
}

namespace tarovent::composition {

class CompositionSession;

// Where a line comes from: the four branches of the entry panel's tree.
enum class EntrySource { Options, Stock, Labour, Tariffs };

// What leaving a field led to, so that the panel knows where the keyboard goes next.
enum class LeaveOutcome {
  Nothing,       // no rule, or nothing changed
  Filled,        // the line was filled from a record: on to the quantity
  WindowOpened,  // another window took the code (composite code, creation form)
  NotFound,      // the code is in no record (its message was shown)
  Refused,       // a number field holds no number (its message was shown): stay on it
};

// The line being entered, without widgets: the fields by their objectName, the rules applied
// when a field is left, the records picked in the sources' lists, and the insertion into the
// session's document. The entry panel and the compose script both work through it.
class LineEntry {
 public:
  explicit LineEntry(CompositionSession& session);

  static const QStringList& fieldNames();
  static constexpr int kFieldCount = 19;
  // The place of a field in fieldNames(); -1 for a name that is no field.
  static int fieldIndex(const QString& field);

  EntrySource source() const { return m_source; }
  void setSource(EntrySource source) { m_source = source; }
  // Typed codes are looked up only in a source whose base is configured.
  bool lookupEnabled(EntrySource source) const;

  QString text(const QString& field) const;
  // The text of the field at `index` in fieldNames().
  const QString& text(int index) const { return m_texts[size_t(index)]; }
  // Typing into a field; false for a field that does not exist.
  bool setText(const QString& field, const QString& text);
  bool setText(int index, const QString& text);
  // Leaving a field: a changed code is looked up, an empty quantity becomes 0 and takes the
  // price breaks, a unit price below the article's floor price goes back up to it. A number
  // field that does not hold a whole number is refused with a message and left as typed.
  LeaveOutcome leave(const QString& field);

  // The fields read as numbers: quantity, prices, cost, weight and VAT rate.
  static bool isNumberField(const QString& field);
  // Whether every number field holds a number; otherwise the first one that does not, after
  // its message.
  std::optional<QString> refusedNumberField();
  // Empties the fields after a line was written (the VAT rate goes back to the quote's).
  void clear();

  // Fills the fields from the record `code` of a source's list; false, after "Erreur interne :
  // article introuvable : ", when it cannot be read again.
  // A tariff line is one supplier's reference: `supplier` chooses among several.
  bool pick(EntrySource source, const QString& code, const QString& supplier = {});

  // The line as the fields say.
  EntryLine line() const;
  // Writes the line above the session's cursor, as the fields stand (the quantity's rule
  // applies when the quantity is left, not again here: a price typed after it stays), then
  // empties the fields. Nothing is written while a number field holds no number, nor for a
  // line with neither code nor designation.
  bool insert();
  // The number field that stopped the last insert or append, after its message.
  const std::optional<QString>& refusedField() const { return m_refused; }
  // "Ajout en fin de tableau": the line at the end of the cursor's table, then the fields are
  // emptied.
  bool append();

  // A code that the composite-code window or a creation form left for the code field, taken
  // out of the process's hand-over values; empty when none.
  QString takeReturnedCode();
  // Whether the creation form opened from here was cancelled (it took back the code it was
  // given without leaving one): the code, designation, unit and type fields are then emptied.
  bool takeCancelledCreation();

  // The source's list, as shown: SQL ordered by code, its code field first.
  QString listQuery(EntrySource source) const;
  // The database of a source's list; none when its base is not open.
  db::Database* listDatabase(EntrySource source) const;
  // The tariff lines without article ("*"), of which `column` begins with (or, with
  // `contains`, holds) `value`, ordered by that column.
  static QString nonReferencedQuery(const QString& column, const QString& value, bool contains);

 private:
  void fill(const EntryLine& line);
  LeaveOutcome lookUpCode();
  // Empties what the last look-up filled, keeping the code and quantity typed.
  void forgetLookedUp();
  LeaveOutcome lookUpArticle(const QString& code);
  LeaveOutcome lookUpTariff(const QString& code);
  LeaveOutcome lookUpSection(const QString& code);
  // Asks whether to create `code` in a form; the form opens when the program has one.
  // Tells what is missing and offers its creation form; true when the form was opened.
  bool offerCreation(const QString& window, const QString& missing, const QString& question,
                     const QString& code);
  bool openWindow(const QString& name);
  // Whether the number field at `place` (any other is never refused) does not hold a number,
  // after its message.
  bool numberRefused(int place);
  bool write(bool atEnd);
  QString number(double value, const QString& mask) const;

  CompositionSession& m_session;
  EntrySource m_source = EntrySource::Stock;
  std::array<QString, kFieldCount> m_texts;  // in the order of fieldNames()
  bool m_codeChanged = false;
  QString m_stockArticle;  // the stock article the fields were filled from
  QString m_filledFrom;    // the code the fields were last filled from by a look-up
  QString m_handedFamily;  // the family code handed to the composite-code window
  bool m_creationOffered = false;  // a creation form was opened for the code typed
  std::optional<QString> m_refused;
};

// The first row of `codes` (sorted) whose beginning, as long as `typed`, is at or after it;
// the last row when none is. Lists are positioned by typing this way.
int firstCodeAtOrAfter(const QStringList& codes, const QString& typed);

}  // namespace tarovent::composition
