#include "common/settings_file.h"

#include "common/settings_file_io.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <limits>
#include <system_error>

namespace livna {

using settings_io::makeFileError;

namespace {

constexpr std::size_t kLineTextLimit = 40;
constexpr int kMaxSymlinkHops = 40;  // as the kernel's own limit (ELOOP)

std::optional<std::int32_t> parseInteger(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        i = 1;
    }
    if (i == text.size()) return std::nullopt;
    std::int64_t n = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
        if (n > static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1) return std::nullopt;
    }
    if (negative) n = -n;
    if (n < std::numeric_limits<std::int32_t>::min() || n > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(n);
}

// A line ends at CR, LF or CR LF; a text that ends with a line end has no further empty line.
class LineReader {
public:
    explicit LineReader(std::string_view text) : m_text(text) {}
    std::optional<std::string_view> next() {
        if (m_pos >= m_text.size()) return std::nullopt;
        const std::size_t end = m_text.find_first_of("\r\n", m_pos);
        if (end == std::string_view::npos) {
            auto line = m_text.substr(m_pos);
            m_pos = m_text.size();
            return line;
        }
        auto line = m_text.substr(m_pos, end - m_pos);
        m_pos = end + 1;
        if (m_text[end] == '\r' && m_pos < m_text.size() && m_text[m_pos] == '\n') ++m_pos;
        return line;
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// A byte-order mark, or digits with NUL between them ("1\0" "7\0"): what Notepad writes as "Unicode".
bool looksLikeUtf16(std::string_view text) {
    if (startsWith(text, "\xFF\xFE") || startsWith(text, "\xFE\xFF")) return true;
    if (text.size() < 4) return false;
    const bool little = text[0] != '\0' && text[1] == '\0' && text[2] != '\0' && text[3] == '\0';
    const bool big = text[0] == '\0' && text[1] != '\0' && text[2] == '\0' && text[3] != '\0';
    return little || big;
}

enum class RangeRule {
    Listed,   // settings files: values outside -1..255 are listed for the question
    Refused,  // registration copies: a value outside 0..255 is an error
};

ValuesResult parseValues(std::string_view text, std::size_t count, std::string_view fileName,
                         RangeRule rule) {
    ValuesResult result;
    if (looksLikeUtf16(text)) {
        result.error = makeFileError(FileErrorKind::Utf16, fileName);
        return result;
    }
    if (startsWith(text, "\xEF\xBB\xBF")) text.remove_prefix(3);
    std::vector<std::int32_t> values;
    // Every line takes at least two bytes but the last, so this bounds what the text can give.
    values.reserve(std::min(count, text.size() / 2 + 1));
    LineReader lines(text);
    while (values.size() < count) {
        const auto line = lines.next();
        if (!line) {
            FileError e = makeFileError(FileErrorKind::TooShort, fileName);
            e.line = values.size() + 1;
            e.expectedLines = count;
            result.error = std::move(e);
            result.outOfRange.clear();
            return result;
        }
        const auto value = parseInteger(*line);
        if (!value) {
            FileError e = makeFileError(FileErrorKind::BadLine, fileName);
            e.line = values.size() + 1;
            e.lineText = quotedLine(*line);
            result.error = std::move(e);
            result.outOfRange.clear();
            return result;
        }
        const std::int32_t lowest = rule == RangeRule::Listed ? kLowestFileValue : 0;
        if (*value < lowest || *value > kHighestFileValue) {
            if (rule == RangeRule::Refused) {
                FileError e = makeFileError(FileErrorKind::OutOfRange, fileName);
                e.line = values.size() + 1;
                e.lineText = quotedLine(*line);
                e.lowest = lowest;
                result.error = std::move(e);
                return result;
            }
            result.outOfRange.push_back({values.size() + 1, quotedLine(*line), *value});
        }
        values.push_back(*value);
    }
    result.values = std::move(values);
    return result;
}

ValuesResult readValues(const std::filesystem::path& path, std::size_t count, RangeRule rule) {
    FileText file = readFileText(path);
    if (file.error) {
        ValuesResult r;
        r.error = std::move(file.error);
        return r;
    }
    return parseValues(file.text, count, pathToUtf8(path), rule);
}

}  // namespace

namespace settings_io {

FileError makeFileError(FileErrorKind kind, std::string_view fileName) {
    FileError e;
    e.kind = kind;
    e.fileName = std::string(fileName);
    return e;
}

FileText failedRead(FileErrorKind kind, std::string_view fileName, std::string systemText) {
    FileText text;
    text.error = makeFileError(kind, fileName);
    text.error->systemText = std::move(systemText);
    return text;
}

std::string errnoMessage(int err) {
    return err != 0 ? std::generic_category().message(err) : std::string();
}

// A short name of its own, so that a target whose name is near the system's limit can be saved.
std::filesystem::path temporaryBeside(const std::filesystem::path& target, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    const auto ticks =
        static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    char name[48];
    std::snprintf(name, sizeof name, ".~livna%08llx%04x%02x.tmp", ticks & 0xFFFFFFFFULL, counter++ & 0xFFFFu,
                  attempt & 0xFFu);
    return target.parent_path() / name;
}

// The file a chain of symbolic links ends at (the path itself when it is no link); a missing end is
// fine, it is created.
std::optional<std::filesystem::path> followLinks(std::filesystem::path path, int& err) {
    for (int hop = 0; hop <= kMaxSymlinkHops; ++hop) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(path, ec)) || ec) return path;
        const std::filesystem::path next = std::filesystem::read_symlink(path, ec);
        if (ec) {
            err = ec.value();
            return std::nullopt;
        }
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    err = ELOOP;
    return std::nullopt;
}

}  // namespace settings_io

