// The wizard as the installer walks it: system, job, preparation, work window, and back.
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QImage>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

#include "fake_services.h"
#include "firmware/changesoftunit.h"
#include "gui_harness.h"
#include "kv_editor/l640kvunit.h"
#include "kvm_editor/l640msettingsunit.h"
#include "wizard/bootunit.h"
#include "wizard/infounit.h"
#include "wizard/modeselectunit.h"
#include "wizard/wizardwindows.h"

using namespace livna;
using namespace livna::test;

namespace {

const QString kExitQuestion = QStringLiteral("Вы уверены, что хотите выйти из программы?");

bool nextEnabled(QWidget* window) {
    return control<QPushButton>(window, "NextButton")->isEnabled();
}

QStringList listLines(QWidget* info) {
    QStringList out;
    auto* list = control<QListWidget>(info, "InfoListB");
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

// Waits in the info window until its Next is released.
void waitForNext(QWidget* info) {
    if (!QTest::qWaitFor([info] { return nextEnabled(info); }, 2000))
        fail("NextButton of the info window stayed off");
}

}  // namespace

class WizardFlowTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { LIVNA_VERIFY_NO_WINDOW_LEFT(); }

    void windows_designState() {
        FakeServices fake;
        WizardWindows w(fake.ctx);
        const struct {
            QDialog* window;
            const char* caption;
        } frames[] = {{w.boot(), "Выбор типа системы"},
                      {w.modeSelect(), "Выбор режима работы прибора"},
                      {w.info(), "Дополнительная информация"}};
        for (const auto& f : frames) {
            QCOMPARE(f.window->windowTitle(), QString(f.caption));
            QCOMPARE(f.window->size(), QSize(400, 300));
            QCOMPARE(f.window->minimumSize(), f.window->maximumSize());
            QVERIFY(!(f.window->windowFlags() & Qt::WindowMaximizeButtonHint));
            QVERIFY(f.window->windowFlags() & Qt::WindowMinimizeButtonHint);
        }
        QCOMPARE(radioItems(w.boot(), "SysTypeRdG"), QStringList({"Ливна-КВ", "Ливна-КВ-М"}));
        QCOMPARE(checkedRadio(w.boot(), "SysTypeRdG"), -1);
        QVERIFY(!control<QPushButton>(w.boot(), "BootButton")->isEnabled());
        QCOMPARE(control<QPushButton>(w.boot(), "ExitButton")->text(), QString("Выход"));
        QVERIFY(control<QPushButton>(w.boot(), "Button1")->isHidden());
        QVERIFY(!nextEnabled(w.info()));
        auto* timer = w.info()->findChild<QTimer*>("InfoTimer");
        QVERIFY(timer != nullptr);
        QCOMPARE(timer->interval(), 500);
        QVERIFY(!timer->isActive());
        QCOMPARE(int(fake.state.SystemType), 0);
        QCOMPARE(int(fake.state.OperationMode), 0);
    }

