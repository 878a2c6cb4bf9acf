#include "composition/FCOMPO.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGridLayout>
#include <QGroupBox>
#include <QInputDialog>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "composition/Adjustment.h"
#include "composition/AdjustmentFrame.h"
#include "composition/ChangeRelay.h"
#include "composition/CompositionSession.h"
#include "composition/EntryPanel.h"
#include "composition/LineChangeFrame.h"
#include "composition/PreviewPane.h"
#include "composition/QuoteDocumentModel.h"
#include "composition/QuoteView.h"
#include "composition/WorkbookImportFrame.h"
#include "core/MainMenu.h"
#include "core/ProcessState.h"
#include "guard/MarginTally.h"
#include "guard/PriceMemory.h"
#include "guard/QuoteGuard.h"
#include "guard/SentVersions.h"

namespace tarovent::composition {

namespace {

const QString kMaterialsModes = QStringLiteral("RVP");
const QString kLabourModes = QStringLiteral("RV");

// The type's yes/no options as the composition shows them: field, caption.
const char* const kTypeOptions[][2] = {
    {"TTYP_DART1A", "Texte 1 des articles achetés"},
    {"TTYP_DART2A", "Texte 2 des articles achetés"},
    {"TTYP_DART1F", "Texte 1 des articles fabriqués"},
    {"TTYP_DART2F", "Texte 2 des articles fabriqués"},
    {"TTYP_DTRF1", "Texte 1 des tarifs fournisseurs"},
    {"TTYP_DTRF2", "Texte 2 des tarifs fournisseurs"},
    {"TTYP_DART1A_HT", "Texte 1 des articles achetés masqué"},
    {"TTYP_DART2A_HT", "Texte 2 des articles achetés masqué"},
    {"TTYP_DART1F_HT", "Texte 1 des articles fabriqués masqué"},
    {"TTYP_DART2F_HT", "Texte 2 des articles fabriqués masqué"},
    {"TTYP_DTRF1_HT", "Texte 1 des tarifs masqué"},
    {"TTYP_DTRF2_HT", "Texte 2 des tarifs masqué"},
    {"TTYP_MASKET1", "Texte 1 masqué dans le tableau"},
    {"TTYP_MASKET2", "Texte 2 masqué dans le tableau"},
    {"TTYP_MASKHT1", "Texte 1 masqué hors du tableau"},
    {"TTYP_MASKHT2", "Texte 2 masqué hors du tableau"},
    {"TTYP_LibEnTitre", "Désignation en titre"},
    {"TTYP_TitreEnGras", "Titre en gras"},
    {"TTYP_TitreSouligne", "Titre souligné"},
};

QString checkBoxName(const QString& field) {
  return QStringLiteral("BXK_") + field.mid(5);  // TTYP_DART1A -> BXK_DART1A
}

}  // namespace

FCOMPO* FCOMPO::create(core::ProcessState& state, QWidget* parent) {
  OpenRequest request;
  request.origin =
      state.compositionOrigin == QLatin1String("FDEV") ? Origin::Dossier : Origin::QuoteTypes;
  if (request.origin == Origin::QuoteTypes) request.typeCode = state.compositionType;
  // A version that has left is shown as it left.
  if (request.origin == Origin::Dossier)
    if (const auto sent = guard::sendingOfVersion(state, guard::contextKey(state)))
      request.frozenReason = guard::frozenReason(guard::contextKey(state), *sent);
  std::unique_ptr<CompositionSession> session = CompositionSession::open(state, request);
  if (!session) {
    // Nothing opened: nothing is to be told of a close.
    state.compositionClosed = {};
    return nullptr;
  }
  return new FCOMPO(state, std::move(session), parent);
}

FCOMPO::FCOMPO(core::ProcessState& state, std::unique_ptr<CompositionSession> session,
               QWidget* parent)
    : QWidget(parent),
      m_state(state),
      m_session(std::move(session)),
      m_tally(std::make_unique<guard::MarginTally>(state)),
      m_relay(std::make_unique<ChangeRelay>()) {
  setObjectName(QStringLiteral("FCOMPO"));
  // A quote's texts are French: Latin script, drawn without the shaping engine that every
  // repaint of the document's cells ran again. The program's font otherwise.
  QFont plain;
  plain.setStyleStrategy(QFont::PreferNoShaping);
  setFont(plain);
  setWindowTitle(QStringLiteral("Composition - ") +
                 QFileInfo(m_session->documentPath()).fileName());
  m_callerButton = m_session->origin() == Origin::Dossier ? QStringLiteral("CMD_M_DEVI_DEVIS")
                                                          : QStringLiteral("CMD_M_TABL_TYPE");

  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(4, 0, 4, 0);
  box->setSpacing(2);
  box->setMenuBar(buildMenus());
  if (!m_session->frozenReason().isEmpty()) {
    auto* frozen = new QLabel(m_session->frozenReason(), this);
    frozen->setObjectName(QStringLiteral("CTL_VersionEnvoyee"));
    frozen->setWordWrap(true);
    frozen->setStyleSheet(QStringLiteral("background:#fff3cd; color:#664d03; padding:4px;"));
    box->addWidget(frozen);
  }
  m_holders = new QLabel(this);
  m_holders->setObjectName(QStringLiteral("Lbl_Occupation"));
  m_holders->setWordWrap(true);
  m_holders->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold; padding:2px;"));
  box->addWidget(m_holders);
  showHolders();

  // Every save keeps the client's price memory up to date.
  m_session->setOnSaved([&state](word::WordDocument& doc, const QString& path) {
    guard::recordSavedQuote(state, path, doc);
  });
  m_entry = new EntryPanel(*m_session, this);
  for (int i = 0; i < m_sourceActions.size(); ++i)
    m_sourceActions[i]->setEnabled(m_entry->sourceEnabled(EntrySource(i)));
  m_adjustment = new AdjustmentFrame(this);
  m_lower = new QStackedWidget(this);
  m_lower->setObjectName(QStringLiteral("FRM_Saisie"));
  m_lower->addWidget(m_entry);
  m_lower->addWidget(m_adjustment);
  m_lower->addWidget(buildTitlePrompt());
  m_change = new LineChangeFrame(this);
  m_lower->addWidget(m_change);

  m_splitter = new QSplitter(Qt::Vertical, this);
  m_splitter->setObjectName(QStringLiteral("SPL_Composition"));
  m_splitter->setChildrenCollapsible(false);
  // The preview shares the width of the document's view only: the entry below keeps the whole
  // width of the window, which its fields need.
  m_withPreview = new QSplitter(Qt::Horizontal, m_splitter);
  m_withPreview->setObjectName(QStringLiteral("SPL_Apercu"));
  m_withPreview->setChildrenCollapsible(false);
  buildView();
  m_preview = new PreviewPane(m_state, m_withPreview);
  m_withPreview->addWidget(m_preview);
  m_withPreview->setStretchFactor(0, 3);
  m_withPreview->setStretchFactor(1, 2);
  m_splitter->addWidget(m_withPreview);
  auto* lower = new QWidget(m_splitter);
  auto* beside = new QHBoxLayout(lower);
  beside->setContentsMargins(0, 0, 0, 0);
  beside->addWidget(m_lower, 1);
  beside->addWidget(buildSidePanel());
  m_splitter->addWidget(lower);
  m_splitter->setStretchFactor(0, 3);
  m_splitter->setStretchFactor(1, 2);
  box->addWidget(m_splitter, 1);

  m_status = new QStatusBar(this);
  m_status->setObjectName(QStringLiteral("STB_Composition"));
  m_status->setSizeGripEnabled(false);
  m_place = new QLabel(this);
  m_place->setObjectName(QStringLiteral("CTL_Position"));
  m_status->addPermanentWidget(m_place);
  showPlace(m_view->cursor());
  m_margin = new QLabel(this);
  m_margin->setObjectName(QStringLiteral("CTL_TauxMarge"));
  m_status->addPermanentWidget(m_margin);
  showMarginRate();
  box->addWidget(m_status);
  m_status->showMessage(m_session->documentPath());
  orderTabs();

  connect(m_entry, &EntryPanel::lineWritten, this, &FCOMPO::afterLinesWritten);
  connect(m_entry, &EntryPanel::leaveRequested, this,
          [this] { m_view->grid().setFocus(Qt::OtherFocusReason); });
  connect(m_adjustment, &AdjustmentFrame::validated, this, &FCOMPO::Valider_Ajustement);
  connect(m_adjustment, &AdjustmentFrame::cancelled, this, &FCOMPO::Annuler_Ajustement);
  connect(m_change, &LineChangeFrame::validated, this, &FCOMPO::lineChanged);
  connect(m_change, &LineChangeFrame::cancelled, this, &FCOMPO::backToDocument);

  m_watcher = new QFileSystemWatcher(this);
  m_diskCheck = new QTimer(this);
  m_diskCheck->setSingleShot(true);
  m_diskCheck->setInterval(250);
  // Editors write in several steps: look once they are done.
  connect(m_watcher, &QFileSystemWatcher::fileChanged, m_diskCheck, qOverload<>(&QTimer::start));
  connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_diskCheck,
          qOverload<>(&QTimer::start));
  connect(m_diskCheck, &QTimer::timeout, this, &FCOMPO::checkDisk);
  watchFile();

