#include "NumberBox.h"

#include <QApplication>
#include <QKeyEvent>
#include <QToolTip>

#include "MessageFunnel.h"
#include "NumericInput.h"

namespace tarovent::ui {

NumberBox::NumberBox(QWidget* parent) : BoundLineEdit(parent) {
  setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void NumberBox::show(const QVariant& value, const db::FieldSpec& field) {
  BoundLineEdit::show(value, field);
  if (m_shownDecimals < 0 || value.isNull() || !value.isValid()) return;
  bool ok = false;
  const double v = value.toDouble(&ok) + 0.0;  // no "-0,00"
  if (!ok) return;
  setText(fixedText(v, m_shownDecimals));
  setCursorPosition(0);
}

double NumberBox::number() const { return numberFromText(text(), workstationDecimalSeparator()); }

QString NumberBox::refusal(QChar c) const {
  if (c == '.' || c == ',') {
    if (!m_decimals) return QStringLiteral("Nombre entier : la décimale « %1 » est refusée").arg(c);
    return QStringLiteral("Le nombre a déjà sa décimale");
  }
  if (c == '+' || c == '-') return QStringLiteral("Le signe se tape en tête du nombre");
  return QStringLiteral("Caractère refusé : « %1 » (chiffres seulement)").arg(c);
}

void NumberBox::keyPressEvent(QKeyEvent* e) {
  // Only typed characters go through the filter; editing and moving keys keep their meaning.
  const QString typed = e->text();
  const bool character = typed.size() == 1 && typed.at(0).isPrint() &&
                         !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
  if (!character) {
    BoundLineEdit::keyPressEvent(e);
    return;
  }
  NumberBoxState box{text(), cursorPosition(), hasSelectedText() && selectedText() == text()};
  const NumberKey k =
      filterNumberKey(typed.at(0).unicode(), box, workstationDecimalSeparator(), m_decimals);
  if (k.key == 0) {
    if (k.beep) {
      if (m_messages)
        m_messages->beep();
      else
        QApplication::beep();
      // Most office machines make no sound: the refusal is also written beside the box.
      QToolTip::showText(mapToGlobal(QPoint(0, height())), refusal(typed.at(0)), this);
    }
    e->accept();
    return;
  }
  if (k.key != typed.at(0).unicode()) {
    insert(QString(QChar(k.key)));  // the other decimal mark, written as the workstation's
    e->accept();
    return;
  }
  BoundLineEdit::keyPressEvent(e);
}

}  // namespace tarovent::ui
