#include "gui_harness.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFocusEvent>
#include <QPointer>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTimer>

namespace livna::test {

namespace {

QString describe(QWidget* w) {
    if (w == nullptr) return QStringLiteral("(none)");
    const QString name = w->objectName();
    return name.isEmpty() ? QString::fromUtf8(w->metaObject()->className()) : name;
}

void requireUsable(QWidget* w, const QString& what) {
    if (!w->isVisible()) fail(QStringLiteral("%1 %2 is not visible").arg(what, describe(w)));
    if (!w->isEnabled()) fail(QStringLiteral("%1 %2 is disabled").arg(what, describe(w)));
}

// Radio buttons and check boxes react only on their indicator and caption, which in a stretched
// layout need not cover the middle of the widget.
QPoint clickPoint(QWidget* w) {
    QStyleOptionButton option;
    option.initFrom(w);
    if (qobject_cast<QRadioButton*>(w) != nullptr)
        return w->style()->subElementRect(QStyle::SE_RadioButtonClickRect, &option, w).center();
    if (qobject_cast<QCheckBox*>(w) != nullptr)
        return w->style()->subElementRect(QStyle::SE_CheckBoxClickRect, &option, w).center();
    return w->rect().center();
}

QList<QRadioButton*> radioButtonsOf(QWidget* group) {
    return group->findChildren<QRadioButton*>();
}

// Closes the modal windows stacked above `keep`, topmost first. hide() ends a dialog's exec()
// without going through its own close path (which may ask questions).
void closeModalsAbove(QWidget* keep) {
    for (int guard = 0; guard < 32; ++guard) {
        QWidget* top = QApplication::activeModalWidget();
        if (top == nullptr || top == keep) return;
        top->hide();
    }
}

// QTest::keyClicks takes Latin-1 only; Russian text is typed key by key with its own text.
void typeText(QWidget* w, const QString& text) {
    for (const QChar c : text) {
        const Qt::Key key = c.unicode() < 0x80 ? QTest::asciiToKey(static_cast<char>(c.unicode()))
                                               : static_cast<Qt::Key>(c.toUpper().unicode());
        QTest::sendKeyEvent(QTest::Press, w, key, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, w, key, QString(c), Qt::NoModifier);
    }
}

}  // namespace

static bool g_failureExpected = false;  // set by ExpectHarnessFailure

ExpectHarnessFailure::ExpectHarnessFailure() : m_previous(g_failureExpected) {
    g_failureExpected = true;
}
ExpectHarnessFailure::~ExpectHarnessFailure() {
    g_failureExpected = m_previous;
}

void fail(const QString& message) {
    if (!g_failureExpected) QTest::qFail(qPrintable(message), __FILE__, __LINE__);
    throw HarnessFailure(message.toStdString());
}

QWidget* find(QWidget* root, const QString& name) {
    if (root == nullptr) fail(QStringLiteral("no window to look for %1 in").arg(name));
    if (root->objectName() == name) return root;
    const QList<QWidget*> found = root->findChildren<QWidget*>(name);
    if (found.isEmpty()) fail(QStringLiteral("no control named %1 in %2").arg(name, describe(root)));
    if (found.size() > 1)
        fail(QStringLiteral("%1 controls named %2 in %3").arg(found.size()).arg(name, describe(root)));
    return found.constFirst();
}

bool has(QWidget* root, const QString& name) {
    return root != nullptr && (root->objectName() == name || !root->findChildren<QWidget*>(name).isEmpty());
}

void showWindow(QWidget* window) {
    window->show();
    if (!QTest::qWaitForWindowExposed(window))
        fail(QStringLiteral("window %1 was not shown").arg(describe(window)));
}

void click(QWidget* widget) {
    requireUsable(widget, QStringLiteral("control"));
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, clickPoint(widget));
}

void click(QWidget* root, const QString& name) {
    click(find(root, name));
}

void focusIn(QWidget* widget) {
    requireUsable(widget, QStringLiteral("control"));
    QWidget* window = widget->window();
    window->activateWindow();
    (void)QTest::qWaitForWindowActive(window, 1000);
    widget->setFocus(Qt::TabFocusReason);
    if (!widget->hasFocus()) {
        // The offscreen platform may not activate the window; deliver the focus change directly
        // so the control's enter handlers still run.
        QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(widget, &in);
    }
}

