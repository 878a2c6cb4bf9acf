#include "NewMailCommand.h"

#include "ProcessState.h"

namespace tarovent::core {

bool openNewMail(ProcessState& state, const mail::NewMail& mail) {
  auto& m = state.messages();
  const mail::MailResult r = state.mail ? state.mail->open(mail) : mail::MailResult{};
  if (r.outcome != mail::MailOutcome::Failed) return true;
  QString text =
      m.tr(QStringLiteral("Le nouveau message n'a pu être ouvert : aucun programme de messagerie "
                          "n'a répondu."));
  if (!r.draft.isEmpty())
    text += '\n' + m.tr(QStringLiteral("Le brouillon est enregistré sous ")) + r.draft;
  else if (!r.detail.isEmpty())
    text += '\n' + m.tr(QStringLiteral("Fichier ou dossier inaccessible : ")) + r.detail;
  m.show(text, ui::Icon::Warning);
  return false;
}

}  // namespace tarovent::core
