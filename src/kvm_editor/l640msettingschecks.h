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

#include "kvm_editor/kvm_judgements.h"

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

enum class BindingVerdict { Valid, NotANumber, OutOfRange };
/// A detector binding: a decimal number 1..16 (blanks around it allowed).
BindingVerdict judgeBinding(const QString& text);

}  // namespace kvm

}  // namespace livna
