#pragma once

#include <QObject>
#include <QList>
#include <QPointer>
#include <functional>

class QWidget;

namespace tarovent::ui {

// Alt + a letter underlined in the form being worked in acts on that form first, as users of
// form-based programs expect: without it, a letter also underlined in the main window's menu bar
// ("I&nformations" against "&Nouveau") would be ambiguous, and Qt then only moves the focus.
// When the letter belongs to no control of the form, or to several, Qt decides as usual.
class FormAccessKeys : public QObject {
 public:
  // `activeForm` gives the form the user works in (none: the menus keep their keys).
  FormAccessKeys(QObject* parent, std::function<QWidget*()> activeForm);

  // The control of `form` whose access key is `letter`: a button, the box a label names, a
  // group, or a menu bar of the form whose menu has it; none when no visible, enabled control
  // has it or when several do.
  static QWidget* target(QWidget* form, QChar letter);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<QWidget*()> m_activeForm;
  QPointer<QWidget> m_pending;  // taken at the shortcut check, acted on at the key press
};

// A caption the user wrote (a custom field's label) with an access key of its own: its first
// letter, a to z, not among `taken`, which then holds it too. An "&" the user wrote stays an
// "&" on screen. Without a free letter the caption has no key.
QString withAccessKey(const QString& caption, QString& taken);

// The access keys, in lower case, of the controls of `form` shown, but those of `except`.
QString accessKeysIn(QWidget* form, const QList<QWidget*>& except = {});

}  // namespace tarovent::ui
