#pragma once
// Helpers for the window tests of both programs (Qt Test, QT_QPA_PLATFORM=offscreen).
//
// Every helper that cannot do what it is asked (a control missing, disabled or hidden, a modal
// window that never opened or never closed) records a Qt Test failure with the reason and throws
// HarnessFailure, so a test never goes on with a null control. Qt Test reports the thrown
// exception as a failure of the test function and then ends the test program (Qt 6.4 rethrows),
// so the failure cannot go unnoticed; runModal catches it first and closes the modal windows.
//
// Typical use:
//
//     FakeServices fake;                          // fake_services.h: dialogs, launcher, state
//     WizardWindows windows(fake.ctx);
//     showWindow(windows.boot());
//     chooseRadio(windows.boot(), "SysTypeRdG", 1);
//     runModal([&] { click(windows.boot(), "BootButton"); },   // opens the mode window...
//              [&](QWidget* mode) {                             // ...driven while it is up
//                  QVERIFY(!control<QPushButton>(mode, "NextButton")->isEnabled());
//                  click(mode, "BackButton");                   // and closed by the step
//              });
//
// and in the test class:  void cleanup() { LIVNA_VERIFY_NO_WINDOW_LEFT(); }
#include <QString>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <functional>
#include <stdexcept>

#include "common/dialog_service.h"

namespace livna::test {

/// Thrown (after the Qt Test failure is recorded) when a helper cannot do what it was asked.
class HarnessFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Records a Qt Test failure with the message and throws HarnessFailure.
[[noreturn]] void fail(const QString& message);

/// While one exists, fail() only throws and records no Qt Test failure: for tests of code that is
/// expected to fail (the harness's own tests, a watchdog that must fire).
class ExpectHarnessFailure {
public:
    ExpectHarnessFailure();
    ~ExpectHarnessFailure();
    ExpectHarnessFailure(const ExpectHarnessFailure&) = delete;
    ExpectHarnessFailure& operator=(const ExpectHarnessFailure&) = delete;

private:
    bool m_previous;
};

/// Longest a modal window may stay up under runModal before the test fails and it is closed.
inline constexpr int kModalTimeoutMs = 5000;

// ---- finding controls ----------------------------------------------------------------------

/// The descendant of root (or root itself) with this object name; fails when there is none or
/// when several carry it. Names compare exactly.
QWidget* find(QWidget* root, const QString& name);

/// find() and a cast to W; fails when the control is of another class.
template <class W>
W* control(QWidget* root, const QString& name) {
    QWidget* w = find(root, name);
    auto* typed = qobject_cast<W*>(w);
    if (typed == nullptr)
        fail(QStringLiteral("control %1 is a %2, not a %3")
                 .arg(name, QString::fromUtf8(w->metaObject()->className()),
                      QString::fromUtf8(W::staticMetaObject.className())));
    return typed;
}

/// True when root holds a control of that name (for tests that expect a name to be absent).
bool has(QWidget* root, const QString& name);

// ---- acting as a user ----------------------------------------------------------------------

/// Shows a top-level window as the program would and waits until it is exposed.
void showWindow(QWidget* window);

/// Left mouse click in the middle of the control. Fails when it is hidden or disabled: a user
/// cannot click those (check isEnabled() to test that a button is off).
void click(QWidget* root, const QString& name);
void click(QWidget* widget);

/// Gives the control the keyboard focus as Tab would (FocusIn), replaces its text with text by
/// typing it, and leaves it (FocusOut), so that enter, change and exit handlers all run.
void typeInto(QWidget* root, const QString& name, const QString& text);
/// The two halves of typeInto on their own.
void focusIn(QWidget* widget);
void focusOut(QWidget* widget);

/// Clicks item index (0-based, in the order they were created) of the radio buttons inside the
/// control groupName (a group box or any container).
void chooseRadio(QWidget* root, const QString& groupName, int index);
/// Index of the checked radio item in the group, -1 when none is checked.
int checkedRadio(QWidget* root, const QString& groupName);
/// The captions of the group's radio items, in order.
QStringList radioItems(QWidget* root, const QString& groupName);

/// Chooses item index of a combo box as a pick from its list does: the current item changes and
/// activated() is emitted (also when the item was already current).
void chooseCombo(QWidget* root, const QString& name, int index);
/// The same by the item's text; fails when no item has it.
void chooseCombo(QWidget* root, const QString& name, const QString& text);

/// Key press and release sent to the widget (which then goes through its window's filters).
void pressKey(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// ---- modal windows -------------------------------------------------------------------------

/// Runs trigger (which opens a modal window, e.g. by clicking a button, and returns when that
/// window closes). As soon as the new modal window is up, whileOpen(modal) is called inside its
/// loop; it is expected to close it (Back, OK, Esc...). runModal may be nested inside whileOpen
/// to drive the next window of the stack.
/// Fails when no modal window opened, when whileOpen failed or left the window open, or after
/// timeoutMs; in every such case the modal windows it opened are closed first, so nothing hangs.
void runModal(const std::function<void()>& trigger, const std::function<void(QWidget*)>& whileOpen,
              int timeoutMs = kModalTimeoutMs);

/// Shorthand: runModal with a click on root's control name as the trigger.
void clickAndDrive(QWidget* root, const QString& name, const std::function<void(QWidget*)>& whileOpen,
                   int timeoutMs = kModalTimeoutMs);

// ---- after the test ------------------------------------------------------------------------

/// Object names (or class names) of the top-level windows still visible; hides them all, so that
/// one failing test does not spoil the next.
QStringList closeLeftoverWindows();

}  // namespace livna::test

/// For a test class's cleanup(): fails the test when any top-level window was left visible.
#define LIVNA_VERIFY_NO_WINDOW_LEFT()                                                       \
    do {                                                                                    \
        const QStringList livnaLeft = ::livna::test::closeLeftoverWindows();                \
        QVERIFY2(livnaLeft.isEmpty(),                                                       \
                 qPrintable(QStringLiteral("windows left open: ") + livnaLeft.join(", "))); \
    } while (false)
