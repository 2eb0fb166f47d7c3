#pragma once
// All windows of Setka640DKV_KVM, created once in their fixed order and wired to each other.
#include <memory>

#include "workwindow/work_window.h"

namespace livna {

class TBootForm;
class TModeSelectForm;
class TInfoForm;
class TL640KVForm;
class TChangeSoftForm;
class TL640MSettingsForm;

class WizardWindows {
public:
    explicit WizardWindows(AppContext& ctx);
    ~WizardWindows();
    WizardWindows(const WizardWindows&) = delete;
    WizardWindows& operator=(const WizardWindows&) = delete;

    TBootForm* boot() const { return m_boot.get(); }
    TModeSelectForm* modeSelect() const { return m_modeSelect.get(); }
    TInfoForm* info() const { return m_info.get(); }
    TL640KVForm* kvEditor() const { return m_kvEditor.get(); }
    TChangeSoftForm* changeSoft() const { return m_changeSoft.get(); }
    TL640MSettingsForm* kvmEditor() const { return m_kvmEditor.get(); }

private:
    // Declaration order is creation order (and the reverse is the order of destruction).
    std::unique_ptr<TBootForm> m_boot;
    std::unique_ptr<TModeSelectForm> m_modeSelect;
    std::unique_ptr<TInfoForm> m_info;
    std::unique_ptr<TL640KVForm> m_kvEditor;
    std::unique_ptr<TChangeSoftForm> m_changeSoft;
    std::unique_ptr<TL640MSettingsForm> m_kvmEditor;
};

}  // namespace livna
