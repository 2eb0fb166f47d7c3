#pragma once
// What the settings editors' window tests share: files as lines, the exchange row's enabled
// buttons, the progress bar's values, and the walk through the wizard to an editor.
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QStringList>
#include <QTest>

#include <functional>

#include "common/settings_image.h"
#include "gui_harness.h"

namespace livna::test {

inline QByteArray readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) fail("cannot read " + path);
    return f.readAll();
}

/// The lines, each ended by CR LF, as a settings file holds them.
inline void writeLines(const QString& path, const QStringList& lines) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) fail("cannot write " + path);
    f.write((lines.join("\r\n") + "\r\n").toUtf8());
}

inline QStringList imageLines(const SettingsImage& image) {
    QStringList out;
    for (std::int32_t v : image.values()) out << QString::number(v);
    return out;
}

/// The buttons of an editor's exchange row that are enabled, in a fixed order.
inline QStringList enabledButtons(QWidget* editor) {
    QStringList out;
    for (const char* name : {"ConnectButton", "DisconnectButton", "ReadButton", "WriteButton", "LoadBitBtn",
                             "SaveBitBtn", "DefaultButton"})
        if (control<QPushButton>(editor, name)->isEnabled()) out << name;
    return out;
}

/// The values a progress bar's valueChanged spy saw, in order.
inline QList<int> progressValues(const QSignalSpy& spy) {
    QList<int> values;
    for (const auto& args : spy) values << args.at(0).toInt();
    return values;
}

inline void waitForNext(QWidget* info) {
    if (!QTest::qWaitFor([info] { return control<QPushButton>(info, "NextButton")->isEnabled(); }, 2000))
        fail("NextButton of the info window stayed off");
}

/// Walks the wizard from its boot window to the settings editor of system item systemItem
/// ("SysTypeRdG": 0 = Ливна-КВ, 1 = Ливна-КВ-М) with "Настройка прибора", runs body while the
/// editor is up, closes it with Esc (when body left it open) and walks back.
inline void inSettingsEditor(QWidget* boot, int systemItem, QWidget* editor,
                             const std::function<void()>& body, int timeoutMs = kModalTimeoutMs) {
    showWindow(boot);
    chooseRadio(boot, "SysTypeRdG", systemItem);
    clickAndDrive(
        boot, "BootButton",
        [&](QWidget* mode) {
            chooseRadio(mode, "SysModeRdG", 1);  // "Настройка прибора"
            clickAndDrive(
                mode, "NextButton",
                [&](QWidget* info) {
                    waitForNext(info);
                    clickAndDrive(
                        info, "NextButton",
                        [&](QWidget* work) {
                            if (work != editor) fail("the wizard opened " + work->objectName());
                            body();
                            if (editor->isVisible()) pressKey(work, Qt::Key_Escape);
                        },
                        timeoutMs);
                    click(info, "BackButton");
                },
                timeoutMs);
            click(mode, "BackButton");
        },
        timeoutMs);
    boot->hide();
}

}  // namespace livna::test
