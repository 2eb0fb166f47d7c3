// The code and object tabs of the Ливна-КВ editor with real clicks: the count's arrows and rows,
// the popup, storing and deleting codes, selecting objects, the РПД field and storing zones.
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>

#include "kv_editor_fixture.h"

using namespace livna;
using namespace livna::test;

namespace {

/// The texts of a grid's column, one per row.
QStringList column(QTableView* view, int c) {
    QStringList out;
    for (int r = 0; r < view->model()->rowCount(); ++r) out << view->model()->index(r, c).data().toString();
    return out;
}

/// Opens the code grid's popup with a right click on its first row; returns the menu, shown.
QMenu* openCodeMenu(QWidget* root) {
    auto* grid = control<QTableView>(root, "CodeEditStrGrid");
    const QPoint at = grid->visualRect(grid->model()->index(0, 1)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, grid->viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid->viewport(), &event);
    auto* menu = grid->findChild<QMenu*>();
    if (menu == nullptr || !menu->isVisible()) fail(QStringLiteral("the popup did not open"));
    return menu;
}

QAction* menuItem(QMenu* menu, const char* name) {
    for (QAction* a : menu->actions())
        if (a->objectName() == QLatin1String(name)) return a;
    fail(QStringLiteral("no item ") + name);
    return nullptr;
}

/// The factory image with `count` codes "111", "222", "333"... and the zones given as
/// {РПД, ШС, object}.
SettingsImage listImage(int count, std::initializer_list<std::array<int, 3>> zones = {}) {
    SettingsImage image = kvFactoryImage();
    image[23] = count;
    for (std::size_t k = 0; k < static_cast<std::size_t>(count); ++k)
        for (std::size_t i = 0; i < 6; ++i)
            image[512 + 6 * k + i] = i < 3 ? 128 + static_cast<int>(k + 1) : 255;
    for (const auto& [r, s, object] : zones) image[kvZoneAt(r, s)] = object;
    return image;
}

struct ListEditor : KvEditorFixture {
    explicit ListEditor(const SettingsImage& image, int tab) {
        showWindow(form.get());
        form->KvApplyImage(image);
        form->tabs()->setCurrentIndex(tab);
        fake.dialogs.clear();
    }
    QTableView* codes() const { return control<QTableView>(form.get(), "CodeEditStrGrid"); }
    QTableView* objects() const { return control<QTableView>(form.get(), "ObjAssignStrGrid"); }
    QLineEdit* edit(const char* name) const { return control<QLineEdit>(form.get(), name); }
    QCheckBox* box(const QString& name) const { return control<QCheckBox>(form.get(), name); }
    /// "e" enabled and ticked, "d" disabled and ticked, "o" enabled unticked, "-" neither, per box.
    QString zoneBoxes() const {
        QString out;
        for (int s = 1; s <= 8; ++s) {
            const QCheckBox* b = box(QStringLiteral("Zone%1ChB").arg(s));
            out += b->isEnabled() ? (b->isChecked() ? 'e' : 'o') : (b->isChecked() ? 'd' : '-');
        }
        return out;
    }
};

}  // namespace

class KvListTabsTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { LIVNA_VERIFY_NO_WINDOW_LEFT(); }

    // ---- codes --------------------------------------------------------------------------------

    void codes_arrowsGiveTheRows_popupOnlyWithCodes() {
        ListEditor e(listImage(0), 1);
        QCOMPARE(column(e.codes(), 0), QStringList({""}));
        QMenu* menu = openCodeMenu(e.form.get());
        QVERIFY(!menu->actions().isEmpty());
        for (QAction* a : menu->actions()) QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
        menu->hide();
        clickCell(e.codes(), 0, 1);  // the empty row holds no code
        QVERIFY(!e.edit("CodeEdit2")->isEnabled());

        clickArrow(e.form.get(), "NumCodeUpDown", Qt::UpArrow);
        QCOMPARE(column(e.codes(), 0), QStringList({"1"}));
        clickArrow(e.form.get(), "NumCodeUpDown", Qt::UpArrow);
        clickArrow(e.form.get(), "NumCodeUpDown", Qt::UpArrow);
        QCOMPARE(column(e.codes(), 0), QStringList({"1", "2", "3"}));
        clickArrow(e.form.get(), "NumCodeUpDown", Qt::DownArrow);
        QCOMPARE(column(e.codes(), 0), QStringList({"1", "2"}));
        QCOMPARE(e.edit("NumCodeEdit")->text(), QString("2"));
        QCOMPARE(e.form->model().codeCount, 2);
        menu = openCodeMenu(e.form.get());
        QVERIFY(menuItem(menu, "AddCode")->isEnabled());
        QVERIFY2(!menuItem(menu, "DeleteCode")->isEnabled(), "no row chosen");
        menu->hide();
    }

    void codes_storedInTheRow_fieldsLeaveWithTheirRow() {
        ListEditor e(listImage(2), 1);
        clickCell(e.codes(), 1, 0);
        QCOMPARE(e.edit("CodeEdit")->text(), QString("2"));
        QCOMPARE(e.edit("CodeEdit2")->text(), QString("222"));
        auto* save = control<QPushButton>(e.form.get(), "CodeEditSaveButton");
        QVERIFY2(!save->isEnabled(), "showing a row is no change");
        typeInto(e.form.get(), "CodeEdit2", "0456");
        QVERIFY(save->isEnabled());
        click(save);
        QCOMPARE(column(e.codes(), 1), QStringList({"111", "0456"}));
        QVERIFY(!save->isEnabled());
        QVERIFY(e.fake.dialogs.calls().empty());

        // The count typed below the row: the fields belong to no row any more.
        typeInto(e.form.get(), "NumCodeEdit", "1");
        QCOMPARE(column(e.codes(), 1), QStringList({"111"}));
        for (const char* name : {"CodeEdit", "CodeEdit2"}) {
            QVERIFY2(!e.edit(name)->isEnabled(), name);
            QVERIFY2(e.edit(name)->text().isEmpty(), name);
        }
        QVERIFY(!save->isEnabled());
        QMenu* menu = openCodeMenu(e.form.get());
        QVERIFY(!menuItem(menu, "DeleteCode")->isEnabled());
        menu->hide();
        QCOMPARE(e.form->model().accCode[1], 0);
    }

    void codes_refusal_boxAndFocusNothingStored_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("sign") << "-12"
                              << "Введен неверный код!\nКод должен содержать только цифры!";
        QTest::newRow("short") << "12"
                               << "Введен неверный код!\nКод должен иметь длину от 3 до 6 цифр!";
        QTest::newRow("zero") << "000"
                              << "Введен неверный код!\nКод не должен быть равным нулю!";
        QTest::newRow("repeat") << "111"
                                << "Введен повторяющийся код!\nКод должен уникальным!";
    }
    void codes_refusal_boxAndFocusNothingStored() {
        QFETCH(QString, text);
        QFETCH(QString, message);
        ListEditor e(listImage(2), 1);
        clickCell(e.codes(), 1, 1);
        typeInto(e.form.get(), "CodeEdit2", text);
        click(e.form.get(), "CodeEditSaveButton");
        const auto boxes = e.fake.dialogs.messages();
        QCOMPARE(boxes.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(boxes[0].text), message);
        QCOMPARE(boxes[0].caption, std::string("Системное сообщение"));
        QVERIFY(boxes[0].icon == MsgIcon::Error);
        QCOMPARE(e.form->focusWidget(), find(e.form.get(), "CodeEdit2"));
        QCOMPARE(column(e.codes(), 1), QStringList({"111", "222"}));
        QCOMPARE(e.form->model().accCode[1], 222);
    }

    void codes_deleteFromThePopup_theNextCodeTakesTheRow() {
        ListEditor e(listImage(3), 1);
        clickCell(e.codes(), 1, 1);
        QMenu* menu = openCodeMenu(e.form.get());
        QTest::mouseClick(menu, Qt::LeftButton, {},
                          menu->actionGeometry(menuItem(menu, "DeleteCode")).center());
        QCOMPARE(column(e.codes(), 1), QStringList({"111", "333"}));
        QCOMPARE(e.edit("NumCodeEdit")->text(), QString("2"));
        QCOMPARE(e.edit("CodeEdit")->text(), QString("2"));
        QCOMPARE(e.edit("CodeEdit2")->text(), QString("333"));
        QCOMPARE(e.form->model().accCode[2], 0);
    }

    // ---- objects ------------------------------------------------------------------------------

    void objects_cellShowsTheObject_typedDetectorShowsItsZones_storeRefills() {
        // Object 9 holds ШС 1 of РПД 3, object 20 ШС 2 of РПД 7.
        ListEditor e(listImage(0, {{3, 1, 9}, {7, 2, 20}}), 3);
        auto* save = control<QPushButton>(e.form.get(), "ObjAssignSaveButton");
        auto* on = e.box("OnOffChB");
        clickCell(e.objects(), 9, 0);
        QCOMPARE(e.edit("ObjLabeledEdit")->text(), QString("10"));
        QCOMPARE(control<QComboBox>(e.form.get(), "RPDCmB")->currentText(), QString("0"));
        QCOMPARE(e.zoneBoxes(), QString("--------"));
        QVERIFY(!on->isEnabled());

        typeInto(e.form.get(), "RPDCmB", "3");
        QCOMPARE(e.zoneBoxes(), QString("dooooooo"));
        typeInto(e.form.get(), "RPDCmB", "7");
        QCOMPARE(e.zoneBoxes(), QString("odoooooo"));
        typeInto(e.form.get(), "RPDCmB", "97");
        QCOMPARE(e.zoneBoxes(), QString("--------"));
        typeInto(e.form.get(), "RPDCmB", "7");
        QVERIFY(!save->isEnabled());
        click(e.box("Zone3ChB"));
        QVERIFY(on->isEnabled());
        QVERIFY(save->isEnabled());
        click(save);
        QVERIFY(e.fake.dialogs.calls().empty());
        QCOMPARE(e.objects()->currentIndex(), e.objects()->model()->index(9, 0));
        QCOMPARE(gridRow(e.objects(), 9),
                 QStringList({"10", "   X", "7", "Доступные ШС:", "", "", " X", "", "", "", "", ""}));
        QVERIFY(!save->isEnabled());
        QCOMPARE(e.zoneBoxes(), QString("odeooooo"));

        // A ШС column names the object that holds the ШС.
        clickCell(e.objects(), 9, 5);
        QCOMPARE(control<QLabel>(e.form.get(), "ZoneNumLabel2")->text(), QString("2"));
        QCOMPARE(control<QLabel>(e.form.get(), "ObjNumLabel2")->text(), QString("20"));
        clickCell(e.objects(), 0, 5);  // object 1 has no РПД: the labels stay
        QCOMPARE(control<QLabel>(e.form.get(), "ObjNumLabel2")->text(), QString("20"));
    }
};

QTEST_MAIN(KvListTabsTest)
#include "kv_list_tabs_test.moc"