  m_prompt = [this](const QString& title, const QString& question,
                    const QString& proposed) -> std::optional<QString> {
    bool ok = false;
    const QString answer =
        QInputDialog::getText(this, title, question, QLineEdit::Normal, proposed, &ok);
    if (!ok) return std::nullopt;
    return answer;
  };

  if (isSentVersion()) lockSentVersion();
  switchMenuButtons(true);
  m_view->grid().setFocus(Qt::OtherFocusReason);
}

FCOMPO::~FCOMPO() {
  // The views read the session's document: they go first.
  m_session->setChangeListener(nullptr);
  delete m_splitter;
  if (!m_closed) switchMenuButtons(false);
}

QWidget* FCOMPO::buildSidePanel() {
  auto* side = new QWidget(this);
  side->setObjectName(QStringLiteral("FRM_Options"));
  auto* column = new QVBoxLayout(side);
  column->setContentsMargins(0, 0, 0, 0);

  const auto modes = [&](const char* frame, const QString& title, const char* name,
                         const QStringList& captions) {
    auto* group = new QGroupBox(title, side);
    group->setObjectName(QString::fromLatin1(frame));
    auto* v = new QVBoxLayout(group);
    auto* buttons = new QButtonGroup(group);
    for (int i = 0; i < captions.size(); ++i) {
      auto* b = new QRadioButton(captions[i], group);
      b->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i));
      buttons->addButton(b, i);
      v->addWidget(b);
    }
    column->addWidget(group);
    // Clicked or reached with the arrows, which check the button without clicking it.
    connect(buttons, &QButtonGroup::idToggled, this, [this](int, bool on) {
      if (on && !m_showingModes) tariffModesChosen();
    });
    return buttons;
  };
  m_materials = modes("FRM_TarMat", QStringLiteral("Tarification &matières"), "OPT_TarMat",
                      {QStringLiteral("Prix de revient"), QStringLiteral("Prix de vente 1"),
                       QStringLiteral("Prix de vente 2")});
  m_labour = modes("FRM_TarMO", QStringLiteral("Tarification main d'&oeuvre"), "OPT_TarMO",
                   {QStringLiteral("Prix de revient"), QStringLiteral("Prix de vente")});
  showTariffModes();

  auto* print = new QGroupBox(QStringLiteral("Options d'&impression"), side);
  print->setObjectName(QStringLiteral("FRM_OptImpression"));
  auto* g = new QGridLayout(print);
  const auto level = [&](const char* name, const QString& caption, int row) {
    auto* e = new QLineEdit(print);
    e->setObjectName(QString::fromLatin1(name));
    e->setValidator(new QIntValidator(0, 999, e));
    e->setMaximumWidth(50);
    auto* label = new QLabel(caption, print);
    label->setBuddy(e);
    label->setWordWrap(true);
    g->addWidget(label, row, 0);
    g->addWidget(e, row, 1);
    return e;
  };
  m_detailLevel = level("CTX_MaxNivDet", QStringLiteral("Compositions jusqu'au niveau"), 0);
  m_priceLevel = level("CTX_MaxNivPrix", QStringLiteral("Prix jusqu'au niveau"), 1);
  const PrintOptions current = m_session->printOptions();
  auto* price = new QCheckBox(QStringLiteral("Imprimer le prix"), print);
  price->setObjectName(QStringLiteral("BXK_ImprimerPrix"));
  price->setChecked(current.printPrice);
  connect(price, &QCheckBox::toggled, this, [this](bool on) { m_session->setPrintPrice(on); });
  auto* quantity = new QCheckBox(QStringLiteral("Imprimer la quantité"), print);
  quantity->setObjectName(QStringLiteral("BXK_ImprimerQte"));
  quantity->setChecked(current.printQuantity);
  connect(quantity, &QCheckBox::toggled, this,
          [this](bool on) { m_session->setPrintQuantity(on); });
  auto* apply = new QPushButton(QStringLiteral("Effectuer l'affectation (échelonnement)"), print);
  apply->setObjectName(QStringLiteral("CMD_Mask_Niv"));
  connect(apply, &QPushButton::clicked, this, &FCOMPO::applyPrintLevels);
  g->addWidget(price, 2, 0, 1, 2);
  g->addWidget(quantity, 3, 0, 1, 2);
  g->addWidget(apply, 4, 0, 1, 2);
  column->addWidget(print);

  auto* type = new QGroupBox(QStringLiteral("Options du t&ype"), side);
  type->setObjectName(QStringLiteral("FRM_OptType"));
  auto* t = new QVBoxLayout(type);
  const TypeOptions& options = m_session->typeOptions();
  auto* size = new QSpinBox(type);
  size->setObjectName(QStringLiteral("CTX_TitreCorps"));
  size->setRange(4, 72);
  size->setValue(options.titleSize);
  connect(size, &QSpinBox::valueChanged, this, [this](int v) { m_session->setTitleSize(v); });
  auto* sizeRow = new QHBoxLayout;
  auto* sizeLabel = new QLabel(QStringLiteral("Corps du titre"), type);
  sizeLabel->setBuddy(size);
  sizeRow->addWidget(sizeLabel);
  sizeRow->addWidget(size);
  t->addLayout(sizeRow);
  for (const auto& option : kTypeOptions) {
    const QString field = QString::fromLatin1(option[0]);
    auto* c = new QCheckBox(QString::fromUtf8(option[1]), type);
    c->setObjectName(checkBoxName(field));
    c->setChecked(options.flag(field));
    connect(c, &QCheckBox::toggled, this,
            [this, field](bool on) { m_session->setTypeOption(field, on); });
    t->addWidget(c);
  }

  column->addWidget(type);
  column->addStretch();

  // Beside line entry, scrolled: the document above keeps the whole width.
  auto* scroll = new QScrollArea(this);
  scroll->setObjectName(QStringLiteral("SCR_Options"));
  scroll->setWidget(side);
  scroll->setWidgetResizable(true);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll->setFixedWidth(side->sizeHint().width() + scroll->verticalScrollBar()->sizeHint().width() +
                        4);
  return scroll;
}

