// ApplyImage and GatherImage of the Ливна-КВ-М editor: round trips, rows and counts, and the
// field rules that showing an image sets off.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QRadioButton>
#include <QTabWidget>

#include <algorithm>
#include <variant>

#include "kvm_editor/kvm_model.h"
#include "kvm_editor_fixture.h"

using namespace livna;
using namespace livna::test;

Q_DECLARE_METATYPE(livna::SettingsImage)

namespace {

constexpr std::size_t kB3 = 768;

/// The factory image with some values replaced.
SettingsImage factoryWith(std::initializer_list<std::pair<std::size_t, std::int32_t>> changes) {
    SettingsImage im = factoryImage();
    for (const auto& [i, v] : changes) im[i] = v;
    return im;
}

QStringList boxTexts(const std::vector<MessageRequest>& messages) {
    QStringList out;
    for (const auto& m : messages) out << QString::fromStdString(m.text);
    return out;
}

// The one box ApplyImage shows for what its rules changed, a line per change.
QStringList applyBox(const QStringList& changes) {
    return {"Настройки показаны с исправлениями, так как в окне эти значения недопустимы:\n" +
            changes.join("\n")};
}

}  // namespace

class KvmMappingTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { LIVNA_VERIFY_NO_WINDOW_LEFT(); }

    // The window binds every field of the model both ways: what it builds from a shown image is
    // the model's own round trip of that image (the model's tests list what that changes).
    void binding_applyThenGather_isTheModelsRoundTrip_data() {
        QTest::addColumn<SettingsImage>("image");
        QTest::addColumn<SettingsImage>("want");
        QTest::newRow("factory file") << factoryImage() << factoryImage();
        SettingsImage dense = denseImage();
        for (std::size_t i = 512; i <= 703; ++i) dense[i] = static_cast<std::int32_t>(i % 251);
        SettingsImage want = dense;
        for (std::size_t i = 512; i <= 767; ++i) want[i] = 0;
        QTest::newRow("dense image, system numbers not stored") << dense << want;
    }
    void binding_applyThenGather_isTheModelsRoundTrip() {
        QFETCH(SettingsImage, image);
        QFETCH(SettingsImage, want);
        EditorFixture e;
        e.form->ApplyImage(image);
        // The hidden system numbers are shown, but an image built here never holds them.
        QCOMPARE(control<QLineEdit>(e.form.get(), "RPDI11")->text(), QString::number(image[512]));
        QCOMPARE(control<QLineEdit>(e.form.get(), "RPDI448")->text(), QString::number(image[703]));
        const SettingsImage got = e.gather();
        LIVNA_COMPARE_IMAGES(got, want);
        const auto model = kvm::encode(kvm::decode(image).settings);
        QVERIFY(std::holds_alternative<SettingsImage>(model));
        LIVNA_COMPARE_IMAGES(got, std::get<SettingsImage>(model));
        QVERIFY2(e.fake.dialogs.messages().empty(), qPrintable(e.messageTexts().join(" | ")));
        // Applying the same image again changes nothing (no rule depends on the image before).
        e.form->ApplyImage(image);
        LIVNA_COMPARE_IMAGES(e.gather(), want);
    }

    void roundTrip_denseAfterFactory_andBack() {
        EditorFixture e;
        e.form->ApplyImage(denseImage());
        e.form->ApplyImage(factoryImage());
        LIVNA_COMPARE_IMAGES(e.gather(), factoryImage());
    }

    void gather_fixedValues_data() {
        QTest::addColumn<int>("version");
        QTest::newRow("never connected") << 0;
        QTest::newRow("version 3.2") << 32;
    }
    void gather_fixedValues() {
        QFETCH(int, version);
        EditorFixture e;
        SettingsImage im = denseImage();
        im[0] = 5;   // ignored when shown
        im[1] = 77;  // ignored when shown
        im[61] = 9;  // never stored
        e.form->ApplyImage(im);
        e.form->setFirmwareVersionCode(version);
        const SettingsImage got = e.gather();
        QCOMPARE(got[0], 170);
        QCOMPARE(got[1], version);
        QCOMPARE(got[61], 0);
        QCOMPARE(got.size(), kKvmImageSize);
    }

    void apply_partitionFireAndEmergency_showsEmergency() {
        EditorFixture e;
        e.form->ApplyImage(factoryWith({{14, 0x04}, {47, 0x04}}));
        QVERIFY(e.form->partitionRow(3).emergency->isChecked());
        const SettingsImage got = e.gather();
        QCOMPARE(got[14], 0);
        QCOMPARE(got[47], 0x04);
    }

    void apply_ownName_showsConvertedTextAndField() {
        EditorFixture e;
        e.form->ApplyImage(denseImage());
        const auto& own = e.form->partitionRow(2);
        QVERIFY(!own.ownName->isHidden());
        QVERIFY(!own.labelSimb->isHidden());
        QCOMPARE(own.name->currentIndex(), kOwnNameItem);
        // "Склад" comes back with Latin C and a where the display shares the Latin letters.
        QCOMPARE(own.ownName->text(), QString::fromUtf8("C\u043a\u043ba\u0434   "));
        const auto& builtIn = e.form->partitionRow(1);
        QVERIFY(builtIn.ownName->isHidden());
        QVERIFY(builtIn.labelSimb->isHidden());
        QVERIFY(builtIn.ownName->text().isEmpty());
    }

    // ---- rows, counts, colours --------------------------------------------------------------

    void codeCount_rowsStatesAndColours_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("shown");
        QTest::newRow("none") << 0 << 0;
        QTest::newRow("three") << 3 << 3;
        QTest::newRow("all") << 32 << 32;
        QTest::newRow("forty is clamped") << 40 << 32;
    }
    void codeCount_rowsStatesAndColours() {
        QFETCH(int, count);
        QFETCH(int, shown);
        EditorFixture e;
        SettingsImage im = denseImage();
        im[23] = count;
        e.form->ApplyImage(im);
        QCOMPARE(e.form->codesInUse(), shown);
        QCOMPARE(control<QLineEdit>(e.form.get(), "NumKodEdit")->text(), QString::number(shown));
        for (int c = 1; c <= 32; ++c) {
            const auto& row = e.form->codeRow(c);
            const bool used = c <= shown;
            QCOMPARE(row.edit->isEnabled(), used);
            QCOMPARE(row.edit->palette().color(QPalette::Base),
                     used ? TL640MSettingsForm::rowInUseColour() : TL640MSettingsForm::rowNotInUseColour());
            QCOMPARE(row.edit->text().isEmpty(), !used);
            for (QCheckBox* box : row.partitions) {
                QCOMPARE(box->isEnabled(), used);
                if (!used) QVERIFY(!box->isChecked());
            }
        }
        const SettingsImage got = e.gather();
        QCOMPARE(got[23], shown);
        for (int c = shown + 1; c <= 32; ++c) {
            const std::size_t first = 1024 + 8 * static_cast<std::size_t>(c - 1);
            for (std::size_t i = 0; i < 6; ++i) QCOMPARE(got[first + i], kNone);
            QCOMPARE(got[first + 6], 0);
            QCOMPARE(got[first + 7], 0);
        }
    }

    void keyCount_pagesShown_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("second");
        QTest::addColumn<bool>("third");
        QTest::newRow("0") << 0 << false << false;
        QTest::newRow("32") << 32 << false << false;
        QTest::newRow("33") << 33 << true << false;
        QTest::newRow("40") << 40 << true << false;
        QTest::newRow("64") << 64 << true << false;
        QTest::newRow("65") << 65 << true << true;
        QTest::newRow("96") << 96 << true << true;
        QTest::newRow("120 is clamped") << 120 << true << true;
    }
    void keyCount_pagesShown() {
        QFETCH(int, count);
        QFETCH(bool, second);
        QFETCH(bool, third);
        EditorFixture e;
        SettingsImage im = denseImage();
        im[22] = count;
        e.form->ApplyImage(im);
        QTabWidget* pages = e.form->keyTabs();
        QVERIFY(pages->isTabVisible(0));
        QCOMPARE(pages->isTabVisible(1), second);
        QCOMPARE(pages->isTabVisible(2), third);
        const int shown = std::min(count, 96);
        QCOMPARE(e.form->keysInUse(), shown);
        for (int k = 1; k <= 96; ++k) QCOMPARE(e.form->keyRow(k).edit->isEnabled(), k <= shown);
        QCOMPARE(e.gather()[22], shown);
    }

    void keys65to96_areCarriedInBlock7() {
        EditorFixture e;
        const SettingsImage dense = denseImage();
        e.form->ApplyImage(dense);
        QCOMPARE(e.form->keyRow(96).edit->text().size(), 12);
        const SettingsImage got = e.gather();
        for (std::size_t i = 1792; i < 2048; ++i) QCOMPARE(got[i], dense[i]);
    }

    void codeRow_innerSpaces_storedAsDigitsInOrder() {
        EditorFixture e;
        e.form->ApplyImage(factoryWith({{23, 1}}));
        e.form->codeRow(1).edit->setText(QStringLiteral("12 3  "));
        const SettingsImage got = e.gather();
        const std::int32_t want[8] = {129, 130, 131, kNone, kNone, kNone, 0, 0};
        for (std::size_t i = 0; i < 8; ++i) QCOMPARE(got[1024 + i], want[i]);
    }

    void keyRow_shortText_paddedWithZerosAtTheEnd() {
        EditorFixture e;
        e.form->ApplyImage(factoryWith({{22, 1}}));
        e.form->keyRow(1).edit->setText(QStringLiteral("ABCD"));
        const SettingsImage got = e.gather();
        // h1h2 = "AB" at offset 5, h3h4 = "CD" at offset 4, the rest "0".
        const std::int32_t want[6] = {0, 0, 0, 0, 0xCD, 0xAB};
        for (std::size_t i = 0; i < 6; ++i) QCOMPARE(got[1280 + i], want[i]);
    }

    void bindingEdit_notANumber_storedAsOne() {
        EditorFixture e;
        e.form->ApplyImage(factoryImage());
        e.form->detectorBinding(2, 7)->setText(QStringLiteral("x"));
        QCOMPARE(e.gather()[63 + 48 + 7], 1);
    }

    // ---- rules that ApplyImage sets off -----------------------------------------------------

    void userPassword_digitZero_warnsAndIsDropped() {
        EditorFixture e;
        e.form->ApplyImage(
            factoryWith({{40, 129}, {41, 128}, {42, 130}, {43, 131}, {44, kNone}, {45, kNone}}));
        QCOMPARE(boxTexts(e.fake.dialogs.messages()), applyBox({"«Пароль пользователя»: цифра 0 удалена."}));
        QCOMPARE(e.fake.dialogs.messages().front().caption, std::string(kCaptionSystemMessage));
        QCOMPARE(control<QLineEdit>(e.form.get(), "PasswordEdit2")->text(), QString("123  "));
        const SettingsImage got = e.gather();
        const std::int32_t want[6] = {129, 130, 131, kNone, kNone, kNone};
        for (std::size_t i = 0; i < 6; ++i) QCOMPARE(got[40 + i], want[i]);
    }

    void engineerPassword_digitZero_warnsAndGatherRefusesThreeDigits() {
        EditorFixture e;
        e.form->ApplyImage(factoryWith({{2, 129}, {3, 128}, {4, 130}, {5, 131}}));
        QCOMPARE(boxTexts(e.fake.dialogs.messages()), applyBox({"«Пароль инженера»: цифра 0 удалена."}));
        QCOMPARE(control<QLineEdit>(e.form.get(), "PasswordEdit")->text(), QString("123"));
        e.fake.dialogs.clear();
        QVERIFY(!e.form->GatherImage().has_value());
        QCOMPARE(e.fake.dialogs.messages().size(), std::size_t(1));
        QVERIFY(e.lastMessage().contains("пароле инженера"));
    }

    // Every rule the image sets off is told in one box naming each field, in the order the rules
    // ran; an edit afterwards gets the rule's own box again.
    void severalRules_oneBoxNamingEachField_afterTheImageIsShown() {
        EditorFixture e;
        // Two zeros in each password, 255 seconds to the exit, ШС1 a fire loop on security partition 2.
        e.form->ApplyImage(factoryWith({{2, 129},
                                        {3, 128},
                                        {4, 128},
                                        {5, 131},
                                        {40, 128},
                                        {41, 129},
                                        {42, 128},
                                        {43, 130},
                                        {44, kNone},
                                        {45, kNone},
                                        {10, 255},
                                        {57, 2},
                                        {59, 0x01},
                                        {14, 0},
                                        {47, 0}}));
        QCOMPARE(boxTexts(e.fake.dialogs.messages()),
                 applyBox({"«Пароль пользователя»: цифра 0 удалена.", "«Пароль инженера»: цифра 0 удалена.",
                           "«Время на выход (№1)»: значение 255 вне диапазона от 0 до 254, выставлено 1.",
                           "«ШС1»: тип раздела 2 не совпадает с типом шлейфа, привязка к разделу снята."}));
        QCOMPARE(e.fake.dialogs.messages().front().icon, MsgIcon::Warning);
        QCOMPARE(control<QLineEdit>(e.form.get(), "PasswordEdit2")->text(), QString("12  "));
        QCOMPARE(control<QLineEdit>(e.form.get(), "PasswordEdit")->text(), QString("13"));
        e.fake.dialogs.clear();
        control<QLineEdit>(e.form.get(), "PasswordEdit2")->setText(QStringLiteral("102"));
        QCOMPARE(boxTexts(e.fake.dialogs.messages()), QStringList{"Внимание! 0 недопустим!"});
    }

    void secondsRange_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("counter");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("warned");
        const struct {
            int index;
            const char* edit;
            const char* counter;
        } fields[] = {{10, "DelayEdit", "Delay"},          {11, "DelayEditVxod", "DelayVxod"},
                      {12, "DelayEdit2", "Delay2"},        {13, "DelayEditVxod2", "DelayVxod2"},
                      {31, "EditTimesound", "Timesound"},  {33, "EditTimeLCD", "TimeLCD"},
                      {46, "EditSoundExt", "TimesoundExt"}};
        for (const auto& f : fields) {
            QTest::addRow("%s 255", f.edit) << f.index << f.edit << f.counter << 255 << 1 << true;
            QTest::addRow("%s 254", f.edit) << f.index << f.edit << f.counter << 254 << 254 << false;
            QTest::addRow("%s 0", f.edit) << f.index << f.edit << f.counter << 0 << 0 << false;
            QTest::addRow("%s 511 is 255", f.edit) << f.index << f.edit << f.counter << 511 << 1 << true;
        }
    }
    void secondsRange() {
        QFETCH(int, index);
        QFETCH(QString, edit);
        QFETCH(QString, counter);
        QFETCH(int, value);
        QFETCH(int, position);
        QFETCH(bool, warned);
        const QMap<QString, QString> captions{{"DelayEdit", "Время на выход (№1)"},
                                              {"DelayEditVxod", "Время на вход (№1)"},
                                              {"DelayEdit2", "Время на выход (№2)"},
                                              {"DelayEditVxod2", "Время на вход (№2)"},
                                              {"EditTimesound", "Длительность внутреннего звука"},
                                              {"EditTimeLCD", "Длительность подсветки ЖКИ"},
                                              {"EditSoundExt", "Длительность внешнего звука"}};
        EditorFixture e;
        e.form->ApplyImage(factoryWith({{static_cast<std::size_t>(index), value}}));
        QCOMPARE(control<UpDown>(e.form.get(), counter)->position(), position);
        QCOMPARE(control<QLineEdit>(e.form.get(), edit)->text(), QString::number(position));
        const QString caption = captions.value(edit);
        const QStringList expected =
            warned ? applyBox({QString("«%1»: значение %2 вне диапазона от 0 до 254, выставлено 1.")
                                   .arg(caption)
                                   .arg(std::min(value, 255))})
                   : QStringList{};
        QCOMPARE(boxTexts(e.fake.dialogs.messages()), expected);
        QCOMPARE(e.gather()[static_cast<std::size_t>(index)], position);
    }

    void sounderAndBacklight_enableTheirDurations_data() {
        QTest::addColumn<int>("sounder");
        QTest::addColumn<int>("backlight");
        QTest::addColumn<bool>("soundTime");
        QTest::addColumn<bool>("lcdTime");
        QTest::newRow("on/on") << 0 << 0 << true << false;
        QTest::newRow("off/off") << 1 << 1 << false << false;
        QTest::newRow("alarm/auto") << 2 << 2 << true << true;
    }
    void sounderAndBacklight_enableTheirDurations() {
        QFETCH(int, sounder);
        QFETCH(int, backlight);
        QFETCH(bool, soundTime);
        QFETCH(bool, lcdTime);
        EditorFixture e;
        e.form->ApplyImage(factoryWith({{30, sounder}, {32, backlight}}));
        QCOMPARE(control<QLineEdit>(e.form.get(), "EditTimesound")->isEnabled(), soundTime);
        QCOMPARE(control<QLineEdit>(e.form.get(), "EditTimeLCD")->isEnabled(), lcdTime);
    }

    void voiceModuleAndReminder_enableTheirControls_data() {
        QTest::addColumn<int>("module");
        QTest::addColumn<int>("automatic");
        QTest::addColumn<bool>("groups");
        QTest::addColumn<bool>("reminderTimes");
        QTest::newRow("off") << 0 << 1 << false << false;
        QTest::newRow("on, automatic on") << 1 << 1 << true << true;
        QTest::newRow("on, automatic off") << 1 << 0 << true << false;
    }
    void voiceModuleAndReminder_enableTheirControls() {
        QFETCH(int, module);
        QFETCH(int, automatic);
        QFETCH(bool, groups);
        QFETCH(bool, reminderTimes);
        EditorFixture e;
        e.form->ApplyImage(factoryWith({{kB3 + 44, module}, {kB3 + 56, automatic}}));
        for (const char* name : {"AutoRemainder", "ReminderAfterDisarm", "SilenceStart", "SilenceStop",
                                 "Volume", "VoicePlayGroupBox", "VoiceRemindGroupBox"})
            QVERIFY2(find(e.form.get(), name)->isEnabled() == groups, name);
        for (const char* name : {"TimeReminder", "TimeReminder1"})
            QVERIFY2(find(e.form.get(), name)->isEnabled() == reminderTimes, name);
    }

    void firePartition5_locks24HourAndSilent() {
        EditorFixture e;
        // Partition 5 fire with its silent bit set in the image, partition 6 security and silent.
        e.form->ApplyImage(factoryWith({{14, 0x10}, {16, 0x30}, {20, 0x00}}));
        const auto& fire = e.form->partitionRow(5);
        QVERIFY(fire.fire->isChecked());
        QVERIFY(fire.krs->isChecked());
        QVERIFY(!fire.krs->isEnabled());
        QVERIFY(!fire.tix->isChecked());
        QVERIFY(!fire.tix->isEnabled());
        const auto& other = e.form->partitionRow(6);
        QVERIFY(other.tix->isChecked());
        QVERIFY(other.tix->isEnabled());
        const SettingsImage got = e.gather();
        QCOMPARE(got[16], 0x20);
        QCOMPARE(got[20], 0x10);
    }

    void firePartitionClick_clearsSilentAnd24HourOfOthers() {
        EditorFixture e;
        showWindow(e.form.get());  // showing starts from the factory file, so the image comes after
        e.form->ApplyImage(factoryWith({{16, 0x0F}, {20, 0xF0}}));
        e.form->tabs()->setCurrentIndex(1);
        click(e.form->partitionRow(5).fire);
        for (int k = 1; k <= 16; ++k) {
            const auto& row = e.form->partitionRow(k);
            QCOMPARE(row.krs->isChecked(), k == 5);
            QVERIFY(!row.tix->isChecked());
            QCOMPARE(row.krs->isEnabled(), k != 5);
        }
    }

    void loopMismatch_inTheImage_warnsAndUnbindsTheLoop() {
        EditorFixture e;
        // ШС1 on partition 2 as a fire loop, partition 2 a security partition.
        e.form->ApplyImage(factoryWith({{57, 2}, {59, 0x01}, {14, 0}, {47, 0}}));
        QCOMPARE(boxTexts(e.fake.dialogs.messages()),
                 applyBox({"«ШС1»: тип раздела 2 не совпадает с типом шлейфа, привязка к разделу снята."}));
        QCOMPARE(e.gather()[57], 0);
    }

    void loopMismatch_notRaisedByTheImageShownBefore() {
        EditorFixture e;
        // First image: ШС1 fire loop on fire partition 2. Second: loops as in the factory file
        // (partition 1, security) and partition 2 security: no mismatch in the second image.
        e.form->ApplyImage(factoryWith({{57, 2}, {59, 0x01}, {14, 0x02}}));
        QVERIFY(e.fake.dialogs.messages().empty());
        e.form->ApplyImage(factoryImage());
        QVERIFY2(e.fake.dialogs.messages().empty(), qPrintable(e.messageTexts().join(" | ")));
    }

    void loopMismatch_securityClicked_warnsAndUnbinds() {
        EditorFixture e;
        showWindow(e.form.get());
        e.form->ApplyImage(factoryWith({{57, 2}, {59, 0x01}, {14, 0x02}}));
        QVERIFY(e.fake.dialogs.messages().empty());
        e.form->tabs()->setCurrentIndex(1);
        click(e.form->partitionRow(2).security);
        QCOMPARE(boxTexts(e.fake.dialogs.messages()),
                 QStringList{"Внимание! Несовпадение типа раздела с типом шлейфа!"});
        QCOMPARE(control<QLineEdit>(e.form.get(), "PrivShS1")->text(), QString(" 0"));
        QCOMPARE(e.gather()[57], 0);
    }

    void wiredLoopType_doubleTriggeringOnlyForFire_data() {
        QTest::addColumn<int>("types");
        QTest::addColumn<int>("dbl");
        QTest::addColumn<bool>("enabled1");
        QTest::addColumn<bool>("enabled2");
        QTest::addColumn<int>("stored");
        // The boxes follow their bits both ways (the group is not shown, so the stored bits are
        // kept as they are); the type decides only whether a box can be changed.
        QTest::newRow("both security") << 0x00 << 0x11 << false << false << 0x11;
        QTest::newRow("both fire") << 0x11 << 0x11 << true << true << 0x11;
        QTest::newRow("fire, security") << 0x01 << 0x10 << true << false << 0x10;
        QTest::newRow("fire, none set") << 0x11 << 0x00 << true << true << 0x00;
        QTest::newRow("security, fire, second set") << 0x10 << 0x10 << false << true << 0x10;
    }
    void wiredLoopType_doubleTriggeringOnlyForFire() {
        QFETCH(int, types);
        QFETCH(int, dbl);
        QFETCH(bool, enabled1);
        QFETCH(bool, enabled2);
        QFETCH(int, stored);
        EditorFixture e;
        // First an image with both boxes ticked, so that a bit left clear must clear its box.
        e.form->ApplyImage(factoryWith({{59, 0x11}, {60, 0x11}, {57, 0}, {58, 0}}));
        e.form->ApplyImage(factoryWith({{59, types}, {60, dbl}, {57, 0}, {58, 0}}));
        QCOMPARE(control<QCheckBox>(e.form.get(), "DblSh1")->isEnabled(), enabled1);
        QCOMPARE(control<QCheckBox>(e.form.get(), "DblSh2")->isEnabled(), enabled2);
        QCOMPARE(e.gather()[60], stored);
    }

    void outputModes_loadPresetsAndLock_data() {
        QTest::addColumn<int>("output");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("eventsA");
        QTest::addColumn<int>("close");
        QTest::addColumn<int>("open");
        QTest::addColumn<int>("duration");
        QTest::addColumn<int>("inverse");
        QTest::newRow("relay 2 armed/disarmed") << 2 << 1 << 8 << 255 << 0 << 0 << 0;
        QTest::newRow("ОК 2 armed/disarmed") << 5 << 1 << 8 << 255 << 0 << 0 << 1;
        QTest::newRow("relay 1 control lamp") << 1 << 3 << 13 << 1 << 1 << 255 << 0;
        QTest::newRow("relay 3 PCN alarm") << 3 << 0 << 13 << 0 << 255 << 0 << 0;
        QTest::newRow("ОК 1 sounder") << 4 << 5 << 1 << 0 << 255 << 0 << 1;
        QTest::newRow("relay 2 alarm") << 2 << 4 << 1 << 0 << 255 << 0 << 0;
        QTest::newRow("ОК 2 executive") << 5 << 2 << 4 << 20 << 0 << 0 << 0;
    }
    void outputModes_loadPresetsAndLock() {
        QFETCH(int, output);
        QFETCH(int, code);
        QFETCH(int, eventsA);
        QFETCH(int, close);
        QFETCH(int, open);
        QFETCH(int, duration);
        QFETCH(int, inverse);
        const std::size_t partitions[] = {2, 10, 19, 28, 36};
        const std::size_t first = kB3 + partitions[output - 1] + 2;
        // Stored events and times that the preset must replace.
        SettingsImage im = factoryWith({{first, 0xFF},
                                        {first + 1, 0x0F},
                                        {first + 2, 77},
                                        {first + 3, 88},
                                        {first + 4, 99},
                                        {first + 5, 0}});
        std::int32_t& modes = output == 3 ? im[kB3 + 18] : output <= 2 ? im[kB3 + 1] : im[kB3 + 27];
        const bool high = output == 2 || output == 5;
        modes = output == 3 ? code : high ? (modes & 0x0F) | (code << 4) : (modes & 0xF0) | code;
        EditorFixture e;
        e.form->ApplyImage(im);
        const auto& out = e.form->output(output);
        for (int bit = 0; bit < 12; ++bit) {
            QCOMPARE(out.events[static_cast<std::size_t>(bit)]->isChecked(),
                     bit < 8 && ((eventsA >> bit) & 1));
            QVERIFY(!out.events[static_cast<std::size_t>(bit)]->isEnabled());
        }
        QCOMPARE(out.close->currentIndex(), close);
        QCOMPARE(out.open->currentIndex(), open);
        QCOMPARE(out.duration->currentIndex(), duration);
        QCOMPARE(out.inverse->currentIndex(), inverse);
        for (QComboBox* c : {out.close, out.open, out.duration, out.inverse}) QVERIFY(!c->isEnabled());
        QCOMPARE(out.control->currentText(), QString("по событию"));
        QVERIFY(!out.control->isEnabled());
        const SettingsImage got = e.gather();
        const std::int32_t want[6] = {eventsA, 0, close, open, duration, inverse};
        for (std::size_t i = 0; i < 6; ++i) QCOMPARE(got[first + i], want[i]);
    }

    void specialMode_timing_data() {
        QTest::addColumn<int>("close");
        QTest::addColumn<int>("open");
        QTest::addColumn<int>("duration");
        QTest::addColumn<QList<int>>("shown");     // close, open, duration after the rule
        QTest::addColumn<QList<bool>>("enabled");  // close, open, duration
        QTest::newRow("open permanent")
            << 7 << 255 << 9 << QList<int>{0, 255, 0} << QList<bool>{false, true, false};
        QTest::newRow("close permanent")
            << 255 << 7 << 9 << QList<int>{255, 0, 0} << QList<bool>{true, false, false};
        QTest::newRow("both timed") << 4 << 6 << 12 << QList<int>{4, 6, 12} << QList<bool>{true, true, true};
        QTest::newRow("close off") << 0 << 3 << 9 << QList<int>{0, 3, 0} << QList<bool>{true, true, false};
        QTest::newRow("both off") << 0 << 0 << 9 << QList<int>{0, 0, 0} << QList<bool>{true, true, false};
    }
    void specialMode_timing() {
        QFETCH(int, close);
        QFETCH(int, open);
        QFETCH(int, duration);
        QFETCH(QList<int>, shown);
        QFETCH(QList<bool>, enabled);
        EditorFixture e;
        e.form->ApplyImage(
            factoryWith({{kB3 + 18, 6}, {kB3 + 23, close}, {kB3 + 24, open}, {kB3 + 25, duration}}));
        const auto& out = e.form->output(3);
        QCOMPARE(
            QList<int>({out.close->currentIndex(), out.open->currentIndex(), out.duration->currentIndex()}),
            shown);
        QCOMPARE(QList<bool>({out.close->isEnabled(), out.open->isEnabled(), out.duration->isEnabled()}),
                 enabled);
        for (QCheckBox* box : out.events) QVERIFY(box->isEnabled());
    }

    // "пост." back to "1 сек" with close-for-time "---": close is free again, duration stays off.
    void specialMode_openBackFromPermanent_unlocksClose_data() {
        QTest::addColumn<int>("output");
        QTest::newRow("relay 2, picked by the installer") << 2;
        QTest::newRow("relay 3, its tab hidden") << 3;
    }
    void specialMode_openBackFromPermanent_unlocksClose() {
        QFETCH(int, output);
        const std::size_t first = kB3 + (output == 2 ? 10 : 19) + 2;
        SettingsImage im = factoryWith({{first + 2, 7}, {first + 3, 255}});
        if (output == 2)
            im[kB3 + 1] = (im[kB3 + 1] & 0x0F) | (6 << 4);
        else
            im[kB3 + 18] = 6;
        EditorFixture e;
        if (output == 2) showWindow(e.form.get());
        e.form->ApplyImage(im);
        const auto& out = e.form->output(output);
        QVERIFY(!out.close->isEnabled());
        if (output == 2) {
            e.form->tabs()->setCurrentIndex(5);
            control<QTabWidget>(e.form.get(), "OutputPageControl")->setCurrentIndex(1);
            chooseCombo(e.form.get(), "TimeRzmk2", QStringLiteral("1 сек"));
        } else {
            out.open->setCurrentIndex(2);
            e.form->specialModeTimingRule(3);
        }
        QCOMPARE(out.open->currentText(), QString("1 сек"));
        QVERIFY(out.close->isEnabled());
        QCOMPARE(out.close->currentIndex(), 0);
        QCOMPARE(out.duration->currentIndex(), 0);
        QVERIFY(!out.duration->isEnabled());
    }

    void specialMode_clearsEquipmentEventsWhenChosen() {
        EditorFixture e;
        e.form->ApplyImage(factoryImage());  // relay 1 in "ПЦН тревога"
        auto& out = e.form->output(1);
        out.workMode->setItemIndex(kModeSpecial);
        e.form->outputWorkModeRule(1);
        for (int bit = 7; bit < 12; ++bit) QVERIFY(!out.events[static_cast<std::size_t>(bit)]->isChecked());
        QVERIFY(out.events[0]->isChecked());  // the preset's alarm event stays for the installer to edit
        QVERIFY(!out.duration->isEnabled());
        QVERIFY(out.inverse->isEnabled());
    }

    // ---- GatherImage refusals ---------------------------------------------------------------

    void gather_refusesFieldsThatCannotBeStored_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("named");
        QTest::newRow("engineer letters") << "PasswordEdit"
                                          << "12a4"
                                          << "Пароль инженера";
        QTest::newRow("engineer three digits") << "PasswordEdit"
                                               << "583"
                                               << "пароле инженера";
        QTest::newRow("engineer inner space") << "PasswordEdit"
                                              << "58 3"
                                              << "пароле инженера";
        QTest::newRow("engineer empty") << "PasswordEdit"
                                        << ""
                                        << "пароле инженера";
        QTest::newRow("user letter") << "PasswordEdit2"
                                     << "12x"
                                     << "Пароль пользователя";
        QTest::newRow("code letter") << "kod2"
                                     << "1a"
                                     << "Код 2";
        QTest::newRow("delay letters") << "DelayEdit"
                                       << "1x"
                                       << "Время на выход (№1)";
        QTest::newRow("count letters") << "NumKodEdit"
                                       << "3z"
                                       << "Количество кодов";
        QTest::newRow("time hours blank") << "TimeReminder"
                                          << "  :30"
                                          << "Контр. точка 1";
        QTest::newRow("time minutes blank") << "SilenceStop"
                                            << "12:"
                                            << "Конец тишины";
    }
    void gather_refusesFieldsThatCannotBeStored() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, named);
        EditorFixture e;
        e.form->ApplyImage(denseImage());
        e.fake.dialogs.clear();
        control<QLineEdit>(e.form.get(), field)->setText(text);
        e.fake.dialogs.clear();  // a rule may have answered the edit itself
        QVERIFY(!e.form->GatherImage().has_value());
        const auto messages = e.fake.dialogs.messages();
        QCOMPARE(messages.size(), std::size_t(1));
        QCOMPARE(messages[0].caption, std::string(kCaptionSystemMessage));
        QVERIFY2(QString::fromStdString(messages[0].text).contains(named), messages[0].text.c_str());
    }

    void gather_blankTimeIsLeftOut() {
        EditorFixture e;
        e.form->ApplyImage(denseImage());
        control<QLineEdit>(e.form.get(), "SilenceStart")->setText(QString());
        const SettingsImage got = e.gather();
        QCOMPARE(got[kB3 + 51], 0);
        QCOMPARE(got[kB3 + 52], 0);
    }
};

QTEST_MAIN(KvmMappingTest)
#include "kvm_mapping_test.moc"
