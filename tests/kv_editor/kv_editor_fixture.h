#pragma once
// What the Ливна-КВ editor tests share: an editor working in a folder of its own that holds the
// shipped factory file, and the images the tests show in it.
#include <QDir>
#include <QFile>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

#include "common/settings_file.h"
#include "fake_services.h"
#include "gui_harness.h"
#include "image_compare.h"
#include "kv_editor/l640kvunit.h"
#include "ui/field_widgets.h"

namespace livna::test {

/// The factory-default file shipped with the program.
inline QString shippedKvFactoryFile() {
    return QStringLiteral(LIVNA_DATA_DIR "/Conf/640dkvdef.cfg");
}

inline SettingsImage kvFactoryImage() {
    ImageResult r = readSettingsFile(pathFromUtf8(shippedKvFactoryFile().toStdString()), kKvImageSize);
    if (!r.ok()) fail("shipped factory file unreadable: " + QString::fromStdString(describe(*r.error)));
    return r.image;
}

/// The zone-table index of ШС zone (1..8) of РПД r.
inline std::size_t kvZoneAt(int r, int zone) {
    return 768 + 16 * static_cast<std::size_t>(r - 1) + 2 * static_cast<std::size_t>(zone - 1);
}

/// An image with every area in use: 32 codes, all 768 zones assigned (object n on zone n - 1),
/// every third object off, and main values off the factory ones.
inline SettingsImage denseKvImage() {
    SettingsImage image = kvFactoryImage();
    image[12] = 1;
    image[23] = 32;
    image[25] = 0x12;
    image[26] = 2;
    image[27] = 33;
    image[28] = 1;
    image[29] = 200;
    image[30] = 90;
    for (std::size_t k = 0; k < 32; ++k)
        for (std::size_t i = 0; i < 6; ++i)
            image[512 + 6 * k + i] = i < 3 + k % 4 ? 128 + static_cast<std::int32_t>((k + i) % 10) : 255;
    for (int z = 0; z < 768; ++z) {
        const int object = z + 1;
        image[768 + 2 * static_cast<std::size_t>(z)] = object & 0xFF;
        image[769 + 2 * static_cast<std::size_t>(z)] = object >> 8;
    }
    for (int r = 1; r <= 96; ++r) {
        std::int32_t mask = 0xFF;
        for (int s = 0; s < 8; ++s)
            if ((8 * (r - 1) + s + 1) % 3 == 0) mask &= ~(1 << s);
        image[255 + static_cast<std::size_t>(r)] = mask;
    }
    // The object table follows from the zones: objects 1..48 on РПД 1..6, every zone used.
    for (int n = 1; n <= 48; ++n) {
        const int r = (n - 1) / 8 + 1;
        image[352 + 2 * static_cast<std::size_t>(n - 1)] = ((r / 24 + 1) * 32) | r;
        image[353 + 2 * static_cast<std::size_t>(n - 1)] = 0xFF;
    }
    return image;
}

/// A left click on a cell of a grid, scrolled into view first.
inline void clickCell(QTableView* view, int row, int column) {
    const QModelIndex index = view->model()->index(row, column);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
}

/// The texts of one row of a grid, column by column.
inline QStringList gridRow(const QTableView* view, int row) {
    QStringList out;
    for (int c = 0; c < view->model()->columnCount(); ++c)
        out << view->model()->index(row, c).data().toString();
    return out;
}

/// A click on one arrow of an up-down.
inline void clickArrow(QWidget* root, const QString& upDown, Qt::ArrowType arrow) {
    for (QToolButton* b : control<UpDown>(root, upDown)->findChildren<QToolButton*>())
        if (b->arrowType() == arrow) return click(b);
    fail(upDown + QStringLiteral(" has no such arrow"));
}

/// An editor whose program folder is a fresh temporary folder with "Conf/640dkvdef.cfg".
struct KvEditorFixture {
    QTemporaryDir folder;
    FakeServices fake;
    std::unique_ptr<TL640KVForm> form;

    KvEditorFixture() {
        if (!folder.isValid()) fail(QStringLiteral("no temporary folder"));
        QDir(folder.path()).mkpath(QStringLiteral("Conf"));
        if (!QFile::copy(shippedKvFactoryFile(), folder.filePath(QStringLiteral("Conf/640dkvdef.cfg"))))
            fail(QStringLiteral("cannot copy the factory file"));
        form = std::make_unique<TL640KVForm>(fake.ctx, folder.path());
    }
    ~KvEditorFixture() {
        if (form) form->hide();
    }
    QString path(const QString& relative) const { return folder.filePath(relative); }
    QString status() const { return form->statusBar()->currentMessage(); }

    SettingsImage gather() {
        auto image = form->KvGatherImage();
        if (!image) fail(QStringLiteral("KvGatherImage refused: ") + messageTexts().join(" | "));
        return *image;
    }
    /// Texts of the boxes shown since the last clear().
    QStringList messageTexts() const {
        QStringList out;
        for (const auto& m : fake.dialogs.messages()) out << QString::fromStdString(m.text);
        return out;
    }
};

}  // namespace livna::test
