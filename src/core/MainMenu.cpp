#include "MainMenu.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMap>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "Help.h"
#include "HomeWindow.h"
#include "MenuButtons.h"
#include "Notices.h"
#include "ProcessState.h"
#include "WindowTranslation.h"
#include "platform/db/DbError.h"
#include "platform/db/Presence.h"
#include "platform/word/GWORD.h"
#include "ui/BusyCursor.h"
#include "ui/FormAccessKeys.h"
#include "ui/MenuBarKeys.h"

namespace tarovent::core {

namespace {

// 45 twips between picture buttons, at 15 twips a pixel.
constexpr int kButtonGap = 3;

}  // namespace

MainMenu::MainMenu(ProcessState& state, QWidget* parent) : QMainWindow(parent), m_s(state) {
  setObjectName("MENUDEV");
  new ui::FormAccessKeys(this, [this]() -> QWidget* {
    // A modal record window (categories, parameters) is the form while it is open.
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    QWidget* form = activeForm();
    return form == this ? nullptr : form;
  });
  setWindowTitle(QStringLiteral("TAROVENT - Gestion des devis"));
  ui::giveAltToMenuBar(menuBar());
  auto* central = new QWidget(this);
  auto* v = new QVBoxLayout(central);
  v->setContentsMargins(0, 0, 0, 0);
  v->setSpacing(0);
  m_strip = new QWidget(central);
  m_strip->setObjectName("Pic_Boutons_Menu");
  m_strip->setFixedHeight(40);
  auto* h = new QHBoxLayout(m_strip);
  h->setContentsMargins(4, 2, 4, 2);
  m_buttons = new QWidget(m_strip);
  h->addWidget(m_buttons, 1);
  m_macroBar = new QWidget(m_strip);
  m_macroBar->setObjectName("Pic_Boutons_Macro");
  auto* mh = new QHBoxLayout(m_macroBar);
  mh->setContentsMargins(0, 0, 0, 0);
  auto* macro = new QToolButton(m_macroBar);
  macro->setObjectName("TLB_MACRO");
  macro->setText(QStringLiteral("Macros"));
  macro->setToolTip(QStringLiteral("Exécuter une macro"));
  macro->setEnabled(false);
  macro->setFocusPolicy(Qt::NoFocus);
  connect(macro, &QToolButton::clicked, this, [this] {
    if (m_s.runMacros) m_s.runMacros(activeForm());
  });
  mh->addWidget(macro);
  h->addWidget(m_macroBar);
  v->addWidget(m_strip);
  m_area = new QMdiArea(central);
  m_area->setObjectName("Zone_Travail");
  m_area->setViewMode(QMdiArea::SubWindowView);
  // A window that closes gives the work area back to the one used before it (the one that
  // opened it), not to the first one opened, which is the home page covering every other.
  m_area->setActivationOrder(QMdiArea::ActivationHistoryOrder);
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    for (QWidget* w = now; w; w = w->parentWidget())
      if (auto* sub = qobject_cast<QMdiSubWindow*>(w)) {
        // A window being hidden hands the focus along its own buttons first: not the user's.
        if (sub->mdiArea() != m_area || !sub->isVisible()) return;
        // Closed windows took their widgets with them.
        m_lastFocus.removeIf([](const auto& it) { return it.value().isNull(); });
        m_lastFocus.insert(sub, now);
        return;
      }
  });
  v->addWidget(m_area, 1);
  setCentralWidget(central);
  buildMenus();
  m_s.opener = this;
}

MainMenu::~MainMenu() {
  if (m_s.opener == this) m_s.opener = nullptr;
}

QAction* MainMenu::entry(QWidget* menu, const QString& name, const QString& caption, int help,
                         const QString& window) {
  auto* a = new QAction(caption, this);
  a->setObjectName(name);
  if (help > 0) a->setProperty("helpContext", help);
  if (auto* m = qobject_cast<QMenu*>(menu)) {
    m->addAction(a);
  } else {
    auto* bar = static_cast<QMenuBar*>(menu);
    bar->addAction(a);
    // An entry of the bar itself stays lit until its key or click is handled, which a window
    // with its own loop (Rentabilité, Informations) holds open: it goes out first.
    connect(a, &QAction::triggered, bar, [bar] { bar->setActiveAction(nullptr); });
  }
  m_entries.insert(name.toUpper(), a);
  if (!window.isEmpty()) {
    m_entryWindow.insert(name.toUpper(), window);
    connect(a, &QAction::triggered, this, [this, window] { openWindow(window); });
  }
  return a;
}