    // Every path through the wizard: state, info lines, and the window Next opens.
    void fullPath_opensTheWindowOfTheChoice_data() {
        QTest::addColumn<int>("system");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("line1");
        QTest::addColumn<QString>("line2");
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("operationMode");
        QTest::newRow("КВ firmware") << 0 << 0 << "Тип выбранной системы - Ливна-КВ"
                                     << "Выбранный режим работы - Обновление ПО прибора"
                                     << "ChangeSoftForm" << 1;
        QTest::newRow("КВ settings") << 0 << 1 << "Тип выбранной системы - Ливна-КВ"
                                     << "Выбранный режим работы - Настройка прибора"
                                     << "L640KVForm" << 4;
        QTest::newRow("КВ-М firmware") << 1 << 0 << "Тип выбранной системы - Ливна-КВ-М"
                                       << "Выбранный режим работы - Обновление ПО прибора"
                                       << "ChangeSoftForm" << 1;
        QTest::newRow("КВ-М settings") << 1 << 1 << "Тип выбранной системы - Ливна-КВ-М"
                                       << "Выбранный режим работы - Настройка прибора"
                                       << "L640MSettingsForm" << 4;
    }
    void fullPath_opensTheWindowOfTheChoice() {
        QFETCH(int, system);
        QFETCH(int, mode);
        QFETCH(QString, line1);
        QFETCH(QString, line2);
        QFETCH(QString, window);
        QFETCH(int, operationMode);
        FakeServices fake;
        WizardWindows w(fake.ctx);
        showWindow(w.boot());
        chooseRadio(w.boot(), "SysTypeRdG", system);
        QString opened;
        QString openedCaption;
        clickAndDrive(w.boot(), "BootButton", [&](QWidget* modeWindow) {
            QCOMPARE(modeWindow, static_cast<QWidget*>(w.modeSelect()));
            QCOMPARE(int(fake.state.SystemType), system + 1);
            QCOMPARE(radioItems(modeWindow, "SysModeRdG"),
                     QStringList({"Обновление ПО прибора", "Настройка прибора"}));
            QVERIFY(!nextEnabled(modeWindow));
            chooseRadio(modeWindow, "SysModeRdG", mode);
            clickAndDrive(modeWindow, "NextButton", [&](QWidget* info) {
                QCOMPARE(int(fake.state.OperationMode), operationMode);
                QVERIFY(!nextEnabled(info));
                QCOMPARE(listLines(info).mid(0, 2), QStringList({line1, line2}));
                waitForNext(info);
                clickAndDrive(info, "NextButton", [&](QWidget* work) {
                    opened = work->objectName();
                    openedCaption = work->windowTitle();
                    pressKey(work, Qt::Key_Escape);
                });
                QVERIFY(info->isVisible());
                QVERIFY(nextEnabled(info));  // the same job can be opened again
                click(info, "BackButton");
            });
            click(modeWindow, "BackButton");
        });
        QCOMPARE(opened, window);
        QCOMPARE(openedCaption, QString("Прибор приемно-контрольный Ливна-640"));
        QVERIFY(w.boot()->isVisible());
        QCOMPARE(checkedRadio(w.boot(), "SysTypeRdG"), system);  // the choice survives coming back
        QVERIFY(control<QPushButton>(w.boot(), "BootButton")->isEnabled());
        QVERIFY(fake.dialogs.calls().empty());
        w.boot()->hide();
    }

    void modeWindow_startsAfreshOnEveryShowing() {
        FakeServices fake;
        WizardWindows w(fake.ctx);
        showWindow(w.boot());
        chooseRadio(w.boot(), "SysTypeRdG", 1);
        for (int round = 0; round < 2; ++round) {
            clickAndDrive(w.boot(), "BootButton", [&](QWidget* modeWindow) {
                QCOMPARE(int(fake.state.OperationMode), 0);
                QCOMPARE(checkedRadio(modeWindow, "SysModeRdG"), -1);
                QVERIFY(!nextEnabled(modeWindow));
                chooseRadio(modeWindow, "SysModeRdG", 1);
                QVERIFY(nextEnabled(modeWindow));
                clickAndDrive(modeWindow, "NextButton",
                              [&](QWidget* info) { pressKey(info, Qt::Key_Escape); });
                QCOMPARE(int(fake.state.OperationMode), 4);
                pressKey(modeWindow, Qt::Key_Escape);  // Esc leaves as Back does
            });
        }
        w.boot()->hide();
    }

