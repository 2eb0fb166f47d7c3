#include "common/version_code.h"

namespace livna {

std::string versionText(VersionParts parts) {
    return std::to_string(parts.major) + "." + std::to_string(parts.minor);
}

}  // namespace livna
