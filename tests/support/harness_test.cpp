// The harness itself: every later window test relies on it failing loudly instead of hanging or
// going on with a missing control.
#include <QComboBox>
#include <QDialog>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>
#include <QVBoxLayout>

#include "gui_harness.h"

using namespace livna::test;

namespace {

// A window with one control of each kind the helpers act on.
struct Sample {
    QWidget window;
    QPushButton* button;
    QPushButton* disabled;
    QLineEdit* edit;
    QWidget* group;
    QComboBox* combo;
    QDialog dialog;

    Sample() {
        window.setObjectName("SampleWindow");
        auto* layout = new QVBoxLayout(&window);
        button = new QPushButton("Открыть", &window);
        button->setObjectName("OpenButton");
        disabled = new QPushButton("Нельзя", &window);
        disabled->setObjectName("OffButton");
        disabled->setEnabled(false);
        edit = new QLineEdit("старое", &window);
        edit->setObjectName("NameEdit");
        group = new QWidget(&window);
        group->setObjectName("ChoiceRdG");
        auto* items = new QVBoxLayout(group);
        for (const char* caption : {"первый", "второй", "третий"})
            items->addWidget(new QRadioButton(caption, group));
        combo = new QComboBox(&window);
        combo->setObjectName("ModeCmB");
        combo->addItems({"демо", "on-line"});
        for (QWidget* w : {static_cast<QWidget*>(button), static_cast<QWidget*>(disabled),
                           static_cast<QWidget*>(edit), group, static_cast<QWidget*>(combo)})
            layout->addWidget(w);
        dialog.setObjectName("SampleDialog");
        QObject::connect(button, &QPushButton::clicked, &dialog, [this] { dialog.exec(); });
    }
};

template <class F>
QString failureOf(F&& action) {
    ExpectHarnessFailure expected;
    try {
        action();
    } catch (const HarnessFailure& e) {
        return QString::fromStdString(e.what());
    }
    return {};
}

}  // namespace

class HarnessTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { LIVNA_VERIFY_NO_WINDOW_LEFT(); }

    void find_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("failure");
        QTest::newRow("window itself") << "SampleWindow"
                                       << "";
        QTest::newRow("child") << "NameEdit"
                               << "";
        QTest::newRow("missing") << "NoSuchEdit"
                                 << "no control named NoSuchEdit in SampleWindow";
        QTest::newRow("case differs") << "nameedit"
                                      << "no control named nameedit in SampleWindow";
    }
    void find() {
        QFETCH(QString, name);
        QFETCH(QString, failure);
        Sample s;
        QWidget* found = nullptr;
        QCOMPARE(failureOf([&] { found = livna::test::find(&s.window, name); }), failure);
        if (failure.isEmpty()) QCOMPARE(found->objectName(), name);
    }

    void find_twoControlsOfOneName_fails() {
        Sample s;
        s.disabled->setObjectName("OpenButton");
        QCOMPARE(failureOf([&] { livna::test::find(&s.window, "OpenButton"); }),
                 QString("2 controls named OpenButton in SampleWindow"));
    }

    void control_wrongClass_fails() {
        Sample s;
        QVERIFY(failureOf([&] { control<QLineEdit>(&s.window, "OpenButton"); }).contains("not a QLineEdit"));
        QCOMPARE(control<QLineEdit>(&s.window, "NameEdit"), s.edit);
    }

    void click_onlyWhatAUserCouldClick() {
        Sample s;
        QSignalSpy off(s.disabled, &QPushButton::clicked);
        QCOMPARE(failureOf([&] { click(&s.window, "OpenButton"); }),
                 QString("control OpenButton is not visible"));
        showWindow(&s.window);
        QCOMPARE(failureOf([&] { click(&s.window, "OffButton"); }), QString("control OffButton is disabled"));
        QCOMPARE(off.count(), 0);
        s.window.hide();
    }

    void typeInto_replacesTextAndLeavesTheField() {
        Sample s;
        showWindow(&s.window);
        QSignalSpy finished(s.edit, &QLineEdit::editingFinished);
        typeInto(&s.window, "NameEdit", "новое 12");
        QCOMPARE(s.edit->text(), QString("новое 12"));
        QCOMPARE(finished.count(), 1);
        QVERIFY(!s.edit->hasFocus());
        typeInto(&s.window, "NameEdit", "");
        QCOMPARE(s.edit->text(), QString());
        s.window.hide();
    }

    void chooseRadio_checksTheItemInCreationOrder() {
        Sample s;
        showWindow(&s.window);
        QCOMPARE(checkedRadio(&s.window, "ChoiceRdG"), -1);
        QCOMPARE(radioItems(&s.window, "ChoiceRdG"), QStringList({"первый", "второй", "третий"}));
        chooseRadio(&s.window, "ChoiceRdG", 2);
        QCOMPARE(checkedRadio(&s.window, "ChoiceRdG"), 2);
        chooseRadio(&s.window, "ChoiceRdG", 0);
        QCOMPARE(checkedRadio(&s.window, "ChoiceRdG"), 0);
        QCOMPARE(failureOf([&] { chooseRadio(&s.window, "ChoiceRdG", 3); }),
                 QString("ChoiceRdG has 3 items, no item 3"));
        s.window.hide();
    }

    void chooseCombo_emitsActivatedEvenForTheCurrentItem() {
        Sample s;
        showWindow(&s.window);
        QSignalSpy activated(s.combo, &QComboBox::activated);
        chooseCombo(&s.window, "ModeCmB", QString("on-line"));
        chooseCombo(&s.window, "ModeCmB", 1);
        QCOMPARE(s.combo->currentIndex(), 1);
        QCOMPARE(activated.count(), 2);
        QCOMPARE(failureOf([&] { chooseCombo(&s.window, "ModeCmB", QString("online")); }),
                 QString("ModeCmB has no item \"online\""));
        s.window.hide();
    }

    void runModal_drivesTheOpenedWindow() {
        Sample s;
        showWindow(&s.window);
        QWidget* seen = nullptr;
        clickAndDrive(&s.window, "OpenButton", [&](QWidget* modal) {
            seen = modal;
            modal->close();
        });
        QCOMPARE(seen, static_cast<QWidget*>(&s.dialog));
        QVERIFY(!s.dialog.isVisible());
        s.window.hide();
    }

    void runModal_failures_closeTheModalWindow_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("failure");
        QTest::newRow("left open") << 0 << "modal window SampleDialog was left open";
        QTest::newRow("step failed") << 1 << "no control named Missing in SampleDialog";
        QTest::newRow("hangs") << 2 << "modal window SampleDialog still open after 300 ms";
        QTest::newRow("nothing opened") << 3 << "no modal window was opened";
    }
    void runModal_failures_closeTheModalWindow() {
        QFETCH(int, kind);
        QFETCH(QString, failure);
        Sample s;
        showWindow(&s.window);
        const QString got = failureOf([&] {
            runModal([&] { kind == 3 ? (void)0 : click(&s.window, "OpenButton"); },
                     [&](QWidget* modal) {
                         if (kind == 1) livna::test::find(modal, "Missing");
                         if (kind == 2) {
                             // A step that waits for something that never comes; it ends only
                             // when the watchdog hides the dialog.
                             QEventLoop wait;
                             QTimer check;
                             QObject::connect(&check, &QTimer::timeout, [&] {
                                 if (!modal->isVisible()) wait.quit();
                             });
                             check.start(10);
                             wait.exec();
                         }
                     },
                     300);
        });
        QCOMPARE(got, failure);
        QVERIFY(!s.dialog.isVisible());
        s.window.hide();
    }

    void closeLeftoverWindows_namesAndHidesThem() {
        Sample s;
        showWindow(&s.window);
        QCOMPARE(closeLeftoverWindows(), QStringList({"SampleWindow"}));
        QVERIFY(!s.window.isVisible());
        QCOMPARE(closeLeftoverWindows(), QStringList());
    }
};

QTEST_MAIN(HarnessTest)
#include "harness_test.moc"
