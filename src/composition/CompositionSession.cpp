#include "composition/CompositionSession.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include "articles/ArticleFiles.h"
#include "composition/Explosion.h"
#include "composition/LineWriter.h"
#include "composition/LockFiles.h"
#include "composition/NumberFormat.h"
#include "composition/SessionFiles.h"
#include "composition/TableLocator.h"
#include "composition/Totals.h"
#include "core/DocumentNames.h"
#include "core/InputHelpers.h"
#include "core/Occupancy.h"
#include "core/Paths.h"
#include "core/ProcessState.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/ooxml/OoxmlError.h"
#include "platform/os/RunningPrograms.h"
#include "platform/text/TypedText.h"
#include "ui/BusyCursor.h"

namespace tarovent::composition {

namespace {

const QStringList kTemplateExtensions = {QStringLiteral(".dot"), QStringLiteral(".dotm"),
                                         QStringLiteral(".dotx")};

// The first of base + ".dot", ".dotm", ".dotx", then base itself, that exists.
QString existingTemplate(const QString& base) {
  for (const QString& ext : kTemplateExtensions)
    if (QFileInfo(core::localPath(base + ext)).isFile()) return core::localPath(base + ext);
  if (QFileInfo(core::localPath(base)).isFile()) return core::localPath(base);
  return {};
}

QString documentsFolder(core::ProcessState& state) {
  return core::withSeparator(state.base(core::entry::Main).folder);
}

}  // namespace

using session::fileStamp;
using session::readOnlyMessage;
using session::showDbError;
using session::writable;

CompositionSession::CompositionSession(core::ProcessState& state)
    : m_state(state), m_files(std::make_unique<articles::ArticleFiles>(state)) {}

CompositionSession::~CompositionSession() { release(); }

void CompositionSession::release() {
  if (!m_open) return;
  m_open = false;
  m_held.reset();
  m_doc.reset();
  m_state.compositionInProgress = false;
  if (m_state.compositionClosed) m_state.compositionClosed();
}

std::unique_ptr<CompositionSession> CompositionSession::open(core::ProcessState& state,
                                                             const OpenRequest& request) {
  ui::MessageFunnel& m = state.messages();
  if (state.compositionInProgress) {
    m.show(m.tr(QStringLiteral("Une composition est déjà en cours, veuillez la terminer d'abord")),
           ui::Icon::Warning);
    return nullptr;
  }
  std::unique_ptr<CompositionSession> s(new CompositionSession(state));
  s->m_origin = request.origin;
  s->checkBases();

  QString typeCode = request.typeCode;
  HeadValues head;
  if (request.origin == Origin::Dossier) {
    try {
      head = readHeadValues(state, state.quote);
    } catch (const db::DbError& e) {
      showDbError(m, e);
    }
    s->m_client = head.client;
    s->m_vat = head.vatField;
    if (typeCode.isEmpty()) typeCode = head.typeCode;
  }
  if (!s->openDocument(request)) return nullptr;
  if (request.origin == Origin::Dossier) {
    s->m_held = std::make_unique<core::HeldItem>(state);
    s->m_held->hold(
        core::quoteItem(state.quote.company, state.quote.dossier, state.quote.sequence));
    s->m_held->readSaveNumber();
  }
  // Numbers written from here on look like those the document already shows.
  s->m_separator = documentDecimalSeparator(*s->m_doc, workstationDecimalSeparator());
  if (!request.frozenReason.isEmpty())
    s->freeze(request.frozenReason);
  else if (request.origin == Origin::Dossier)
    fillHeadBookmarks(*s->m_doc, head.bookmarks);

  // The column layout is read once; a document without column bookmarks (a blank template)
  // still opens, its commands will say what is missing.
  const LocateResult located = Reperer_Tableaux(*s->m_doc, LocatePurpose::Recalculation);
  if (located.layout) s->m_columns = ColumnMap::read(*s->m_doc, located.layout->headerTable);
  s->m_layout = located.layout;
  // A new text left as it was made holds nothing of the user's: closing it asks nothing and
  // writes nothing; the next composition makes it again.
  if (s->m_newText) s->m_doc->setModified(false);

  s->readTypeOptions(typeCode);
  QString materials = state.quote.tarMat, labour = state.quote.tarMo;
  if (request.origin == Origin::QuoteTypes) {
    materials = s->m_tarMat.isEmpty() ? state.params.tarifMat : s->m_tarMat;
    labour = s->m_tarMo.isEmpty() ? state.params.tarifMo : s->m_tarMo;
  }
  s->setTariffModes(materials, labour);

  s->m_open = true;
  state.compositionInProgress = true;
  return s;
}

void CompositionSession::checkBases() {
  ui::MessageFunnel& m = m_state.messages();
  for (int entry : {core::entry::Stock, core::entry::Tariffs, core::entry::Planning}) {
    const core::BaseEntry& base = m_state.base(entry);
    if (!base.present()) continue;
    bool there = false;
    try {
      there = m_state.workspace.exists(core::localPath(base.path()));
    } catch (const db::DbError&) {
      // Out of reach: said as not accessible.
    }
    if (!there)
      m.show(m.tr(QStringLiteral("Le fichier ")) + base.path() +
                 m.tr(QStringLiteral(" n'est pas accessible.")),
             ui::Icon::Warning);
  }
}

bool CompositionSession::openDocument(const OpenRequest& request) {
  ui::MessageFunnel& m = m_state.messages();
  const QString folder = documentsFolder(m_state);
  const core::QuoteContext& quote = m_state.quote;
  try {
    if (request.origin == Origin::QuoteTypes) {
      // A code naming a file elsewhere has no template here.
      const bool plain = !request.typeCode.isEmpty() &&
                         QFileInfo(request.typeCode).fileName() == request.typeCode &&
                         request.typeCode != QLatin1String("..") &&
                         !request.typeCode.contains('\\');
      m_path = !request.documentPath.isEmpty() ? request.documentPath
               : plain                         ? existingTemplate(folder + request.typeCode)
                                               : QString();
      if (m_path.isEmpty() || !QFileInfo(m_path).isFile()) {
        m.show(m.tr(QStringLiteral("Le modèle du type ")) + request.typeCode +
                   m.tr(QStringLiteral(" n'existe pas.")),
               ui::Icon::Warning);
        return false;
      }
      m_doc = word::WordDocument::open(m_path);
      return true;
    }
    m_path = request.documentPath.isEmpty()
                 ? core::localPath(core::Chemin_Document(folder, quote.documentName))
                 : request.documentPath;
    m_newText = quote.newText;
    // A new text over an existing file: the user agreed to replace that file, as it is now.
    if (m_newText) m_replaced = fileStamp(m_path);
    if (!m_newText) {
      m_doc = word::WordDocument::open(m_path);
      m_readOnly = !writable(m_path);
      if (m_readOnly) m.show(readOnlyMessage(m, m_path), ui::Icon::Information);
      return true;
    }
    // A new version starts from the latest earlier text that exists, else from the template.
    for (int seq = quote.sequence.toInt() - 1; seq >= 0; --seq) {
      const QString earlier = core::localPath(
          core::Chemin_Document(folder, core::Nom_Document(quote.company, quote.dossier, seq)));
      if (QFileInfo(earlier).isFile()) {
        m_doc = word::WordDocument::fromTemplate(earlier);
        return true;
      }
    }
    QString base = existingTemplate(quote.templatePath);
    if (base.isEmpty()) base = existingTemplate(folder + QStringLiteral("VIDE"));
    if (base.isEmpty()) {
      m.show(m.tr(QStringLiteral("Aucun modèle de document n'a été trouvé pour ")) +
                 quote.templatePath,
             ui::Icon::Warning);
      return false;
    }
    m_doc = word::WordDocument::fromTemplate(base);
    return true;
  } catch (const ooxml::OoxmlError& e) {
    m.show(e.message(), ui::Icon::Critical);
    m_doc.reset();
    return false;
  }
}

void CompositionSession::readTypeOptions(const QString& code) {
  m_type = {};
  if (code.isEmpty()) return;
  try {
    db::Recordset t = m_state.mainDb().OpenRecordset("select * from TTYP where TTYP_CODE =" +
                                                     db::sqlLiteral(code));
    if (t.EOF_()) return;
    for (const char* field :
         {"TTYP_DART1A", "TTYP_DART2A", "TTYP_DART1F", "TTYP_DART2F", "TTYP_DTRF1", "TTYP_DTRF2",
          "TTYP_DART1A_HT", "TTYP_DART2A_HT", "TTYP_DART1F_HT", "TTYP_DART2F_HT", "TTYP_DTRF1_HT",
          "TTYP_DTRF2_HT", "TTYP_MASKET1", "TTYP_MASKET2", "TTYP_MASKHT1", "TTYP_MASKHT2",
          "TTYP_LibEnTitre", "TTYP_TitreEnGras", "TTYP_TitreSouligne"}) {
      const QString name = QString::fromLatin1(field);
      if (t.hasField(name)) m_type.flags.insert(name, t.flag(name));
    }
    if (!t.value("TTYP_TitreCorps").isNull()) m_type.titleSize = int(t.number("TTYP_TitreCorps"));
    if (m_origin == Origin::QuoteTypes) {
      m_tarMat = t.text("TTYP_TARMAT");
      m_tarMo = t.text("TTYP_TARMO");
    }
  } catch (const db::DbError& e) {
    showDbError(m_state.messages(), e);
  }
}

bool CompositionSession::setTariffModes(const QString& materials, const QString& labour) {
  ui::MessageFunnel& m = m_state.messages();
  const QString mat = materials.trimmed().toUpper(), mo = labour.trimmed().toUpper();
  const bool matOk = mat.size() == 1 && QStringLiteral("RVP").contains(mat);
  const bool moOk = mo.size() == 1 && QStringLiteral("RV").contains(mo);
  m_tarMat = matOk ? mat : QString();
  m_tarMo = moOk ? mo : QString();
  if (!matOk)
    m.show(m.tr(QStringLiteral("Le mode de tarification matières n'est pas correctement "
                               "initialisé")),
           ui::Icon::Warning);
  if (!moOk)
    m.show(m.tr(QStringLiteral("Le mode de tarification main d'oeuvre n'est pas correctement "
                               "initialisé")),
           ui::Icon::Warning);
  return matOk && moOk;
}

QString CompositionSession::materialsPrice() const {
  return m_tarMat == "R"   ? QStringLiteral("PDR")
         : m_tarMat == "P" ? QStringLiteral("PV2")
                           : QStringLiteral("PV1");
}

QString CompositionSession::labourPrice() const {
  return m_tarMo == "R" ? QStringLiteral("PDR") : QStringLiteral("PV");
}

bool CompositionSession::changedOnDisk() const { return m_doc && m_doc->changedOnDisk(); }

bool CompositionSession::close() {
  if (!m_open) return true;
  ui::MessageFunnel& m = m_state.messages();
  if (m_readOnly && m_doc->isModified()) {
    if (m.ask(m.tr(QStringLiteral("Le document est en lecture seule : ce qui y a été changé ne "
                                  "sera pas enregistré. Fermer quand même ?")),
              ui::Buttons::OkCancel, 2, ui::Icon::Question,
              m.tr(QStringLiteral("Enregistrement"))) != ui::Answer::Ok)
      return false;
  } else if (m_doc->isModified()) {
    const ui::Answer a =
        m.ask(m.tr(QStringLiteral("Enregistrer le document?")), ui::Buttons::YesNoCancel, 1,
              ui::Icon::Question, m.tr(QStringLiteral("Enregistrement")));
    if (a == ui::Answer::Cancel) return false;
    if (a == ui::Answer::Yes && !save()) return false;
  }
  if (m_origin == Origin::Dossier && !m_tarMat.isEmpty() && !m_tarMo.isEmpty()) {
    core::QuoteContext& q = m_state.quote;
    // The workspace writes the context's modes back when told of the close: they are the ones
    // chosen here.
    q.tarMat = m_tarMat;
    q.tarMo = m_tarMo;
    try {
      m_state.mainDb().Execute(
          QStringLiteral("update TDEV set TDEV_TARMAT=%1, TDEV_TARMO=%2 where TDEV_SOC=%3 "
                         "and TDEV_NUMDOSS=%4 and TDEV_NSEQ=%5")
              .arg(db::sqlLiteral(m_tarMat), db::sqlLiteral(m_tarMo), db::sqlLiteral(q.company))
              .arg(q.dossier)
              .arg(q.sequence.toInt()));
    } catch (const db::DbError& e) {
      showDbError(m, e);
    }
  }
  release();
  return true;
}

void CompositionSession::freeze(const QString& reason) {
  m_frozen = reason;
  m_readOnly = true;
}

void CompositionSession::refreshTotals() {
  // What is printed and mailed follows the lines as they are saved, as the amount stored with
  // the version does: the totals and sub-totals are written from the line cells.
  RecalcOptions o;
  o.fromQuote = true;
  o.vatField = m_vat;
  o.decimalSeparator = m_separator;
  o.totalsOnly = true;
  try {
    guarded([&] { return Recalcul_Document(m_state, *m_files, *m_doc, o).completed; },
            [&](int) {
              // Only the sub-total rows may have changed among the tables.
              for (const int t : subTotalTables(*m_doc))
                m_changes->rowsChanged(t, 1, m_doc->rowCount(t));
              m_changes->bookmarksChanged();
            });
  } catch (const db::DbError& e) {
    showDbError(m_state.messages(), e);
  }
}

QString CompositionSession::othersHolding() const {
  return m_held ? m_held->othersText() : QString();
}

bool CompositionSession::reload() {
  try {
    m_doc = word::WordDocument::open(m_path);
  } catch (const ooxml::OoxmlError& e) {
    m_state.messages().show(e.message(), ui::Icon::Critical);
    return false;
  }
  m_newText = false;
  if (m_held) m_held->readSaveNumber();
  m_readOnly = !m_frozen.isEmpty() || !writable(m_path);
  m_separator = documentDecimalSeparator(*m_doc, workstationDecimalSeparator());
  const LocateResult located = Reperer_Tableaux(*m_doc, LocatePurpose::Recalculation);
  m_columns = located.layout ? ColumnMap::read(*m_doc, located.layout->headerTable) : ColumnMap{};
  m_layout = located.layout;
  m_tableKinds.clear();
  m_cursor = {};
  if (m_changes) m_changes->documentReset();
  return true;
}

bool CompositionSession::setCursor(int table, int row) {
  if (table < 1 || table > m_doc->tableCount() || row < 1 || row > m_doc->rowCount(table)) {
    ui::MessageFunnel& m = m_state.messages();
    m.show(m.tr(QStringLiteral("Le curseur doit être positionné dans un tableau.")),
           ui::Icon::Warning);
    return false;
  }
  m_cursor = {table, row};
  return true;
}

template <class F, class N>
bool CompositionSession::guarded(F&& command, N&& notify) {
  const int tables = m_doc->tableCount();
  m_tableKinds.clear();
  bool done = false;
  try {
    done = command();
  } catch (const ooxml::OoxmlError& e) {
    m_state.messages().show(e.message(), ui::Icon::Critical);
    // Stopped half-way, it keeps what it did: the views read everything again.
    if (m_changes) m_changes->documentReset();
    return false;
  }
  if (m_changes) notify(tables);
  return done;
}

void CompositionSession::rowsChangedEverywhere() {
  for (int t = 1; t <= m_doc->tableCount(); ++t) m_changes->rowsChanged(t, 1, m_doc->rowCount(t));
}

bool CompositionSession::newTable() {
  return guarded([&] { return addLineTable(*m_doc, m_cursor, m_state.messages()); },
                 [&](int tables) {
                   // Locating the tables may have split the header off first.
                   if (m_doc->tableCount() == tables + 1)
                     m_changes->tableInserted(m_cursor.table);
                   else if (m_doc->tableCount() != tables)
                     m_changes->documentReset();
                 });
}

bool CompositionSession::split() {
  const Cursor at = m_cursor;
  return guarded([&] { return splitTableAtCursor(*m_doc, m_cursor, m_state.messages()); },
                 [&](int tables) {
                   if (m_doc->tableCount() != tables) m_changes->tableSplit(at.table, at.row);
                 });
}

bool CompositionSession::subTotal() { return insertSubTotal(std::nullopt); }

bool CompositionSession::extendedSubTotal(const QString& title) { return insertSubTotal(title); }

bool CompositionSession::subTotalAllowed() {
  return composition::subTotalAllowed(*m_doc, m_cursor, m_state.messages());
}

bool CompositionSession::insertSubTotal(const std::optional<QString>& title) {
  const int table = m_cursor.table;
  const int rows = table > 0 && table <= m_doc->tableCount() ? m_doc->rowCount(table) : 0;
  return guarded(
      [&] {
        return composition::insertSubTotal(*m_doc, m_columns, m_cursor, m_state.messages(), title,
                                           m_separator);
      },
      [&](int tables) {
        if (m_doc->tableCount() != tables + 1) return;
        // A row appended to the table, then made a table of its own with its colour.
        m_changes->rowsInserted(table, rows + 1, 1);
        m_changes->tableSplit(table, rows + 1);
        m_changes->rowsChanged(table + 1, 1, 1);
      });
}

bool CompositionSession::applyLevels(const QString& detailLevel, const QString& priceLevel) {
  return guarded(
      [&] {
        return applyPrintLevels(*m_doc, m_columns, detailLevel, priceLevel, m_print,
                                m_state.messages());
      },
      [&](int tables) {
        if (m_doc->tableCount() != tables) return m_changes->documentReset();
        rowsChangedEverywhere();
      });
}

bool CompositionSession::switchTableHidden() {
  const int table = m_cursor.table;
  return guarded(
      [&] {
        return composition::switchTableHidden(*m_doc, m_columns, m_cursor, m_state.messages());
      },
      [&](int) {
        if (table > 0 && table <= m_doc->tableCount())
          m_changes->rowsChanged(table, 1, m_doc->rowCount(table));
      });
}

bool CompositionSession::recalculate() { return runRecalculation({}); }

bool CompositionSession::adjust(int option, const QStringList& values) {
  const auto a = Valider_Ajustement(option, values, option == 3 ? values.value(0) : QString(),
                                    m_state.messages());
  return a && runRecalculation(*a);
}

bool CompositionSession::majorate(const QString& percentText) {
  bool ok = false;
  text::readTypedNumber(percentText, &ok);
  if (!ok) {
    ui::MessageFunnel& m = m_state.messages();
    m.show(m.tr(QStringLiteral("« ")) + percentText.trimmed() +
               m.tr(QStringLiteral(" » n'est pas un pourcentage.")),
           ui::Icon::Warning);
    return false;
  }
  return guarded(
      [&] { return Majoration_Total(*m_doc, m_state.messages(), percentText, m_separator); },
      [&](int) { m_changes->bookmarksChanged(); });
}

int CompositionSession::updateDesignations() {
  int rewritten = -1;
  try {
    guarded(
        [&] {
          rewritten = Maj_Designations(
              m_state, *m_files, *m_doc,
              descriptionRules([&](const QString& field) { return m_type.flag(field); }));
          return rewritten >= 0;
        },
        [&](int) { rowsChangedEverywhere(); });
  } catch (const db::DbError& e) {
    showDbError(m_state.messages(), e);
  }
  return rewritten;
}

bool CompositionSession::runRecalculation(const Adjustment& adjustment) {
  RecalcOptions o;
  o.fromQuote = m_origin == Origin::Dossier;
  o.vatField = m_vat;
  o.adjustment = adjustment;
  // Base prices follow the tariff modes of the window.
  o.adjustment.materialsPrice = materialsPrice();
  o.adjustment.labourPrice = labourPrice();
  o.decimalSeparator = m_separator;
  try {
    return guarded(
        [&] {
          m_lastRecalc = Recalcul_Document(m_state, *m_files, *m_doc, o);
          return m_lastRecalc.completed;
        },
        [&](int tables) {
          if (m_doc->tableCount() != tables) return m_changes->documentReset();
          rowsChangedEverywhere();
          m_changes->bookmarksChanged();
        });
  } catch (const db::DbError& e) {
    showDbError(m_state.messages(), e);
    if (m_changes) m_changes->documentReset();
    return false;
  }
}

}  // namespace tarovent::composition

