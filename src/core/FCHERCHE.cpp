#include "FCHERCHE.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ProcessState.h"
#include "platform/db/DbError.h"
#include "ui/DataControl.h"
#include "ui/DbErrorMessage.h"

namespace tarovent::core {

namespace {
const QString kSearch = QStringLiteral("Rechercher");
const QString kNext = QStringLiteral("Suivant");
}  // namespace

FCHERCHE::FCHERCHE(const GridContext& context)
    : GridDialog(context, QStringLiteral("FCHERCHE"), QStringLiteral("Recherche sur [")) {
  auto* label = new QLabel(translate(QStringLiteral("&Valeur recherchée :")), this);
  m_value = new QLineEdit(this);
  m_value->setObjectName("CTX3_CHERCHE");
  m_value->setMinimumWidth(260);
  label->setBuddy(m_value);
  m_go = new QPushButton(translate(kSearch), this);
  m_go->setObjectName("Cmd_GoCherche");

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(m_value);
  if (context.kind == ColumnKind::Text) {
    auto* frame = new QGroupBox(this);
    auto* options = new QHBoxLayout(frame);
    const QStringList captions{QStringLiteral("&Egal"), QStringLiteral("&Commence par"),
                               QStringLiteral("C&ontient")};
    for (int i = 0; i < captions.size(); ++i) {
      auto* option = new QRadioButton(translate(captions[i]), frame);
      option->setObjectName("FND3_OPTRECH");
      option->setProperty("index", i);
      options->addWidget(option);
      m_options << option;
      connect(option, &QRadioButton::toggled, this, &FCHERCHE::backToFirst);
    }
    m_options[int(TextMatch::Contains)]->setChecked(true);
    layout->addWidget(frame);
  }
  layout->addLayout(buttonRow(m_go));

  connect(m_value, &QLineEdit::textChanged, this, &FCHERCHE::backToFirst);
  connect(m_go, &QPushButton::clicked, this, &FCHERCHE::go);
  checkNumbersOnLeaving(m_value, m_go);
}

void FCHERCHE::backToFirst() {
  m_next = false;
  m_go->setText(translate(kSearch));
}

void FCHERCHE::go() {
  TextMatch match = TextMatch::Contains;
  for (int i = 0; i < m_options.size(); ++i)
    if (m_options[i]->isChecked()) match = TextMatch(i);
  const GridCondition criteria =
      searchCriteria(m_context.field, m_context.kind, match, m_value->text());
  if (!criteria.ok()) {
    message(criteria.error);
    retype(m_value);
    return;
  }
  ui::DataControl* data = m_context.data;
  if (!data || !data->isOpen()) return;
  QByteArray found;
  try {
    found = findRecord(data->Recordset(), criteria.text, m_next);
  } catch (const db::DbError& e) {
    ui::showDbError(m_context.state->messages(), e);
    return;
  }
  if (found.isEmpty() || !data->leaveRecord() || !data->moveToBookmark(found)) {
    if (found.isEmpty()) message(QStringLiteral("Elément non trouvé. Fin de la recherche."));
    backToFirst();
    return;
  }
  m_next = true;
  m_go->setText(translate(kNext));
}

}  // namespace tarovent::core
