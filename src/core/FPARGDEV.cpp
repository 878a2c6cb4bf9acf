#include "FPARGDEV.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>
#include <iterator>

#include "FormHelpers.h"
#include "HelpPages.h"
#include "MacroButton.h"
#include "ParameterRules.h"
#include "Paths.h"
#include "ProcessState.h"
#include "WindowTranslation.h"
#include "platform/db/DbError.h"
#include "ui/BoundLineEdit.h"
#include "ui/DataControl.h"
#include "ui/DbErrorMessage.h"
#include "ui/FormNavigation.h"
#include "ui/NumberBox.h"

namespace tarovent::core {

namespace {

QRadioButton* optionButton(const QString& name, int index, const QString& text, QWidget* parent) {
  auto* b = new QRadioButton(text, parent);
  b->setObjectName(name);
  b->setProperty("index", index);
  return b;
}

}  // namespace

FPARGDEV::FPARGDEV(ProcessState& state, QWidget* parent) : QDialog(parent), m_state(state) {
  setObjectName("FPARGDEV");
  setWindowTitle(QStringLiteral("Paramètres généraux"));
  setProperty("helpContext", helpctx::Parametres);
  setModal(true);
  build();
  openRecord();
}

void FPARGDEV::build() {
  auto* page = new QVBoxLayout(this);
  m_data = new ui::DataControl(this);
  m_data->setObjectName("DBD_PAR");
  m_data->setRecordSource(QStringLiteral("TPAR"));
  m_data->setMessages(&m_state.messages());
  m_data->hide();

  auto* grid = new QGridLayout;
  grid->setColumnStretch(1, 1);
  page->addLayout(grid);
  buildBoxes(grid);
  page->addSpacing(6);
  page->addLayout(buildTariffFrames());
  page->addSpacing(6);
  page->addLayout(buildButtons());
  page->addWidget(m_data);

  QWidget* order[] = {m_libDev1,      m_libDev2, m_coeffDev, m_tva,       m_pathExcel,
                      m_nomFichExcel, m_mat[0],  m_mat[1],   m_matDet[0], m_matDet[1],
                      m_mo[0],        m_mo[1],   m_update,   m_quit};
  for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

  new ui::FormNavigation(this);
  addMacroButton(m_state, this);
  setMinimumWidth(620);
}

void FPARGDEV::buildBoxes(QGridLayout* grid) {
  int row = 0;
  const auto addRow = [&](QWidget* box, const char* field, const char* labelName,
                          const QString& label, int width = 0) {
    auto* l = new QLabel(label, this);
    l->setObjectName(labelName);
    l->setBuddy(box);
    grid->addWidget(l, row, 0);
    if (width > 0) {
      box->setFixedWidth(width);
      grid->addWidget(box, row, 1, Qt::AlignLeft);
    } else {
      grid->addWidget(box, row, 1);
    }
    ++row;
    ui::boundControl(box)->setDataSource(m_data, field);
  };
  const auto textBox = [this](const char* name, int maxLength) {
    auto* b = new ui::BoundLineEdit(this);
    b->setObjectName(name);
    b->setMaxLength(maxLength);
    return b;
  };
  const auto numberBox = [this](const char* name) {
    auto* b = new ui::NumberBox(this);
    b->setObjectName(name);
    b->setMessages(&m_state.messages());
    return b;
  };

  m_libDev1 = textBox("CTX_PAR_LIBDEV1", 30);
  m_libDev2 = textBox("CTX_PAR_LIBDEV2", 30);
  m_coeffDev = numberBox("CTX_PAR_COEFFDEV");
  m_tva = numberBox("CTX_PAR_TxTVADef");
  auto* threshold = numberBox("CTX_PAR_SEUILMARGE");
  m_pathExcel = textBox("CTX_PATH_EXCEL", 255);
  m_nomFichExcel = textBox("CTX_NOMFICH_EXCEL", 255);
  addRow(m_libDev1, "TPAR_LIBDEV1", "CTL_PAR_LIBDEV1", "&Libellé devise principale", 220);
  addRow(m_libDev2, "TPAR_LIBDEV2", "CTL_PAR_LIBDEV2", "Libellé devise &secondaire", 220);
  addRow(m_coeffDev, "TPAR_COEFFDEV", "CTL_PAR_COEFFDEV",
         "&Coeff. conversion dev. principale en dev. secondaire", 110);
  addRow(m_tva, "TPAR_TxTVADef", "CTL_PAR_TxTVADef", "&TVA par défaut", 110);
  // The quote guard warns under this margin rate; 0 leaves the margin unchecked.
  addRow(threshold, "TPAR_SEUILMARGE", "CTL_PAR_SEUILMARGE",
         "Seuil du taux de ma&rge des devis (%, 0 = sans contrôle)", 110);
  addRow(m_pathExcel, "TPAR_PATH_EXCEL", "CTL_PATH_EXCEL", "C&hemin");
  addRow(m_nomFichExcel, "TPAR_NOMFICH_EXCEL", "CTL_NOMFICH_EXCEL",
         "&Nom du fichier des modèles de calcul Excel");

  // The tariff letters are stored through two hidden boxes.
  m_tarifMat = textBox("CTX_TPAR_TYP_TARIF_MAT", 1);
  m_tarifMo = textBox("CTX_TPAR_TYP_TARIF_MO", 1);
  for (auto* hidden : {m_tarifMat, m_tarifMo}) {
    hidden->hide();
    hidden->setFocusPolicy(Qt::NoFocus);
  }
  m_tarifMat->setDataSource(m_data, "TPAR_TYP_TARIF_MAT");
  m_tarifMo->setDataSource(m_data, "TPAR_TYP_TARIF_MO");
}

QHBoxLayout* FPARGDEV::buildTariffFrames() {
  auto* frames = new QHBoxLayout;

  auto* matFrame = new QGroupBox(QStringLiteral("Tarification &matières par défaut"), this);
  matFrame->setObjectName("FRM_TARIF_MAT");
  auto* matBox = new QVBoxLayout(matFrame);
  m_mat[0] = optionButton("OPT_TARIF_MAT", 0, QStringLiteral("- au prix de revient"), matFrame);
  m_mat[1] = optionButton("OPT_TARIF_MAT", 1, QStringLiteral("- au prix de vente"), matFrame);
  m_matDet[0] = optionButton("OPT_TARIF_MAT_DET", 0, QStringLiteral("Prix 1"), matFrame);
  m_matDet[1] = optionButton("OPT_TARIF_MAT_DET", 1, QStringLiteral("Prix 2"), matFrame);
  auto* matGroup = new QButtonGroup(matFrame);
  auto* detGroup = new QButtonGroup(matFrame);
  matGroup->addButton(m_mat[0], 0);
  matGroup->addButton(m_mat[1], 1);
  detGroup->addButton(m_matDet[0], 0);
  detGroup->addButton(m_matDet[1], 1);
  auto* det = new QHBoxLayout;
  det->setContentsMargins(24, 0, 0, 0);
  det->addWidget(m_matDet[0]);
  det->addSpacing(12);
  det->addWidget(m_matDet[1]);
  det->addStretch();
  matBox->addWidget(m_mat[0]);
  matBox->addWidget(m_mat[1]);
  matBox->addLayout(det);
  matBox->addStretch();
  frames->addWidget(matFrame, 1);

  auto* moFrame = new QGroupBox(QStringLiteral("Tarification main d'&oeuvre par défaut"), this);
  moFrame->setObjectName("FRM_TARIF_MO");
  auto* moBox = new QVBoxLayout(moFrame);
  m_mo[0] = optionButton("OPT_TARIF_MO", 0, QStringLiteral("- au prix de revient"), moFrame);
  m_mo[1] = optionButton("OPT_TARIF_MO", 1, QStringLiteral("- au prix de vente"), moFrame);
  auto* moGroup = new QButtonGroup(moFrame);
  moGroup->addButton(m_mo[0], 0);
  moGroup->addButton(m_mo[1], 1);
  moBox->addWidget(m_mo[0]);
  moBox->addWidget(m_mo[1]);
  moBox->addStretch();
  frames->addWidget(moFrame, 1);

  connect(matGroup, &QButtonGroup::idClicked, this, &FPARGDEV::materialsChosen);
  connect(detGroup, &QButtonGroup::idClicked, this, [this] {
    m_tarifMat->setText(materialsLetter({true, m_matDet[0]->isChecked()}));
  });
  connect(moGroup, &QButtonGroup::idClicked, this,
          [this](int id) { m_tarifMo->setText(labourLetter(id == 1)); });
  return frames;
}

QHBoxLayout* FPARGDEV::buildButtons() {
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  m_update = new QPushButton(QStringLiteral("&Enregistrer"), this);
  m_update->setObjectName("Cmd_Update");
  m_quit = new QPushButton(QStringLiteral("&Quitter"), this);
  m_quit->setObjectName("Cmd_Quitter");
  for (auto* b : {m_update, m_quit}) {
    b->setAutoDefault(false);
    b->setMinimumWidth(100);
    buttons->addWidget(b);
  }
  connect(m_update, &QPushButton::clicked, this, [this] { save(); });
  connect(m_quit, &QPushButton::clicked, this, &FPARGDEV::quit);
  return buttons;
}

void FPARGDEV::openRecord() {
  BaseEntry& main = m_state.base(entry::Main);
  try {
    if (main.open())
      m_data->setDatabase(main.db);
    else
      m_data->setDatabaseName(localPath(main.path()));
    m_data->Refresh();
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e);
  }
  Traduire_Fenetre(m_state, this);
  setWindowTitle(windowTitle() + QString(20, ' ') + m_state.dataFolderName);
}