    // Back to the mode window and on with the other job, then back to the start and on with the
    // other system: nothing of the earlier list remains, and Next opens the other window.
    void infoList_isRebuiltForNewChoices() {
        FakeServices fake;
        WizardWindows w(fake.ctx);
        showWindow(w.boot());
        QStringList opened;
        auto throughInfo = [&](int mode, const std::function<void(QWidget*)>& check) {
            chooseRadio(w.modeSelect(), "SysModeRdG", mode);
            clickAndDrive(w.modeSelect(), "NextButton", [&](QWidget* info) {
                check(info);
                waitForNext(info);
                clickAndDrive(info, "NextButton", [&](QWidget* work) {
                    opened << work->objectName();
                    work->close();
                });
                click(info, "BackButton");
                QVERIFY(!nextEnabled(info));
            });
        };
        chooseRadio(w.boot(), "SysTypeRdG", 0);
        clickAndDrive(w.boot(), "BootButton", [&](QWidget* modeWindow) {
            throughInfo(1, [&](QWidget* info) {
                QCOMPARE(listLines(info).at(1), QString("Выбранный режим работы - Настройка прибора"));
            });
            throughInfo(0, [&](QWidget* info) {
                const QStringList lines = listLines(info);
                QCOMPARE(lines.size(), 13);
                QCOMPARE(lines.at(0), QString("Тип выбранной системы - Ливна-КВ"));
                QCOMPARE(lines.at(1), QString("Выбранный режим работы - Обновление ПО прибора"));
            });
            modeWindow->close();
        });
        chooseRadio(w.boot(), "SysTypeRdG", 1);
        clickAndDrive(w.boot(), "BootButton", [&](QWidget* modeWindow) {
            throughInfo(1, [&](QWidget* info) {
                QCOMPARE(listLines(info), infoLines({SystemType::Kvm, OperationMode::Settings}));
                QCOMPARE(listLines(info).at(0), QString("Тип выбранной системы - Ливна-КВ-М"));
            });
            modeWindow->close();
        });
        QCOMPARE(opened, QStringList({"L640KVForm", "ChangeSoftForm", "L640MSettingsForm"}));
        w.boot()->hide();
    }

    void infoWindow_nextHeldOffForHalfASecondOnEveryShowing() {
        FakeServices fake;
        WizardWindows w(fake.ctx);
        fake.state = {SystemType::Kvm, OperationMode::Settings};
        auto* timer = w.info()->findChild<QTimer*>("InfoTimer");
        for (int round = 0; round < 2; ++round) {
            QElapsedTimer clock;
            runModal(
                [&] {
                    clock.start();
                    w.info()->exec();
                },
                [&](QWidget* info) {
                    QVERIFY(timer->isActive());
                    QTest::qWait(300);
                    QVERIFY(!nextEnabled(info));
                    waitForNext(info);
                    QVERIFY(clock.elapsed() >= 450);
                    QVERIFY(!timer->isActive());
                    if (round == 0) {
                        click(info, "BackButton");
                    } else {
                        QCloseEvent close;
                        QApplication::sendEvent(info, &close);  // the close box
                    }
                });
            QVERIFY(!nextEnabled(w.info()));
            QVERIFY(!timer->isActive());
        }
        // Closed before the half second is over: the timer must not release Next later.
        runModal([&] { w.info()->exec(); }, [&](QWidget* info) { click(info, "BackButton"); });
        QTest::qWait(600);
        QVERIFY(!nextEnabled(w.info()));
    }

    void infoWindow_focusOnTheListMovesToNext() {
        FakeServices fake;
        WizardWindows w(fake.ctx);
        fake.state = {SystemType::Kv, OperationMode::FirmwareUpdate};
        runModal([&] { w.info()->exec(); },
                 [&](QWidget* info) {
                     waitForNext(info);
                     auto* list = control<QListWidget>(info, "InfoListB");
                     focusIn(list);
                     QVERIFY(QTest::qWaitFor(
                         [&] { return control<QPushButton>(info, "NextButton")->hasFocus(); }, 1000));
                     click(info, "BackButton");
                 });
    }

