// The furniture every work window carries: port choice with the hand-off, help, links, bars.
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>

#include <memory>

#include "fake_services.h"
#include "firmware/changesoftunit.h"
#include "gui_harness.h"
#include "kv_editor/l640kvunit.h"
#include "kvm_editor/l640msettingsunit.h"
#include "ui/help_links.h"
#include "wizard/infounit.h"
#include "wizard/wizardwindows.h"

using namespace livna;
using namespace livna::test;

namespace {

const QString kHandOffWarning = QStringLiteral(
    "Внимание!\nВы выбрали интерфейс связи с более ранними версиями приборов!\n"
    "Для корректной работы будет активирована более ранняя версия ПО ПК!");

std::unique_ptr<WorkWindow> makeWindow(const QString& kind, AppContext& ctx) {
    if (kind == "L640KVForm") return std::make_unique<TL640KVForm>(ctx);
    if (kind == "ChangeSoftForm") return std::make_unique<TChangeSoftForm>(ctx);
    return std::make_unique<TL640MSettingsForm>(ctx);
}

// A work window opens in demo mode, where connect is off; the installer picks "on-line" first.
void goOnline(QWidget* work) {
    if (has(work, "OperatingModeCmB")) chooseCombo(work, "OperatingModeCmB", QString("on-line"));
}

void addWindowRows() {
    QTest::addColumn<QString>("kind");
    for (const char* kind : {"L640KVForm", "ChangeSoftForm", "L640MSettingsForm"})
        QTest::newRow(kind) << QString(kind);
}

}  // namespace

class WorkWindowTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { LIVNA_VERIFY_NO_WINDOW_LEFT(); }

    void furniture_designState_data() { addWindowRows(); }
    void furniture_designState() {
        QFETCH(QString, kind);
        FakeServices fake;
        auto window = makeWindow(kind, fake.ctx);
        QCOMPARE(window->objectName(), kind);
        QCOMPARE(control<QGroupBox>(window.get(), "CommPortRdG")->title(), QString("Порт связи:"));
        QCOMPARE(radioItems(window.get(), "CommPortRdG"), QStringList({"COM", "USB Л-470", "USB ЛМ/ВМ"}));
        QCOMPARE(checkedRadio(window.get(), "CommPortRdG"), 2);
        QCOMPARE(window->commPortIndex(), 2);
        QVERIFY(!window->legacyPortChosen());
        QCOMPARE(control<QPushButton>(window.get(), "HelpBitBtn")->text(), QString("Help  "));
        QCOMPARE(control<QPushButton>(window.get(), "ConnectButton")->text(), QString("Установить связь"));
        for (const char* link : {"WebSiteLabel", "EmailLabel"}) {
            auto* label = control<QLabel>(window.get(), link);
            QCOMPARE(label->cursor().shape(), Qt::PointingHandCursor);
            QVERIFY(label->text().contains("example."));
        }
        QVERIFY(window->names().contains("commportrdg"));  // the index finds names without regard to case
    }

    void bars_underTheWindowsNames() {
        FakeServices fake;
        TL640KVForm window(fake.ctx);
        auto* bar = control<QProgressBar>(&window, "MainProgressBar");
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 100);
        window.setProgress(37);
        QCOMPARE(bar->value(), 37);
        window.setStatus("Чтение настроек из прибора");
        QCOMPARE(control<QStatusBar>(&window, "MainStatusBar")->currentMessage(),
                 QString("Чтение настроек из прибора"));
    }

    // Connect with each port choice, and with the start of "add1.exe" failing or not.
    void connect_legacyPortHandsOff_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("startSucceeds");
        // Through the connect button of every work window, after "on-line" where the window has it.
        for (const char* kind : {"L640KVForm", "ChangeSoftForm", "L640MSettingsForm"})
            for (int port : {0, 1})
                for (bool ok : {true, false})
                    QTest::newRow(qPrintable(
                        QString("%1 port %2 %3").arg(kind).arg(port).arg(ok ? "started" : "failed")))
                        << QString(kind) << port << ok;
    }
    void connect_legacyPortHandsOff() {
        QFETCH(QString, kind);
        QFETCH(int, port);
        QFETCH(bool, startSucceeds);
        FakeServices fake;
        fake.launcher.startSucceeds = startSucceeds;
        auto window = makeWindow(kind, fake.ctx);
        runModal([&] { window->exec(); },
                 [&](QWidget* work) {
                     goOnline(work);
                     chooseRadio(work, "CommPortRdG", port);
                     QVERIFY(window->legacyPortChosen());
                     click(work, "ConnectButton");
                 });
        QVERIFY(!window->isVisible());
        QCOMPARE(fake.launcher.programs, std::vector<std::string>{"add1.exe"});
        const auto shown = fake.dialogs.messages();
        QCOMPARE(shown.size(), std::size_t{startSucceeds ? 1u : 2u});
        QCOMPARE(QString::fromStdString(shown[0].caption), QString("Системное сообщение"));
        QCOMPARE(QString::fromStdString(shown[0].text), kHandOffWarning);
        QCOMPARE(shown[0].icon, MsgIcon::Warning);
        QCOMPARE(shown[0].buttons, MsgButtons::Ok);
        if (!startSucceeds) {
            QCOMPARE(QString::fromStdString(shown[1].caption), QString("Сообщение системы"));
            QCOMPARE(shown[1].icon, MsgIcon::Error);
            QVERIFY(QString::fromStdString(shown[1].text).contains("add1.exe"));
        }
    }

    void handOff_closesEveryWorkWindow_data() { addWindowRows(); }
    void handOff_closesEveryWorkWindow() {
        QFETCH(QString, kind);
        FakeServices fake;
        auto window = makeWindow(kind, fake.ctx);
        bool handedOff = false;
        runModal([&] { window->exec(); },
                 [&](QWidget*) {
                     window->setCommPortIndex(1);
                     handedOff = window->handOffIfLegacyPort();
                 });
        QVERIFY(handedOff);
        QVERIFY(!window->isVisible());
        QCOMPARE(fake.launcher.programs, std::vector<std::string>{"add1.exe"});
        QCOMPARE(fake.dialogs.messages().size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(fake.dialogs.messages()[0].text), kHandOffWarning);
    }

    void connect_directUsb_doesNotHandOff() {
        FakeServices fake;
        TChangeSoftForm window(fake.ctx);
        QVERIFY(!window.handOffIfLegacyPort());
        QVERIFY(fake.launcher.programs.empty());
        QVERIFY(fake.dialogs.calls().empty());
    }

    // From the wizard: only the work window closes, the info window is on top again.
    void handOff_fromTheWizard_leavesTheInfoWindow() {
        FakeServices fake;
        WizardWindows w(fake.ctx);
        fake.state = {SystemType::Kv, OperationMode::Settings};
        runModal([&] { w.info()->exec(); },
                 [&](QWidget* info) {
                     QVERIFY(QTest::qWaitFor(
                         [&] { return control<QPushButton>(info, "NextButton")->isEnabled(); }, 2000));
                     clickAndDrive(info, "NextButton", [&](QWidget* work) {
                         goOnline(work);
                         chooseRadio(work, "CommPortRdG", 0);
                         click(work, "ConnectButton");
                     });
                     QVERIFY(info->isVisible());
                     QCOMPARE(QApplication::activeModalWidget(), info);
                     QVERIFY(control<QPushButton>(info, "NextButton")->isEnabled());
                     click(info, "BackButton");
                 });
        QCOMPARE(fake.dialogs.messages().size(), std::size_t{1});
        QCOMPARE(fake.launcher.programs, std::vector<std::string>{"add1.exe"});
    }

    void links_openTheirTargets_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("target");
        QTest::newRow("web site") << "WebSiteLabel" << QString("http://") + kWebSiteAddress;
        QTest::newRow("e-mail") << "EmailLabel" << QString("mailto:") + kEmailAddress + "?subject=Setka-640";
        QTest::newRow("help") << "HelpBitBtn" << QString(kHelpPage);
    }
    void links_openTheirTargets() {
        QFETCH(QString, label);
        QFETCH(QString, target);
        FakeServices fake;
        TL640KVForm window(fake.ctx);
        showWindow(&window);
        click(&window, label);
        QCOMPARE(fake.launcher.documents, std::vector<std::string>{target.toStdString()});
        QVERIFY(fake.dialogs.calls().empty());
        window.hide();
    }

    // A desktop that opens nothing: the installer is told what to open by hand, the file or the
    // address alone on the last line.
    void links_notOpened_boxNamesTheFileOrTheAddress_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("named");
        QTest::newRow("web site") << "WebSiteLabel" << QString("http://") + kWebSiteAddress;
        QTest::newRow("e-mail") << "EmailLabel" << QString(kEmailAddress);
        QTest::newRow("help") << "HelpBitBtn" << QDir::current().absoluteFilePath(kHelpPage);
    }
    void links_notOpened_boxNamesTheFileOrTheAddress() {
        QFETCH(QString, label);
        QFETCH(QString, named);
        FakeServices fake;
        fake.launcher.openSucceeds = false;
        TL640KVForm window(fake.ctx);
        showWindow(&window);
        click(&window, label);
        QCOMPARE(fake.launcher.documents.size(), std::size_t{1});
        const auto boxes = fake.dialogs.messages();
        QCOMPARE(boxes.size(), std::size_t{1});
        const QString text = QString::fromStdString(boxes[0].text);
        QVERIFY2(text.startsWith("Не удалось открыть ") && text.endsWith("\n" + named), qPrintable(text));
        QCOMPARE(boxes[0].icon, MsgIcon::Warning);
        window.hide();
    }

    // While an exchange runs the web and mail links wait like every other control.
    void links_whileBusy_openNothing() {
        FakeServices fake;
        TL640KVForm window(fake.ctx);
        showWindow(&window);
        window.setBusy(true);
        for (const char* label : {"WebSiteLabel", "EmailLabel"})
            QTest::mouseClick(find(&window, label), Qt::LeftButton);
        QVERIFY(fake.launcher.documents.empty());
        window.setBusy(false);
        click(&window, "EmailLabel");
        QCOMPARE(fake.launcher.documents.size(), std::size_t{1});
        window.hide();
    }

    // Enter in a field is no command: nothing of the window may be pressed by it (the help
    // button used to be, as the dialog's default).
    void enterInAField_pressesNoButton_data() { addWindowRows(); }
    void enterInAField_pressesNoButton() {
        QFETCH(QString, kind);
        FakeServices fake;
        auto window = makeWindow(kind, fake.ctx);
        showWindow(window.get());
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        // A field of the window's own next to those it shows, so that every window has one.
        auto* probe = new QLineEdit(window.get());
        probe->setObjectName(QStringLiteral("probe"));
        probe->show();
        fake.dialogs.clear();
        for (QLineEdit* edit : window->findChildren<QLineEdit*>()) {
            if (!edit->isVisible() || !edit->isEnabled() || edit->isReadOnly()) continue;
            edit->setFocus(Qt::TabFocusReason);
            for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) QTest::keyClick(edit, key);
            QCoreApplication::processEvents();
            QVERIFY2(fake.launcher.documents.empty() && fake.launcher.programs.empty(),
                     qPrintable("Enter in " + edit->objectName() + " opened something"));
            QVERIFY2(fake.dialogs.calls().empty(),
                     qPrintable("Enter in " + edit->objectName() + " asked something"));
            QVERIFY(window->isVisible());
        }
        window->hide();
    }

    void busy_holdsOffEscAndTheCloseBox() {
        FakeServices fake;
        TL640KVForm window(fake.ctx);
        runModal([&] { window.exec(); },
                 [&](QWidget* work) {
                     window.setBusy(true);
                     pressKey(work, Qt::Key_Escape);
                     work->close();
                     QVERIFY(work->isVisible());
                     window.setBusy(false);
                     pressKey(work, Qt::Key_Escape);
                 });
        QVERIFY(!window.isVisible());
    }
};

QTEST_MAIN(WorkWindowTest)
#include "workwindow_test.moc"
