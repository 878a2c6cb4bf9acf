#include "MenuButtons.h"

namespace tarovent::core {

namespace {

MenuButton* find(QList<MenuButton>& buttons, const QString& name) {
  for (auto& b : buttons)
    if (b.name.toUpper() == name.toUpper() && b.name.toUpper().startsWith("CMD_M_")) return &b;
  return nullptr;
}

}  // namespace

bool allumerMenu(QList<MenuButton>& buttons, const QString& name, int gap) {
  MenuButton* target = find(buttons, name);
  if (!target) return false;
  int left = 0, width = 0;
  bool any = false;
  for (const auto& b : buttons) {
    if (&b == target || !b.visible || !b.name.toUpper().startsWith("CMD_M_")) continue;
    if (!any || b.left > left) {
      left = b.left;
      width = b.width;
      any = true;
    }
  }
  target->left = left + width + gap;
  target->visible = true;
  return true;
}

bool eteindreMenu(QList<MenuButton>& buttons, const QString& name, int gap) {
  MenuButton* target = find(buttons, name);
  if (!target) return false;
  // A button that is not lit takes no room on the strip: the others stay where they are.
  if (!target->visible) return true;
  const int left = target->left;
  const int width = target->width;
  target->visible = false;
  for (auto& b : buttons)
    if (&b != target && b.visible && b.name.toUpper().startsWith("CMD_M_") && b.left > left)
      b.left -= width + gap;
  return true;
}

int mainMenuWidthTwips(int screenWidthTwips) {
  return screenWidthTwips == 12000 ? screenWidthTwips : screenWidthTwips - 2445;
}

int topOffsetTwips(int screenHeightTwips, int menuHeightTwips) {
  return screenHeightTwips == 9000 ? 0 : menuHeightTwips + 1;
}

}  // namespace tarovent::core
