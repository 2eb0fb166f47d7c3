#pragma once
// The Ливна-КВ-М settings editor: every setting of the panel as controls, the mapping between them
// and the settings image, and the settings files.
#include "wizard/generalunit.h"

namespace livna {

class TL640MSettingsForm : public WorkWindow {
    Q_OBJECT
public:
    explicit TL640MSettingsForm(AppContext& ctx, QWidget* parent = nullptr);
};

}  // namespace livna