void focusOut(QWidget* widget) {
    if (widget->hasFocus()) {
        widget->clearFocus();
    } else {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(widget, &out);
    }
}

void typeInto(QWidget* root, const QString& name, const QString& text) {
    QWidget* w = find(root, name);
    focusIn(w);
    QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);  // select what is there, to be replaced
    if (text.isEmpty())
        QTest::keyClick(w, Qt::Key_Delete);
    else
        typeText(w, text);
    focusOut(w);
}

void chooseRadio(QWidget* root, const QString& groupName, int index) {
    QWidget* group = find(root, groupName);
    const QList<QRadioButton*> items = radioButtonsOf(group);
    if (index < 0 || index >= items.size())
        fail(QStringLiteral("%1 has %2 items, no item %3").arg(groupName).arg(items.size()).arg(index));
    click(items[index]);
    if (!items[index]->isChecked())
        fail(QStringLiteral("item %1 of %2 did not become checked").arg(index).arg(groupName));
}

int checkedRadio(QWidget* root, const QString& groupName) {
    const QList<QRadioButton*> items = radioButtonsOf(find(root, groupName));
    for (qsizetype i = 0; i < items.size(); ++i)
        if (items[i]->isChecked()) return static_cast<int>(i);
    return -1;
}

QStringList radioItems(QWidget* root, const QString& groupName) {
    QStringList out;
    for (QRadioButton* item : radioButtonsOf(find(root, groupName))) out << item->text();
    return out;
}

void chooseCombo(QWidget* root, const QString& name, int index) {
    auto* combo = control<QComboBox>(root, name);
    requireUsable(combo, QStringLiteral("combo box"));
    if (index < 0 || index >= combo->count())
        fail(QStringLiteral("%1 has %2 items, no item %3").arg(name).arg(combo->count()).arg(index));
    combo->setCurrentIndex(index);
    emit combo->activated(index);
    emit combo->textActivated(combo->itemText(index));
}

void chooseCombo(QWidget* root, const QString& name, const QString& text) {
    auto* combo = control<QComboBox>(root, name);
    const int index = combo->findText(text);
    if (index < 0) fail(QStringLiteral("%1 has no item \"%2\"").arg(name, text));
    chooseCombo(root, name, index);
}

void pressKey(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(widget, key, modifiers);
}

void runModal(const std::function<void()>& trigger, const std::function<void(QWidget*)>& whileOpen,
              int timeoutMs) {
    QPointer<QWidget> below = QApplication::activeModalWidget();
    bool opened = false;
    QString error;

    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == below || !modal->isVisible()) return;
        poll.stop();
        opened = true;
        QPointer<QWidget> guard = modal;
        try {
            whileOpen(modal);
        } catch (const std::exception& e) {
            error = QString::fromUtf8(e.what());
        }
        if (error.isEmpty() && !g_failureExpected && QTest::currentTestFailed())
            error = QStringLiteral("a check failed in the modal window");
        if (error.isEmpty() && guard && guard->isVisible())
            error = QStringLiteral("modal window %1 was left open").arg(describe(guard));
        if (!error.isEmpty()) closeModalsAbove(below);
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        if (error.isEmpty())
            error = QStringLiteral("modal window %1 still open after %2 ms")
                        .arg(describe(QApplication::activeModalWidget()))
                        .arg(timeoutMs);
        closeModalsAbove(below);
    });

    poll.start();
    watchdog.start(timeoutMs);
    try {
        trigger();
    } catch (const std::exception& e) {
        if (error.isEmpty()) error = QString::fromUtf8(e.what());
    }
    poll.stop();
    watchdog.stop();
    if (!error.isEmpty()) {
        closeModalsAbove(below);
        fail(error);
    }
    if (!opened) fail(QStringLiteral("no modal window was opened"));
}

void clickAndDrive(QWidget* root, const QString& name, const std::function<void(QWidget*)>& whileOpen,
                   int timeoutMs) {
    QWidget* w = find(root, name);
    runModal([w] { click(w); }, whileOpen, timeoutMs);
}

QStringList closeLeftoverWindows() {
    QStringList left;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible()) continue;
        left << describe(w);
        w->hide();
    }
    return left;
}

}  // namespace livna::test
