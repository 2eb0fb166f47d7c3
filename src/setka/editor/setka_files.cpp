#include "setka/editor/setka_files.h"

#include <algorithm>
#include <iterator>

namespace livna::setka {

namespace {

constexpr std::size_t kVersionLine = 1;
constexpr std::size_t kNeverInFile[] = {6, 7, 38, 39};

}  // namespace

bool fileVariantIs(SystemVariant expected, std::span<const std::int32_t> values) {
    return values.size() > kVersionLine && variantOfMajor(majorNumber(values[kVersionLine])) == expected;
}

std::vector<std::int32_t> settingsFileValues(SystemVariant variant, const SettingsImage& settings,
                                             const SettingsImage& codes) {
    std::vector<std::int32_t> lines(fileLines(variant), 0);
    std::copy_n(settings.values().begin(), kSettingsSize, lines.begin());
    lines[0] = kFileValue0;
    for (std::size_t i : kNeverInFile) lines[i] = 0;
    std::copy_n(codes.values().begin(), codesSize(variant), lines.begin() + kSettingsSize);
    return lines;
}

std::optional<SettingsFileContent> splitSettingsFile(SystemVariant expected, const ValuesResult& file) {
    const std::vector<std::int32_t>& values = file.values;
    if (values.size() < fileLines(expected) || variantOfMajor(majorNumber(values[kVersionLine])) != expected)
        return std::nullopt;
    SettingsFileContent content{SettingsImage(kSettingsSize), SettingsImage(codesSize(expected)), {}};
    std::copy_n(values.begin(), kSettingsSize, content.settings.values().begin());
    content.settings[0] = kFileValue0;
    std::copy_n(values.begin() + kSettingsSize, codesSize(expected), content.codes.values().begin());
    // Line 0 (1 counted from one) is not used, so its value needs no question.
    std::copy_if(file.outOfRange.begin(), file.outOfRange.end(), std::back_inserter(content.outOfRange),
                 [](const OutOfRangeValue& v) { return v.line != 1; });
    return content;
}

}  // namespace livna::setka
