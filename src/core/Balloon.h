#pragma once

#include <QPoint>
#include <QString>
#include <QWidget>

class QPlainTextEdit;

namespace tarovent::core {

// The balloon Fbulle: a small borderless window holding one text (TxtBulle). It closes when it
// loses the activation or when the mouse moves over the text.
class Balloon : public QWidget {
  Q_OBJECT
 public:
  explicit Balloon(const QString& text, QWidget* parent = nullptr);

  // Opens a balloon with its top-left corner at `globalPos`.
  static Balloon* showAt(const QString& text, const QPoint& globalPos, QWidget* parent = nullptr);

 protected:
  bool event(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  QPlainTextEdit* m_text;
};

}  // namespace tarovent::core
