#pragma once

#include <QObject>

#include "QuoteMailing.h"

class QPushButton;

namespace tarovent::core {
class DocumentPreview;
class ProcessState;
}  // namespace tarovent::core

namespace tarovent::dossiers {

class FDEV;
class PdfOptionsPanel;

// The mail commands of the dossier workspace: CTL_MailPDF shows the PDF options panel,
// Cmd_MailPDF exports with the options as they stand and opens the mail, CMD_Mail opens an empty
// mail to the contact, CMD_Mails hands the contact's address to the mail list window.
class FdevMailing : public QObject {
  Q_OBJECT
 public:
  FdevMailing(core::ProcessState& state, FDEV* window, QPushButton* mailPdf, QPushButton* mail,
              QPushButton* mails);

  void exportAndMail();
  void newMail();
  void openMailList();
  PdfOptionsPanel* panel() const { return m_panel; }
  // Cmd_ApercuPDF: the PDF of the version's document in a window of its own, kept up to date.
  QPushButton* previewButton() const { return m_previewButton; }
  void showPreview();
  core::DocumentPreview* preview() const { return m_preview; }
  // Cmd_DevComparer: the versions of the dossier compared, in a window of their own.
  QPushButton* compareButton() const { return m_compareButton; }
  void compareVersions();

 private:
  QString contactMail() const;
  QString versionDocument() const;
  void showPanel();
  // A line the guard found, in the composition of the version shown.
  void openLine(int docTable, int row);

  core::ProcessState& m_state;
  FDEV* m_window;
  QPushButton* m_mailPdf;
  PdfOptionsPanel* m_panel;
  QPushButton* m_previewButton;
  QPushButton* m_compareButton;
  core::DocumentPreview* m_preview = nullptr;
  QuoteMailing m_mailing;
};

}  // namespace tarovent::dossiers
