#pragma once
// Settings text files: one decimal integer per line, line i = value i, no header. Written with
// CR LF; read with CR, LF or CR LF as line ends. The settings files (".cfg"), the factory-default
// files and the registration copies (".rrg") share this format.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/settings_image.h"

namespace livna {

inline constexpr std::size_t kRegistrationCopySize = 1024;  ///< panel blocks 2, 14, 15, 16
inline constexpr std::size_t kRegistrationNameLines = 200;  ///< lines 196..199 name the copy's file

enum class FileErrorKind {
    Unreadable,   ///< missing, or could not be opened or read
    TooShort,     ///< fewer lines than values needed
    BadLine,      ///< a line that is not an optional sign and decimal digits fitting in 32 bits
    OutOfRange,   ///< a number outside the range the file allows (registration copies: 0..255)
    WriteFailed,  ///< the file could not be written; the target is left as it was
};

struct FileError {
    FileErrorKind kind = FileErrorKind::Unreadable;
    std::string fileName;     ///< the file's name as given (UTF-8)
    std::size_t line = 0;     ///< 1-based line number (TooShort: the first missing line); 0 when none
    std::size_t expectedLines = 0;  ///< TooShort: the number of lines needed
    std::string lineText;     ///< BadLine, OutOfRange: the offending line, cut to 40 bytes
    std::string systemText;   ///< Unreadable, WriteFailed: the operating system's reason, if known
    bool operator==(const FileError&) const = default;
};

/// The Russian message for the user, naming the file and the line.
std::string describe(const FileError& error);

/// The values of a file read in full, or the error; never a partial result.
struct ValuesResult {
    std::vector<std::int32_t> values;  ///< exactly the requested count when ok()
    std::optional<FileError> error;
    bool ok() const { return !error.has_value(); }
};

struct ImageResult {
    SettingsImage image;  ///< empty (size 0) on error
    std::optional<FileError> error;
    bool ok() const { return !error.has_value(); }
};

/// A path from UTF-8 text (file dialogs hand out UTF-8).
std::filesystem::path pathFromUtf8(std::string_view utf8);
/// The UTF-8 text of a path.
std::string pathToUtf8(const std::filesystem::path& path);

/// Parses the text of a file: the first count lines must each be an integer; lines after them
/// are ignored. fileName only labels errors.
ValuesResult parseValuesText(std::string_view text, std::size_t count, std::string_view fileName);
/// Each value in decimal followed by CR LF.
std::string formatValuesText(std::span<const std::int32_t> values);

/// Reads the first count values of the file.
ValuesResult readValuesFile(const std::filesystem::path& path, std::size_t count);
/// Writes the values through a temporary file in the same folder that is renamed over the target,
/// so a failure never leaves a half-written target. Nothing on success.
std::optional<FileError> writeValuesFile(const std::filesystem::path& path, std::span<const std::int32_t> values);

/// A settings file of count values (2048 for Ливна-КВ-М, 2304 for Ливна-КВ) as an image.
ImageResult readSettingsFile(const std::filesystem::path& path, std::size_t count);
std::optional<FileError> writeSettingsFile(const std::filesystem::path& path, const SettingsImage& image);

/// The registration data of a panel's radio detectors: 1024 values 0..255, never interpreted
/// except for lines 196..199, which become part of its file name.
struct RegistrationCopy {
    std::vector<std::int32_t> values;
    bool operator==(const RegistrationCopy&) const = default;
};

struct RegistrationResult {
    RegistrationCopy copy;
    std::optional<FileError> error;
    bool ok() const { return !error.has_value(); }
};

/// Reads 1024 values, each of which must be 0..255.
RegistrationResult readRegistrationCopy(const std::filesystem::path& path);
/// Writes the copy. A copy that is not 1024 values is refused as TooShort, a value outside 0..255
/// as OutOfRange with its line; nothing is written then.
std::optional<FileError> writeRegistrationCopy(const std::filesystem::path& path, const RegistrationCopy& copy);

}  // namespace livna