    // The closing warning is red, the rest in the window-text colour.
    void infoList_lastThreeLinesAreRed() {
        FakeServices fake;
        WizardWindows w(fake.ctx);
        fake.state = {SystemType::Kvm, OperationMode::FirmwareUpdate};
        runModal([&] { w.info()->exec(); },
                 [&](QWidget* info) {
                     auto* list = control<QListWidget>(info, "InfoListB");
                     const QImage image = list->viewport()->grab().toImage();
                     for (int row = 0; row < list->count(); ++row) {
                         const QRect rect = list->visualItemRect(list->item(row));
                         QCOMPARE(rect.height(), 16);
                         bool red = false;
                         for (int y = rect.top(); y <= rect.bottom() && y < image.height(); ++y)
                             for (int x = rect.left(); x < rect.right() && x < image.width(); ++x) {
                                 const QColor c = image.pixelColor(x, y);
                                 if (c.red() > 200 && c.green() < 80 && c.blue() < 80) red = true;
                             }
                         QVERIFY2(red == (row >= 10), qPrintable(QString("line %1").arg(row + 1)));
                     }
                     click(info, "BackButton");
                 });
    }

    void exitQuestion_noKeepsEverything_yesEndsTheProgram_data() {
        QTest::addColumn<int>("way");  // 0 = ExitButton, 1 = Esc, 2 = close box
        QTest::addColumn<bool>("yes");
        for (int way = 0; way < 3; ++way)
            for (bool yes : {false, true})
                QTest::newRow(qPrintable(QString("%1 %2").arg(
                    QStringList{"ExitButton", "Esc", "close box"}[way], yes ? "Yes" : "No")))
                    << way << yes;
    }
    void exitQuestion_noKeepsEverything_yesEndsTheProgram() {
        QFETCH(int, way);
        QFETCH(bool, yes);
        FakeServices fake;
        WizardWindows w(fake.ctx);
        QSignalSpy ended(w.boot(), &TBootForm::programEndRequested);
        showWindow(w.boot());
        chooseRadio(w.boot(), "SysTypeRdG", 1);
        fake.dialogs.answerNext(yes ? MsgAnswer::Yes : MsgAnswer::No);
        if (way == 0) click(w.boot(), "ExitButton");
        if (way == 1) pressKey(w.boot(), Qt::Key_Escape);
        if (way == 2) w.boot()->close();

        const auto shown = fake.dialogs.messages();
        QCOMPARE(shown.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(shown[0].caption), QString("Системное сообщение"));
        QCOMPARE(QString::fromStdString(shown[0].text), kExitQuestion);
        QCOMPARE(shown[0].icon, MsgIcon::Question);
        QCOMPARE(shown[0].buttons, MsgButtons::YesNo);
        QCOMPARE(shown[0].defaultButton, MsgAnswer::No);
        QCOMPARE(ended.count(), yes ? 1 : 0);
        QCOMPARE(w.boot()->isVisible(), !yes);
        QCOMPARE(checkedRadio(w.boot(), "SysTypeRdG"), 1);
        QCOMPARE(int(fake.state.SystemType), 0);
        w.boot()->hide();
    }

    void f5_togglesButton1_whichOpensTheKvEditorAsItIs() {
        FakeServices fake;
        WizardWindows w(fake.ctx);
        fake.state = {SystemType::Kvm, OperationMode::FirmwareUpdate};
        w.kvEditor()->setWindowTitle("до");
        showWindow(w.boot());
        auto* button1 = control<QPushButton>(w.boot(), "Button1");
        pressKey(control<QPushButton>(w.boot(), "ExitButton"), Qt::Key_F5);  // wherever the focus is
        QVERIFY(button1->isVisible());
        QString opened;
        clickAndDrive(w.boot(), "Button1", [&](QWidget* work) {
            opened = work->objectName();
            work->close();
        });
        QCOMPARE(opened, QString("L640KVForm"));
        QCOMPARE(w.kvEditor()->windowTitle(), QString("до"));
        QCOMPARE(int(fake.state.SystemType), 2);
        QCOMPARE(int(fake.state.OperationMode), 1);
        pressKey(w.boot(), Qt::Key_F5);
        QVERIFY(!button1->isVisible());
        w.boot()->hide();
    }
};

QTEST_MAIN(WizardFlowTest)
#include "wizard_flow_test.moc"