std::string describe(const FileError& error) {
    const std::string file = "\"" + error.fileName + "\"";
    std::string text;
    switch (error.kind) {
        case FileErrorKind::Unreadable:
            text = "Не удалось прочитать файл " + file + ".";
            break;
        case FileErrorKind::TooShort:
            text = "Неверное число строк в файле " + file + ": " + std::to_string(error.line - 1) +
                   " вместо " + std::to_string(error.expectedLines) + ".";
            break;
        case FileErrorKind::BadLine:
            text = "Файл " + file + ", строка " + std::to_string(error.line) + ": \"" + error.lineText +
                   "\" не является целым числом.";
            break;
        case FileErrorKind::OutOfRange:
            text = "Файл " + file + ", строка " + std::to_string(error.line) + ": значение \"" +
                   error.lineText + "\" вне допустимого диапазона " + std::to_string(error.lowest) + "..255.";
            break;
        case FileErrorKind::WriteFailed:
            text = "Не удалось записать файл " + file + ".";
            break;
        case FileErrorKind::NotRegular:
            text = file + " не является файлом настроек: это папка или устройство.";
            break;
        case FileErrorKind::TooLarge:
            text = "Файл " + file + " слишком велик (больше 1 МБ).";
            break;
        case FileErrorKind::Utf16:
            text = "Файл " + file +
                   " записан в кодировке UTF-16 (Юникод). Сохраните его в кодировке ANSI или UTF-8.";
            break;
        case FileErrorKind::ReadOnly:
            text = "Файл " + file + " доступен только для чтения и не был перезаписан.";
            break;
    }
    if (!error.systemText.empty()) text += "\n" + error.systemText;
    return text;
}

std::filesystem::path pathFromUtf8(std::string_view utf8) {
    return {std::u8string(utf8.begin(), utf8.end())};
}

std::string pathToUtf8(const std::filesystem::path& path) {
    const std::u8string s = path.u8string();
    return {s.begin(), s.end()};
}