QRadioButton* FPARGDEV::option(const QString& name, int index) const {
  return qobject_cast<QRadioButton*>(ui::indexedControl(const_cast<FPARGDEV*>(this), name, index));
}

void FPARGDEV::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (m_shown) return;
  m_shown = true;
  showStoredLetters();
  placeInWorkArea();
  m_libDev1->setFocus(Qt::TabFocusReason);
}

void FPARGDEV::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_F10 && e->modifiers() == Qt::NoModifier) {
    save();
    return;
  }
  QDialog::keyPressEvent(e);
}

void FPARGDEV::showStoredLetters() {
  const MaterialsTariff mat = materialsTariff(m_tarifMat->text());
  m_mat[mat.sellingPrice ? 1 : 0]->setChecked(true);
  m_matDet[0]->setEnabled(mat.sellingPrice);
  m_matDet[1]->setEnabled(mat.sellingPrice);
  if (mat.sellingPrice) m_matDet[mat.price1 ? 0 : 1]->setChecked(true);
  m_mo[m_tarifMo->text() == QLatin1String("R") ? 0 : 1]->setChecked(true);
}

void FPARGDEV::materialsChosen(int index) {
  const bool selling = index == 1;
  m_matDet[0]->setEnabled(selling);
  m_matDet[1]->setEnabled(selling);
  if (selling) m_matDet[0]->setChecked(true);
  // Written now as well as at saving, so that quitting asks about it.
  m_tarifMat->setText(materialsLetter({selling, true}));
}