void MainMenu::fitCaption(QToolButton* b) { b->setFixedWidth(b->sizeHint().width()); }

QToolButton* MainMenu::pictureButton(const QString& name, const QString& tip,
                                     const QString& window, QStyle::StandardPixmap picture) {
  auto* b = new QToolButton(m_buttons);
  b->setObjectName(name);
  b->setToolTip(tip);
  b->setText(tip);
  // Flat, sized to its caption and with the picture of what it opens: a shortcut of the menu,
  // not to be taken for a window left reduced in the work area.
  b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  b->setAutoRaise(true);
  b->setIcon(style()->standardIcon(picture));
  b->setFixedHeight(32);
  fitCaption(b);
  b->hide();
  b->setProperty("opens", window);
  connect(b, &QToolButton::clicked, this, [this, window] {
    if (auto* a = menuEntry(window)) {
      a->trigger();
    } else {
      openWindow(window);
    }
  });
  m_pictureButtons << b;
  return b;
}

void MainMenu::buildMenus() {
  QMenuBar* bar = menuBar();
  auto* devis = bar->addMenu(QStringLiteral("&Devis"));
  devis->menuAction()->setObjectName("M_DEVIS");
  devis->menuAction()->setProperty("helpContext", 1000);
  m_entries.insert("M_DEVIS", devis->menuAction());
  QAction* gestion = entry(devis, "M_DEVI_DEVIS", QStringLiteral("Gestion des &devis"), 1100, {});
  connect(gestion, &QAction::triggered, this, [this] {
    const ui::BusyCursor busy;
    auto* compo = findChild<QToolButton*>("CMD_M_COMPO");
    const bool composing = compo && compo->isVisible();
    openWindow(composing && m_s.compositionOrigin == "FDEV" ? "FCOMPO" : "FDEV");
  });
  m_entryWindow.insert("M_DEVI_DEVIS", "FDEV");
  entry(devis, "M_FACPROF", QStringLiteral("&Factures PROFORMA"), 1200, "FACPROF");
  devis->addSeparator()->setObjectName("M_DEVI_FILL1");
  QAction* quit = entry(devis, "M_DEVI_QUIT", QStringLiteral("&Quitter"), 7000, {});
  connect(quit, &QAction::triggered, this, &QWidget::close);

  auto* clients = bar->addMenu(QStringLiteral("&Clients"));
  clients->menuAction()->setObjectName("M_CLI");
  clients->menuAction()->setProperty("helpContext", 2000);
  m_entries.insert("M_CLI", clients->menuAction());
  QAction* fiches = entry(clients, "M_CLIDEV", QStringLiteral("&Fiches clients"), 2100, {});
  connect(fiches, &QAction::triggered, this, [this] {
    m_s.clientCreationRequest = false;
    openWindow("FCLIDEV");
  });
  m_entryWindow.insert("M_CLIDEV", "FCLIDEV");
  entry(clients, "M_VISITE", QStringLiteral("Suivi des &Visites"), 0, "FVISIT");
  clients->addSeparator()->setObjectName("M_SEPCLI");
  entry(clients, "M_CLI_CAT", QStringLiteral("&Catégories"), 2200, "FCAT");
  clients->addSeparator()->setObjectName("M_CLI_FILL1");

  entry(bar, "M_RELA", QStringLiteral("&Relances"), 3000, "FREL");
  entry(bar, "M_RENTA", QStringLiteral("Rent&abilité"), 4000, "FRENTA");

  auto* tables = bar->addMenu(QStringLiteral("&Tables"));
  tables->menuAction()->setObjectName("M_TABLES");
  tables->menuAction()->setProperty("helpContext", 5000);
  m_entries.insert("M_TABLES", tables->menuAction());
  entry(tables, "M_TABL_SOCI", QStringLiteral("&Sociétés"), 5100, "FSOC");
  entry(tables, "M_TABL_PRO", QStringLiteral("&Options"), 5200, "FPRO");
  QAction* types = entry(tables, "M_TABL_TYPE", QStringLiteral("&Types de devis"), 5300, {});
  connect(types, &QAction::triggered, this, [this] {
    auto* compo = findChild<QToolButton*>("CMD_M_COMPO");
    const bool composing = compo && compo->isVisible();
    openWindow(composing && m_s.compositionOrigin == "FTYP" ? "FCOMPO" : "FTYP");
  });
  m_entryWindow.insert("M_TABL_TYPE", "FTYP");
  tables->addSeparator()->setObjectName("M_TABL_FILL");
  entry(tables, "M_PARAM", QStringLiteral("Paramètres &généraux"), 5400, "FPARGDEV");
  tables->addSeparator()->setObjectName("M_SEPT2");
  entry(tables, "M_PERSO", QStringLiteral("&Personnalisation"), 5500, "FPERSO");
  entry(tables, "M_MACROS", QStringLiteral("&Créateur de macros"), 5600, "FMACRO");

  QAction* help = entry(bar, "M_HELP", QStringLiteral("?"), 6000, {});
  // "?" is F1 on the focused control, which opens the help at that control's context.
  connect(help, &QAction::triggered, this, [this] {
    QWidget* target = QApplication::focusWidget();
    if (!target) target = this;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    if (!press.isAccepted() && m_help) m_help(helpContextOf(target));
  });
  QAction* infos = entry(bar, "M_INFOS", QStringLiteral("I&nformations"), 0, {});
  connect(infos, &QAction::triggered, this, [this] { showNotices(true); });

  pictureButton("CMD_M_DEVI_DEVIS", QStringLiteral("Devis"), "M_DEVI_DEVIS", QStyle::SP_FileIcon);
  pictureButton("CMD_M_CLIDEV", QStringLiteral("Clients"), "M_CLIDEV", QStyle::SP_DirHomeIcon);
  pictureButton("CMD_M_RELA", QStringLiteral("Relances"), "M_RELA", QStyle::SP_BrowserReload);
  pictureButton("CMD_M_TABL_TYPE", QStringLiteral("Types de devis"), "M_TABL_TYPE",
                QStyle::SP_FileDialogListView);
  pictureButton("CMD_M_COMPO", QStringLiteral("Composition"), "FCOMPO",
                QStyle::SP_FileDialogContentsView);
  refreshEntries();
}

