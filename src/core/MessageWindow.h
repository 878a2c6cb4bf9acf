#pragma once

#include <QString>
#include <QWidget>

class QLabel;

namespace tarovent::core {

class ProcessState;

// The waiting message `Fmessage` shown during long operations: caption "Message", the fixed
// line "Veuillez patienter ...", the text in CTL_Texte and details in CTL_Infos.
class MessageWindow : public QWidget {
  Q_OBJECT
 public:
  explicit MessageWindow(QWidget* parent = nullptr);
  void setTexts(const QString& text, const QString& infos);

 private:
  QLabel* m_text;
  QLabel* m_infos;
};

// A non-empty text shows the waiting message (opened once, updated afterwards) and lets the
// screen draw it before returning; an empty text closes it.
void Afficher_Message(ProcessState& state, const QString& text, const QString& infos = {});

// The open waiting message, or nullptr.
MessageWindow* openMessageWindow();

}  // namespace tarovent::core