QWidget* FCOMPO::buildTitlePrompt() {
  m_titlePrompt = new QFrame(this);
  m_titlePrompt->setObjectName(QStringLiteral("FRM_TitreSTOT"));
  auto* g = new QGridLayout(m_titlePrompt);
  auto* title = new QLabel(QStringLiteral("<b>Titre du sous-total</b>"), m_titlePrompt);
  m_title = new QLineEdit(m_titlePrompt);
  m_title->setObjectName(QStringLiteral("CTX_TitreSTOT"));
  auto* label = new QLabel(QStringLiteral("Insérer un sous-total au tableau"), m_titlePrompt);
  label->setBuddy(m_title);
  auto* ok = new QPushButton(QStringLiteral("OK"), m_titlePrompt);
  ok->setObjectName(QStringLiteral("Cmd_OKTitre"));
  auto* cancel = new QPushButton(QStringLiteral("Annuler"), m_titlePrompt);
  cancel->setObjectName(QStringLiteral("Cmd_AnnulTitre"));
  g->addWidget(title, 0, 0, 1, 3);
  g->addWidget(label, 1, 0);
  g->addWidget(m_title, 1, 1, 1, 2);
  // The buttons as wide as their captions, under the title's box.
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  buttons->addStretch();
  g->addLayout(buttons, 2, 1, 1, 2);
  g->setColumnStretch(1, 1);
  g->setRowStretch(3, 1);
  const auto insert = [this] {
    const QString text = m_title->text();
    backToEntry();
    atCursor([&] { return m_session->extendedSubTotal(text); });
  };
  connect(ok, &QPushButton::clicked, this, insert);
  connect(m_title, &QLineEdit::returnPressed, this, insert);
  connect(cancel, &QPushButton::clicked, this, [this] { backToEntry(); });
  m_title->installEventFilter(this);
  return m_titlePrompt;
}