void MainMenu::refreshEntries() {
  for (auto it = m_entryWindow.cbegin(); it != m_entryWindow.cend(); ++it)
    if (QAction* a = m_entries.value(it.key())) {
      a->setProperty("window", it.value());
      a->setEnabled(m_s.windows.has(it.value()));
    }
  if (QAction* a = m_entries.value("M_HELP")) a->setEnabled(static_cast<bool>(m_help));
  if (auto* macro = m_macroBar->findChild<QToolButton*>("TLB_MACRO"))
    macro->setEnabled(static_cast<bool>(m_s.runMacros));
}

QWidget* MainMenu::activeForm() const {
  QMdiSubWindow* sub = m_area->activeSubWindow();
  if (sub && sub != m_home && sub->widget()) return sub->widget();
  return const_cast<MainMenu*>(this);
}

QList<std::pair<QString, QString>> MainMenu::windowCaptions() const {
  QMap<QString, std::pair<QString, QString>> byCaption;
  const auto take = [&](QString caption, const QString& window) {
    caption.remove('&');
    if (window.isEmpty() || !m_s.windows.has(window)) return;
    for (const auto& known : std::as_const(byCaption))
      if (known.second.compare(window, Qt::CaseInsensitive) == 0) return;
    byCaption.insert(caption.toUpper(), {caption, window});
  };
  for (auto it = m_entryWindow.cbegin(); it != m_entryWindow.cend(); ++it)
    if (const QAction* a = m_entries.value(it.key())) take(a->text(), it.value());
  for (const QToolButton* b : m_pictureButtons) take(b->toolTip(), b->property("opens").toString());
  return byCaption.values();
}

