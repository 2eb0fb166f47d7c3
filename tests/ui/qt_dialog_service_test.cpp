// The Qt dialog service: what the installer sees in its boxes and file dialogs. The boxes are
// driven by the harness (with its watchdog), never left waiting for a person.
#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTranslator>

#include <memory>

#include "gui_harness.h"
#include "ui/application.h"
#include "ui/qt_dialog_service.h"

using namespace livna;
using namespace livna::test;

namespace {

QStringList buttonTexts(QMessageBox* box) {
    QStringList out;
    for (QAbstractButton* b : box->buttons()) out << b->text();
    out.sort();
    return out;
}

QAbstractButton* buttonWithText(QMessageBox* box, const QString& text) {
    for (QAbstractButton* b : box->buttons())
        if (b->text() == text) return b;
    fail("no button " + text);
}

// The texts of a window's buttons and labels that the installer reads, and the tool tips of its
// icon buttons.
QStringList shownTexts(QWidget* window) {
    QStringList out;
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
        if (!b->isVisible()) continue;
        out << (b->text().isEmpty() ? b->toolTip() : b->text());
    }
    for (QLabel* l : window->findChildren<QLabel*>())
        if (l->isVisible()) out << l->text();
    out.removeAll(QString());
    return out;
}

// English left in a text: any Latin word but the "OK" Russian boxes share.
QStringList english(const QStringList& texts) {
    static const QRegularExpression latinWord(QStringLiteral("[A-Za-z]{2,}"));
    QStringList out;
    for (const QString& text : texts) {
        QString rest = text;
        rest.remove(QStringLiteral("OK"));
        if (rest.contains(latinWord)) out << text;
    }
    return out;
}

}  // namespace

class DialogServiceTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(installQtTranslations(*qApp, QCoreApplication::applicationDirPath())); }
    void cleanup() { LIVNA_VERIFY_NO_WINDOW_LEFT(); }

    void translations_shippedCopyBesideTheProgramIsRussian() {
        QTranslator shipped;
        QVERIFY(shipped.load(QStringLiteral("qtbase_ru"),
                             QDir(QCoreApplication::applicationDirPath()).filePath(kTranslationsFolder)));
        QCOMPARE(shipped.translate("QPlatformTheme", "Cancel"), QString("Отмена"));
    }

    void everyText_russianWithTheTranslations_data() {
        QTest::addColumn<int>("kind");  // 0 = OK box, 1 = Yes/No box, 2 = open, 3 = save
        QTest::newRow("OK box") << 0;
        QTest::newRow("Yes/No box") << 1;
        QTest::newRow("open dialog") << 2;
        QTest::newRow("save dialog") << 3;
    }
    void everyText_russianWithTheTranslations() {
        QFETCH(int, kind);
        QtDialogService service;
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const FileDialogRequest file{"Открытие файла настроек",
                                     "Файлы настроек (*.cfg)|*.cfg",
                                     1,
                                     "cfg",
                                     folder.path().toStdString(),
                                     ""};
        QStringList texts;
        runModal(
            [&] {
                if (kind < 2)
                    service.message({"Системное сообщение", "Текст", MsgIcon::Question,
                                     kind == 0 ? MsgButtons::Ok : MsgButtons::YesNo, MsgAnswer::Yes});
                else if (kind == 2)
                    service.openFile(file);
                else
                    service.saveFile(file);
            },
            [&](QWidget* modal) {
                texts = shownTexts(modal);
                if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
            });
        QVERIFY(!texts.isEmpty());
        QVERIFY2(english(texts).isEmpty(), qPrintable(english(texts).join(" | ")));
    }

    void fieldContextMenu_russianWithTheTranslations() {
        QLineEdit field(QStringLiteral("1234"));
        const std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
        QStringList texts;
        for (QAction* action : menu->actions())
            if (!action->isSeparator())
                texts << action->text().section(QLatin1Char('\t'), 0, 0);  // no shortcut
        QVERIFY(texts.size() >= 5);
        QVERIFY2(english(texts).isEmpty(), qPrintable(english(texts).join(" | ")));
    }

    void message_wideEnoughForItsTitle() {
        QtDialogService service;
        const QString title = QStringLiteral("Системное сообщение");
        int width = 0;
        runModal([&] { service.inform(title.toStdString(), "Нет", MsgIcon::Warning); },
                 [&](QWidget* modal) {
                     width = modal->width();
                     qobject_cast<QDialog*>(modal)->accept();
                 });
        QVERIFY(titleBarWidth(title) > QFontMetrics(QApplication::font()).horizontalAdvance(title));
        QVERIFY2(width >= titleBarWidth(title), qPrintable(QString::number(width)));
    }

    void filters_translated_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("qt");
        QTest::newRow("one pair") << "Файлы регистрации (*.rrg)|*.rrg"
                                  << QStringList({"Файлы регистрации (*.rrg)"});
        QTest::newRow("description without patterns")
            << "Файлы настроек|*.cfg" << QStringList({"Файлы настроек (*.cfg)"});
        QTest::newRow("two pairs, several patterns")
            << "Файлы ПО (*.tsk)|*.tsk|Все файлы|*.tsk;*.bin"
            << QStringList({"Файлы ПО (*.tsk)", "Все файлы (*.tsk *.bin)"});
        QTest::newRow("empty") << "" << QStringList();
        QTest::newRow("dangling description") << "Файлы настроек" << QStringList();
    }
    void filters_translated() {
        QFETCH(QString, filter);
        QFETCH(QStringList, qt);
        QCOMPARE(toQtNameFilters(filter.toStdString()), qt);
    }

    void message_russianButtonsIconAndDefault_data() {
        QTest::addColumn<int>("buttons");  // 0 = OK, 1 = Yes/No
        QTest::addColumn<int>("defaultButton");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("press");  // "" = Enter on the default button
        QTest::addColumn<int>("answer");
        QTest::newRow("OK box") << 0 << int(MsgAnswer::Ok) << int(MsgIcon::Error) << "" << int(MsgAnswer::Ok);
        QTest::newRow("default No, Enter")
            << 1 << int(MsgAnswer::No) << int(MsgIcon::Question) << "" << int(MsgAnswer::No);
        QTest::newRow("default Yes, Enter")
            << 1 << int(MsgAnswer::Yes) << int(MsgIcon::Warning) << "" << int(MsgAnswer::Yes);
        QTest::newRow("default No, Да pressed")
            << 1 << int(MsgAnswer::No) << int(MsgIcon::Question) << "Да" << int(MsgAnswer::Yes);
        QTest::newRow("Esc is No") << 1 << int(MsgAnswer::Yes) << int(MsgIcon::Question) << "Esc"
                                   << int(MsgAnswer::No);
    }
    void message_russianButtonsIconAndDefault() {
        QFETCH(int, buttons);
        QFETCH(int, defaultButton);
        QFETCH(int, icon);
        QFETCH(QString, press);
        QFETCH(int, answer);
        QtDialogService service;
        const MessageRequest request{"Системное сообщение", "Строка 1\nСтрока 2", MsgIcon(icon),
                                     buttons == 0 ? MsgButtons::Ok : MsgButtons::YesNo,
                                     MsgAnswer(defaultButton)};
        const QMessageBox::Icon qtIcon[] = {QMessageBox::NoIcon, QMessageBox::Information,
                                            QMessageBox::Warning, QMessageBox::Critical,
                                            QMessageBox::Question};
        MsgAnswer got = MsgAnswer::Ok;
        runModal(
            [&] { got = service.message(request); },
            [&](QWidget* modal) {
                auto* box = qobject_cast<QMessageBox*>(modal);
                QVERIFY(box != nullptr);
                QCOMPARE(box->windowTitle(), QString("Системное сообщение"));
                QCOMPARE(box->text(), QString("Строка 1\nСтрока 2"));
                QCOMPARE(box->icon(), qtIcon[icon]);
                QCOMPARE(buttonTexts(box), buttons == 0 ? QStringList({"OK"}) : QStringList({"Да", "Нет"}));
                const QString defaultText =
                    buttons == 0 ? "OK" : (MsgAnswer(defaultButton) == MsgAnswer::No ? "Нет" : "Да");
                QCOMPARE(box->defaultButton()->text(), defaultText);
                if (press.isEmpty())
                    box->defaultButton()->click();
                else if (press == "Esc")
                    pressKey(box, Qt::Key_Escape);
                else
                    buttonWithText(box, press)->click();
            });
        QCOMPARE(got, MsgAnswer(answer));
    }

    void fileDialogs_filterFolderNameAndNoOverwriteQuestion_data() {
        QTest::addColumn<bool>("save");
        QTest::newRow("open") << false;
        QTest::newRow("save") << true;
    }
    void fileDialogs_filterFolderNameAndNoOverwriteQuestion() {
        QFETCH(bool, save);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString before = QDir::currentPath();
        QDir::setCurrent(root.path());
        QVERIFY(QDir().mkdir("Reg_RPU"));
        QtDialogService service;
        const FileDialogRequest request{"Чтение сведений о регистрации",
                                        "Файлы ПО (*.tsk)|*.tsk|Файлы регистрации (*.rrg)|*.rrg",
                                        2,
                                        "rrg",
                                        "Reg_RPU",
                                        save ? "копия" : ""};
        std::optional<std::string> chosen;
        runModal([&] { chosen = save ? service.saveFile(request) : service.openFile(request); },
                 [&](QWidget* modal) {
                     auto* dialog = qobject_cast<QFileDialog*>(modal);
                     QVERIFY(dialog != nullptr);
                     QCOMPARE(dialog->windowTitle(), QString("Чтение сведений о регистрации"));
                     QCOMPARE(dialog->nameFilters(),
                              QStringList({"Файлы ПО (*.tsk)", "Файлы регистрации (*.rrg)"}));
                     QCOMPARE(dialog->selectedNameFilter(), QString("Файлы регистрации (*.rrg)"));
                     QCOMPARE(QDir(dialog->directory()).canonicalPath(), QDir("Reg_RPU").canonicalPath());
                     QCOMPARE(dialog->defaultSuffix(), QString("rrg"));
                     QVERIFY(dialog->testOption(QFileDialog::DontConfirmOverwrite));
                     QCOMPARE(dialog->acceptMode(), save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
                     dialog->reject();
                 });
        QVERIFY(!chosen.has_value());
        QDir::setCurrent(before);
    }
};

QTEST_MAIN(DialogServiceTest)
#include "qt_dialog_service_test.moc"
