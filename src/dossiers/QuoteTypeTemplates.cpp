#include "QuoteTypeTemplates.h"

#include <QFile>
#include <QFileInfo>

#include "core/Paths.h"
#include "ui/MessageFunnel.h"

namespace tarovent::dossiers {

namespace {
constexpr const char* kExtensions[] = {".dot", ".dotm", ".dotx"};
constexpr char kNewExtension[] = ".dotx";
constexpr char kEmpty[] = "VIDE";
}  // namespace

QuoteTypeTemplates::QuoteTypeTemplates(const QString& folder)
    : m_folder(core::localPath(core::withSeparator(folder))) {}

bool QuoteTypeTemplates::usableCode(const QString& code) {
  if (code.isEmpty() || code == QLatin1String(".") || code == QLatin1String("..")) return false;
  for (const QChar c : code)
    if (c.unicode() < 32 || QStringLiteral("/\\:*?\"<>|").contains(c)) return false;
  return true;
}

QString QuoteTypeTemplates::codeRefusal(const QString& code, const ui::MessageFunnel& messages) {
  if (usableCode(code.trimmed())) return {};
  return messages.tr(QStringLiteral("Le code ")) + code +
         messages.tr(QStringLiteral(" ne peut pas nommer un modèle : il ne doit contenir aucun "
                                    "des caractères / \\ : * ? \" < > | et ne pas être . ou .."));
}

QString QuoteTypeTemplates::tr(const char* fixed) const {
  const QString text = QString::fromUtf8(fixed);
  return m_messages ? m_messages->tr(text) : text;
}

QString QuoteTypeTemplates::existing(const QString& base) const {
  // A code that is not a plain name has no template: it would name a file elsewhere.
  if (!usableCode(base)) return {};
  for (const char* ext : kExtensions) {
    const QString path = m_folder + base + QLatin1String(ext);
    if (QFileInfo(path).isFile()) return path;
  }
  return {};
}

QString QuoteTypeTemplates::templateFile(const QString& code) const {
  const QString found = existing(code);
  if (!found.isEmpty()) return found;
  return usableCode(code) ? m_folder + code + QLatin1String(kNewExtension) : QString();
}

bool QuoteTypeTemplates::hasTemplate(const QString& code) const {
  return !existing(code).isEmpty();
}

QString QuoteTypeTemplates::emptyTemplate() const { return existing(QLatin1String(kEmpty)); }

bool QuoteTypeTemplates::copyOver(const QString& source, const QString& target, QString* error) {
  // Written beside the target first, so that a failed copy leaves no half template.
  const QString temporary = target + QStringLiteral(".tmp");
  QFile::remove(temporary);
  if (!QFile::copy(source, temporary)) {
    if (error) *error = tr("Impossible d'écrire le modèle ") + target;
    return false;
  }
  if ((QFileInfo::exists(target) && !QFile::remove(target)) || !QFile::rename(temporary, target)) {
    QFile::remove(temporary);
    if (error) *error = tr("Impossible de remplacer le modèle ") + target;
    return false;
  }
  return true;
}

bool QuoteTypeTemplates::giveEmptyTemplate(const QString& code, QString* error) {
  if (!usableCode(code)) {
    if (error) *error = tr("Le code ") + code + tr(" ne peut pas nommer un modèle");
    return false;
  }
  const QString empty = emptyTemplate();
  if (empty.isEmpty()) {
    if (error)
      *error = tr("Le modèle vide ") + QLatin1String(kEmpty) + QLatin1String(kNewExtension) +
               tr(" est introuvable dans ") + m_folder;
    return false;
  }
  if (!removeTemplate(code)) {
    if (error) *error = tr("Impossible de supprimer le modèle ") + templateFile(code);
    return false;
  }
  const QString ext = empty.mid(empty.lastIndexOf('.'));
  return copyOver(empty, m_folder + code + ext, error);
}

bool QuoteTypeTemplates::copyTemplate(const QString& from, const QString& to, QString* error) {
  if (!usableCode(to)) {
    if (error) *error = tr("Le code ") + to + tr(" ne peut pas nommer un modèle");
    return false;
  }
  const QString source = existing(from);
  if (source.isEmpty()) {
    if (error) *error = tr("Modèle ") + from + tr(" introuvable ...");
    return false;
  }
  if (!removeTemplate(to)) {
    if (error) *error = tr("Impossible de supprimer le modèle ") + templateFile(to);
    return false;
  }
  return copyOver(source, m_folder + to + source.mid(source.lastIndexOf('.')), error);
}

bool QuoteTypeTemplates::removeTemplate(const QString& code) {
  for (QString path = existing(code); !path.isEmpty(); path = existing(code))
    if (!QFile::remove(path)) return false;
  return true;
}

}  // namespace tarovent::dossiers