void MainMenu::setHelpHandler(std::function<void(int)> help) {
  m_help = std::move(help);
  refreshEntries();
}

bool MainMenu::start() {
  const bool ok = runStartup(m_s, *this) == StartupResult::Continue;
  if (ok && QFileInfo::exists(noticeFile(m_s.programFolder))) showNotices(false);
  if (ok && m_s.presence) {
    // The other workstations see this one's dossiers and quotes as open while it beats.
    auto* beat = new QTimer(this);
    connect(beat, &QTimer::timeout, this, [this] {
      try {
        if (m_s.presence) m_s.presence->heartbeat();
      } catch (const db::DbError&) {
        // Missed once: the next beat comes before the rows expire.
      }
    });
    beat->start(int(db::Presence::kHeartbeat * 1000));
  }
  return ok;
}

void MainMenu::Allumer_Menu(const QString& name) {
  moveButtons(name, allumerMenu, "Procédure Allumer_Menu : Nom de contrôle inconnu ");
}

void MainMenu::Eteindre_Menu(const QString& name) {
  moveButtons(name, eteindreMenu, "Procédure Eteindre_Menu : Nom de contrôle inconnu ");
}

void MainMenu::moveButtons(const QString& name,
                           bool (*rule)(QList<MenuButton>&, const QString&, int),
                           const char* unknown) {
  QList<MenuButton> rows;
  for (auto* b : m_pictureButtons)
    rows.append({b->objectName(), b->x(), b->width(), b->property("lit").toBool()});
  if (!rule(rows, name, kButtonGap)) {
    m_s.messages().show(m_s.Traduire(QString::fromUtf8(unknown)) + name, ui::Icon::Warning);
    return;
  }
  for (int i = 0; i < rows.size(); ++i) {
    m_pictureButtons[i]->move(rows[i].left, 2);
    m_pictureButtons[i]->setProperty("lit", rows[i].visible);
    m_pictureButtons[i]->setVisible(rows[i].visible);
  }
}

bool MainMenu::openWindow(const QString& name) {
  const ui::WindowSpec* registered = m_s.windows.find(name);
  if (!registered) return false;
  if (!registered->modal) {
    for (QMdiSubWindow* sub : m_area->subWindowList()) {
      if (sub->widget() && sub->widget()->objectName().compare(name, Qt::CaseInsensitive) == 0) {
        // Back in a window left open: the keyboard where the user left it (a list's row),
        // never on the window's first button, where Enter would start an export. Read before
        // showing it, which hands the focus to its first button.
        const QPointer<QWidget> last = m_lastFocus.value(sub);
        showInWorkArea(sub, name);
        m_area->setActiveSubWindow(sub);
        // After the work area has given the window its own focus back, in the event loop.
        if (last)
          QTimer::singleShot(0, last, [last, sub] {
            if (last->isVisibleTo(sub) && last->isEnabled() && sub->isVisible())
              last->setFocus(Qt::OtherFocusReason);
          });
        return true;
      }
    }
  }
  QWidget* w = registered->create(registered->modal ? this : nullptr);
  if (!w) return false;
  if (registered->modal) {
    if (auto* d = qobject_cast<QDialog*>(w)) {
      d->exec();
      d->deleteLater();
    } else {
      w->setWindowModality(Qt::ApplicationModal);
      w->setAttribute(Qt::WA_DeleteOnClose);
      w->show();
    }
    return true;
  }
  w->setAttribute(Qt::WA_DeleteOnClose);
  QMdiSubWindow* sub = m_area->addSubWindow(w);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  showInWorkArea(sub, name);
  return true;
}

void MainMenu::showInWorkArea(QMdiSubWindow* sub, const QString& name) {
  // Maximised, unless the user chose the normal size for that window (F12) since the start.
  if (qApp->property((name.toUpper() + QStringLiteral("_normalSize")).toUtf8().constData())
          .toBool())
    sub->showNormal();
  else
    sub->showMaximized();
}

