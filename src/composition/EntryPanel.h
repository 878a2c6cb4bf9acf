#pragma once

#include <QWidget>

namespace tarovent::composition {

class CompositionSession;

// The lower part of the composition window: the four sources (options, stock articles, labour
// sections, non-stocked tariff lines), the fields of the line being entered and the commands
// that write it into the document above the session's cursor.
class EntryPanel : public QWidget {
  Q_OBJECT

 public:
  explicit EntryPanel(CompositionSession& session, QWidget* parent = nullptr);
  ~EntryPanel() override;

  // Gives the keyboard to the panel: Enter on a line of the document.
  void takeFocus();
  // The composition window became active again: a composed code waiting in the process
  // comes back into the code field.
  void windowActivated();

 signals:
  // A line was written into the document; the session's cursor says where the user now is.
  void lineWritten();
  // Escape in the panel: the keyboard goes back to the document.
  void leaveRequested();

 private:
  CompositionSession& m_session;
};

}  // namespace tarovent::composition
