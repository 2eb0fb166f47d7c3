#pragma once
// What the settings-file reader and writer (settings_file.cpp) share with their system's half
// (settings_file_posix.cpp or settings_file_win.cpp, which the build picks): reading a plain file
// and the atomic writer's pieces.
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

struct FileText {
    std::string text;
    std::optional<FileError> error;
};

/// A failed read of the file fileName, with the system's text.
FileText failedRead(FileErrorKind kind, std::string_view fileName, std::string systemText);

/// The content of a plain file of at most kMaxValuesFileBytes; anything else is an error, and a
/// FIFO is refused without waiting for a writer.
FileText readFileText(const std::filesystem::path& path);

}  // namespace livna::settings_io
