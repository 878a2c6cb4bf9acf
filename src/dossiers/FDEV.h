#pragma once

#include <QSet>

#include "CustomFields.h"
#include "DossierLookups.h"
#include "DossierRules.h"
#include "VersionFrame.h"
#include "core/RecordWindow.h"
#include "platform/db/Database.h"

class QCheckBox;
class QComboBox;
class QFormLayout;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace tarovent::ui {
class BoundComboBox;
class BoundLineEdit;
class DataControl;
class RecordsetModel;
}  // namespace tarovent::ui
namespace tarovent::core {
class GridTools;
class HeldItem;
}  // namespace tarovent::core

namespace tarovent::dossiers {

class CustomFieldsPanel;
class DuplicationPanel;
class FdevMailing;
class StatsPeriodPanel;

// The dossier workspace: the dossier list, the dossier form with its client, contact, sales
// representative, quote type and vehicle, the commands on dossiers, and the version frame of
// the dossier shown.
class FDEV : public core::RecordWindow {
  Q_OBJECT
 public:
  explicit FDEV(core::ProcessState& state, QWidget* parent = nullptr);
  ~FDEV() override;

  // The commands, also reached by their buttons and keys.
  void newDossier();
  bool saveDossier();
  void cancelDossier();
  void deleteDossier();
  void refreshDossiers();
  void nextCompany();
  void duplicateDossier();
  void newClient();
  // CMD_DernDevis: the latest dossier of the next company sharing the latest date.
  void latestDossier();
  // CMD_Affaire: the affair number the commercial product gave the dossier's quote.
  void showBusinessNumber();
  // Cmd_Images: the dossier's documents in the family's document viewer.
  void showDocuments();
  // CMD_StatPDR: the period panel of the order cost statistics.
  void showStatsPanel();
  StatsPeriodPanel* statsPanel() const { return m_stats; }
  // What the window does each time it becomes active: takes back a client created for it and
  // shows the dossier the reminders window asked for.
  void activated();

  // The pending-change guard: false (after saying why) while a bound box holds a change.
  bool guard();
  bool isAdding() const { return m_adding; }
  bool holdsPriceControl() const { return m_ctrlPrix.isOpen(); }
  VersionFrame* versionFrame() const { return m_versions; }
  // Says which other workstations hold the dossier shown open (asked again each time the
  // window becomes active).
  void showHolders();
  DossierKey currentDossier();
  // Closing with a pending dossier or version asks whether to save both.
  bool mayClose() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void escape() override;
  void showEvent(QShowEvent* e) override;

 private:
  QWidget* buildForm();
  void addCompanyRow(QFormLayout* f);
  void addClientRows(QFormLayout* f);
  void addRepresentativeRow(QFormLayout* f);
  void addWorkRows(QFormLayout* f);
  QWidget* buildList();
  QWidget* buildClientList();
  QWidget* buildVehicleList();
  QList<QPushButton*> otherPartButtons();
  QPushButton* otherPartButton(const char* name, const QString& caption, const char* window);
  QPushButton* lookUpButton(const char* name, const QString& caption, void (FDEV::*command)());
  FdevMailing* buildVersions(QPushButton* save, const QList<QPushButton*>& others);
  void buildDuplication();
  void openSources();
  void fillPickers();
  // The quote types offered: the active ones while a new dossier is entered, else every one.
  void offerTypes(bool activeOnly);

  db::Database& clientsDb();
  // The client table as the dossier list's SQL names it.
  QString clientsTable() const;
  void dossierShown();
  void clearClient(bool contactToo);
  bool loadClient(const QString& code, bool reportMissing);
  void loadContacts(const QString& client);
  void showContact(const QString& name);
  void clientLeft();
  void showClientList(const QString& from);
  void chooseClient();
  void bufferEdited(const QString& text);
  void contactChosen(int row);
  void representativeChanged();
  void representativeLeft();
  void typeChosen(int row);
  void showVehicles();
  void chooseVehicle();
  void toggleSize();
  void showToolsMenu(QTableView* grid, QPushButton* button);
  void listEmptied();
  void findDossier(const QString& company, long number);
  QString companyShown() const;

  // What the window says when a command meets unsaved entry, and the prefix of its database
  // errors.
  static inline const QString kRefusal =
      QStringLiteral("Enregistrez ou annulez d'abord votre saisie");
  static inline const QString kErrors = QStringLiteral("DBD_DOSS : ");

  DossierRowCells m_cells;
  CustomFields m_fields;
  ui::DataControl* m_data = nullptr;
  ui::DataControl* m_clientList = nullptr;
  ui::DataControl* m_vehicles = nullptr;
  ui::RecordsetModel* m_model = nullptr;
  QTableView* m_list = nullptr;
  QTableView* m_clientGrid = nullptr;
  QTableView* m_vehicleGrid = nullptr;
  core::GridTools* m_listTools = nullptr;
  core::GridTools* m_clientTools = nullptr;
  ui::BoundComboBox* m_company = nullptr;
  ui::BoundComboBox* m_type = nullptr;
  ui::BoundLineEdit* m_code = nullptr;
  ui::BoundLineEdit* m_contact = nullptr;
  ui::BoundLineEdit* m_rep = nullptr;
  ui::BoundLineEdit* m_operation = nullptr;
  ui::BoundLineEdit* m_immat = nullptr;
  ui::BoundLineEdit* m_complement = nullptr;
  ui::BoundLineEdit* m_make = nullptr;
  QLineEdit* m_clientName = nullptr;
  QList<QLineEdit*> m_contactBoxes;  // telephone, fax, mobile, mail
  QComboBox* m_contactPicker = nullptr;
  QComboBox* m_repPicker = nullptr;
  QLabel* m_valid = nullptr;
  QLabel* m_holders = nullptr;
  std::unique_ptr<core::HeldItem> m_held;  // the dossier shown, for the other workstations
  QPushButton* m_add = nullptr;
  QPushButton* m_infosButton = nullptr;
  QFrame* m_clientFrame = nullptr;
  QFrame* m_vehicleFrame = nullptr;
  QLineEdit* m_buffer = nullptr;
  QCheckBox* m_ownVehicles = nullptr;
  CustomFieldsPanel* m_user12 = nullptr;
  CustomFieldsPanel* m_infos = nullptr;
  DuplicationPanel* m_duplication = nullptr;
  VersionFrame* m_versions = nullptr;
  StatsPeriodPanel* m_stats = nullptr;
  LatestDossier m_latest;
  BusinessNumber m_businessNumber;

  db::Recordset m_clientsByKey;  // TCLI on PrimaryKey
  db::Recordset m_reps;          // TCAL on PrimaryKey
  db::Recordset m_contacts;      // the contacts of the dossier's client
  db::Database m_ctrlPrix;       // held open while the window lives, when present
  QSet<QString> m_retiredTypes;
  QString m_clientShown;  // the client whose name and contacts the form shows
  bool m_adding = false;
  bool m_repositioning = false;
  bool m_wasActive = false;
};

}  // namespace tarovent::dossiers