void FCOMPO::buildView() {
  const int at = m_view ? m_withPreview->indexOf(m_view) : 0;
  const TableCursor cursor = m_view ? m_view->cursor() : TableCursor{};
  delete m_view;
  const LocateResult located =
      Reperer_Tableaux(m_session->document(), LocatePurpose::Recalculation);
  m_view = new QuoteView(m_session->document(), located.layout.value_or(TableLayout{}),
                         m_session->columns(), m_state.messages());
  m_withPreview->insertWidget(at, m_view);
  m_tally->invalidate();
  m_relay->setListeners({&m_view->model(), m_tally.get()});
  m_session->setChangeListener(m_relay.get());
  connect(m_view, &QuoteView::cursorChanged, this, [this](const TableCursor& c) {
    if (c.isValid()) m_session->setCursor(c.table, c.row);
    showPlace(c);
  });
  connect(m_view, &QuoteView::lineActivated, this, [this] { m_entry->takeFocus(); });
  connect(m_view, &QuoteView::typedForEntry, this,
          [this](QKeyEvent* key) { m_entry->startWithKey(*key); });
  connect(m_view, &QuoteView::lineDeleted, this, [this] {
    showMarginRate();
    queueTotals();
  });
  m_view->setReadOnly(isSentVersion());
  connect(m_view, &QuoteView::changeRefused, this, &FCOMPO::refuseChange);
  m_view->grid().installEventFilter(this);
  // At opening, the cursor waits after the last line: Enter adds the next one there.
  m_view->setCursor(cursor.isValid() ? cursor : m_session->openAfterLines());
  const TableCursor now = m_view->cursor();
  if (now.isValid()) m_session->setCursor(now.table, now.row);
}

