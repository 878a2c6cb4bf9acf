#pragma once

#include <QList>
#include <QString>

namespace tarovent::core {

// The row of picture buttons of the main menu as positions: what Allumer_Menu and Eteindre_Menu
// compute, kept apart from the widgets so that it can be checked on its own.
struct MenuButton {
  QString name;
  int left = 0;
  int width = 0;
  bool visible = false;
};

// Shows `name` after the right-most visible button (its left + width + gap). False when no
// button has that name (nothing moves).
bool allumerMenu(QList<MenuButton>& buttons, const QString& name, int gap);
// Hides `name` and moves every visible button to its right left by its width + gap (none when
// `name` was not lit).
bool eteindreMenu(QList<MenuButton>& buttons, const QString& name, int gap);

// Main menu width for a screen width, both in twips: the whole screen at 12000 twips, else
// 2445 twips are left free at the right.
int mainMenuWidthTwips(int screenWidthTwips);
// Top offset of the other windows: 0 on a 9000-twip-high screen, else below the menu.
int topOffsetTwips(int screenHeightTwips, int menuHeightTwips);

}  // namespace tarovent::core
