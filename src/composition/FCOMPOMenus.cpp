#include <QAction>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

#include "composition/EntryPanel.h"
#include "composition/FCOMPO.h"
#include "core/MacroButton.h"
#include "core/ProcessState.h"

namespace tarovent::composition {

// The window's menus, each command on its letters and a shortcut, and the bar's own buttons.
QWidget* FCOMPO::buildMenus() {
  auto* bar = new QMenuBar(this);
  bar->setObjectName(QStringLiteral("MNU_Composition"));
  const auto command = [this](QMenu* menu, const char* name, const QString& caption,
                              const QKeySequence& keys, auto slot) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    if (!keys.isEmpty()) {
      a->setShortcut(keys);
      // Shortcuts of this window only, whichever other window is open beside it.
      a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
      addAction(a);
    }
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  QMenu* document = bar->addMenu(QStringLiteral("&Document"));
  document->setObjectName(QStringLiteral("M_DOCUMENT"));
  command(document, "M_Enregistrer", QStringLiteral("&Enregistrer"), QKeySequence::Save,
          [this] { save(); });
  command(document, "M_Apercu", QStringLiteral("&Aperçu PDF"),
          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P), &FCOMPO::switchPreview);
  command(document, "M_Controle", QStringLiteral("&Contrôle du devis (marges, prix plancher)"),
          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_G), &FCOMPO::showGuard);
  command(document, "M_TexteLibre", QStringLiteral("&Texte libre dans le traitement de texte"),
          QKeySequence(Qt::CTRL | Qt::Key_E), &FCOMPO::editInWordProcessor);
  command(document, "M_Import_Classeur", QStringLiteral("&Import d'un classeur de calcul"),
          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I), &FCOMPO::importWorkbook);
  // The pictures of the article chosen in line entry's list, as the bar's button shows them.
  command(document, "M_Photos", QStringLiteral("&Photos de l'article de la liste"),
          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_H), &FCOMPO::showArticlePictures)
      ->setEnabled(m_state.windows.has(QStringLiteral("FARTINFOS")));
  document->addSeparator();
  command(document, "M_Fermer", QStringLiteral("&Fermer la composition"),
          QKeySequence(Qt::CTRL | Qt::Key_W), [this] { closeComposition(); });

  QMenu* lines = bar->addMenu(QStringLiteral("&Lignes"));
  lines->setObjectName(QStringLiteral("M_LIGNES"));
  command(lines, "M_ModifLigne", QStringLiteral("&Modifier la ligne (quantité, prix, remise)"),
          QKeySequence(Qt::Key_F2), &FCOMPO::changeLine);
  lines->addSeparator();
  // The source of the next line, each on its number.
  const std::pair<const char*, const char*> sources[] = {
      {"M_SourceOptions", "Source : &Options"},
      {"M_SourceStock", "Source : Article &stock"},
      {"M_SourceMO", "Source : Main d'oe&uvre"},
      {"M_SourceTarif", "Source : Article &non stocké"}};
  for (int i = 0; i < 4; ++i) {
    const auto source = EntrySource(i);
    m_sourceActions << command(lines, sources[i].first, QString::fromUtf8(sources[i].second),
                               EntryPanel::sourceKey(source),
                               [this, source] { m_entry->chooseSource(source); });
  }

  QMenu* tables = bar->addMenu(QStringLiteral("Tableau&x"));
  tables->setObjectName(QStringLiteral("M_TABLEAUX"));
  command(tables, "M_Ajout_Tab", QStringLiteral("&Nouveau tableau"),
          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N), &FCOMPO::newTable);
  command(tables, "M_SplitTab", QStringLiteral("&Diviser le tableau"),
          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D), &FCOMPO::split);
  command(tables, "M_Insert_STOT", QStringLiteral("Créer un &sous total"),
          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), &FCOMPO::subTotal);
  command(tables, "M_Insert_STOT_Plus", QStringLiteral("Créer un sous total é&tendu"),
          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E), &FCOMPO::extendedSubTotal);
  tables->addSeparator();
  command(tables, "M_Masque", QStringLiteral("&Masquage / Démasquage d'un tableau"),
          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M), &FCOMPO::switchTableHidden);
  command(tables, "M_Mask_Niv", QStringLiteral("&Effectuer l'affectation (échelonnement)"),
          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L), &FCOMPO::applyPrintLevels);

  QMenu* recalc = bar->addMenu(QStringLiteral("Rec&alculs"));
  recalc->setObjectName(QStringLiteral("M_RECALCULS"));
  command(recalc, "M_Totalisation", QStringLiteral("&Totalisation"), QKeySequence(Qt::Key_F9),
          &FCOMPO::recalculate);
  command(recalc, "M_Majoration", QStringLiteral("&Majoration du Total HT Net"),
          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T), &FCOMPO::majorate);
  command(recalc, "M_MajDesignations", QStringLiteral("Maj des &désignations (articles stock)"),
          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_U), &FCOMPO::updateDesignations);
  recalc->addSeparator();
  command(recalc, "M_ReAjustements", QStringLiteral("&ReAjustements"),
          QKeySequence(Qt::CTRL | Qt::Key_J), &FCOMPO::Ouvrir_Ajustement);

  // The bar's own buttons, beside the menus.
  auto* buttons = new QWidget(bar);
  buttons->setObjectName(QStringLiteral("Pic_Boutons_Compo"));
  auto* row = new QHBoxLayout(buttons);
  row->setContentsMargins(0, 0, 4, 0);
  auto* tablesButton = new QToolButton(buttons);
  tablesButton->setObjectName(QStringLiteral("Cmd_Tableaux"));
  tablesButton->setText(QStringLiteral("Tableaux"));
  tablesButton->setToolTip(QStringLiteral("Gestion des tableaux dans le document"));
  tablesButton->setMenu(tables);
  tablesButton->setPopupMode(QToolButton::InstantPopup);
  auto* mask = new QToolButton(buttons);
  mask->setObjectName(QStringLiteral("Cmd_Masque"));
  mask->setText(QStringLiteral("Masquer / démasquer"));
  mask->setToolTip(QStringLiteral("Masquage / Démasquage d'un tableau"));
  connect(mask, &QToolButton::clicked, this, &FCOMPO::switchTableHidden);
  auto* total = new QToolButton(buttons);
  total->setObjectName(QStringLiteral("Cmd_Recalcul"));
  total->setText(QStringLiteral("Totalisation"));
  total->setToolTip(QStringLiteral("Recalcul du document (F9)"));
  connect(total, &QToolButton::clicked, this, &FCOMPO::recalculate);
  auto* images = new QToolButton(buttons);
  images->setObjectName(QStringLiteral("Cmd_Images"));
  images->setText(QStringLiteral("Photos"));
  images->setToolTip(QStringLiteral("Photos de l'article sélectionné dans la liste (Ctrl+Maj+H)"));
  images->setEnabled(m_state.windows.has(QStringLiteral("FARTINFOS")));
  connect(images, &QToolButton::clicked, this, &FCOMPO::showArticlePictures);
  for (QToolButton* b : {tablesButton, mask, total, images}) {
    b->setFocusPolicy(Qt::NoFocus);
    row->addWidget(b);
  }
  row->addWidget(core::createMacroButton(m_state, this, buttons));
  bar->setCornerWidget(buttons);
  return bar;
}

}  // namespace tarovent::composition
