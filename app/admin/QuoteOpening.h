#pragma once

// Opening a quote's document from the command line as the dossier workspace would.
#include <QString>
#include <QTextStream>

namespace tarovent::core {
class ProcessState;
}

namespace tarovent::admin {

// The quote context the dossier workspace would hand over for version `seq` of `dossier`;
// the company is the document's extension when it names one, else the dossier's only one.
// False, after its message on err, when the version does not exist. Throws db::DbError.
bool fillQuoteContext(core::ProcessState& state, const QString& file, long dossier, int seq,
                      QTextStream& err);
// The default tariff modes of the general parameters.
void readDefaultTariffModes(core::ProcessState& state);

}  // namespace tarovent::admin
