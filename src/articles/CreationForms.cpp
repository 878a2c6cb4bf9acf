#include "articles/CreationForms.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QVBoxLayout>

#include "articles/ArticleCreation.h"
#include "articles/ArticleFiles.h"
#include "articles/FNOMENC.h"
#include "core/InputHelpers.h"
#include "core/ProcessState.h"
#include "platform/db/DbError.h"
#include "platform/text/TypedText.h"
#include "ui/DbErrorMessage.h"

namespace tarovent::articles {

namespace {

// The keyboard went to a message box, a menu or another window: the field is not left.
bool leftForAnotherWindow(QEvent* e) {
  const auto reason = static_cast<QFocusEvent*>(e)->reason();
  return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

bool isEnter(QEvent* e) {
  if (e->type() != QEvent::KeyPress) return false;
  const int key = static_cast<QKeyEvent*>(e)->key();
  return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

CreationForm::CreationForm(core::ProcessState& state, const QString& name, const QString& title,
                           QWidget* parent)
    : QWidget(parent), m_state(state), m_form(new QFormLayout) {
  setObjectName(name);
  setWindowTitle(state.messages().tr(title));
}

bool CreationForm::eventFilter(QObject* watched, QEvent* event) {
  if (isEnter(event)) {
    focusNextChild();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void CreationForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::NoModifier) return save();
  if (event->key() == Qt::Key_Escape) return cancel();
  QWidget::keyPressEvent(event);
}

QLineEdit* CreationForm::field(const char* name, const QString& caption) {
  auto* box = new QLineEdit(this);
  box->setObjectName(QLatin1String(name));
  box->installEventFilter(this);
  m_form->addRow(caption, box);
  return box;
}

void CreationForm::addButtons() {
  ui::MessageFunnel& m = m_state.messages();
  auto* row = new QHBoxLayout;
  row->addStretch();
  const auto add = [&](const char* name, const QString& caption, void (CreationForm::*slot)()) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QLatin1String(name));
    // Enter on the button that has the keyboard presses it: the last field leads to Enregistrer.
    b->setAutoDefault(true);
    connect(b, &QPushButton::clicked, this, slot);
    row->addWidget(b);
  };
  add("Cmd_Enregistrer", m.tr("&Enregistrer"), &CreationForm::save);
  add("Cmd_Annuler", m.tr("&Annuler"), &CreationForm::cancel);
  add("Cmd_Quitter", m.tr("&Quitter"), &CreationForm::closeForm);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(m_form);
  layout->addLayout(row);
}

void CreationForm::closeForm() {
  if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
    sub->close();
  else
    close();
}

void CreationForm::cancel() {
  m_state.creationCode.clear();
  m_state.creationLabel.clear();
  closeForm();
}

FCREART::FCREART(core::ProcessState& state, QWidget* parent)
    : CreationForm(state, QStringLiteral("FCREART"), QStringLiteral("Création d'un article"),
                   parent),
      m_files(std::make_unique<ArticleFiles>(state)) {
  ui::MessageFunnel& m = state.messages();
  m_code = field("CTX_CODART", m.tr("Code"));
  m_label = field("CTX_LIBART", m.tr("Libellé"));
  m_unit = field("CTX_UNITE", m.tr("Unité"));
  m_type = field("CTX_TYPE", m.tr("Type (A/F)"));
  m_supplier = field("CTX_FOURN", m.tr("Fournisseur"));
  m_pmp = field("CTX_PMP", m.tr("Prix d'achat"));
  m_overhead = field("CTX_COEFFRG", m.tr("Frais généraux %"));
  m_margin1 = field("CTX_COEFU1", m.tr("Marge 1 %"));
  m_margin2 = field("CTX_COEFU2", m.tr("Marge 2 %"));
  m_price1 = field("CTX_PVU1", m.tr("Prix de vente 1"));
  m_price2 = field("CTX_PVU2", m.tr("Prix de vente 2"));
  m_code->setReadOnly(true);
  const NewArticle fresh;
  m_code->setText(state.creationCode);
  m_label->setText(state.creationLabel);
  m_unit->setText(fresh.unit);
  m_type->setText(fresh.type);
  m_price1->setText(fresh.price1);
  m_price2->setText(fresh.price2);
  addButtons();
}

FCREART::~FCREART() = default;

bool FCREART::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) {
    if (watched == m_type) {
      QString type = m_type->text();
      const bool ok = acceptArticleType(type);
      m_type->setText(type);
      if (!ok) {
        m_state.messages().beep();
        m_type->setFocus();
      }
    } else if ((watched == m_pmp || watched == m_overhead || watched == m_margin1 ||
                watched == m_margin2) &&
               !leftForAnotherWindow(event)) {
      // A box left without a number keeps the keyboard; the prices stay as they are.
      auto* box = static_cast<QLineEdit*>(watched);
      const QString label = m_form->labelForField(box)
                                ? static_cast<QLabel*>(m_form->labelForField(box))->text()
                                : QString();
      if (core::boxNumber(m_state.messages(), label, box->text()))
        computePrices();
      else
        box->setFocus();
    }
  }
  return CreationForm::eventFilter(watched, event);
}

