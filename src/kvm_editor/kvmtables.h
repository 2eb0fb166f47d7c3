#pragma once
// Fixed tables of the Ливна-КВ-М editor: the sizes of the numbered control families, the
// outputs' tabs and event boxes, the report, voice and reminder pairs, the time fields.
#include <QString>
#include <QStringList>

#include <array>

#include "kvm_editor/kvm_model.h"

namespace livna::kvm {

inline constexpr int kKeysPerPage = 32;
inline constexpr int kSecondsMax = 254;  ///< largest seconds value the panel takes

/// Per output: tab caption, prefix of its partition boxes.
struct OutputInfo {
    const char* tabCaption;
    const char* partitionPrefix;
};
extern const std::array<OutputInfo, kOutputCount> kOutputInfo;

/// The twelve output events: bits 0..7 of byte A, then bits 0..3 of byte B.
struct NamedCaption {
    const char* name;
    const char* caption;
};
extern const std::array<NamedCaption, kOutputEvents> kOutputEventInfo;

/// Events whose report mode (alarm or trouble) is bit i of value 36: the "tr" and "ncp" buttons.
struct ReportPair {
    const char* alarmName;
    const char* troubleName;
    const char* caption;
};
extern const std::array<ReportPair, 5> kReportPairs;

/// Voice messages: bits 0..7 of block 3 offset 45, then bits 0..3 of offset 46.
extern const std::array<NamedCaption, 12> kVoiceMessages;
/// Reminded troubles: bits 0..2 of block 3 offset 58.
extern const std::array<NamedCaption, 3> kRemindedTroubles;

/// The four hour-and-minute fields in image order (block 3 offsets 47, 49, 51, 53).
extern const std::array<NamedCaption, 4> kTimeFields;

}  // namespace livna::kvm
