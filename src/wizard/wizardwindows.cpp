#include "wizard/wizardwindows.h"

#include "firmware/changesoftunit.h"
#include "kv_editor/l640kvunit.h"
#include "kvm_editor/l640msettingsunit.h"
#include "wizard/bootunit.h"
#include "wizard/infounit.h"
#include "wizard/modeselectunit.h"

namespace livna {

WizardWindows::WizardWindows(AppContext& ctx)
    : m_boot(std::make_unique<TBootForm>(ctx)),
      m_modeSelect(std::make_unique<TModeSelectForm>(ctx)),
      m_info(std::make_unique<TInfoForm>(ctx)),
      m_kvEditor(std::make_unique<TL640KVForm>(ctx)),
      m_changeSoft(std::make_unique<TChangeSoftForm>(ctx)),
      m_kvmEditor(std::make_unique<TL640MSettingsForm>(ctx)) {
    m_boot->setWindows(m_modeSelect.get(), m_kvEditor.get());
    m_modeSelect->setInfoWindow(m_info.get());
    m_info->setWorkWindows(m_kvEditor.get(), m_changeSoft.get(), m_kvmEditor.get());
}

WizardWindows::~WizardWindows() = default;

}  // namespace livna