void FCREART::computePrices() {
  // Prices come only from numbers: a box still refused leaves them as they are.
  for (const QLineEdit* box : {m_pmp, m_overhead, m_margin1, m_margin2}) {
    bool ok = false;
    text::readTypedNumber(box->text(), &ok);
    if (!ok) return;
  }
  NewArticle a;
  a.purchasePrice = m_pmp->text();
  a.overhead = m_overhead->text();
  a.margin1 = m_margin1->text();
  a.margin2 = m_margin2->text();
  a.price1 = m_price1->text();
  a.price2 = m_price2->text();
  Calculer_Prix_Vente(a);
  m_price1->setText(a.price1);
  m_price2->setText(a.price2);
}

void FCREART::save() {
  NewArticle a{m_code->text(),     m_label->text(),  m_unit->text(),     m_type->text(),
               m_supplier->text(), m_pmp->text(),    m_overhead->text(), m_margin1->text(),
               m_margin2->text(),  m_price1->text(), m_price2->text()};
  ui::MessageFunnel& m = m_state.messages();
  try {
    if (!m_files->ensureStock()) return;
    const ArticleField refused = Creer_Article(*m_files, a, m);
    if (refused != ArticleField::None) {
      QLineEdit* const boxes[] = {nullptr, m_label,    m_type,    m_unit,   m_pmp,
                                  m_overhead, m_margin1, m_margin2, m_price1, m_price2};
      boxes[int(refused)]->setFocus();
      return;
    }
    m_state.createdCode = a.code;
    if (offerNomenclature(m_state, a, m) && m_state.opener)
      m_state.opener->openWindow(QStringLiteral("FNOMENC"));
  } catch (const db::DbError& e) {
    ui::showDbError(m, e);
    return;
  }
  closeForm();
}

FCRETRF::FCRETRF(core::ProcessState& state, QWidget* parent)
    : CreationForm(state, QStringLiteral("FCRETRF"), QStringLiteral("Création d'un tarif"),
                   parent) {
  ui::MessageFunnel& m = state.messages();
  m_supplier = new QComboBox(this);
  m_supplier->setObjectName(QStringLiteral("DBC_FOURN"));
  m_supplier->setEditable(true);
  m_supplier->installEventFilter(this);
  m_supplierName = new QLabel(this);
  m_supplierName->setObjectName(QStringLiteral("CTL_RSFOURN"));
  auto* supplierRow = new QHBoxLayout;
  supplierRow->addWidget(m_supplier);
  supplierRow->addWidget(m_supplierName, 1);
  m_form->addRow(m.tr("Fournisseur"), supplierRow);
  m_reference = field("CTX_REFFOURN", m.tr("Référence"));
  m_label = field("CTX_LIBART", m.tr("Libellé"));
  m_unit = field("CTX_UNITE", m.tr("Unité"));
  m_purchase = field("CTX_PUNIT", m.tr("Prix d'achat"));
  m_sale = field("CTX_PRIXVEN", m.tr("Prix de vente"));
  m_reference->setText(state.creationCode);
  m_label->setText(state.creationLabel);
  try {
    db::Recordset suppliers =
        state.base(core::entry::Tariffs).db.OpenRecordset("TFOU", db::RecordsetType::Table);
    suppliers.setIndex("PrimaryKey");
    for (; !suppliers.EOF_(); suppliers.MoveNext())
      m_supplier->addItem(suppliers.text("TFOU_CodFourn"));
  } catch (const db::DbError&) {
    m.show(m.tr("Le fichier des fournisseurs n'a pu être ouvert"), ui::Icon::Warning);
  }
  m_supplier->setCurrentIndex(-1);
  connect(m_supplier, &QComboBox::currentTextChanged, this, &FCRETRF::showSupplierName);
  addButtons();
}

void FCRETRF::showSupplierName() {
  try {
    m_supplierName->setText(supplierName(m_state, m_supplier->currentText()));
  } catch (const db::DbError&) {
    m_supplierName->clear();
  }
}

void FCRETRF::save() {
  NewTariffLine l{m_supplier->currentText(), m_reference->text(), m_label->text(), m_unit->text(),
                  m_purchase->text(),        m_sale->text()};
  ui::MessageFunnel& m = m_state.messages();
  try {
    switch (Creer_Tarif(m_state, l, m)) {
      case TariffField::Supplier:
        m_supplier->setFocus();
        return;
      case TariffField::Label:
        m_label->setFocus();
        return;
      case TariffField::PurchasePrice:
        m_purchase->setFocus();
        return;
      case TariffField::SalePrice:
        m_sale->setFocus();
        return;
      case TariffField::None:
        break;
    }
  } catch (const db::DbError& e) {
    ui::showDbError(m, e);
    return;
  }
  m_state.createdCode = l.reference;
  closeForm();
}

void registerCreationWindows(core::ProcessState& state) {
  state.windows.add(QStringLiteral("FCREART"),
                    {[&state](QWidget* parent) { return new FCREART(state, parent); }, false});
  state.windows.add(QStringLiteral("FCRETRF"),
                    {[&state](QWidget* parent) { return new FCRETRF(state, parent); }, false});
  state.windows.add(QStringLiteral("FNOMENC"),
                    {[&state](QWidget* parent) { return new FNOMENC(state, parent); }, false});
}

}  // namespace tarovent::articles