void FCOMPO::orderTabs() {
  // Tab follows the screen from top to bottom: the document and its preview come before the
  // entry below them. The view is made after the entry (and again on each reload), so the
  // order it was given is not that one.
  const auto focusable = [](QWidget* w) {
    return (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && !w->focusProxy();
  };
  QList<QWidget*> document, order;
  for (QWidget* part : {static_cast<QWidget*>(m_view), static_cast<QWidget*>(m_preview)}) {
    if (part && focusable(part)) document << part;
    if (part)
      for (QWidget* w = part->nextInFocusChain(); w != part; w = w->nextInFocusChain())
        if (part->isAncestorOf(w) && focusable(w) && !document.contains(w)) document << w;
  }
  bool placed = false;
  for (QWidget* w = nextInFocusChain(); w != this; w = w->nextInFocusChain()) {
    if (!isAncestorOf(w) || !focusable(w) || document.contains(w)) continue;
    if (!placed && m_lower->isAncestorOf(w)) {
      order << document;
      placed = true;
    }
    order << w;
  }
  if (!placed) order << document;
  for (qsizetype i = 0; i + 1 < order.size(); ++i) setTabOrder(order[i], order[i + 1]);
}

void FCOMPO::showPlace(const TableCursor& c) {
  // The status bar is built after the view, which shows its place once it exists.
  if (m_place)
    m_place->setText(c.isValid() ? QStringLiteral("Tableau %1, ligne %2").arg(c.table).arg(c.row)
                                 : QString());
}

void FCOMPO::afterLinesWritten() {
  m_view->followCursor(m_session->cursor());
  // A line written above the cursor moves the cursor's row without the grid telling.
  showPlace(m_session->cursor());
  showMarginRate(false);
  queueTotals();
}

void FCOMPO::queueTotals() {
  if (m_totalsQueued || m_session->origin() != Origin::Dossier) return;
  m_totalsQueued = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        m_totalsQueued = false;
        if (m_session && m_session->isOpen()) m_session->refreshTotals();
      },
      Qt::QueuedConnection);
}

