#pragma once
// The dialog service on Qt's message box and file dialog, with Russian buttons.
#include <QString>
#include <QStringList>

#include "common/dialog_service.h"

namespace livna {

/// Qt's form of a "Описание (*.ext)|*.ext|…" filter: one entry per pair, in the same order.
QStringList toQtNameFilters(const std::string& filter);

/// Width of a window whose title bar shows title in full: the bold title and the bar's controls.
int titleBarWidth(const QString& title);

class QtDialogService : public DialogService {
public:
    MsgAnswer message(const MessageRequest& request) override;
    std::optional<std::string> openFile(const FileDialogRequest& request) override;
    std::optional<std::string> saveFile(const FileDialogRequest& request) override;
};

}  // namespace livna
