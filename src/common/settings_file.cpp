#include "common/settings_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>
#include <system_error>

namespace livna {

namespace {

constexpr std::size_t kLineTextLimit = 40;

std::string clipped(std::string_view line) {
    return std::string(line.substr(0, kLineTextLimit));
}

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

FileError makeError(FileErrorKind kind, std::string_view fileName) {
    FileError e;
    e.kind = kind;
    e.fileName = std::string(fileName);
    return e;
}

std::string systemMessage(int err) { return err != 0 ? std::generic_category().message(err) : std::string(); }

std::filesystem::path temporaryBeside(const std::filesystem::path& target) {
    static std::atomic<unsigned> counter{0};
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    std::filesystem::path name = target.filename();
    name += ".~" + std::to_string(static_cast<unsigned long long>(ticks) % 1000000007ULL) + "_" +
            std::to_string(counter++) + ".tmp";
    return target.parent_path() / name;
}

}  // namespace

std::string describe(const FileError& error) {
    const std::string file = "\"" + error.fileName + "\"";
    std::string text;
    switch (error.kind) {
        case FileErrorKind::Unreadable:
            text = "Не удалось прочитать файл " + file + ".";
            break;
        case FileErrorKind::TooShort:
            text = "Неверное число строк в файле " + file + ": " + std::to_string(error.line - 1) + " вместо " +
                   std::to_string(error.expectedLines) + ".";
            break;
        case FileErrorKind::BadLine:
            text = "Файл " + file + ", строка " + std::to_string(error.line) + ": \"" + error.lineText +
                   "\" не является целым числом.";
            break;
        case FileErrorKind::OutOfRange:
            text = "Файл " + file + ", строка " + std::to_string(error.line) + ": значение \"" + error.lineText +
                   "\" вне допустимого диапазона 0..255.";
            break;
        case FileErrorKind::WriteFailed:
            text = "Не удалось записать файл " + file + ".";
            break;
    }
    if (!error.systemText.empty()) text += "\n" + error.systemText;
    return text;
}

std::filesystem::path pathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string pathToUtf8(const std::filesystem::path& path) {
    const std::u8string s = path.u8string();
    return std::string(s.begin(), s.end());
}

ValuesResult parseValuesText(std::string_view text, std::size_t count, std::string_view fileName) {
    ValuesResult result;
    std::vector<std::int32_t> values;
    values.reserve(count);
    LineReader lines(text);
    while (values.size() < count) {
        const auto line = lines.next();
        if (!line) {
            FileError e = makeError(FileErrorKind::TooShort, fileName);
            e.line = values.size() + 1;
            e.expectedLines = count;
            result.error = std::move(e);
            return result;
        }
        const auto value = parseInteger(*line);
        if (!value) {
            FileError e = makeError(FileErrorKind::BadLine, fileName);
            e.line = values.size() + 1;
            e.lineText = clipped(*line);
            result.error = std::move(e);
            return result;
        }
        values.push_back(*value);
    }
    result.values = std::move(values);
    return result;
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
    const std::string name = pathToUtf8(path);
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ValuesResult r;
        r.error = makeError(FileErrorKind::Unreadable, name);
        r.error->systemText = systemMessage(errno);
        return r;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) {
        ValuesResult r;
        r.error = makeError(FileErrorKind::Unreadable, name);
        return r;
    }
    return parseValuesText(buffer.view(), count, name);
}

std::optional<FileError> writeValuesFile(const std::filesystem::path& path, std::span<const std::int32_t> values) {
    const std::string text = formatValuesText(values);
    const std::filesystem::path temp = temporaryBeside(path);
    auto failed = [&](int err) {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
        FileError e = makeError(FileErrorKind::WriteFailed, pathToUtf8(path));
        e.systemText = systemMessage(err);
        return e;
    };
    {
        errno = 0;
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return failed(errno);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.flush();
        if (!out) return failed(errno);
        out.close();
        if (!out) return failed(errno);
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        FileError e = failed(0);
        e.systemText = ec.message();
        return e;
    }
    return std::nullopt;
}

ImageResult readSettingsFile(const std::filesystem::path& path, std::size_t count) {
    ValuesResult values = readValuesFile(path, count);
    ImageResult result;
    if (!values.ok())
        result.error = std::move(values.error);
    else
        result.image = SettingsImage(std::move(values.values));
    return result;
}

std::optional<FileError> writeSettingsFile(const std::filesystem::path& path, const SettingsImage& image) {
    return writeValuesFile(path, image.values());
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
    ValuesResult values = readValuesFile(path, kRegistrationCopySize);
    RegistrationResult result;
    if (!values.ok()) {
        result.error = std::move(values.error);
        return result;
    }
    if (const std::size_t line = firstNonByte(values.values); line != 0) {
        FileError e = makeError(FileErrorKind::OutOfRange, pathToUtf8(path));
        e.line = line;
        e.lineText = std::to_string(values.values[line - 1]);
        result.error = std::move(e);
        return result;
    }
    result.copy.values = std::move(values.values);
    return result;
}

std::optional<FileError> writeRegistrationCopy(const std::filesystem::path& path, const RegistrationCopy& copy) {
    if (copy.values.size() != kRegistrationCopySize) {
        FileError e = makeError(FileErrorKind::TooShort, pathToUtf8(path));
        e.line = copy.values.size() + 1;
        e.expectedLines = kRegistrationCopySize;
        return e;
    }
    if (const std::size_t line = firstNonByte(copy.values); line != 0) {
        FileError e = makeError(FileErrorKind::OutOfRange, pathToUtf8(path));
        e.line = line;
        e.lineText = std::to_string(copy.values[line - 1]);
        return e;
    }
    return writeValuesFile(path, copy.values);
}

}  // namespace livna
