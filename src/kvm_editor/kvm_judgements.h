#pragma once
// Judgements on what the installer typed into a time or a code of the Ливна-КВ-М editor: plain
// functions of the field texts, so the window only decides which box they lead to.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace livna::kvm {

enum class TimeVerdict {
    Incomplete,  ///< a digit place is blank: left alone
    Valid,       ///< hours 0..24, minutes 0..59
    OutOfRange,  ///< hours 25 or more, or minutes 60 or more
};
/// A time as its masked edit shows it: two digits, a colon, two digits, blanks as "_" or space.
TimeVerdict judgeTime(std::string_view shown);

/// The value of a code text: its digits in order, spaces left out (a space between digits does
/// not split the number); nothing for a text without digits.
std::optional<int> codeValue(std::string_view text);

/// A code whose value differs by one from the code being left.
struct CodeConflict {
    int code = 0;            ///< 1-based number of the other code
    bool aboveLeft = false;  ///< true: its value is the left code's value + 1 (the left code's
                             ///< duress code); false: the left code is its duress code
    bool operator==(const CodeConflict&) const = default;
};
/// The conflicts of code `left` (1-based) among codes (texts of codes 1..n, blank = not set), in
/// code order. A blank code being left has none.
std::vector<CodeConflict> codeConflicts(int left, const std::vector<std::string>& codes);

}  // namespace livna::kvm
