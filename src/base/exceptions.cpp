#include "base/exceptions.h"

#include "base/format.h"

namespace pellumo {

EFOpenError::EFOpenError(std::string_view fileName)
    : EStreamError(Format("Impossible d'ouvrir le fichier %s", {std::string(fileName)})) {}

EFCreateError::EFCreateError(std::string_view fileName)
    : EStreamError(Format("Impossible de créer le fichier %s", {std::string(fileName)})) {}

EReadError::EReadError() : EStreamError("Erreur de lecture du flux") {}

EWriteError::EWriteError() : EStreamError("Erreur d'écriture dans le flux") {}

}  // namespace pellumo
