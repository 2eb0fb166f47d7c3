#include "ui/exit_guard.h"

#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStackedWidget>
#include <QTabWidget>
#include <QWindow>

#include "common/kvm_encoding.h"

namespace livna {

bool keptInCode(QChar c) {
    return c == u' ' || (c >= u'1' && c <= u'9');
}

bool keptInKey(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F');
}

bool keptInPassword(QChar c) {
    return c != u'0';
}

bool keyIsComplete(const QString& text) {
    return text.isEmpty() || text.size() == static_cast<qsizetype>(livna::kKeyTextLength);
}

QString keyPaddedInFront(const QString& text) {
    return text.rightJustified(static_cast<qsizetype>(livna::kKeyTextLength), u'0');
}

QString keyEndsInFFText(int n) {
    return QStringLiteral(
               "Ключ ТМ %1 не может оканчиваться на FF.\nПрибор примет такой ключ за отсутствующий и удалит "
               "его "
               "при следующей записи настроек. Исправьте ключ.")
        .arg(n);
}

qsizetype removeCharacters(QLineEdit* edit, bool (*keep)(QChar)) {
    const QString text = edit->text();
    QString cleaned;
    cleaned.reserve(text.size());
    int cursor = edit->cursorPosition();
    for (int i = 0; i < text.size(); ++i) {
        if (keep(text.at(i)))
            cleaned += text.at(i);
        else if (i < edit->cursorPosition())
            --cursor;
    }
    if (cleaned == text) return 0;
    edit->setText(cleaned);
    edit->setCursorPosition(cursor);
    return text.size() - cleaned.size();
}

void bringPageToFront(QWidget* widget) {
    for (QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        auto* stack = qobject_cast<QStackedWidget*>(w->parentWidget());
        if (stack == nullptr) continue;
        if (auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget())) {
            const int index = tabs->indexOf(w);
            if (index >= 0 && tabs->isTabVisible(index)) tabs->setCurrentIndex(index);
        }
    }
}

// ---- ExitGuard -------------------------------------------------------------------------------

/// Holds back mouse presses (and double clicks) anywhere in the program while it is installed:
/// from a leave that is to be answered until the answer, which covers the press that caused it.
class ExitGuard::PressBlocker : public QObject {
public:
    void start() {
        if (m_on) return;
        m_on = true;
        qApp->installEventFilter(this);
    }
    void stop() {
        if (!m_on) return;
        m_on = false;
        qApp->removeEventFilter(this);
    }
    ~PressBlocker() override { stop(); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        return event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    }

private:
    bool m_on = false;
};

ExitGuard::ExitGuard(QObject* parent) : QObject(parent), m_blocker(std::make_unique<PressBlocker>()) {}

ExitGuard::~ExitGuard() = default;

void ExitGuard::watch(QWidget* field, Check check) {
    m_checks.insert(field, std::move(check));
    field->installEventFilter(this);
    // The native window exists once the top-level is shown; it is hooked then.
    QWidget* top = field->window();
    if (!m_windows.contains(top)) {
        m_windows.insert(top, top);
        top->installEventFilter(this);
    }
}

bool ExitGuard::isLeave(Qt::FocusReason reason) {
    switch (reason) {
        case Qt::MouseFocusReason:
        case Qt::TabFocusReason:
        case Qt::BacktabFocusReason:
        case Qt::ShortcutFocusReason:
        case Qt::OtherFocusReason:
            return true;
        case Qt::ActiveWindowFocusReason:  // a box opening or closing, another program
        case Qt::PopupFocusReason:         // a context menu or a list dropping down
        case Qt::MenuBarFocusReason:
        case Qt::NoFocusReason:
            return false;
    }
    return false;
}

bool ExitGuard::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::FocusOut:
            break;
        case QEvent::Show:
        case QEvent::WinIdChange:
            if (QWidget* top = m_windows.value(watched); top == watched && top->windowHandle() != nullptr) {
                m_windows.insert(top->windowHandle(), top);
                top->windowHandle()->installEventFilter(this);
            }
            return false;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (QWidget* top = m_windows.value(watched); top != nullptr && top != watched)
                return pressOnInactiveWindow(top, event);
            return false;
        default:
            return false;
    }
    if (answering() || !isLeave(static_cast<QFocusEvent*>(event)->reason())) return false;
    const auto it = m_checks.constFind(watched);
    if (it == m_checks.constEnd()) return false;
    if (it->refuses())
        leaveRefused(static_cast<QWidget*>(watched));
    else if (it->accepted)
        it->accepted();
    return false;
}

bool ExitGuard::judgeFocused(QWidget* window) {
    if (answering()) return false;
    QWidget* field = window->focusWidget();
    const auto it = m_checks.constFind(field);
    if (it == m_checks.constEnd() || !field->isEnabled()) return true;
    if (!it->refuses()) {
        if (it->accepted) it->accepted();
        return true;
    }
    answer(field);
    return false;
}

bool ExitGuard::pressOnInactiveWindow(QWidget* top, QEvent* event) {
    // On an active window the press moves the focus as usual and FocusOut tells of the leave.
    if (top->isActiveWindow() || answering()) return false;
    QWidget* field = top->focusWidget();
    const auto it = m_checks.constFind(field);
    if (it == m_checks.constEnd() || !field->isEnabled()) return false;
    const QPoint at = top->mapFromGlobal(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
    QWidget* target = top->childAt(at);
    if (target == field || field->isAncestorOf(target) || !it->refuses()) return false;
    leaveRefused(field);
    return true;
}

void ExitGuard::leaveRefused(QWidget* field) {
    m_pending = field;
    m_blocker->start();
    QMetaObject::invokeMethod(this, &ExitGuard::answerPending, Qt::QueuedConnection);
}

void ExitGuard::answerPending() {
    // The press that caused the leave has been held back by now; the boxes need the mouse.
    m_blocker->stop();
    const QPointer<QWidget> field = m_pending;
    m_pending = nullptr;
    // A field that went away or was switched off meanwhile has nothing left to say.
    if (field && field->isEnabled()) answer(field);
}

void ExitGuard::answer(QWidget* watched) {
    const QPointer<QWidget> field = watched;
    m_quiet = true;
    const auto it = m_checks.constFind(watched);
    const bool back = it != m_checks.constEnd() && it->answer();
    if (back && field && field->isEnabled()) returnTo(field);
    m_quiet = false;
}

void ExitGuard::returnTo(QWidget* field) {
    const bool wasQuiet = m_quiet;
    m_quiet = true;
    bringPageToFront(field);
    // After a box the window may be left inactive, where setFocus alone shows nothing.
    if (!field->isActiveWindow()) field->activateWindow();
    field->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
    m_quiet = wasQuiet;
}

}  // namespace livna
