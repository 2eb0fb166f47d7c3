#pragma once
// A window's state while an exchange with the panel runs on the user-interface thread.
#include <QList>
#include <QPointer>
#include <QWidget>

#include <initializer_list>

namespace livna {

/// Lets the window repaint (the bars between blocks). Input reaching the window meanwhile finds
/// its controls off, so it cannot start anything.
void keepPainting();

/// Keeps a window busy for one exchange: busy is set, and every direct child of the window but
/// those kept on (the bars) is switched off until the scope ends; the focus then goes back where
/// it was. Whole regions are switched off, so a control the exchange enables (Read after a
/// connect) only comes alive when the exchange is over. Nested scopes (the read that follows a
/// connect) leave the outer one in charge.
class ExchangeScope {
public:
    ExchangeScope(QWidget& window, bool& busy, std::initializer_list<const QWidget*> keptOn);
    ~ExchangeScope();
    ExchangeScope(const ExchangeScope&) = delete;
    ExchangeScope& operator=(const ExchangeScope&) = delete;

private:
    bool& m_busy;
    bool m_owner;
    QList<QPointer<QWidget>> m_disabled;
    QPointer<QWidget> m_focus;
};

}  // namespace livna
