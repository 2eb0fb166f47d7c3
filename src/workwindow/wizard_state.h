#pragma once
// The wizard's two choices, program-wide.

namespace livna {

/// The radio system the wizard's first page chose.
enum class SystemType { None = 0, Kv = 1, Kvm = 2 };
/// The job the wizard's second page chose.
enum class OperationMode { None = 0, FirmwareUpdate = 1, Settings = 4 };

struct WizardState {
    livna::SystemType SystemType = SystemType::None;
    livna::OperationMode OperationMode = OperationMode::None;
};

}  // namespace livna
