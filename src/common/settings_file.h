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
/// No settings file comes near this (2816 lines of at most 13 bytes); anything larger is not one.
inline constexpr std::size_t kMaxValuesFileBytes = std::size_t{1024} * 1024;
/// The values a settings file may hold without a question: bytes, and -1 for "no choice".
inline constexpr std::int32_t kLowestFileValue = -1;
inline constexpr std::int32_t kHighestFileValue = 255;

enum class FileErrorKind {
    Unreadable,   ///< missing, or could not be opened or read
    TooShort,     ///< fewer lines than values needed
    BadLine,      ///< a line that is not an optional sign and decimal digits fitting in 32 bits
    OutOfRange,   ///< a number outside lowest..255 (registration copies: 0..255; written files: -1..255)
    WriteFailed,  ///< the file could not be written; the target is left as it was
    NotRegular,   ///< a folder, FIFO, device or other thing that is not a plain file
    TooLarge,     ///< larger than kMaxValuesFileBytes
    Utf16,        ///< text in UTF-16, which is not read
    ReadOnly,     ///< an existing target that may not be written; left as it was
};

struct FileError {
    FileErrorKind kind = FileErrorKind::Unreadable;
    std::string fileName;           ///< the file's name as given (UTF-8)
    std::size_t line = 0;           ///< 1-based line number (TooShort: the first missing line); 0 when none
    std::size_t expectedLines = 0;  ///< TooShort: the number of lines needed
    std::string lineText;           ///< BadLine, OutOfRange: the line as written, see quotedLine()
    std::int32_t lowest = 0;        ///< OutOfRange: the lowest value allowed (the highest is 255)
    std::string systemText;         ///< Unreadable, WriteFailed: the operating system's reason, if known
    bool operator==(const FileError&) const = default;
};

/// The Russian message for the user, naming the file and the line.
std::string describe(const FileError& error);

/// A line of a file for a message: cut after at most 40 bytes at a character boundary (with "…"
/// when cut), NUL, tab and other control characters and bytes that are not UTF-8 escaped as \0,
/// \t and \x01.
std::string quotedLine(std::string_view line);

/// A value a settings file may hold but the panel cannot (outside -1..255): loaded as it is, but
/// only once the installer has agreed.
struct OutOfRangeValue {
    std::size_t line = 0;    ///< 1-based
    std::string lineText;    ///< as written (quotedLine), e.g. "+00300"
    std::int32_t value = 0;  ///< what the line is read as
    bool operator==(const OutOfRangeValue&) const = default;
};

/// One line per value, "строка 5: 999", with the text as written when it differs from the value
/// (строка 7: 300 ("+00300")); after maxLines lines the rest are counted.
std::string describeOutOfRange(std::span<const OutOfRangeValue> values, std::size_t maxLines = 10);

/// The values of a file read in full, or the error; never a partial result.
struct ValuesResult {
    std::vector<std::int32_t> values;  ///< exactly the requested count when ok()
    std::optional<FileError> error;
    std::vector<OutOfRangeValue> outOfRange;  ///< when ok(): each value outside -1..255, in order
    bool ok() const { return !error.has_value(); }
};

struct ImageResult {
    SettingsImage image;  ///< empty (size 0) on error
    std::optional<FileError> error;
    std::vector<OutOfRangeValue> outOfRange;  ///< as ValuesResult
    bool ok() const { return !error.has_value(); }
};

/// The steps of the operating system that make a saved file durable, in the order the writer takes
/// them: syncFile on the finished temporary file, replace it over the target, syncFolder on the
/// target's folder. Each returns 0 or the system's error code (errno; on Windows a GetLastError()
/// code). Tests pass their own to see the steps or to make one fail; systemSaveSteps() are the real
/// ones (fsync, rename, fsync; on Windows FlushFileBuffers, MoveFileExW with write-through, nothing).
class SaveSteps {
public:
    virtual ~SaveSteps() = default;
    virtual int syncFile(int fd);
    virtual int replace(const std::filesystem::path& from, const std::filesystem::path& to);
    virtual int syncFolder(int folderFd);
};
SaveSteps& systemSaveSteps();

/// A path from UTF-8 text (file dialogs hand out UTF-8).
std::filesystem::path pathFromUtf8(std::string_view utf8);
/// The UTF-8 text of a path.
std::string pathToUtf8(const std::filesystem::path& path);

/// The whole content of a file, or why it could not be had.
struct FileText {
    std::string text;
    std::optional<FileError> error;
};
/// Reads a plain file of at most kMaxValuesFileBytes in one go (a FIFO is refused without waiting
/// for a writer): Unreadable, NotRegular or TooLarge otherwise.
FileText readFileText(const std::filesystem::path& path);

/// Parses the text of a file: the first count lines must each be an integer; lines after them
/// are ignored. A UTF-8 byte-order mark is skipped; UTF-16 text is refused as such. fileName only
/// labels errors. Never throws on its input: a count beyond what the text can hold is TooShort.
ValuesResult parseValuesText(std::string_view text, std::size_t count, std::string_view fileName);
/// Each value in decimal followed by CR LF.
std::string formatValuesText(std::span<const std::int32_t> values);

/// Reads the first count values of the file. Only a plain file of at most kMaxValuesFileBytes is
/// read (a FIFO is refused without waiting for a writer).
ValuesResult readValuesFile(const std::filesystem::path& path, std::size_t count);
/// Writes the values through a temporary file in the same folder that is synced and renamed over
/// the target, and then syncs the folder, so neither a failure nor a power cut leaves a half-written
/// target. A symbolic link is written through to the file it names; an existing file keeps its
/// permission bits, and one without write permission is refused as ReadOnly. Nothing on success.
std::optional<FileError> writeValuesFile(const std::filesystem::path& path,
                                         std::span<const std::int32_t> values,
                                         SaveSteps& steps = systemSaveSteps());

/// A settings file of count values (2048 for Ливна-КВ-М, 2304 for Ливна-КВ) as an image.
ImageResult readSettingsFile(const std::filesystem::path& path, std::size_t count);
/// An image holding a value outside -1..255 is refused as OutOfRange with its line and nothing is
/// written: a file this program writes never needs the question about such values.
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
std::optional<FileError> writeRegistrationCopy(const std::filesystem::path& path,
                                               const RegistrationCopy& copy);

}  // namespace livna
