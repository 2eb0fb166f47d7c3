#pragma once
// What the help button and the maker's links of a window open.
#include <QString>

#include <string>

namespace livna {

/// Address constants of the maker's links (neutral placeholders under the reserved example domain).
inline constexpr const char* kWebSiteAddress = "www.example.com/livna";
inline constexpr const char* kEmailAddress = "support@example.com";
/// Shown where the program's WinHelp file cannot be: Setka640DKV_KVM's page and setka's.
inline constexpr const char* kHelpPage = "help/index.html";
inline constexpr const char* kSetkaHelpPage = "help/setka.html";

/// What a help button opens: the WinHelp file helpFile where the desktop can show it and it is
/// present, otherwise the HTML page shipped beside the program.
std::string helpTarget(const std::string& helpFile, bool winHelpShown, bool helpFileExists,
                       const std::string& page = kHelpPage);
/// The link the web-site label opens for its caption, and the mail link of the e-mail label.
std::string webSiteUrl(const QString& caption);
std::string emailUrl(const QString& address);

/// What the installer is told when the desktop would not open a link or a document: what was
/// asked for and where to find it by hand (the full path of a file, the address of a link).
/// target is what was given to the launcher; a relative file is named under currentDir.
std::string openFailureText(const std::string& target, const QString& currentDir);

}  // namespace livna
