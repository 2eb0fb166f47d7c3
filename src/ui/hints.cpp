#include "ui/hints.h"

#include <QApplication>
#include <QHelpEvent>
#include <QPalette>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QToolTip>
#include <QWidget>

namespace livna {

namespace {

/// The pause before a hint is the style's to give.
class HintStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ToolTip_WakeUpDelay) return kHintPauseMs;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

/// The toolkit would let a hint go after a time that grows with its length; this one stays.
class HintDuration : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip || !watched->isWidgetType()) return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->toolTip().isEmpty() || widget->toolTipDuration() >= 0) return false;
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), widget->toolTip(), widget, {},
                           kHintShownMs);
        return true;
    }
};

constexpr const char* kDurationName = "livnaHintDuration";

}  // namespace

void installHintSettings(QApplication& app) {
    if (dynamic_cast<HintStyle*>(QApplication::style()) == nullptr)
        QApplication::setStyle(new HintStyle(QStyleFactory::create(QApplication::style()->name())));
    QPalette palette = QToolTip::palette();
    palette.setColor(QPalette::ToolTipBase, QColor(kHintRed, kHintGreen, kHintBlue));
    palette.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(palette);
    if (app.findChild<HintDuration*>(QString::fromLatin1(kDurationName), Qt::FindDirectChildrenOnly) ==
        nullptr) {
        auto* duration = new HintDuration(&app);
        duration->setObjectName(QString::fromLatin1(kDurationName));
        app.installEventFilter(duration);
    }
}

}  // namespace livna
