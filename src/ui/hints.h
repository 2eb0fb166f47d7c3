#pragma once
// The hints (tool tips) of a whole program: when they show, how long, on what colour.
class QApplication;

namespace livna {

inline constexpr int kHintPauseMs = 200;    ///< from the pointer resting on a control to its hint
inline constexpr int kHintShownMs = 30000;  ///< how long a hint stays
/// Background of every hint: lime green.
inline constexpr int kHintRed = 0, kHintGreen = 255, kHintBlue = 0;

/// Every hint of app appears after kHintPauseMs, stays kHintShownMs (unless its control sets a
/// duration of its own) and is drawn on lime green. Installing again changes nothing.
void installHintSettings(QApplication& app);

}  // namespace livna
