#pragma once

#include <QWidget>
#include <functional>

class QTextBrowser;

namespace tarovent::core {

// The help window FAIDE: the help pages, browsable by their links.
class HelpWindow : public QWidget {
  Q_OBJECT
 public:
  explicit HelpWindow(QWidget* parent = nullptr);

  // Shows a page (HTML text) and goes to the anchor of `helpContext` when it has one.
  void showPage(const QString& html, const QString& baseFolder, int helpContext);
  // The anchor shown last ("" for the start of the help).
  const QString& anchor() const { return m_anchor; }
  // Called when the user closes the window (Esc included).
  void setOnClose(std::function<void()> onClose) { m_onClose = std::move(onClose); }

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  std::function<void()> m_onClose;
  QTextBrowser* m_browser;
  QString m_anchor;
  QString m_html;
};

}  // namespace tarovent::core
