#pragma once
// What the settings-file reader and writer (settings_file.cpp) share with their system's half
// (settings_file_posix.cpp or settings_file_win.cpp, which the build picks, with readFileText and
// the atomic writer): the pieces both halves use.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "common/settings_file.h"

namespace livna::settings_io {

FileError makeFileError(FileErrorKind kind, std::string_view fileName);
/// The text of an errno value; empty for 0.
std::string errnoMessage(int err);
/// A temporary file's name beside target, different for each attempt.
std::filesystem::path temporaryBeside(const std::filesystem::path& target, unsigned attempt);
/// The file a chain of symbolic links ends at (the path itself when it is no link); a missing end is
/// fine, it is created. Nothing, with err set (an errno value), when the chain cannot be followed.
std::optional<std::filesystem::path> followLinks(std::filesystem::path path, int& err);

/// A failed read of the file fileName, with the system's text.
FileText failedRead(FileErrorKind kind, std::string_view fileName, std::string systemText);

}  // namespace livna::settings_io
