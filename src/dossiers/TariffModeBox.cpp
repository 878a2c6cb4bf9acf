#include "TariffModeBox.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

#include "TariffModes.h"

namespace tarovent::dossiers {

TariffModeBox::TariffModeBox(Kind kind, const QString& title, QWidget* parent)
    : QGroupBox(title, parent), m_kind(kind) {
  auto* layout = new QGridLayout(this);
  m_steps = new QButtonGroup(this);
  if (kind == Kind::Materials) {
    setObjectName("FRM_TARMAT");
    m_cost = radio("OPT_MAT_R", QStringLiteral("Prix de &revient"));
    m_selling = radio("OPT_MAT_PV", QStringLiteral("Prix de &vente"));
    m_first = radio("OPT_MAT_PV1", QStringLiteral("Prix de vente &1"));
    m_second = radio("OPT_MAT_PV2", QStringLiteral("Prix de vente &2"));
    m_prices = new QButtonGroup(this);
    m_prices->addButton(m_first);
    m_prices->addButton(m_second);
    layout->addWidget(m_cost, 0, 0, 1, 2);
    layout->addWidget(m_selling, 1, 0, 1, 2);
    layout->addWidget(m_first, 2, 1);
    layout->addWidget(m_second, 3, 1);
    layout->setColumnMinimumWidth(0, 20);
    connect(m_selling, &QRadioButton::toggled, this, &TariffModeBox::sellingChosen);
    sellingChosen(false);
  } else {
    setObjectName("FRM_TARMO");
    m_cost = radio("OPT_MO_R", QStringLiteral("Prix de revient"));
    m_selling = radio("OPT_MO_V", QStringLiteral("Prix de vente"));
    layout->addWidget(m_cost, 0, 0);
    layout->addWidget(m_selling, 1, 0);
    layout->setRowStretch(2, 1);
  }
  m_steps->addButton(m_cost);
  m_steps->addButton(m_selling);
}

QRadioButton* TariffModeBox::radio(const QString& name, const QString& caption) {
  auto* r = new QRadioButton(caption, this);
  r->setObjectName(name);
  connect(r, &QRadioButton::toggled, this, [this] { noteChange(); });
  return r;
}

void TariffModeBox::sellingChosen(bool on) {
  if (!m_first) return;
  m_first->setEnabled(on);
  m_second->setEnabled(on);
  if (m_applying) return;
  // Back to a selling price: the first one; a cost price leaves neither.
  if (on)
    m_first->setChecked(true);
  else
    clear(m_prices);
}

void TariffModeBox::clear(QButtonGroup* group) {
  group->setExclusive(false);
  for (auto* b : group->buttons()) b->setChecked(false);
  group->setExclusive(true);
}

QString TariffModeBox::letter() const {
  if (m_kind == Kind::Labour) {
    if (m_cost->isChecked()) return QStringLiteral("R");
    return m_selling->isChecked() ? QStringLiteral("V") : QString();
  }
  MaterialsChoice c;
  c.known = m_cost->isChecked() || m_selling->isChecked();
  c.sellingPrice = m_selling->isChecked();
  c.secondPrice = m_second->isChecked();
  return materialsLetter(c);
}

void TariffModeBox::setLetter(const QString& letter) {
  const QString l = letter.trimmed().toUpper();
  m_applying = true;
  if (m_kind == Kind::Labour) {
    if (validLabourMode(l))
      (l == "R" ? m_cost : m_selling)->setChecked(true);
    else
      clear(m_steps);
  } else {
    const MaterialsChoice c = materialsChoice(l);
    if (!c.known) {
      clear(m_steps);
      clear(m_prices);
    } else {
      (c.sellingPrice ? m_selling : m_cost)->setChecked(true);
      if (c.sellingPrice)
        (c.secondPrice ? m_second : m_first)->setChecked(true);
      else
        clear(m_prices);
    }
    m_first->setEnabled(m_selling->isChecked());
    m_second->setEnabled(m_selling->isChecked());
  }
  m_applying = false;
}

QVariant TariffModeBox::shownValue(const db::FieldSpec&) const {
  const QString l = letter();
  return l.isEmpty() ? QVariant() : QVariant(l);
}

void TariffModeBox::show(const QVariant& value, const db::FieldSpec&) {
  setLetter(value.isNull() ? QString() : value.toString());
}

}  // namespace tarovent::dossiers
