#include "FPERSO.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "CustomFields.h"
#include "core/ProcessState.h"
#include "platform/db/DbError.h"
#include "ui/BoundLineEdit.h"
#include "ui/DataControl.h"
#include "ui/NumberBox.h"
#include "ui/RecordButtons.h"

namespace tarovent::dossiers {

FPERSO::FPERSO(core::ProcessState& state, QWidget* parent)
    : RecordWindow(state, QStringLiteral("FPERSO"),
                   QStringLiteral("Champs paramétrables des dossiers"), 5500, parent) {
  m_data = dataControl(QStringLiteral("DBD_PAR"), QStringLiteral("TPAR"));
  m_data->hide();  // one record: nothing to browse

  static const char* const kNames[] = {"CTX_USER_LIB", "CTX_USER_TYP", "CTX_USER_LNG",
                                       "CTX_USER_DEC", "CTX_USER_TAB"};
  static const char* const kFields[] = {"TPAR_LIBUSER%1", "TPAR_USER%1_TYP", "TPAR_USER%1_LNG",
                                        "TPAR_USER%1_DEC", "TPAR_USER%1_TAB"};
  auto* grid = new QGridLayout;
  const QStringList headers = {QStringLiteral("Libellé"), QStringLiteral("Type (C, N, D)"),
                               QStringLiteral("Longueur"), QStringLiteral("Décimales"),
                               QStringLiteral("Table de valeurs")};
  for (int c = 0; c < Columns; ++c) grid->addWidget(new QLabel(headers[c], this), 0, c + 1);
  QList<QWidget*> chain;
  for (int n = 1; n <= kCustomFieldCount; ++n) {
    try {
      m_sizes[n] = userFieldSize(state.mainDb(), n);
    } catch (const db::DbError&) {
      m_sizes[n] = 50;
    }
    grid->addWidget(new QLabel(QStringLiteral("Champ %1").arg(n), this), n, 0);
    QList<ui::BoundLineEdit*> boxes;
    for (int c = 0; c < Columns; ++c) {
      ui::BoundLineEdit* box;
      if (c == Length || c == Decimals) {
        auto* number = new ui::NumberBox(this);
        number->setDecimals(false);
        number->setMessages(&state.messages());
        box = number;
      } else {
        box = new ui::BoundLineEdit(this);
      }
      box->setObjectName(QLatin1String(kNames[c]));
      box->setProperty("index", n);
      box->setDataSource(m_data, QString::fromLatin1(kFields[c]).arg(n));
      box->installEventFilter(this);
      box->setFixedWidth(c == Label || c == Table ? 240 : 90);
      grid->addWidget(box, n, c + 1);
      boxes << box;
      chain << box;
    }
    m_boxes.insert(n, boxes);
  }
  grid->setColumnStretch(Columns + 1, 1);

  auto* save = button(QStringLiteral("Cmd_Update"), QStringLiteral("&Enregistrer"));
  auto* quit = button(QStringLiteral("Cmd_Quitter"), QStringLiteral("&Quitter"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(save);
  buttons->addWidget(quit);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(
      QStringLiteral("<b>Champs paramétrables des dossiers</b> — un libellé vide n'affiche pas "
                     "le champ"),
      this));
  layout->addLayout(grid);
  layout->addWidget(m_data);
  layout->addStretch();
  layout->addLayout(buttons);
  chain << save << quit;
  setTabChain(chain);

  ui::RecordButtonSet set;
  set.save = save;
  set.quit = quit;
  ui::RecordButtons* records = recordButtons(m_data, set, m_boxes[1][Label]);
  records->setSaveQuestion(QStringLiteral("Voulez-vous enregistrer votre saisie ?"));
  // F10 saves without leaving the box: its rule still applies.
  records->setSaveCheck([this] {
    if (auto* box = qobject_cast<ui::BoundLineEdit*>(focusWidget())) {
      const int n = box->property("index").toInt();
      if (m_boxes.contains(n)) left(n, int(m_boxes[n].indexOf(box)));
    }
    return true;
  });
  finishSetup(m_data);
  enableAll();
}

DefinitionRow FPERSO::row(int n) const {
  const QList<ui::BoundLineEdit*>& b = m_boxes[n];
  DefinitionRow r{b[Label]->text(), b[Kind]->text(), b[Length]->text(), b[Decimals]->text()};
  r.kindEnabled = b[Kind]->isEnabled();
  r.lengthEnabled = b[Length]->isEnabled();
  r.decimalsEnabled = b[Decimals]->isEnabled();
  return r;
}

void FPERSO::setRow(int n, const DefinitionRow& r) {
  const QList<ui::BoundLineEdit*>& b = m_boxes[n];
  // Only what changes is written: an untouched box keeps its data-changed flag clear.
  const auto put = [](ui::BoundLineEdit* box, const QString& text) {
    if (box->text() != text) box->setText(text);
  };
  put(b[Kind], r.kind);
  put(b[Length], r.length);
  put(b[Decimals], r.decimals);
  b[Kind]->setEnabled(r.kindEnabled);
  b[Length]->setEnabled(r.lengthEnabled);
  b[Decimals]->setEnabled(r.decimalsEnabled);
}

void FPERSO::left(int n, int column) {
  DefinitionRow r = row(n);
  const int size = m_sizes.value(n, 50);
  switch (column) {
    case Label:
      leaveLabel(r, size);
      break;
    case Kind:
      if (leaveKind(r, size)) m_state.messages().beep();
      break;
    case Length:
      leaveLength(r, size);
      break;
    case Decimals:
      leaveDecimals(r);
      break;
    default:
      return;
  }
  setRow(n, r);
}

void FPERSO::enableAll() {
  for (int n = 1; n <= kCustomFieldCount; ++n) {
    DefinitionRow r = row(n);
    enableByKind(r);
    const QList<ui::BoundLineEdit*>& b = m_boxes[n];
    b[Kind]->setEnabled(r.kindEnabled);
    b[Length]->setEnabled(r.lengthEnabled);
    b[Decimals]->setEnabled(r.decimalsEnabled);
  }
}

bool FPERSO::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate) enableAll();
  return RecordWindow::event(e);
}

bool FPERSO::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) {
    auto* box = qobject_cast<ui::BoundLineEdit*>(watched);
    const int n = box ? box->property("index").toInt() : 0;
    if (m_boxes.contains(n)) left(n, int(m_boxes[n].indexOf(box)));
  }
  return RecordWindow::eventFilter(watched, event);
}

}  // namespace tarovent::dossiers
