#pragma once
// Name → control of a window.
#include <QHash>
#include <QString>
#include <QWidget>

#include <stdexcept>

namespace livna {

/// Name → control, filled once when a window builds its controls. Lookups of a missing name throw,
/// so a mistyped name fails loudly instead of silently doing nothing.
class NameIndex {
public:
    /// Gives the widget its object name and indexes it.
    template <class W>
    W* add(W* widget, const QString& name) {
        widget->setObjectName(name);
        m_index.insert(name.toLower(), widget);
        return widget;
    }
    QWidget* find(const QString& name) const { return m_index.value(name.toLower(), nullptr); }
    template <class W>
    W* get(const QString& name) const {
        auto* w = qobject_cast<W*>(find(name));
        if (w == nullptr) throw std::logic_error("no control named " + name.toStdString());
        return w;
    }
    bool contains(const QString& name) const { return m_index.contains(name.toLower()); }
    qsizetype size() const { return m_index.size(); }

private:
    QHash<QString, QWidget*> m_index;  // keys in lower case: names compare without regard to case
};

}  // namespace livna
