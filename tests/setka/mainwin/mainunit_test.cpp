// setka's main window: the family and port choices, "Демо режим" and "Выполнить" with what
// closing the editor undoes, the F1/F2 hook, help and the maker's links, its size.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyle>
#include <QTemporaryDir>
#include <QToolTip>

#include "common/launcher.h"
#include "gui_harness.h"
#include "setka/editor/l640.h"
#include "setka/link/fake_link_port.h"
#include "setka/mainwin/mainunit.h"
#include "ui/help_links.h"

using namespace livna;
using namespace livna::setka;
using namespace livna::test;

namespace {

/// The main window on its fakes, shown.
struct Program {
    Program() {
        opener.opens = false;
        showWindow(&form);
    }
    ~Program() { form.hide(); }
    ScriptedDialogService dialogs;
    RecordingLauncher launcher;
    FakePortOpener opener;
    TMainForm form{dialogs, launcher, opener.opener()};

    bool checked(const char* name) { return control<QAbstractButton>(&form, name)->isChecked(); }
    bool enabled(const char* name) { return find(&form, name)->isEnabled(); }
    /// Runs a key's hook to its end (the hook acts from the event loop).
    void key(QWidget* target, Qt::Key key) {
        pressKey(target, key);
        QCoreApplication::processEvents();
    }
};

TL640Form* asEditor(QWidget* modal) {
    auto* editor = qobject_cast<TL640Form*>(modal);
    if (editor == nullptr) fail(QStringLiteral("the modal window is not the editor"));
    return editor;
}

}  // namespace

class MainUnitTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { LIVNA_VERIFY_NO_WINDOW_LEFT(); }

    void start_controlsAsDesigned() {
        Program p;
        QCOMPARE(p.form.windowTitle(), QStringLiteral("Программа задания режимов работы ППКОП Ливна-640"));
        QVERIFY(!find(&p.form, "version")->isVisible());
        QCOMPARE(control<QStatusBar>(&p.form, "MainStatusBar")->findChild<QLabel*>()->text(),
                 QStringLiteral(" Версия v4.6 "));
        QVERIFY(p.checked("CheckBoxKVM") && !p.checked("CheckBoxKV"));
        QVERIFY(p.checked("RPYKVM1") && p.enabled("RPYKVM1") && p.enabled("RPYKVM4") && !p.enabled("RPYKV4"));
        QVERIFY(p.checked("RadioButton2") && !p.checked("RadioButton1"));
        auto* port = control<QComboBox>(&p.form, "PortNumber");
        QVERIFY(!port->isEnabled());
        QCOMPARE(port->count(), 10);
        QCOMPARE(port->itemText(9), QStringLiteral("com 10"));
        QCOMPARE(port->currentIndex(), 0);
        QVERIFY(p.enabled("Livna640") && p.enabled("Button1"));
        QCOMPARE(find(&p.form, "Button1")->toolTip(),
                 QStringLiteral("Показывает окно программы в соответствии\nс выбранным типом системы. В демо "
                                "режиме\nневозможно соединиться с прибором."));
        QVERIFY(find(&p.form, "RadioGroup1")->toolTip().isEmpty());  // hints only where designed
        QVERIFY(p.form.context().shortcutsActive);
        QCOMPARE(p.form.context().portKind, PortKind::Usb);
    }

    void start_hintsOfTheProgram() {
        Program p;
        QCOMPARE(p.form.style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 200);
        QCOMPARE(QToolTip::palette().color(QPalette::ToolTipBase), QColor(0, 255, 0));
    }

    void size_designedOrLeastThatShowsEveryText() {
        Program p;
        QVERIFY(p.form.width() >= 505 && p.form.height() >= 252);
        QCOMPARE(p.form.minimumSize(), p.form.maximumSize());  // fixed
        for (QWidget* w : p.form.findChildren<QWidget*>()) {
            if (!w->isVisible() || (!qobject_cast<QLabel*>(w) && !qobject_cast<QAbstractButton*>(w)))
                continue;
            const QSize need = w->minimumSizeHint();
            QVERIFY2(w->width() >= need.width() && w->height() >= need.height(),
                     qPrintable(w->objectName() + " is clipped"));
        }
    }

    void familySwitch_oneFamilyTicked_itsFirstVariantSelected_data() {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<bool>("kvm");
        QTest::addColumn<QString>("selected");
        QTest::newRow("untick КВМ") << QStringList{"RPYKVM4", "CheckBoxKVM"} << false << "RPYKV4";
        QTest::newRow("tick КВ") << QStringList{"RPYKVM4", "CheckBoxKV"} << false << "RPYKV4";
        QTest::newRow("untick КВ") << QStringList{"CheckBoxKV", "CheckBoxKV"} << true << "RPYKVM1";
        QTest::newRow("tick КВМ") << QStringList{"CheckBoxKVM", "CheckBoxKVM"} << true << "RPYKVM1";
        QTest::newRow("КВМ, 4, КВ, КВМ")
            << QStringList{"RPYKVM4", "CheckBoxKV", "CheckBoxKVM"} << true << "RPYKVM1";
    }
    void familySwitch_oneFamilyTicked_itsFirstVariantSelected() {
        QFETCH(QStringList, clicks);
        QFETCH(bool, kvm);
        QFETCH(QString, selected);
        Program p;
        for (const QString& name : clicks) click(&p.form, name);
        QCOMPARE(p.checked("CheckBoxKVM"), kvm);
        QCOMPARE(p.checked("CheckBoxKV"), !kvm);
        QVERIFY(control<QRadioButton>(&p.form, selected)->isChecked());
        QVERIFY(!p.checked("RPYKVM4"));
        QCOMPARE(p.enabled("RPYKVM1"), kvm);
        QCOMPARE(p.enabled("RPYKVM4"), kvm);
        QCOMPARE(p.enabled("RPYKV4"), !kvm);
    }

    void port_comEnablesTheListKeepingItsItem() {
        Program p;
        click(&p.form, "RadioButton1");
        QVERIFY(p.enabled("PortNumber"));
        chooseCombo(&p.form, "PortNumber", 9);
        QCOMPARE(p.form.context().portKind, PortKind::Com);
        QCOMPARE(p.form.context().portNumber, 10);
        click(&p.form, "RadioButton2");
        QVERIFY(!p.enabled("PortNumber"));
        QCOMPARE(p.form.context().portKind, PortKind::Usb);
        click(&p.form, "RadioButton1");
        QVERIFY(p.enabled("PortNumber"));
        QCOMPARE(control<QComboBox>(&p.form, "PortNumber")->currentIndex(), 9);
        QCOMPARE(p.form.context().portNumber, 10);
    }

    void demo_editorOfTheVariant_undoneWhenClosed_data() {
        QTest::addColumn<QString>("radio");
        QTest::addColumn<int>("variant");
        QTest::addColumn<QString>("mode");
        QTest::newRow("RPYKVM1") << "RPYKVM1" << 1
                                 << "  Демо режим для 1 РПУ(КВ-М). Связь с прибором недоступна.";
        QTest::newRow("RPYKVM4") << "RPYKVM4" << 3
                                 << "  Демо режим для 4 РПУ(КВ-М). Связь с прибором недоступна.";
        QTest::newRow("RPYKV4") << "RPYKV4" << 5
                                << "  Демо режим для 4 РПУ(КВ). Связь с прибором недоступна.";
    }
    void demo_editorOfTheVariant_undoneWhenClosed() {
        QFETCH(QString, radio);
        QFETCH(int, variant);
        QFETCH(QString, mode);
        Program p;
        if (radio == "RPYKV4") click(&p.form, "CheckBoxKV");
        click(&p.form, radio);
        QPointer<TL640Form> opened;
        clickAndDrive(&p.form, "Button1", [&](QWidget* modal) {
            TL640Form* editor = asEditor(modal);
            opened = editor;
            QCOMPARE(static_cast<int>(editor->layoutVariant()), variant);
            QCOMPARE(editor->statusPanel(1)->text(), mode);
            QCOMPARE(editor->statusPanel(0)->text(), QStringLiteral("Заводские установки выставлены"));
            QVERIFY(editor->pageControl()->isEnabled());
            QVERIFY(!find(editor, "CancelButton")->isEnabled());
            QVERIFY(!find(editor, "ConnectButton")->isEnabled());
            QVERIFY(!p.enabled("Livna640"));
            QVERIFY(p.form.context().demoMode && p.form.context().editorActive);
            QVERIFY(p.form.context().shortcutsActive);
            QVERIFY(QApplication::overrideCursor() == nullptr);  // no hourglass while it is worked in
            editor->close();
        });
        QVERIFY(opened.isNull());  // deleted once closed
        QVERIFY(p.enabled("Livna640") && p.enabled("Button1"));
        QVERIFY(!p.form.context().demoMode && !p.form.context().editorActive);
        QVERIFY(p.opener.requests.empty());
        QVERIFY(p.dialogs.messages().empty());
    }

    void execute_portDoesNotOpen_messageAndNoEditor_data() {
        QTest::addColumn<bool>("com");
        QTest::addColumn<QString>("message");
        QTest::newRow("COM 3") << true << "Порт COM3 занят другой программой или не доступен.";
        QTest::newRow("USB") << false << "Прибор Л-640 отключен от линии USB.";
    }
    void execute_portDoesNotOpen_messageAndNoEditor() {
        QFETCH(bool, com);
        QFETCH(QString, message);
        Program p;
        if (com) {
            click(&p.form, "RadioButton1");
            chooseCombo(&p.form, "PortNumber", 2);
        }
        click(&p.form, "Livna640");
        const auto boxes = p.dialogs.messages();
        QCOMPARE(boxes.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(boxes[0].text), message);
        QCOMPARE(boxes[0].caption, std::string("setka"));
        QCOMPARE(boxes[0].buttons, MsgButtons::Ok);
        QCOMPARE(p.opener.requests.size(), std::size_t{1});
        QCOMPARE(p.opener.requests[0].first, com ? PortKind::Com : PortKind::Usb);
        if (com) QCOMPARE(p.opener.requests[0].second, 3);
        QVERIFY(p.form.editor() == nullptr);
        QVERIFY(p.form.findChildren<TL640Form*>().isEmpty());
        QVERIFY(p.enabled("Button1") && p.enabled("Livna640"));
        const LinkContext& c = p.form.context();
        QVERIFY(!c.openFailed && !c.editorActive && !c.versionCheckPending);
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void execute_portOpens_onlineEditor_portClosedWithIt() {
        Program p;
        p.opener.opens = true;
        clickAndDrive(&p.form, "Livna640", [&](QWidget* modal) {
            TL640Form* editor = asEditor(modal);
            QCOMPARE(editor->statusPanel(1)->text(), QStringLiteral("  Режим <on-line>. "));
            QVERIFY(find(editor, "CancelButton")->isEnabled());
            for (const char* name : {"ConnectButton", "ReadButton", "WriteButton"})
                QVERIFY(!find(editor, name)->isEnabled());
            QVERIFY(!p.enabled("Button1"));
            const LinkContext& c = p.form.context();
            QVERIFY(!c.shortcutsActive && c.editorActive && c.versionCheckPending && !c.demoMode);
            QCOMPARE(p.opener.openPorts(), 1);
            QVERIFY(QApplication::overrideCursor() == nullptr);
            editor->close();
        });
        QCOMPARE(p.opener.openPorts(), 0);
        QVERIFY(p.form.ports().port(PortKind::Usb) == nullptr);
        QVERIFY(p.enabled("Button1") && p.enabled("Livna640"));
        QVERIFY(p.form.context().shortcutsActive && !p.form.context().editorActive);
        QVERIFY(p.dialogs.messages().empty());
    }

    void f2_executesInTheMainWindowOnly() {
        Program p;
        p.key(&p.form, Qt::Key_F2);
        QCOMPARE(p.opener.requests.size(), std::size_t{1});  // "Выполнить": the port was asked for
        QCOMPARE(p.dialogs.messages().size(), std::size_t{1});

        clickAndDrive(&p.form, "Button1", [&](QWidget* modal) {
            p.key(modal, Qt::Key_F2);
            QCOMPARE(p.opener.requests.size(), std::size_t{1});  // not over a demo editor
            modal->close();
        });
        p.opener.opens = true;
        clickAndDrive(&p.form, "Livna640", [&](QWidget* modal) {
            p.key(modal, Qt::Key_F2);
            QCOMPARE(p.opener.requests.size(), std::size_t{2});  // nor in an on-line one
            modal->close();
        });
        QCOMPARE(p.form.findChildren<TL640Form*>().size(), 0);
    }

    void f1_helpFileInTheMainWindowAndADemoEditor_buttonItsOwnFile() {
        QTemporaryDir folder;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(folder.path());
        for (const char* name : {kMainHelpFile, kKeyHelpFile}) {
            QFile file(QString::fromUtf8(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        {
            Program p;
            p.form.setWinHelpShown(true);
            click(&p.form, "MainHelp");
            p.key(&p.form, Qt::Key_F1);
            clickAndDrive(&p.form, "Button1", [&](QWidget* modal) {
                p.key(modal, Qt::Key_F1);
                modal->close();
            });
            p.opener.opens = true;
            clickAndDrive(&p.form, "Livna640", [&](QWidget* modal) {
                p.key(modal, Qt::Key_F1);
                modal->close();
            });
            QCOMPARE(p.launcher.documents,
                     (std::vector<std::string>{"Setka-640-v4_6-help.hlp", "Help.hlp", "Help.hlp"}));

            p.form.setWinHelpShown(false);  // where WinHelp is not shown: the page about setka
            click(&p.form, "MainHelp");
            p.key(&p.form, Qt::Key_F1);
            QCOMPARE(p.launcher.documents.back(), std::string(kSetkaHelpPage));
            QCOMPARE(p.launcher.documents.size(), std::size_t{5});
        }
        QDir::setCurrent(previous);
    }

    void links_addressesThroughTheLauncher_failureTold() {
        Program p;
        click(&p.form, "Label1");
        click(&p.form, "Label2");
        QCOMPARE(p.launcher.documents,
                 (std::vector<std::string>{"http://www.example.com/livna",
                                           "mailto:support@example.com?subject=Setka-640"}));
        QVERIFY(p.dialogs.messages().empty());
        p.launcher.openSucceeds = false;
        click(&p.form, "Label1");
        const auto boxes = p.dialogs.messages();
        QCOMPARE(boxes.size(), std::size_t{1});
        QCOMPARE(boxes[0].caption, std::string("setka"));
        QVERIFY(
            QString::fromStdString(boxes[0].text).endsWith(QStringLiteral("http://www.example.com/livna")));
    }

    void close_releasesThePorts() {
        Program p;
        p.opener.opens = true;
        QVERIFY(p.form.ports().open(PortKind::Com, 2));
        QVERIFY(p.form.ports().open(PortKind::Usb, 1));
        p.form.close();
        QCOMPARE(p.opener.openPorts(), 0);
    }
};

QTEST_MAIN(MainUnitTest)
#include "mainunit_test.moc"
