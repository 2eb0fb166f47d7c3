#include "ui/help_links.h"

namespace livna {

std::string helpTarget(const std::string& helpFile, bool winHelpShown, bool helpFileExists) {
    return (winHelpShown && helpFileExists) ? helpFile : kHelpPage;
}

std::string webSiteUrl(const QString& caption) {
    return ("http://" + caption).toStdString();
}

std::string emailUrl(const QString& address) {
    return ("mailto:" + address + "?subject=Setka-640").toStdString();
}

}  // namespace livna
