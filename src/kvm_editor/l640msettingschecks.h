#pragma once
// The checks that answer the installer's own edits in the Ливна-КВ-М editor: what leaving a
// password, time, binding, code or key field says, and what typing into a code or key keeps.
// The judgements are plain functions of the field texts, so they are tested on their own;
// ExitGuard (ui/exit_guard.h) turns real focus changes into exit checks.
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace livna {

namespace kvm {

inline constexpr int kUserPasswordMinDigits = 3;
inline constexpr int kEngineerPasswordDigits = 4;
inline constexpr int kBindingMin = 1;
inline constexpr int kBindingMax = 16;

/// Digits the user password's exit check counts: positions 1..6 holding neither a space nor "0"
/// (positions beyond the end of the text are spaces).
int userPasswordDigits(const QString& text);
/// Non-space characters at positions 1..4 of the engineer password.
int engineerPasswordDigits(const QString& text);

enum class TimeVerdict {
    Incomplete,  ///< a digit place is blank: left alone
    Valid,       ///< hours 0..24, minutes 0..59
    OutOfRange,  ///< hours 25 or more, or minutes 60 or more
};
/// A time as its masked edit shows it: two digits, a colon, two digits, blanks as "_" or space.
TimeVerdict judgeTime(const QString& shown);

enum class BindingVerdict { Valid, NotANumber, OutOfRange };
/// A detector binding: a decimal number 1..16 (blanks around it allowed).
BindingVerdict judgeBinding(const QString& text);

/// The value of a code text: its digits in order, spaces left out (a space between digits does
/// not split the number); nothing for a text without digits.
std::optional<int> codeValue(const QString& text);

/// A code whose value differs by one from the code being left.
struct CodeConflict {
    int code = 0;            ///< 1-based number of the other code
    bool aboveLeft = false;  ///< true: its value is the left code's value + 1 (the left code's
                             ///< duress code); false: the left code is its duress code
    bool operator==(const CodeConflict&) const = default;
};
/// The conflicts of code `left` (1-based) among codes (texts of codes 1..n, blank = not set), in
/// code order. A blank code being left has none.
std::vector<CodeConflict> codeConflicts(int left, const QStringList& codes);

}  // namespace kvm

}  // namespace livna
