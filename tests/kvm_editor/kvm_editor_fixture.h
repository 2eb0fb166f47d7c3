#pragma once
// What the Ливна-КВ-М editor tests share: an editor working in a folder of its own that holds
// the shipped factory file, and the images the tests show in it.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "common/kvm_encoding.h"
#include "common/settings_file.h"
#include "common/settings_image.h"
#include "fake_services.h"
#include "gui_harness.h"
#include "kvm_editor/l640msettingsunit.h"

namespace livna::test {

/// The factory-default file shipped with the program.
inline QString shippedFactoryFile() { return QStringLiteral(LIVNA_DATA_DIR "/Conf/640dkvmdef.cfg"); }

inline SettingsImage factoryImage() {
    ImageResult r = readSettingsFile(pathFromUtf8(shippedFactoryFile().toStdString()), kKvmImageSize);
    if (!r.ok()) fail(QStringLiteral("shipped factory file unreadable: ") + QString::fromStdString(describe(*r.error)));
    return r.image;
}

/// An editor whose program folder is a fresh temporary folder with "Conf/640dkvmdef.cfg".
struct EditorFixture {
    QTemporaryDir folder;
    FakeServices fake;
    std::unique_ptr<TL640MSettingsForm> form;

    explicit EditorFixture(bool withFactoryFile = true) {
        if (!folder.isValid()) fail(QStringLiteral("no temporary folder"));
        if (withFactoryFile) {
            QDir(folder.path()).mkpath(QStringLiteral("Conf"));
            if (!QFile::copy(shippedFactoryFile(), folder.filePath(QStringLiteral("Conf/640dkvmdef.cfg"))))
                fail(QStringLiteral("cannot copy the factory file"));
        }
        form = std::make_unique<TL640MSettingsForm>(fake.ctx, folder.path());
    }
    ~EditorFixture() {
        if (form) form->hide();
    }
    QString path(const QString& relative) const { return folder.filePath(relative); }

