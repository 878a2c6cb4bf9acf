#pragma once

#include "core/RecordWindow.h"

class QFormLayout;
class QFrame;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTableView;

namespace tarovent::ui {
class BoundCheckBox;
class BoundComboBox;
class BoundLineEdit;
class BoundTextEdit;
class DataControl;
}  // namespace tarovent::ui

namespace tarovent::clients {

// The client file: one record per client with its contacts, the client list with its quick
// search, the country list (F4), the visits, the memo and new mails to the client.
class FCLIDEV : public core::RecordWindow {
  Q_OBJECT
 public:
  explicit FCLIDEV(core::ProcessState& state, QWidget* parent = nullptr);

 protected:
  void escape() override;
  bool mayClose() override;
  void recordSaved(bool wasNew) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* buildRecord();
  QFormLayout* buildIdentity();
  QFormLayout* buildMainContact();
  QFormLayout* buildTerms();
  QFormLayout* buildNotes();
  QWidget* buildContacts();
  QWidget* buildList();
  QWidget* buildVisits();
  ui::BoundLineEdit* box(const char* name, const char* field, int width = 0);
  void pointAtClientDatabase();
  void fillLists();

  QString currentCode() const;
  QString recordCode();
  void codeEdited(const QString& text);
  void codeLeft();
  bool readyToSave();
  void saveContact();
  void loadContacts();
  bool deletable();
  void removeClient();
  void refreshClient();
  void toggleList();
  void quickSearch(const QString& text);
  void toggleVisits();
  void loadVisits();
  void showCountries();
  void chooseCountry();
  void newContact();
  void cancelContact();
  void mailTo(const QLineEdit* address);
  void quit();
  // A client being added whose code is still blank has nothing worth keeping: dropped.
  void dropBlankAddition();

  ui::DataControl* m_data = nullptr;
  ui::DataControl* m_contacts = nullptr;
  ui::DataControl* m_visits = nullptr;
  ui::BoundLineEdit* m_code = nullptr;
  ui::BoundComboBox* m_category = nullptr;
  ui::BoundComboBox* m_terms = nullptr;
  ui::BoundComboBox* m_payment = nullptr;
  ui::BoundCheckBox* m_valid = nullptr;
  ui::BoundTextEdit* m_memo = nullptr;
  QPushButton* m_add = nullptr;
  QPushButton* m_newContact = nullptr;
  QPushButton* m_okContact = nullptr;
  QPushButton* m_cancelContact = nullptr;
  QFrame* m_listFrame = nullptr;
  QFrame* m_visitsFrame = nullptr;
  QListWidget* m_countries = nullptr;
  QLineEdit* m_search = nullptr;
  QTableView* m_list = nullptr;
  QList<QRadioButton*> m_visitFilter;
  QString m_contactsOf;  // the client whose contacts the contact source holds
};

}  // namespace tarovent::clients
