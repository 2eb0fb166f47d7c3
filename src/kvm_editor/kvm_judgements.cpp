#include "kvm_editor/kvm_judgements.h"

#include "kvm_editor/kvm_model.h"

namespace livna::kvm {

namespace {

constexpr char kMaskBlank = '_';

}  // namespace

TimeVerdict judgeTime(std::string_view shown) {
    if (shown.size() < 5) return TimeVerdict::Incomplete;
    for (std::size_t i : {0, 1, 3, 4})
        if (shown[i] == ' ' || shown[i] == kMaskBlank) return TimeVerdict::Incomplete;
    const std::optional<int> hours = parseInteger(std::string(shown.substr(0, 2)));
    const std::optional<int> minutes = parseInteger(std::string(shown.substr(3, 2)));
    // The mask lets only digits in; anything else is left for GatherImage to refuse.
    if (!hours || !minutes) return TimeVerdict::Incomplete;
    return *hours >= 25 || *minutes >= 60 ? TimeVerdict::OutOfRange : TimeVerdict::Valid;
}

std::optional<int> codeValue(std::string_view text) {
    std::optional<int> value;
    for (char c : text) {
        if (c < '0' || c > '9') continue;
        // Six digit places at most: the value stays far below the int range.
        value = value.value_or(0) * 10 + (c - '0');
    }
    return value;
}

std::vector<CodeConflict> codeConflicts(int left, const std::vector<std::string>& codes) {
    std::vector<CodeConflict> out;
    const int count = static_cast<int>(codes.size());
    if (left < 1 || left > count) return out;
    const std::optional<int> v = codeValue(codes[static_cast<std::size_t>(left - 1)]);
    if (!v) return out;
    for (int j = 1; j <= count; ++j) {
        const std::optional<int> w = codeValue(codes[static_cast<std::size_t>(j - 1)]);
        if (!w) continue;
        if (*v + 1 == *w)
            out.push_back({j, true});
        else if (*w + 1 == *v)
            out.push_back({j, false});
    }
    return out;
}

}  // namespace livna::kvm
