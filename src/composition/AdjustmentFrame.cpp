#include "composition/AdjustmentFrame.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace tarovent::composition {

namespace {

const char* const kCaptions[] = {"Application de % différenciés",
                                 "Application d'un % global",
                                 "Recalcul aux prix de revient",
                                 "Forçage du montant à ",
                                 "Retour aux prix de base (ceux des options)",
                                 "Majoration Montant HT Net (%)"};

}  // namespace

AdjustmentFrame::AdjustmentFrame(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("FRM_Ajustement"));
  setFrameShape(QFrame::StyledPanel);
  auto* grid = new QGridLayout(this);
  auto* title = new QLabel(QStringLiteral("<b>Ajustement des prix</b>"), this);
  grid->addWidget(title, 0, 0, 1, 4);
  auto* group = new QButtonGroup(this);
  m_fields.resize(6);

  const auto box = [&](const char* name, const QString& caption, int option, int row, int col) {
    auto* label = new QLabel(caption, this);
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaximumWidth(110);
    edit->setAlignment(Qt::AlignRight);
    label->setBuddy(edit);
    edit->installEventFilter(this);
    grid->addWidget(label, row, col);
    grid->addWidget(edit, row, col + 1);
    m_fields[option] << label << edit;
    m_boxes << edit;
  };

  int row = 1;
  for (int i = 0; i < 6; ++i) {
    auto* b = new QRadioButton(QString::fromUtf8(kCaptions[i]), this);
    b->setObjectName(QStringLiteral("OPT_Ajust_%1").arg(i));
    b->installEventFilter(this);
    group->addButton(b, i);
    m_options << b;
    grid->addWidget(b, row, 0);
    switch (i) {
      case 0:
        box("CTX_PcMatiere", QStringLiteral("- matière"), 0, row, 1);
        box("CTX_PcComposants", QStringLiteral("- composants à l'unité"), 0, row + 1, 1);
        box("CTX_PcMO", QStringLiteral("- main d'oeuvre"), 0, row + 2, 1);
        box("CTX_PcFournitures", QStringLiteral("- fournitures spéciales"), 0, row + 3, 1);
        row += 4;
        break;
      case 1:
        box("CTX_PcGlobal", QStringLiteral("%"), 1, row++, 1);
        break;
      case 3:
        box("CTX_Montant", QStringLiteral("montant HT net"), 3, row++, 1);
        break;
      case 5:
        box("CTX_Majoration", QStringLiteral("%"), 5, row++, 1);
        break;
      default:
        ++row;
    }
  }
  m_ok = new QPushButton(QStringLiteral("OK"), this);
  m_ok->setObjectName(QStringLiteral("Cmd_OKAjust"));
  auto* cancel = new QPushButton(QStringLiteral("Annuler"), this);
  cancel->setObjectName(QStringLiteral("Cmd_AnnulAjust"));
  grid->addWidget(m_ok, row, 1);
  grid->addWidget(cancel, row, 2);
  grid->setColumnStretch(3, 1);
  grid->setRowStretch(row + 1, 1);
  connect(m_ok, &QPushButton::clicked, this, &AdjustmentFrame::validated);
  m_ok->installEventFilter(this);
  connect(cancel, &QPushButton::clicked, this, &AdjustmentFrame::cancelled);
  connect(group, &QButtonGroup::idToggled, this, [this](int id, bool on) {
    if (on) Choisir_Ajustement(id);
  });
  m_options[0]->setChecked(true);
  Choisir_Ajustement(0);
}

void AdjustmentFrame::Ouvrir_Ajustement(const QString& materialsPrice, const QString& labourPrice) {
  for (QLineEdit* e : m_boxes) e->clear();
  m_options[4]->setText(QStringLiteral("Recalcul avec Mat au ") + materialsPrice +
                        QStringLiteral(", MO au ") + labourPrice);
  setBusy(false);
  Choisir_Ajustement(option());
  m_options[option()]->setFocus(Qt::OtherFocusReason);
}

void AdjustmentFrame::Choisir_Ajustement(int index) {
  if (index < 0 || index >= m_options.size()) return;
  m_options[index]->setChecked(true);
  for (int i = 0; i < m_fields.size(); ++i)
    for (QWidget* w : m_fields[i]) w->setEnabled(i == index);
}

int AdjustmentFrame::option() const {
  for (int i = 0; i < m_options.size(); ++i)
    if (m_options[i]->isChecked()) return i;
  return 0;
}

QStringList AdjustmentFrame::values() const {
  QStringList v;
  for (QWidget* w : m_fields.value(option()))
    if (auto* e = qobject_cast<QLineEdit*>(w)) v << e->text();
  return v;
}

void AdjustmentFrame::focusValue(int index) {
  QList<QLineEdit*> boxes;
  for (QWidget* w : m_fields.value(option()))
    if (auto* e = qobject_cast<QLineEdit*>(w)) boxes << e;
  if (index < 0 || index >= boxes.size()) return;
  boxes[index]->setFocus(Qt::OtherFocusReason);
  boxes[index]->selectAll();
}

void AdjustmentFrame::setBusy(bool busy) { m_ok->setEnabled(!busy); }

bool AdjustmentFrame::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QFrame::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent*>(event)->key();
  if (key == Qt::Key_Escape) {
    emit cancelled();
    return true;
  }
  if (key != Qt::Key_Return && key != Qt::Key_Enter) return QFrame::eventFilter(watched, event);
  // Enter on an option moves to its first field, or to OK for an option without any: every
  // price of the quote changes only on OK. Enter in a field or on OK validates.
  if (auto* b = qobject_cast<QRadioButton*>(watched)) {
    const int index = int(m_options.indexOf(b));
    Choisir_Ajustement(index);
    if (m_fields[index].isEmpty())
      m_ok->setFocus(Qt::TabFocusReason);
    else
      m_fields[index][1]->setFocus(Qt::TabFocusReason);
  } else if (watched != m_ok || m_ok->isEnabled()) {
    emit validated();
  }
  return true;
}

}  // namespace tarovent::composition