void FCOMPO::showTariffModes() {
  m_showingModes = true;
  const auto select = [](QButtonGroup* group, const QString& modes, const QString& mode) {
    const int index = mode.isEmpty() ? -1 : int(modes.indexOf(mode));
    group->setExclusive(index >= 0);
    for (QAbstractButton* b : group->buttons()) b->setChecked(group->id(b) == index);
    group->setExclusive(true);
  };
  select(m_materials, kMaterialsModes, m_session->materialsMode());
  select(m_labour, kLabourModes, m_session->labourMode());
  m_showingModes = false;
}

void FCOMPO::tariffModesChosen() {
  const int mat = m_materials->checkedId(), mo = m_labour->checkedId();
  if (mat < 0 || mo < 0) return;  // the other group is still to be chosen
  m_session->setTariffModes(kMaterialsModes.mid(mat, 1), kLabourModes.mid(mo, 1));
}

template <class F>
void FCOMPO::atCursor(F&& command) {
  const TableCursor c = m_view->cursor();
  if (c.isValid()) m_session->setCursor(c.table, c.row);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  command();
  QApplication::restoreOverrideCursor();
  const TableCursor after = m_session->cursor();
  if (after.isValid()) m_view->setCursor(after);
  if (m_session->document().isModified())
    showStatus(QStringLiteral("Document modifié (non enregistré)"));
  showMarginRate();
}

void FCOMPO::newTable() {
  atCursor([this] { return m_session->newTable(); });
}

void FCOMPO::split() {
  atCursor([this] { return m_session->split(); });
}

void FCOMPO::subTotal() {
  atCursor([this] { return m_session->subTotal(); });
}

void FCOMPO::extendedSubTotal() {
  // Nothing is asked for a sub-total that could not go there.
  const TableCursor c = m_view->cursor();
  if (c.isValid()) m_session->setCursor(c.table, c.row);
  if (!m_session->subTotalAllowed()) return;
  m_title->setText(QStringLiteral("Sous-total"));
  m_title->selectAll();
  m_lower->setCurrentWidget(m_titlePrompt);
  m_title->setFocus(Qt::OtherFocusReason);
}

void FCOMPO::applyPrintLevels() {
  atCursor([this] { return m_session->applyLevels(m_detailLevel->text(), m_priceLevel->text()); });
}

void FCOMPO::switchTableHidden() {
  atCursor([this] { return m_session->switchTableHidden(); });
}

void FCOMPO::recalculate() {
  atCursor([this] { return m_session->recalculate(); });
}

void FCOMPO::changeLine() {
  const TableCursor c = m_view->cursor();
  if (c.isValid()) m_session->setCursor(c.table, c.row);
  const std::optional<LineChange> shown = m_session->lineAtCursor();
  if (!shown) return;
  m_lower->setCurrentWidget(m_change);
  m_change->start(*shown);
}

void FCOMPO::lineChanged() {
  bool changed = false;
  atCursor([&] { return changed = m_session->changeLine(m_change->values()); });
  if (!changed) return;
  queueTotals();
  backToDocument();
}

void FCOMPO::backToDocument() {
  m_lower->setCurrentWidget(m_entry);
  m_view->grid().setFocus(Qt::OtherFocusReason);
}

