#pragma once
// The firmware-update window. So far it carries the shared work-window furniture and the
// connect button with the hand-off to the earlier-generation program; the firmware file, its
// writing and the factory settings come with the window itself.
#include "workwindow/work_window.h"

class QPushButton;

namespace livna {

class TChangeSoftForm : public WorkWindow {
    Q_OBJECT
public:
    explicit TChangeSoftForm(AppContext& ctx, QWidget* parent = nullptr);

private:
    void ConnectButtonClick();

    QPushButton* m_connectButton = nullptr;
};

}  // namespace livna
