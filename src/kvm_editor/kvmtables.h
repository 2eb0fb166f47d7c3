#pragma once
// Fixed tables of the Ливна-КВ-М editor: the sizes of the numbered control families, the
// outputs' tabs and event boxes, the report, voice and reminder pairs, the time fields.
#include <QString>
#include <QStringList>

#include <array>

namespace livna::kvm {

inline constexpr int kPartitions = 16;
inline constexpr int kReceivers = 4;
inline constexpr int kDetectorsPerReceiver = 48;
inline constexpr int kCodes = 32;
inline constexpr int kKeys = 96;
inline constexpr int kKeysPerPage = 32;
inline constexpr int kOutputs = 5;
inline constexpr int kOutputEvents = 12;
inline constexpr int kSecondsMax = 254;  ///< largest seconds value the panel takes
inline constexpr int kUpDownMax = 255;   ///< the seconds counters reach one past it, the rule refuses that

/// Per output: tab caption, prefix of its partition boxes, block 3 offset of its partition set.
struct OutputInfo {
    const char* tabCaption;
    const char* partitionPrefix;
    int partitionOffset;  ///< block 3 offset of the partition set; the event bytes follow it
};
extern const std::array<OutputInfo, kOutputs> kOutputInfo;

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
