#pragma once

#include <QString>

#include "ui/MessageFunnel.h"

class QMessageBox;
class QWidget;

namespace tarovent::ui {

// Message boxes on screen (the application title as caption).
class MessageBoxFunnel : public MessageFunnel {
 public:
  explicit MessageBoxFunnel(QString appTitle) : m_title(std::move(appTitle)) {}
  void show(const QString& text, Icon icon, const QString& title) override;
  Answer ask(const QString& text, Buttons buttons, int defaultButton, Icon icon,
             const QString& title) override;
  void beep() override;

 private:
  QString m_title;
};

// The box a message or a question shows: French buttons (Oui, Non, Annuler, OK...), the
// `defaultButton`-th one (1-based) taken by Enter. The caller owns it and runs exec().
QMessageBox* messageBox(const QString& title, const QString& text, Buttons buttons,
                        int defaultButton, Icon icon, QWidget* parent);

}  // namespace tarovent::ui