void FPARGDEV::placeInWorkArea() {
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  QRect area = screen->availableGeometry();
  area.setTop(area.top() + m_state.topOffset);
  QRect frame = frameGeometry();
  frame.moveCenter(area.center());
  move(frame.topLeft());
}

bool FPARGDEV::save() {
  try {
    db::Recordset& rs = m_data->Recordset();
    if (!rs.isOpen()) return false;
    if (rs.EditMode() == db::EditMode::None) {
      if (rs.RecordCount() == 0)
        rs.AddNew();
      else
        rs.Edit();
    }
    m_tarifMat->setText(materialsLetter({m_mat[1]->isChecked(), m_matDet[0]->isChecked()}));
    m_data->UpdateRecord();
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e);
    return false;
  }
  // The spreadsheet models are used as saved from now on.
  m_state.params.pathExcel = withSeparator(m_pathExcel->text());
  m_state.params.nomFichExcel = m_nomFichExcel->text();
  m_quit->setFocus(Qt::OtherFocusReason);
  return true;
}

void FPARGDEV::quit() {
  if (Modif_En_Cours(this)) {
    // Annuler (or Esc on the question) keeps the window with what was typed.
    const ui::Answer a = m_state.messages().ask(
        m_state.messages().tr("Voulez-vous enregistrer votre saisie"), ui::Buttons::YesNoCancel);
    if (a == ui::Answer::Yes) {
      if (!save()) return;
    } else if (a == ui::Answer::No) {
      m_data->CancelUpdate();
    } else {
      return;
    }
  }
  try {
    if (m_data->database().isOpen()) {
      db::Recordset tpar = m_data->database().OpenRecordset("TPAR", db::RecordsetType::Table);
      if (tpar.RecordCount() > 0) {
        tpar.MoveFirst();
        reloadCurrencyAndTariffs(m_state.params, tpar);
      }
    }
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e);
  }
  m_closing = true;
  done(QDialog::Accepted);
}

void FPARGDEV::reject() {
  if (m_closing)
    QDialog::reject();
  else
    quit();
}

void FPARGDEV::closeEvent(QCloseEvent* e) {
  if (m_closing) {
    QDialog::closeEvent(e);
    return;
  }
  e->ignore();
  quit();
}

}  // namespace tarovent::core
