#pragma once
// The Ливна-КВ settings editor. So far it carries the shared work-window furniture and the
// connect button with the hand-off to the earlier-generation program; the settings pages and the
// exchange with the panel come with the editor itself.
#include "workwindow/work_window.h"

class QPushButton;

namespace livna {

class TL640KVForm : public WorkWindow {
    Q_OBJECT
public:
    explicit TL640KVForm(AppContext& ctx, QWidget* parent = nullptr);

private:
    void ConnectButtonClick();

    QPushButton* m_connectButton = nullptr;
};

}  // namespace livna