void FCOMPO::majorate() {
  const std::optional<QString> answer =
      m_prompt(m_state.Traduire(QStringLiteral("Majoration Total HT net")),
               m_state.Traduire(QStringLiteral("Appliquer une majoration au total HT Net (%) :")),
               QStringLiteral("0"));
  if (!answer) return;
  atCursor([&] { return m_session->majorate(*answer); });
}

void FCOMPO::updateDesignations() {
  int rewritten = -1;
  atCursor([&] { return (rewritten = m_session->updateDesignations()) >= 0; });
  if (rewritten >= 0)
    showStatus(QStringLiteral("Désignations mises à jour : %1 ligne(s)").arg(rewritten));
}

void FCOMPO::Ouvrir_Ajustement() {
  m_lower->setCurrentWidget(m_adjustment);
  m_adjustment->Ouvrir_Ajustement(m_session->materialsPrice(), m_session->labourPrice());
}

void FCOMPO::Valider_Ajustement() {
  const int option = m_adjustment->option();
  const QStringList values = m_adjustment->values();
  // A box without a number keeps the keyboard; no price changes.
  int refused = -1;
  if (!composition::Valider_Ajustement(option, values, option == 3 ? values.value(0) : QString(),
                                       m_state.messages(), &refused)) {
    m_adjustment->focusValue(refused);
    return;
  }
  m_adjustment->setBusy(true);
  atCursor([&] { return m_session->adjust(option, values); });
  m_adjustment->setBusy(false);
  backToEntry(EntryPanel::Field::Quantity);
}

void FCOMPO::Annuler_Ajustement() { backToEntry(EntryPanel::Field::Quantity); }

void FCOMPO::backToEntry(EntryPanel::Field field) {
  m_lower->setCurrentWidget(m_entry);
  if (field == EntryPanel::Field::Quantity)
    m_entry->focusQuantity();
  else
    m_entry->takeFocus();
}

bool FCOMPO::save() {
  if (!m_session->save()) return false;
  showStatus(QStringLiteral("Document enregistré"));
  watchFile();
  m_preview->saved(m_session->documentPath());
  return true;
}

void FCOMPO::switchPreview() {
  m_preview->toggle(m_session->documentPath());
  // The file is converted, not the screen: what is not saved is not in it yet.
  if (!m_preview->isHidden() && m_session->document().isModified())
    showStatus(QStringLiteral("L'aperçu montre le document tel qu'il est enregistré"));
}

void FCOMPO::importWorkbook() {
  if (!m_import)
    m_import = new WorkbookImportFrame(
        *m_session,
        // The views read the document again on their own; the print levels apply again.
        [this] { applyPrintLevels(); }, this);
  if (m_import->isVisible() || m_import->start()) {
    m_import->show();
    m_import->raise();
  }
}

void FCOMPO::editInWordProcessor() {
  ui::MessageFunnel& m = m_state.messages();
  // The word processor reads the file: what was done here goes into it first.
  if (m_session->isNewText() || m_session->document().isModified()) {
    if (m.ask(m.tr(QStringLiteral("Le document doit être enregistré avant d'être ouvert dans le "
                                  "traitement de texte. L'enregistrer maintenant ?")),
              ui::Buttons::YesNo, 1) != ui::Answer::Yes ||
        !save())
      return;
  }
  if (!m_state.openDocument || !m_state.openDocument(m_session->documentPath())) {
    m.show(m.tr(QStringLiteral("Le traitement de texte n'a pas pu être lancé.")),
           ui::Icon::Warning);
    return;
  }
  watchFile();
  showStatus(
      QStringLiteral("Document ouvert dans le traitement de texte : ce qui y sera "
                     "enregistré sera relu ici"));
}

void FCOMPO::watchFile() {
  const QString path = m_session->documentPath();
  if (!QFileInfo::exists(path)) return;
  // Editors that save by replacing the file leave the watcher on the old one: watch again,
  // and the folder too, where the new file appears.
  if (!m_watcher->files().contains(path)) m_watcher->addPath(path);
  const QString folder = QFileInfo(path).absolutePath();
  if (!m_watcher->directories().contains(folder)) m_watcher->addPath(folder);
}

