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
#include "wizard_walk.h"

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

/// Walks the wizard to the settings editor of system with "Настройка прибора", runs body while
/// the editor is up, closes it with Esc (when body left it open) and walks back.
inline void inSettingsEditor(WizardWindows& windows, WizardSystem system, QWidget* editor,
                             const std::function<void()>& body, int timeoutMs = kModalTimeoutMs) {
    walkToWorkWindow(
        windows, system, WizardJob::Settings,
        [&](QWidget* work) {
            if (work != editor) fail("the wizard opened " + work->objectName());
            body();
        },
        timeoutMs);
}

}  // namespace livna::test