namespace tarovent::composition {

PricingContext CompositionSession::pricing() const {
  PricingContext c;
  c.tarMat = m_tarMat;
  c.tarMo = m_tarMo;
  c.clientDiscount = m_client.discount;
  c.clientCategory = m_client.category;
  c.clientHourlyRate = m_client.labourRate;
  return c;
}

Cursor CompositionSession::endOfLines() {
  const LocateResult located = Reperer_Tableaux(*m_doc, LocatePurpose::Recalculation);
  if (!located.layout) return {};
  const std::vector<int> tables = lineTables(*m_doc, *located.layout);
  if (tables.empty()) return {};
  const int table = tables.back();
  const int rows = m_doc->rowCount(table);
  const auto written = [&](int row) {
    for (int c = 1; c <= m_doc->cellCount(table, row); ++c)
      if (!m_doc->cellText({table, row, c}).trimmed().isEmpty()) return true;
    return false;
  };
  int last = rows;
  while (last > 0 && !written(last)) --last;
  return {table, std::min(last + 1, rows)};
}

Cursor CompositionSession::openAfterLines() {
  const Cursor end = endOfLines();
  if (!end.isValid() || m_readOnly) return end;
  const int rows = m_doc->rowCount(end.table);
  bool written = false;
  for (int c = 1; c <= m_doc->cellCount(end.table, rows) && !written; ++c)
    written = !m_doc->cellText({end.table, rows, c}).trimmed().isEmpty();
  if (!written) return end;
  const bool modified = m_doc->isModified();
  try {
    const int row = m_doc->appendRow(end.table);
    m_doc->setRowHidden(end.table, row, false);
    m_doc->setModified(modified);
    if (m_changes) m_changes->rowsInserted(end.table, row, 1);
    return {end.table, row};
  } catch (const ooxml::OoxmlError&) {
    return end;  // the last row then, as before
  }
}

db::Recordset* CompositionSession::priceBreaks() {
  if (m_state.priceTable.isOpen()) return &m_state.priceTable;
  if (m_breaks.isOpen()) return &m_breaks;
  core::BaseEntry& commercial = m_state.base(core::entry::Commercial);
  if (!commercial.open()) return nullptr;
  try {
    m_breaks = commercial.db.OpenRecordset(QStringLiteral("TPRIX"), db::RecordsetType::Table);
    m_breaks.setIndex(QStringLiteral("PrimaryKey"));
  } catch (const db::DbError&) {
    m_breaks = {};
    return nullptr;
  }
  return &m_breaks;
}

std::optional<LineChange> CompositionSession::lineAtCursor() {
  if (!cursorOnLineTable()) return std::nullopt;
  const auto line = readWrittenLine(*m_doc, m_columns, m_cursor.table, m_cursor.row);
  if (!line) {
    ui::MessageFunnel& m = m_state.messages();
    m.show(m.tr(QStringLiteral("Cette ligne n'a ni quantité ni prix à modifier.")),
           ui::Icon::Information);
    return std::nullopt;
  }
  return shownChange(*line, m_state.Nb_Decimales, m_separator);
}

bool CompositionSession::changeLine(const LineChange& typed) {
  if (!lineAtCursor()) return false;
  ui::MessageFunnel& m = m_state.messages();
  const auto quantity = core::boxNumber(m, m.tr(QStringLiteral("Quantité")), typed.quantity);
  if (!quantity) return false;
  const auto price = core::boxNumber(m, m.tr(QStringLiteral("Prix unitaire")), typed.price);
  if (!price) return false;
  const auto discount = core::boxNumber(m, m.tr(QStringLiteral("Remise %")), typed.discount);
  if (!discount) return false;
  const int table = m_cursor.table, row = m_cursor.row;
  QuoteLine line = *readWrittenLine(*m_doc, m_columns, table, row);
  // The line is priced again as line entry prices it: breaks, then the floor price.
  EntryLine entry;
  entry.code = line.code;
  entry.quantity = *quantity;
  entry.unitPrice = *price;
  const bool priceTyped = !sameAmount(*price, line.grossPrice);
  try {
    const PricingContext c = pricing();
    db::Recordset* breaks = priceBreaks();
    if (!priceTyped && *quantity != line.quantity && breaks && !entry.code.isEmpty())
      applyPriceBreaks(*breaks, entry, c);
    if (priceTyped && !entry.code.isEmpty() && m_files->ensureStock() &&
        m_files->Trouver_Article(entry.code))
      applyFloorPrice(m_files->articles(), entry, m, m_separator);
  } catch (const db::DbError& e) {
    showDbError(m, e);
    return false;
  }
  line.quantity = *quantity;
  line.grossPrice = entry.unitPrice;
  line.discountPercent = *discount;
  return guarded(
      [&] {
        rewriteWrittenLine(*m_doc, m_columns, table, row, line, m_state.Nb_Decimales, m_separator);
        return true;
      },
      [&](int) { m_changes->rowsChanged(table, row, row); });
}

bool CompositionSession::cursorOnLineTable() {
  ui::MessageFunnel& m = m_state.messages();
  const bool inTable = m_cursor.isValid() && m_cursor.table <= m_doc->tableCount() &&
                       m_cursor.row <= m_doc->rowCount(m_cursor.table);
  if (m_tableKindsCount != m_doc->tableCount()) {
    m_tableKinds.clear();
    m_tableKindsCount = m_doc->tableCount();
  }
  TableKind kind = TableKind::Other;
  if (inTable && m_layout) {
    auto known = m_tableKinds.constFind(m_cursor.table);
    if (known == m_tableKinds.cend())
      known =
          m_tableKinds.insert(m_cursor.table, currentTableKind(*m_doc, *m_layout, m_cursor.table));
    kind = *known;
  }
  if (kind == TableKind::Line) return true;
  m.show(kind == TableKind::SubTotal
             ? m.tr(QStringLiteral("Vous êtes positionné dans un tableau de sous-total"))
             : m.tr(QStringLiteral("Le curseur doit être positionné dans un tableau.")),
         ui::Icon::Warning);
  return false;
}

bool CompositionSession::insertLine(const EntryLine& line) { return writeLine(line, false); }

bool CompositionSession::appendLine(const EntryLine& line) { return writeLine(line, true); }

double CompositionSession::discountOf(const EntryLine& line) {
  if (!m_discounts.isOpen() && line.type == QStringLiteral("A")) {
    core::BaseEntry& commercial = m_state.base(core::entry::Commercial);
    try {
      if (commercial.open()) {
        m_discounts =
            commercial.db.OpenRecordset(QStringLiteral("TREMI"), db::RecordsetType::Table);
        m_discounts.setIndex(QStringLiteral("PrimaryKey"));
      }
    } catch (const db::DbError&) {
      m_discounts = {};  // without discount classes the client's discount applies
    }
  }
  return lineDiscount(line, pricing(), &m_discounts, m_state.messages());
}

bool CompositionSession::writeLine(const EntryLine& line, bool atEnd) {
  ui::MessageFunnel& m = m_state.messages();
  const bool option = atEnd && line.type.compare(QStringLiteral("O"), Qt::CaseInsensitive) == 0;
  if (!option && !cursorOnLineTable()) return false;
  if (atEnd && line.code.isEmpty() && line.designation.isEmpty()) return false;
  if (line.quantity == 0 &&
      m.ask(m.tr(QStringLiteral("Quantité égale à 0 ?")), ui::Buttons::OkCancel, 1,
            ui::Icon::Question, m.tr(QStringLiteral("Insérer dans le document"))) != ui::Answer::Ok)
    return false;
  if (option) {
    ui::BusyCursor busy;
    if (!addOptionLine(*m_doc, line.designation)) return false;
    if (m_changes) m_changes->bookmarksChanged();
    return true;
  }
  bool explode = false;
  if (line.type.compare(QStringLiteral("F"), Qt::CaseInsensitive) == 0) {
    if (atEnd && !(m_files->ensureStock() && m_files->Trouver_Article(line.code))) {
      m.show(m.tr(QStringLiteral("Erreur interne : article introuvable : ")) + line.code,
             ui::Icon::Warning);
      return false;
    }
    const QString question =
        atEnd ? QStringLiteral("Voulez-vous utiliser la décomposition de l'article ")
              : QStringLiteral("Voulez-vous composer la décomposition de l'article ");
    const ui::Answer a = m.ask(m.tr(question) + line.code + m.tr(QStringLiteral(" ?")),
                               ui::Buttons::YesNoCancel, 1, ui::Icon::Question);
    if (a == ui::Answer::Cancel) return false;
    explode = a == ui::Answer::Yes;
  }

  ExplosionOptions o;
  o.lines.printPrice = m_print.printPrice;
  o.lines.printQuantity = m_print.printQuantity;
  o.lines.quantityDecimals = m_state.Nb_Decimales;
  o.lines.decimalSeparator = m_separator;
  o.pricing = pricing();
  o.type = m_type;
  o.rules = descriptionRules([&](const QString& field) { return m_type.flag(field); });
  o.discountPercent = discountOf(line);
  o.insert = !atEnd;
  try {
    ui::BusyCursor busy;
    bool done = true;
    if (explode)
      done =
          Eclater_Article(*m_files, *m_doc, m_columns, m_cursor, line, o, m, m_changes).completed;
    else
      writeEntryLine(*m_doc, m_columns, m_cursor, line, o, m_changes);
    if (!atEnd) m_doc->addBookmark(QStringLiteral("SAVEPOS"), {m_cursor.table, m_cursor.row, 1});
    return done;
  } catch (const ooxml::OoxmlError& e) {
    m.show(e.message(), ui::Icon::Critical);
  } catch (const db::DbError& e) {
    showDbError(m, e);
  }
  if (m_changes) m_changes->documentReset();
  return false;
}

}  // namespace tarovent::composition