std::string quotedLine(std::string_view line) {
    std::string out;
    std::size_t i = 0;
    while (i < line.size()) {
        const auto byte = static_cast<unsigned char>(line[i]);
        // Length of a well-formed UTF-8 sequence starting here; 0 for a byte that starts none.
        std::size_t length = byte < 0x80             ? 1
                             : (byte & 0xE0) == 0xC0 ? 2
                             : (byte & 0xF0) == 0xE0 ? 3
                             : (byte & 0xF8) == 0xF0 ? 4
                                                     : 0;
        if (length > 1 && byte < 0xC2) length = 0;  // overlong two-byte forms
        for (std::size_t k = 1; k < length; ++k)
            if (i + k >= line.size() || (static_cast<unsigned char>(line[i + k]) & 0xC0) != 0x80) length = 0;
        const std::size_t taken = length == 0 ? 1 : length;
        if (i + taken > kLineTextLimit) break;
        if (length == 1 && byte >= 0x20 && byte != 0x7F) {
            out += static_cast<char>(byte);
        } else if (length > 1) {
            out.append(line.substr(i, length));
        } else if (byte == 0) {
            out += "\\0";
        } else if (byte == '\t') {
            out += "\\t";
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            out += hex;
        }
        i += taken;
    }
    if (i < line.size()) out += "…";
    return out;
}

std::string describeOutOfRange(std::span<const OutOfRangeValue> values, std::size_t maxLines) {
    std::string out;
    const std::size_t shown = std::min(values.size(), maxLines);
    for (std::size_t i = 0; i < shown; ++i) {
        const OutOfRangeValue& v = values[i];
        if (!out.empty()) out += "\n";
        out += "строка " + std::to_string(v.line) + ": " + std::to_string(v.value);
        if (v.lineText != std::to_string(v.value)) out += " (\"" + v.lineText + "\")";
    }
    if (shown < values.size()) out += "\n… и ещё строк: " + std::to_string(values.size() - shown);
    return out;
}

ValuesResult parseValuesText(std::string_view text, std::size_t count, std::string_view fileName) {
    return parseValues(text, count, fileName, RangeRule::Listed);
}

std::string formatValuesText(std::span<const std::int32_t> values) {
    std::string out;
    out.reserve(values.size() * 5);
    for (std::int32_t v : values) {
        out += std::to_string(v);
        out += "\r\n";
    }
    return out;
}

ValuesResult readValuesFile(const std::filesystem::path& path, std::size_t count) {
    return readValues(path, count, RangeRule::Listed);
}

ImageResult readSettingsFile(const std::filesystem::path& path, std::size_t count) {
    ValuesResult values = readValuesFile(path, count);
    ImageResult result;
    if (!values.ok()) {
        result.error = std::move(values.error);
    } else {
        result.image = SettingsImage(std::move(values.values));
        result.outOfRange = std::move(values.outOfRange);
    }
    return result;
}

std::optional<FileError> writeSettingsFile(const std::filesystem::path& path, const SettingsImage& image) {
    const auto& values = image.values();
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i] >= kLowestFileValue && values[i] <= kHighestFileValue) continue;
        FileError e = makeFileError(FileErrorKind::OutOfRange, pathToUtf8(path));
        e.line = i + 1;
        e.lineText = std::to_string(values[i]);
        e.lowest = kLowestFileValue;
        return e;
    }
    return writeValuesFile(path, values);
}

namespace {

// The first value outside 0..255, as a 1-based line number; 0 when all are bytes.
std::size_t firstNonByte(std::span<const std::int32_t> values) {
    for (std::size_t i = 0; i < values.size(); ++i)
        if (values[i] < 0 || values[i] > 255) return i + 1;
    return 0;
}

}  // namespace

RegistrationResult readRegistrationCopy(const std::filesystem::path& path) {
    ValuesResult values = readValues(path, kRegistrationCopySize, RangeRule::Refused);
    RegistrationResult result;
    if (!values.ok())
        result.error = std::move(values.error);
    else
        result.copy.values = std::move(values.values);
    return result;
}

std::optional<FileError> writeRegistrationCopy(const std::filesystem::path& path,
                                               const RegistrationCopy& copy) {
    if (copy.values.size() != kRegistrationCopySize) {
        FileError e = makeFileError(FileErrorKind::TooShort, pathToUtf8(path));
        e.line = copy.values.size() + 1;
        e.expectedLines = kRegistrationCopySize;
        return e;
    }
    if (const std::size_t line = firstNonByte(copy.values); line != 0) {
        FileError e = makeFileError(FileErrorKind::OutOfRange, pathToUtf8(path));
        e.line = line;
        e.lineText = std::to_string(copy.values[line - 1]);
        return e;
    }
    return writeValuesFile(path, copy.values);
}

}  // namespace livna
