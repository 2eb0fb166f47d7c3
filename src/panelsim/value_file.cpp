#include "panelsim/value_file.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>

namespace livna::panelsim {

std::optional<SettingsImage> readValueFile(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    std::vector<std::int32_t> values;
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::int32_t v = 0;
        const auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), v);
        if (line.empty() || ec != std::errc() || end != line.data() + line.size()) {
            error = path + ": строка " + std::to_string(lineNo) + " не является целым числом";
            return std::nullopt;
        }
        values.push_back(v);
    }
    return SettingsImage(std::move(values));
}

bool writeValueFile(const std::string& path, const SettingsImage& image, std::string& error) {
    // Written beside the target and renamed over it, so a reader never sees half a file.
    const std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = path + ": " + std::strerror(errno);
            return false;
        }
        for (std::int32_t v : image.values()) out << v << "\r\n";
        if (!out.flush()) {
            error = path + ": " + std::strerror(errno);
            return false;
        }
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        error = path + ": " + std::strerror(errno);
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

}  // namespace livna::panelsim
