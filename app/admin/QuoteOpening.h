#pragma once

// What the verbs that work on a family's quotes share: their arguments, the family opened, a
// quote's document opened as the dossier workspace would.
#include <QHash>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <memory>
#include <optional>

namespace tarovent::core {
class ProcessState;
}
namespace tarovent::composition {
class CompositionSession;
}

namespace tarovent::admin {

// A verb's words: those that are no option, in order, and the values of each option given.
struct VerbArguments {
  QStringList positional;
  QHash<QString, QStringList> options;
  bool has(const QString& option) const { return options.contains(option); }
  QString value(const QString& option) const { return options.value(option).value(0); }
};
// Splits `args`; `arity` gives, for each option the verb knows, how many values follow it.
// Nothing on an unknown option or a missing value.
std::optional<VerbArguments> splitArguments(const QStringList& args,
                                            const QHash<QString, int>& arity);

// The family of `folder` opened as the recalculation opens it; false after its message on err.
bool openFamily(core::ProcessState& state, const QString& folder, QTextStream& err);

// The quote context the dossier workspace would hand over for version `seq` of `dossier`;
// the company is the document's extension when it names one, else the dossier's only one.
// False, after its message on err, when the version does not exist. Throws db::DbError.
bool fillQuoteContext(core::ProcessState& state, const QString& file, long dossier, int seq,
                      QTextStream& err);
// The default tariff modes of the general parameters.
void readDefaultTariffModes(core::ProcessState& state);

// The composition session on version `seq` of `dossier`, whose document is `file`; nullptr after
// its message on err (or the session's own messages) when it cannot be opened.
std::unique_ptr<composition::CompositionSession> openQuoteSession(core::ProcessState& state,
                                                                  const QString& file, long dossier,
                                                                  int seq, QTextStream& err);

}  // namespace tarovent::admin
