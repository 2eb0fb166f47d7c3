#include "ui/exchange_scope.h"

#include <QApplication>

#include <algorithm>

namespace livna {

void keepPainting() {
    QCoreApplication::processEvents();
}

ExchangeScope::ExchangeScope(QWidget& window, bool& busy, std::initializer_list<const QWidget*> keptOn)
    : m_busy(busy), m_owner(!busy) {
    if (!m_owner) return;
    m_focus = QApplication::focusWidget();
    m_busy = true;
    for (QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow() || std::find(keptOn.begin(), keptOn.end(), child) != keptOn.end() ||
            !child->isEnabled())
            continue;
        child->setEnabled(false);
        m_disabled << child;
    }
}

ExchangeScope::~ExchangeScope() {
    if (!m_owner) return;
    for (const QPointer<QWidget>& child : m_disabled)
        if (child) child->setEnabled(true);
    m_busy = false;
    if (m_focus && m_focus->isEnabled() && m_focus->isVisible()) m_focus->setFocus(Qt::OtherFocusReason);
}

}  // namespace livna
