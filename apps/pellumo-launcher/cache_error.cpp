#include "cache_error.h"

#include <cerrno>
#include <cstring>

namespace pellumo {

std::string CauseOf(int error) {
    switch (error) {
        case EROFS: return "le dossier est en lecture seule";
        case ENOSPC:
        case EDQUOT: return "le disque est plein";
        case EACCES:
        case EPERM: return "accès refusé";
        case ENOENT: return "le dossier n'existe pas";
        case ENOTDIR: return "ce n'est pas un dossier";
        default: return std::strerror(error);
    }
}

ECacheError::ECacheError(const std::string& folder, int error)
    : Exception("impossible d'écrire dans " + folder + " : " + CauseOf(error)) {}

}  // namespace pellumo
