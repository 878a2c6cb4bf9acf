#pragma once

#include "core/DocumentNames.h"

namespace tarovent::dossiers {

using core::businessKey;
using core::Chemin_Document;
using core::hasOwnName;
using core::kDocumentSubfolder;
using core::kLastDossierNumber;
using core::kLastSequence;
using core::Nom_Document;

}  // namespace tarovent::dossiers