void MainMenu::placeMainWindow() {
  // The menu and its work area fill the screen; other windows open inside the work area.
  if (QScreen* screen = QApplication::primaryScreen()) setGeometry(screen->availableGeometry());
  m_s.topOffset = 0;
}

void MainMenu::openHelp() {
  if (m_help) m_help(0);
}

void MainMenu::translateMainMenu() {
  Traduire_Fenetre(m_s, this);
  for (auto* b : m_pictureButtons) {
    b->setText(m_s.Traduire(b->text()));
    fitCaption(b);
  }
}

void MainMenu::hideMenuEntry(const QString& name) {
  if (QAction* a = m_entries.value(name.toUpper())) a->setVisible(false);
}

void MainMenu::setCaption(const QString& caption) { setWindowTitle(caption); }

void MainMenu::showHome() {
  if (!m_area->subWindowList().isEmpty()) return;
  auto* home = new HomeWindow(m_s);
  m_home = m_area->addSubWindow(home, Qt::FramelessWindowHint);
  m_home->showMaximized();
}

void MainMenu::showNotices(bool fromMenu) {
  const QStringList notes = readNotices(noticeFile(m_s.programFolder));
  if (notes.isEmpty()) {
    if (fromMenu)
      m_s.messages().show(m_s.Traduire("Aucune information de mise à jour n'est disponible."));
    return;
  }
  QDialog d(this);
  d.setObjectName("FINFOS");
  d.setWindowTitle(m_s.Traduire("Informations de mise à jour"));
  auto* layout = new QVBoxLayout(&d);
  auto* text = new QTextBrowser(&d);
  text->setObjectName("TXT_Infos");
  text->setHtml(notes.join(QString()));
  layout->addWidget(text);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &d);
  buttons->button(QDialogButtonBox::Close)->setText(m_s.Traduire("Fermer"));
  connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
  layout->addWidget(buttons);
  d.resize(640, 480);
  d.exec();
}

void MainMenu::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_F12) {
    if (isMaximized())
      showNormal();
    else
      showMaximized();
    m_s.mainWindowState = isMaximized() ? 2 : 0;
    return;
  }
  QMainWindow::keyPressEvent(e);
}

void MainMenu::changeEvent(QEvent* e) {
  QMainWindow::changeEvent(e);
  if (e->type() != QEvent::WindowStateChange) return;
  // Sub-windows follow the main window by themselves; the program's other top-level windows
  // (help, message window) are kept in step with it.
  QList<QWidget*> others;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w != this && w->isVisible() && w->isWindow() && !qobject_cast<QMenu*>(w)) others << w;
  if (isMinimized()) {
    bool anyMaximized = false;
    for (auto* w : others) anyMaximized |= w->isMaximized();
    if (anyMaximized) {
      m_restoring = true;
      showNormal();
    } else {
      for (auto* w : others) w->showMinimized();
    }
  } else if (m_restoring) {
    m_restoring = false;
  } else {
    for (auto* w : others)
      if (w->isMinimized()) w->showNormal();
  }
}

void MainMenu::closeEvent(QCloseEvent* e) {
  // Each window may still hold unsaved work: it is asked in turn, shown while it asks, and the
  // first one kept open stops the program from ending.
  const QList<QMdiSubWindow*> subs = m_area->subWindowList(QMdiArea::StackingOrder);
  for (auto it = subs.crbegin(); it != subs.crend(); ++it) {
    QMdiSubWindow* sub = *it;
    if (sub != m_home) m_area->setActiveSubWindow(sub);
    if (!sub->close()) {
      e->ignore();
      return;
    }
  }
  // Windows of their own (modal record windows, help) are asked as well.
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w == this || !w->isVisible() || qobject_cast<QMenu*>(w)) continue;
    if (!w->close()) {
      e->ignore();
      return;
    }
  }
  m_s.wordInterface.reset();
  QMainWindow::closeEvent(e);
  qApp->quit();
}

}  // namespace tarovent::core
