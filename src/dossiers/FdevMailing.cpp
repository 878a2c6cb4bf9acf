#include "FdevMailing.h"

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

#include "FDEV.h"
#include "PdfOptionsPanel.h"
#include "VersionFrame.h"
#include "composition/CompositionSession.h"
#include "composition/FCOMPO.h"
#include "core/DocumentPreview.h"
#include "core/ProcessState.h"
#include "guard/ComparisonWindow.h"
#include "guard/GuardWindow.h"
#include "guard/SentVersions.h"
#include "ui/DataControl.h"
#include "ui/HostWindow.h"

namespace tarovent::dossiers {

FdevMailing::FdevMailing(core::ProcessState& state, FDEV* window, QPushButton* mailPdf,
                         QPushButton* mail, QPushButton* mails)
    : QObject(window),
      m_state(state),
      m_window(window),
      m_mailPdf(mailPdf),
      m_panel(new PdfOptionsPanel(window)),
      m_previewButton(new QPushButton(QStringLiteral("Aperçu PDF"), window)),
      m_compareButton(new QPushButton(QStringLiteral("Comparer les versions"), window)),
      m_mailing(state) {
  // These buttons open no window of their own: their generic command gives way to ours.
  for (QPushButton* b : {mailPdf, mail, mails})
    QObject::disconnect(b, &QPushButton::clicked, window, nullptr);
  connect(mailPdf, &QPushButton::clicked, this, &FdevMailing::exportAndMail);
  connect(mail, &QPushButton::clicked, this, &FdevMailing::newMail);
  connect(mails, &QPushButton::clicked, this, &FdevMailing::openMailList);
  connect(window->versionFrame(), &VersionFrame::pdfOptionsRequested, this,
          &FdevMailing::showPanel);
  connect(m_panel, &PdfOptionsPanel::accepted, this, &FdevMailing::exportAndMail);
  m_previewButton->setObjectName("Cmd_ApercuPDF");
  m_previewButton->setToolTip(QStringLiteral("Aperçu du devis en PDF"));
  m_previewButton->setEnabled(state.windows.has(QStringLiteral("FRM_OptPDF")));
  connect(m_previewButton, &QPushButton::clicked, this, &FdevMailing::showPreview);
  m_compareButton->setObjectName("Cmd_DevComparer");
  m_compareButton->setToolTip(
      QStringLiteral("Lignes ajoutées, supprimées et modifiées d'une "
                     "version à l'autre"));
  connect(m_compareButton, &QPushButton::clicked, this, &FdevMailing::compareVersions);
  // The preview follows the version shown.
  connect(window->versionFrame()->data(), &ui::DataControl::repositioned, this, [this] {
    if (m_preview && m_preview->isVisible()) m_preview->showDocument(versionDocument());
  });
}

QString FdevMailing::versionDocument() const {
  const DossierKey dossier = m_window->currentDossier();
  VersionFrame* versions = m_window->versionFrame();
  const int sequence = versions->hasVersions() ? versions->currentSequence() : -1;
  if (!dossier.present() || sequence < 0) return {};
  return QuoteVersions(m_state).documentPath(dossier, sequence);
}

void FdevMailing::showPreview() {
  const QString document = versionDocument();
  if (document.isEmpty()) {
    m_state.messages().beep();
    return;
  }
  if (!m_preview) {
    m_preview = new core::DocumentPreview(m_state, m_window);
    m_preview->setWindowFlag(Qt::Window);
    m_preview->setWindowTitle(QStringLiteral("Aperçu du devis"));
    m_preview->resize(700, 900);
  }
  m_preview->showDocument(document);
  ui::showOverOpener(m_preview);
  m_preview->raise();
}

QString FdevMailing::contactMail() const {
  const auto* box = m_window->findChild<QLineEdit*>(QStringLiteral("FCLI_Mail1"));
  return box ? box->text().trimmed() : QString();
}

void FdevMailing::showPanel() {
  if (!m_window->guard()) return;
  m_panel->adjustSize();
  // Over the window, below the export button, as a frame shown on the form.
  QPoint at = m_mailPdf->mapTo(m_window, QPoint(0, m_mailPdf->height()));
  at.setX(qMin(at.x(), qMax(0, m_window->width() - m_panel->width())));
  at.setY(qMin(at.y(), qMax(0, m_window->height() - m_panel->height())));
  m_panel->move(at);
  m_panel->open();
}

void FdevMailing::exportAndMail() {
  if (!m_window->guard()) return;
  const DossierKey dossier = m_window->currentDossier();
  VersionFrame* versions = m_window->versionFrame();
  const int sequence = versions->hasVersions() ? versions->currentSequence() : -1;
  const QuoteMailing::Outcome outcome =
      m_mailing.exportAndMail(dossier, sequence, contactMail(), m_panel->pages());
  // The quote has left as a draft mail: what it sells under cost or floor shows beside it.
  if (outcome == QuoteMailing::Outcome::Mailed || outcome == QuoteMailing::Outcome::MailFailed) {
    // Once its PDF exists the version has left: it is frozen.
    guard::markSentDocument(m_state, versionDocument(),
                            outcome == QuoteMailing::Outcome::Mailed
                                ? QStringLiteral("export PDF et mail")
                                : QStringLiteral("export PDF"));
    if (guard::GuardWindow* w = guard::warnBeforeSending(
            m_state, versionDocument(), QStringLiteral("l'envoi du devis"), m_window))
      w->setLineOpener([this](const guard::GuardFinding& f) { openLine(f.docTable, f.row); });
  }
  if (outcome == QuoteMailing::Outcome::NoDocument) {
    if (auto* edit = m_window->findChild<QWidget*>(QStringLiteral("Cmd_DevEditer")))
      edit->setFocus(Qt::OtherFocusReason);
  }
}

void FdevMailing::openLine(int docTable, int row) {
  const QString document = versionDocument();
  const auto composing = [&]() -> composition::FCOMPO* {
    for (QWidget* top : QApplication::topLevelWidgets()) {
      auto* c = qobject_cast<composition::FCOMPO*>(top);
      if (!c) c = top->findChild<composition::FCOMPO*>();
      if (c && c->session().isOpen() &&
          QFileInfo(c->session().documentPath()) == QFileInfo(document))
        return c;
    }
    return nullptr;
  };
  // The version's composition, started when none is open on it.
  composition::FCOMPO* c = composing();
  if (!c) {
    m_window->versionFrame()->editVersion();
    c = composing();
  }
  if (c) c->goToLine(docTable, row);
}

void FdevMailing::compareVersions() {
  const DossierKey dossier = m_window->currentDossier();
  if (!dossier.present() || !m_window->guard()) {
    m_state.messages().beep();
    return;
  }
  auto* w = new guard::ComparisonWindow(m_state, dossier.company, dossier.number, m_window);
  ui::showOverOpener(w);
  w->raise();
}

void FdevMailing::newMail() { m_mailing.newMail(contactMail()); }

void FdevMailing::openMailList() {
  if (!m_window->guard()) return;
  m_state.mailListAddress = contactMail();
  if (!m_state.mailListAddress.isEmpty() && m_state.opener)
    m_state.opener->openWindow(QStringLiteral("FMAILS"));
}

}  // namespace tarovent::dossiers
