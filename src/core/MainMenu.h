#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QStyle>
#include <functional>

#include "MenuButtons.h"
#include "Startup.h"
#include "ui/WindowRegistry.h"

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QToolButton;
class QWidget;

namespace tarovent::core {

class ProcessState;

// MENUDEV: the main window. Its menu bar and picture buttons open the other windows, which
// live in its work area (modal ones as dialogs). Closing it ends the program.
class MainMenu : public QMainWindow, public StartupHost, public ui::WindowOpener {
  Q_OBJECT

 public:
  explicit MainMenu(ProcessState& state, QWidget* parent = nullptr);
  ~MainMenu() override;

  // Runs the start-up sequence; false when the program must end.
  bool start();

  // Shows / hides a picture button "CMD_M_…" (unknown names give a message).
  void Allumer_Menu(const QString& name);
  void Eteindre_Menu(const QString& name);

  bool openWindow(const QString& name) override;
  QMdiArea* workArea() const { return m_area; }
  QAction* menuEntry(const QString& name) const { return m_entries.value(name.toUpper()); }
  // Help context shown by "?" and at start; set by the program when help is available.
  void setHelpHandler(std::function<void(int)> help);
  // Entries are enabled when their window is registered (call after registering windows).
  void refreshEntries();
  // The window whose macros the macro button runs: the active one of the work area, else this.
  QWidget* activeForm() const;
  // The windows the menu opens, as (caption, window name), in caption order: what users call
  // the windows that the program names.
  QList<std::pair<QString, QString>> windowCaptions() const;

  // StartupHost
  void placeMainWindow() override;
  void openHelp() override;
  void translateMainMenu() override;
  void hideMenuEntry(const QString& name) override;
  void setCaption(const QString& caption) override;
  void showHome() override;

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void changeEvent(QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  void showInWorkArea(QMdiSubWindow* sub, const QString& name);
  QAction* entry(QWidget* menu, const QString& name, const QString& caption, int help,
                 const QString& window);
  QToolButton* pictureButton(const QString& name, const QString& tip, const QString& window,
                             QStyle::StandardPixmap picture);
  static void fitCaption(QToolButton* b);
  void buildMenus();
  void showNotices(bool fromMenu);
  void moveButtons(const QString& name, bool (*rule)(QList<MenuButton>&, const QString&, int),
                   const char* unknown);

  ProcessState& m_s;
  QMdiArea* m_area = nullptr;
  QWidget* m_strip = nullptr;
  QWidget* m_buttons = nullptr;
  QWidget* m_macroBar = nullptr;
  QHash<QString, QAction*> m_entries;     // menu entries by name
  QHash<QString, QString> m_entryWindow;  // entry name -> window it opens
  QList<QToolButton*> m_pictureButtons;
  std::function<void(int)> m_help;
  bool m_restoring = false;
  QMdiSubWindow* m_home = nullptr;
  // Where the keyboard last was in each window of the work area.
  QHash<QMdiSubWindow*, QPointer<QWidget>> m_lastFocus;
};

}  // namespace tarovent::core
