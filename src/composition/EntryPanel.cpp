#include "composition/EntryPanel.h"

#include "composition/CompositionSession.h"

namespace tarovent::composition {

EntryPanel::EntryPanel(CompositionSession& session, QWidget* parent)
    : QWidget(parent), m_session(session) {
  setObjectName(QStringLiteral("EntryPanel"));
}

EntryPanel::~EntryPanel() = default;

void EntryPanel::takeFocus() { setFocus(); }

void EntryPanel::windowActivated() {}

}  // namespace tarovent::composition
