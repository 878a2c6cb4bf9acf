#pragma once

#include <QWidget>

namespace tarovent::core {
class DocumentPreview;
class ProcessState;
}  // namespace tarovent::core

namespace tarovent::composition {

// The composition's pane beside the document: the PDF of the saved file, page by page, made in
// the background so that composing goes on meanwhile. Converts only while shown.
class PreviewPane : public QWidget {
  Q_OBJECT
 public:
  PreviewPane(core::ProcessState& state, QWidget* parent = nullptr);

  // Shows the pane on `path`, or hides it when shown.
  void toggle(const QString& path);
  // The document was saved to `path`: the pane, when shown, converts it again.
  void saved(const QString& path);
  core::DocumentPreview& preview() { return *m_preview; }

 private:
  core::DocumentPreview* m_preview;
};

}  // namespace tarovent::composition
