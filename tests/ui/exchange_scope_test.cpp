// The busy state of a window while an exchange runs.
#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include "gui_harness.h"
#include "ui/exchange_scope.h"

using namespace livna;
using namespace livna::test;

class ExchangeScopeTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { LIVNA_VERIFY_NO_WINDOW_LEFT(); }

    void scope_switchesOffAllButTheKeptControls_andRestoresThemAndTheFocus() {
        QWidget window;
        auto* field = new QLineEdit(&window);
        auto* button = new QPushButton(QStringLiteral("Считать"), &window);
        auto* off = new QPushButton(QStringLiteral("Записать"), &window);
        auto* bar = new QProgressBar(&window);
        auto* layout = new QVBoxLayout(&window);
        for (QWidget* w : std::initializer_list<QWidget*>{field, button, off, bar}) layout->addWidget(w);
        off->setEnabled(false);
        showWindow(&window);
        field->setFocus(Qt::OtherFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(field));

        bool busy = false;
        {
            const ExchangeScope outer(window, busy, {bar});
            QVERIFY(busy);
            QVERIFY(!field->isEnabled());
            QVERIFY(!button->isEnabled());
            QVERIFY(bar->isEnabled());
            { const ExchangeScope inner(window, busy, {bar}); }
            QVERIFY2(busy, "the inner scope leaves the outer one in charge");
            QVERIFY(!button->isEnabled());
        }
        QVERIFY(!busy);
        QVERIFY(field->isEnabled());
        QVERIFY(button->isEnabled());
        QVERIFY2(!off->isEnabled(), "a control that was off before stays off");
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(field));
        window.hide();
    }
};

QTEST_MAIN(ExchangeScopeTest)
#include "exchange_scope_test.moc"
