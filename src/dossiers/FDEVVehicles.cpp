// FDEV's vehicle list: every vehicle or the client's own, and the form filled from the one
// chosen.
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "CustomFieldsPanel.h"
#include "FDEV.h"
#include "core/ProcessState.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "ui/BoundLineEdit.h"
#include "ui/DataControl.h"
#include "ui/DbErrorMessage.h"
#include "ui/GridColumns.h"
#include "ui/GridLink.h"
#include "ui/RecordsetModel.h"

namespace tarovent::dossiers {

namespace {

using ui::gridColumn;

}  // namespace

QWidget* FDEV::buildVehicleList() {
  m_vehicleFrame = new QFrame(this);
  m_vehicleFrame->setObjectName("Frm_Immat");
  m_vehicleFrame->setFrameShape(QFrame::StyledPanel);
  m_vehicleFrame->setFixedWidth(420);
  m_vehicles = dataControl("DBD_Immat", dossierSql::vehicles(QString()));
  m_vehicles->setReadOnly(true);
  m_vehicles->hide();
  m_vehicleGrid = new QTableView(m_vehicleFrame);
  m_vehicleGrid->setObjectName("DBG_Immat");
  m_vehicleGrid->installEventFilter(this);
  auto* model = new ui::RecordsetModel(m_vehicleGrid);
  new ui::GridLink(m_vehicleGrid, model, m_vehicles);
  new ui::GridColumns(m_vehicleGrid, model, m_vehicles,
                      {gridColumn("TVEH_IMMAT", QStringLiteral("Immat.")),
                       gridColumn("TVEH_COMPLIDENT", QStringLiteral("Compl.id")),
                       gridColumn("TVEH_CODCLI", QStringLiteral("Client")),
                       gridColumn("TVEH_MARQUE", QStringLiteral("Marque"))},
                      {90, 120, 70, 100}, 1);
  connect(m_vehicleGrid, &QTableView::doubleClicked, this, &FDEV::chooseVehicle);
  m_ownVehicles = new QCheckBox(QStringLiteral("Véhicules du client seulement"), m_vehicleFrame);
  m_ownVehicles->setObjectName("OPT_Veh");
  connect(m_ownVehicles, &QCheckBox::toggled, this, [this] { showVehicles(); });
  auto* close = button("Cmd_FermerImmat", QStringLiteral("Fermer"));
  connect(close, &QPushButton::clicked, this, [this] {
    m_vehicleFrame->hide();
    m_immat->setFocus(Qt::OtherFocusReason);
  });
  auto* layout = new QVBoxLayout(m_vehicleFrame);
  layout->addWidget(new QLabel(QStringLiteral("<b>Véhicules</b>"), m_vehicleFrame));
  layout->addWidget(m_ownVehicles);
  layout->addWidget(m_vehicleGrid, 1);
  layout->addWidget(close, 0, Qt::AlignRight);
  m_vehicleFrame->hide();
  return m_vehicleFrame;
}

void FDEV::showVehicles() {
  m_clientFrame->hide();
  const QString client = m_ownVehicles->isChecked() ? m_code->text().trimmed() : QString();
  m_vehicles->setRecordSource(dossierSql::vehicles(client));
  try {
    m_vehicles->Refresh();
    const QString immat = m_immat->text().trimmed();
    db::Recordset& rs = m_vehicles->Recordset();
    if (immat.size() >= 5 && !(rs.BOF() && rs.EOF_())) {
      rs.FindFirst("TVEH_IMMAT = " + db::sqlLiteral(immat));
      if (rs.NoMatch()) rs.MoveFirst();
      m_vehicles->showRecord();
    }
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kErrors);
    return;
  }
  m_vehicleFrame->show();
  m_vehicleGrid->setFocus(Qt::OtherFocusReason);
}

void FDEV::chooseVehicle() {
  db::Recordset& rs = m_vehicles->Recordset();
  if (!rs.isOpen() || rs.BOF() || rs.EOF_()) return;
  const QString immat = rs.text("TVEH_IMMAT");
  const QString complement = rs.text("TVEH_COMPLIDENT");
  m_immat->setText(immat);
  m_complement->setText(complement);
  m_vehicleFrame->hide();
  try {
    if (const auto fill = vehicleFill(clientsDb(), immat, complement)) {
      for (auto it = fill->userFields.cbegin(); it != fill->userFields.cend(); ++it) {
        QLineEdit* b = it.key() <= 2 ? static_cast<QLineEdit*>(m_user12->box(it.key()))
                                     : m_infos->box(it.key());
        b->setText(it.value());
      }
      m_make->setText(fill->make);
    }
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kErrors);
  }
  m_immat->setFocus(Qt::OtherFocusReason);
}

}  // namespace tarovent::dossiers
