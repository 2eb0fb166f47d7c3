#include "ui/qt_dialog_service.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

namespace livna {

namespace {

QMessageBox::Icon toQtIcon(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Information:
            return QMessageBox::Information;
        case MsgIcon::Warning:
            return QMessageBox::Warning;
        case MsgIcon::Error:
            return QMessageBox::Critical;
        case MsgIcon::Question:
            return QMessageBox::Question;
        case MsgIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// Width a window manager's title bar takes beside the title: its icon and its buttons.
constexpr int kTitleBarControlsWidthPx = 140;

// A message box is sized to its text, and a window manager clips a title that is wider
// ("Системн... общение" over a short text); the box is widened to hold its title.
void fitTitle(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr) return;
    grid->addItem(
        new QSpacerItem(titleBarWidth(box.windowTitle()), 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
        grid->rowCount(), 0, 1, grid->columnCount());
}

enum class FileDialogKind { Open, Save };

std::optional<std::string> runFileDialog(const FileDialogRequest& request, FileDialogKind kind) {
    QFileDialog dialog(QApplication::activeWindow(), QString::fromStdString(request.title));
    dialog.setAcceptMode(kind == FileDialogKind::Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(kind == FileDialogKind::Open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // The program asks its own question before replacing a file where that is wanted.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);

    const QStringList filters = toQtNameFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = request.filterIndex - 1;
        dialog.selectNameFilter(filters.value(index >= 0 && index < filters.size() ? index : 0));
    }
    if (!request.defaultExt.empty()) dialog.setDefaultSuffix(QString::fromStdString(request.defaultExt));
    dialog.setDirectory(QDir::current().absoluteFilePath(QString::fromStdString(request.initialDir)));
    const QString offered = QString::fromStdString(request.fileName);
    // A pattern such as "640kvm*" would be taken literally as a file name here; the list is
    // already narrowed by the filter.
    if (!offered.isEmpty() && !offered.contains(QLatin1Char('*')) && !offered.contains(QLatin1Char('?')))
        dialog.selectFile(offered);

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst().toStdString();
}

}  // namespace

int titleBarWidth(const QString& title) {
    // Title bars usually show the title in a bold face.
    QFont font = QApplication::font();
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(title) + kTitleBarControlsWidthPx;
}

QStringList toQtNameFilters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QString patterns = parts[i + 1].trimmed();
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // Qt takes the patterns from the last parentheses of an entry, so a description that
        // already shows them is used as it is.
        if (description.endsWith(QLatin1Char(')')) && description.contains(QLatin1Char('(')))
            out << description;
        else
            out << QStringLiteral("%1 (%2)").arg(description, patterns);
    }
    return out;
}

MsgAnswer QtDialogService::message(const MessageRequest& request) {
    QMessageBox box(toQtIcon(request.icon), QString::fromStdString(request.caption),
                    QString::fromStdString(request.text), QMessageBox::NoButton,
                    QApplication::activeWindow());
    fitTitle(box);
    if (request.buttons == MsgButtons::Ok) {
        QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.setDefaultButton(ok);
        box.setEscapeButton(ok);
        box.exec();
        return MsgAnswer::Ok;
    }
    QPushButton* yes = box.addButton(QStringLiteral("Да"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("Нет"), QMessageBox::NoRole);
    box.setDefaultButton(request.defaultButton == MsgAnswer::No ? no : yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes ? MsgAnswer::Yes : MsgAnswer::No;
}

std::optional<std::string> QtDialogService::openFile(const FileDialogRequest& request) {
    return runFileDialog(request, FileDialogKind::Open);
}

std::optional<std::string> QtDialogService::saveFile(const FileDialogRequest& request) {
    return runFileDialog(request, FileDialogKind::Save);
}

}  // namespace livna
