#include "kvm_editor/l640msettingsunit.h"

namespace livna {

TL640MSettingsForm::TL640MSettingsForm(AppContext& ctx, QWidget* parent)
    : WorkWindow(ctx, QStringLiteral("L640MSettingsForm"), parent) {}

}  // namespace livna