    SettingsImage gather() {
        auto image = form->GatherImage();
        if (!image) fail(QStringLiteral("GatherImage refused: ") + lastMessage());
        return *image;
    }
    QString lastMessage() const {
        const auto messages = fake.dialogs.messages();
        return messages.empty() ? QString() : QString::fromStdString(messages.back().text);
    }
    /// Texts of the boxes shown since the last clear().
    QStringList messageTexts() const {
        QStringList out;
        for (const auto& m : fake.dialogs.messages()) out << QString::fromStdString(m.text);
        return out;
    }
};

/// The first index where two images differ, as text for a failure message; empty when equal.
inline QString firstDifference(const SettingsImage& got, const SettingsImage& want) {
    if (got.size() != want.size()) return QStringLiteral("size %1 instead of %2").arg(got.size()).arg(want.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        if (got[i] != want[i]) return QStringLiteral("value %1 is %2 instead of %3").arg(i).arg(got[i]).arg(want[i]);
    return {};
}

#define LIVNA_COMPARE_IMAGES(got, want)                          \
    do {                                                         \
        const QString livnaDiff = ::livna::test::firstDifference(got, want); \
        QVERIFY2(livnaDiff.isEmpty(), qPrintable(livnaDiff));    \
    } while (false)

/// An image with every area the editor shows filled with values it can show and store back
/// unchanged (four outputs in "Специальный" or in a mode whose preset is stored, own names,
/// all 32 codes and 96 keys in use, every switch set away from the factory setting).
inline SettingsImage denseImage() {
    SettingsImage im = SettingsImage::fresh(kKvmImageSize, 0);
    auto b3 = [&](std::size_t o) -> std::int32_t& { return im[768 + o]; };
    const int engineer[4] = {5, 8, 3, 6};
    for (int i = 0; i < 4; ++i) im[2 + static_cast<std::size_t>(i)] = encodeDigit(engineer[i]);
    im[6] = 11; im[7] = 22; im[8] = 33; im[9] = 44; im[25] = 201; im[26] = 7;  // carried
    im[10] = 0; im[11] = 254; im[12] = 17; im[13] = 99;
    im[14] = 0x05; im[15] = 0x80;   // fire: 1, 3, 16
    im[47] = 0x0A; im[48] = 0x01;   // emergency: 2, 4, 9
    im[16] = 0xF0; im[17] = 0x02;   // silent: 5..8, 10 (none of them fire)
    im[20] = 0x35; im[21] = 0x8C;   // 24-hour: 1, 3 (fire), 5, 6, 11, 12, 16 (fire)
    im[18] = 0x5A; im[19] = 0xA5;
    im[22] = 96; im[23] = 32;
    im[27] = 0xC3; im[28] = 0x3C;
    im[30] = 2; im[31] = 45; im[32] = 2; im[33] = 200; im[34] = 255; im[35] = 1; im[36] = 0x15;
    const std::int32_t user[6] = {encodeDigit(9), encodeDigit(1), kNone, encodeDigit(7), kNone, kNone};
    for (int i = 0; i < 6; ++i) im[40 + static_cast<std::size_t>(i)] = user[i];
    im[46] = 3;
    for (std::size_t i = 0; i < 8; ++i) im[49 + i] = static_cast<std::int32_t>((i * 5) % 16);
    im[57] = 16; im[58] = 4;  // ШС1 on 16 (fire), ШС2 on 4 (emergency)
    im[59] = 0x01;             // ШС1 fire, ШС2 security
    im[60] = 0x01;             // double triggering of ШС1
    im[63] = 255;
    for (std::size_t i = 64; i <= 255; ++i) im[i] = static_cast<std::int32_t>(i % 17);
    for (int k = 1; k <= 16; ++k) im[255 + static_cast<std::size_t>(k)] = (k * 7) % 56;
    im[255 + 2] = kOwnNameValue;
    im[255 + 11] = kOwnNameValue;
    const std::int32_t sklad[8] = {67, 186, 187, 97, 227, 32, 32, 32};  // "Склад" as stored
    const std::int32_t other[8] = {0xA0, 0x4F, 0x4C, 0xAC, 0x4F, 0xA6, 0x31, 0x32};
    for (std::size_t i = 0; i < 8; ++i) {
        im[264 + 8 * 2 + i] = sklad[i];
        im[264 + 8 * 11 + i] = other[i];
    }
    b3(0) = 1;
    // Relay 1 special, relay 2 "Звуковой" (code 5), relay 3 special, ОК 1 "Исполнительный"
    // (code 2), ОК 2 special.
    b3(1) = 6 + 16 * 5;
    b3(2) = 0x81; b3(3) = 0x42;
    b3(4) = 0x7F; b3(5) = 0x0F; b3(6) = 4; b3(7) = 6; b3(8) = 12; b3(9) = 1;
    b3(10) = 0x11; b3(11) = 0x22;
    b3(12) = 1; b3(13) = 0; b3(14) = 0; b3(15) = 255; b3(16) = 0; b3(17) = 1;  // preset of "Звуковой"
    b3(18) = 6;
    b3(19) = 0x33; b3(20) = 0x44;
    b3(21) = 0xA5; b3(22) = 0x05; b3(23) = 0; b3(24) = 3; b3(25) = 0; b3(26) = 0;
    b3(27) = 2 + 16 * 6;
    b3(28) = 0x55; b3(29) = 0x66;
    b3(30) = 4; b3(31) = 0; b3(32) = 20; b3(33) = 0; b3(34) = 0; b3(35) = 0;  // preset of "Исполнительный"
    b3(36) = 0x77; b3(37) = 0x88;
    b3(38) = 0xFF; b3(39) = 0x0A; b3(40) = 255; b3(41) = 0; b3(42) = 0; b3(43) = 1;
    b3(44) = 1; b3(45) = 0xA6; b3(46) = 0x09;
    b3(47) = 7; b3(48) = 30; b3(49) = 24; b3(50) = 0; b3(51) = 22; b3(52) = 15; b3(53) = 6; b3(54) = 59;
    b3(55) = 1; b3(56) = 1; b3(57) = encodeVolume(7); b3(58) = 0x05;
    for (std::size_t c = 0; c < 32; ++c) {
        const std::size_t e = 1024 + 8 * c;
        const std::size_t length = 1 + c % 6;
        for (std::size_t i = 0; i < 6; ++i)
            im[e + i] = i < length ? encodeDigit(static_cast<int>(1 + (c + i) % 9)) : kNone;
        im[e + 6] = static_cast<std::int32_t>((c * 37) % 256);
        im[e + 7] = static_cast<std::int32_t>((c * 91 + 5) % 256);
    }
    for (std::size_t k = 0; k < 96; ++k) {
        const std::size_t e = 1280 + 8 * k;
        for (std::size_t i = 0; i < 6; ++i) im[e + i] = static_cast<std::int32_t>((k * 13 + i * 41 + 1) % 255);
        im[e + 6] = static_cast<std::int32_t>((k * 17) % 256);
        im[e + 7] = static_cast<std::int32_t>((k * 29 + 3) % 256);
    }
    return im;
}

}  // namespace livna::test
