#pragma once
// Exit checks of fields that hold the installer until a field is right, and what typing may keep
// in a code or key field.
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QLineEdit;
class QWidget;

namespace livna {

/// What typing may leave in a code: digits "1".."9" and spaces.
bool keptInCode(QChar c);
/// What typing may leave in a key: "0".."9" and "A".."F" (the edit shows upper case).
bool keptInKey(QChar c);
/// What typing may leave in a password of digits 1..9: anything but "0".
bool keptInPassword(QChar c);
/// A key of 0 or 12 characters is complete; any other length asks to be completed.
bool keyIsComplete(const QString& text);
/// The key with "0" put in front until it has 12 characters.
QString keyPaddedInFront(const QString& text);
/// The box of key number n, whose last two digits are FF: the panel would take it for no key.
QString keyEndsInFFText(int n);
/// Removes every character keep() refuses from what the edit shows; the cursor stays after the
/// same characters. Returns how many were removed.
qsizetype removeCharacters(QLineEdit* edit, bool (*keep)(QChar));

/// Brings every tab page that holds the widget to the front (visible tabs only), so that the
/// installer sees the field the focus is given to.
void bringPageToFront(QWidget* widget);

/// Runs a field's exit check when the installer really leaves the field: Tab, Backtab, a click
/// elsewhere, a shortcut, or the program moving the focus. Focus changes that come from another
/// window being activated (a message box appearing or closing, switching programs) or from a
/// popup are not leaves.
///
/// A leave that would be answered is answered once, from the event loop, after the focus change
/// has finished: its boxes never open inside the toolkit's focus handling. The mouse press that
/// caused such a leave is not delivered, so a button clicked while leaving an invalid field does
/// not act. From that leave until the focus is back, no other field's exit check runs, so two
/// invalid fields never hand the focus back and forth.
///
/// A press on a window that is not active moves no focus the toolkit would tell of (a window
/// manager may leave the window inactive after a box); such a press outside the window's focused
/// field counts as leaving it.
///
/// A shortcut moves no focus, so an action on a key (F7, ...) asks judgeFocused() first and does
/// nothing when that leave is refused.
class ExitGuard : public QObject {
    Q_OBJECT
public:
    struct Check {
        /// Whether leaving now would be answered (a box); asked at once, must show nothing.
        std::function<bool()> refuses;
        /// Shows the boxes and applies the correction; true = back to the field. An answer that
        /// puts the focus on another field (returnTo(other)) returns false.
        std::function<bool()> answer;
        /// Optional: run at once on every leave that is not refused (a table kept in step with
        /// the fields).
        std::function<void()> accepted = nullptr;
    };

    explicit ExitGuard(QObject* parent = nullptr);
    ~ExitGuard() override;

    void watch(QWidget* field, Check check);
    /// Gives the field the focus again with its text selected, its page in front; no exit check
    /// runs meanwhile.
    void returnTo(QWidget* field);
    /// True from a leave that is to be answered until the answer is given and the focus is back.
    bool answering() const { return !m_pending.isNull() || m_quiet; }
    /// Whether a focus change for this reason is the installer leaving a field.
    static bool isLeave(Qt::FocusReason reason);
    /// Judges the watched field that has the focus in window as if it were left now: a refused
    /// leave is answered at once and false returned (the caller does not act); otherwise its
    /// accepted() runs and true is returned. True when no watched field has the focus; false
    /// while an answer is being given.
    bool judgeFocused(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void answerPending();
    /// Runs field's answer with no exit check meanwhile, and brings the focus back when it asks.
    void answer(QWidget* field);
    /// Starts the answer of a leave of field: the press that caused it and any that follow until
    /// the answer are held back.
    void leaveRefused(QWidget* field);
    /// A press reaching the native window of top while top is not active.
    bool pressOnInactiveWindow(QWidget* top, QEvent* event);

    QHash<QObject*, Check> m_checks;
    QHash<QObject*, QWidget*> m_windows;  // native window (and the top-level itself) -> top-level
    QPointer<QWidget> m_pending;
    bool m_quiet = false;
    class PressBlocker;
    std::unique_ptr<PressBlocker> m_blocker;
};

}  // namespace livna
