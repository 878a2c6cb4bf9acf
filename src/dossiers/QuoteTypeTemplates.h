#pragma once

#include <QString>

namespace tarovent::ui {
class MessageFunnel;
}

namespace tarovent::dossiers {

// The Word templates of the quote types, kept in the documents folder: the type's code with a
// template extension (".dot", ".dotm" or ".dotx", looked up in that order; new ones are
// ".dotx"), and the empty template VIDE that new types start from.
class QuoteTypeTemplates {
 public:
  // `folder`: the documents folder, with or without its trailing separator.
  explicit QuoteTypeTemplates(const QString& folder);

  // Whether a type code can name a template: a plain file name, which stays in the folder.
  static bool usableCode(const QString& code);
  // Why `code` cannot be a type's code, in French; empty when it can.
  static QString codeRefusal(const QString& code, const ui::MessageFunnel& messages);

  // What translates the fixed pieces of the reasons given.
  void setMessages(const ui::MessageFunnel* messages) { m_messages = messages; }

  const QString& folder() const { return m_folder; }
  // The template file of type `code`: the one that exists, else the name a new one gets.
  QString templateFile(const QString& code) const;
  bool hasTemplate(const QString& code) const;
  // The empty template's file; empty when the folder has none.
  QString emptyTemplate() const;

  // Puts a copy of the empty template in place of the type's template. False with a French
  // reason in `error` when the empty template is missing or a file cannot be written.
  bool giveEmptyTemplate(const QString& code, QString* error);
  // Copies the template of `from` to type `to` (same extension). False with a reason.
  bool copyTemplate(const QString& from, const QString& to, QString* error);
  // Deletes the type's template; true when none is left.
  bool removeTemplate(const QString& code);

 private:
  QString existing(const QString& base) const;
  bool copyOver(const QString& source, const QString& target, QString* error);
  QString tr(const char* fixed) const;

  QString m_folder;  // with its trailing separator, as a local path
  const ui::MessageFunnel* m_messages = nullptr;
};

}  // namespace tarovent::dossiers