void FCOMPO::checkDisk() {
  watchFile();
  if (m_asking || !m_session->isOpen() || !m_session->changedOnDisk()) return;
  if (!m_session->document().isModified()) return reloadFromDisk();
  ui::MessageFunnel& m = m_state.messages();
  m_asking = true;
  const ui::Answer a = m.ask(
      m.tr(QStringLiteral("Le document a été modifié en dehors de Tarovent alors que des "
                          "modifications faites ici ne sont pas enregistrées.\n"
                          "Oui : garder la version de Tarovent, qui remplacera le fichier à "
                          "l'enregistrement.\n"
                          "Non : reprendre la version du fichier et abandonner les "
                          "modifications faites ici.\n"
                          "Annuler : ne rien décider pour l'instant.")),
      ui::Buttons::YesNoCancel, 3, ui::Icon::Question, m.tr(QStringLiteral("Document modifié")));
  m_asking = false;
  if (a == ui::Answer::Yes) {
    m_session->document().keepOverDiskVersion();
    showStatus(
        QStringLiteral("Version de Tarovent conservée : elle remplacera le fichier à "
                       "l'enregistrement"));
  } else if (a == ui::Answer::No) {
    reloadFromDisk();
  }
}

void FCOMPO::reloadFromDisk() {
  m_session->setChangeListener(nullptr);
  const bool done = m_session->reload();
  buildView();
  orderTabs();
  if (done) showStatus(QStringLiteral("Document relu : il a été modifié en dehors de Tarovent"));
}

void FCOMPO::showArticlePictures() {
  const auto [code, label] = m_entry->selectedArticle();
  if (code.isEmpty() || !m_state.opener) return;
  m_state.pictureArticle = code;
  m_state.pictureArticleLabel = label;
  m_state.opener->openWindow(QStringLiteral("FARTINFOS"));
}

void FCOMPO::activated() {
  showHolders();
  m_entry->windowActivated();
}

void FCOMPO::showHolders() {
  const QString text = m_session->othersHolding();
  m_holders->setText(text);
  m_holders->setVisible(!text.isEmpty());
}

void FCOMPO::showStatus(const QString& text) { m_status->showMessage(m_state.Traduire(text)); }

void FCOMPO::switchMenuButtons(bool composing) {
  auto* menu = dynamic_cast<core::MainMenu*>(m_state.opener);
  if (!menu) return;
  if (composing) {
    menu->Eteindre_Menu(m_callerButton);
    menu->Allumer_Menu(QStringLiteral("CMD_M_COMPO"));
  } else {
    menu->Eteindre_Menu(QStringLiteral("CMD_M_COMPO"));
    menu->Allumer_Menu(m_callerButton);
  }
}

bool FCOMPO::closeComposition() {
  if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) return sub->close();
  return close();
}

void FCOMPO::closeEvent(QCloseEvent* event) {
  if (m_session->isOpen() && !m_session->close()) {
    event->ignore();
    return;
  }
  if (!m_closed) switchMenuButtons(false);
  m_closed = true;
  event->accept();
}

bool FCOMPO::event(QEvent* event) {
  // A code composed or created in another window comes back into line entry, whether the
  // program or this sub-window of it became active again.
  if (event->type() == QEvent::WindowActivate && m_entry) m_entry->windowActivated();
  // An earlier text reopened: what has moved in the files since it was written.
  if (event->type() == QEvent::Show && !m_driftChecked) {
    m_driftChecked = true;
    if (m_session->origin() == Origin::Dossier && !m_session->isNewText())
      QTimer::singleShot(0, this, [this] { showCostDrift(); });
  }
  if (event->type() == QEvent::ParentChange)
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
      connect(sub, &QMdiSubWindow::aboutToActivate, this, &FCOMPO::activated, Qt::UniqueConnection);
      // The sub-window closes on the same keys by itself: one shortcut each.
      if (auto* close = findChild<QAction*>(QStringLiteral("M_Fermer")))
        close->setShortcut(QKeySequence());
    }
  return QWidget::event(event);
}

bool FCOMPO::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    if (m_view && watched == &m_view->grid()) {
      closeComposition();
      return true;
    }
    if (watched == m_title) {
      backToEntry();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace tarovent::composition
