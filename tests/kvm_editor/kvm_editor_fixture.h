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
#include "image_compare.h"
#include "kvm_editor/l640msettingsunit.h"
#include "kvm_images.h"

namespace livna::test {

/// The factory-default file shipped with the program.
inline QString shippedFactoryFile() {
    return QStringLiteral(LIVNA_DATA_DIR "/Conf/640dkvmdef.cfg");
}

inline SettingsImage factoryImage() {
    ImageResult r = readSettingsFile(pathFromUtf8(shippedFactoryFile().toStdString()), kKvmImageSize);
    if (!r.ok())
        fail(QStringLiteral("shipped factory file unreadable: ") +
             QString::fromStdString(describe(*r.error)));
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

/// A whole registration copy with the values of the given lines (test data, all numbers).
inline RegistrationCopy registrationCopyOf(const QStringList& lines) {
    RegistrationCopy copy;
    for (const QString& line : lines) copy.values.push_back(line.toInt());
    return copy;
}

}  // namespace livna::test
