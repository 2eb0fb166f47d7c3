#pragma once
// The setka settings editor apart from its window: what every control shows (L640View), the
// tables the editor holds between showing an image and gathering the next one (L640Tables), and
// the procedures between them and the two images: ApplyImage, GatherImage, GatherCodes and the
// factory settings. The window copies the view to its controls and back in one pass each and
// runs its field rules in between; what an apply finds wrong comes back as data for it to tell.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "common/settings_image.h"
#include "setka/editor/link_context.h"
#include "setka/editor/system_variant.h"

namespace livna::setka {

inline constexpr int kPartitions = 16;
inline constexpr int kReceivers = 4;
inline constexpr int kDetectorsPerReceiver = 48;
inline constexpr int kDetectors = kReceivers * kDetectorsPerReceiver;  ///< RPD / RPDI fields
inline constexpr int kSystemNumberSlots = kDetectors + 2;              ///< 192, 193: values 61, 62
inline constexpr int kRpdsPerReceiver = 24;
inline constexpr int kLoopsPerRpd = 8;
inline constexpr int kRpds = kReceivers * kRpdsPerReceiver;
inline constexpr int kObjectFields = kRpds * kLoopsPerRpd;  ///< one per loop of every РПД
inline constexpr int kRadioObjectCount = 48;                ///< objects RadioObjects describes
inline constexpr int kObjectMax = 999;
inline constexpr int kCodes = 32;
inline constexpr int kKeys = 96;
inline constexpr int kEditedKeysKvm4 = 64;  ///< variant 3 edits keys 1..64 and carries the rest
inline constexpr int kBorders = 8;
inline constexpr int kKvmReports = 5;
inline constexpr int kKvReports = 7;
inline constexpr int kSecondsMax = 254;  ///< the duration up-downs run 0..254
inline constexpr int kKvmRelayModes = 6;
inline constexpr int kKvRelayModes = 3;

/// Item indices Border1..Border8 show by default: partitions 1–4, 5–8, 9–12, 13–16.
inline constexpr std::array<int, kBorders> kStandardBorders{0, 3, 4, 7, 8, 11, 12, 15};

/// The three type buttons of a partition: ds0k, ds1k, ds2k.
enum class PartitionType { Fire = 0, Security = 1, Emergency = 2 };

struct KvmPartition {
    int nameItem = 0;     ///< NameRzdk: 0..56 (56 = own name); -1 = the stored choice has no item
    std::string ownName;  ///< OwnNamek (UTF-8); shown only with item 56
    PartitionType type = PartitionType::Security;
    bool automaticArming = false;  // avt
    bool silent = false;           // tix
    bool twentyFourHour = false;   // krs
    bool excludable = false;       // Iskl
    bool relay1 = false;           // privrele1k
    bool relay2 = false;           // privrele2k
    bool operator==(const KvmPartition&) const = default;
};

/// A code row (kodN with qNN1..qNN16) or key row (KeyN with qtmNN1..qtmNN16).
struct AccessRow {
    std::string text;               ///< code digits or 12 hexadecimal digits; empty or blanks = none
    std::uint16_t authorities = 0;  ///< bit m-1 = box m
    bool operator==(const AccessRow&) const = default;
};

/// Controls of variants 1 and 3 (Ливна-КВ-М).
struct KvmControls {
    std::string engineerPassword;  ///< PasswordEdit, four places
    std::string userPassword;      ///< PasswordEdit2, six places, a space for no digit
    int exitDelay = 0;             ///< Delay
    int entryDelay = 0;            ///< DelayVxod
    std::array<KvmPartition, kPartitions> partitions{};
    int relay1Mode = 0;  ///< Rele1Combo item 0..5; -1 = the stored mode has no item
    int relay2Mode = 0;  ///< Rele2Combo
    /// RPDrd: receiver by receiver, two places; variant 1 shows receiver 1 only.
    std::array<std::string, kDetectors> bindings{};
    std::array<std::string, kDetectors> systemNumbers{};   ///< RPDIrd, three places (variant 3)
    std::array<int, kBorders> borders = kStandardBorders;  ///< Border1..Border8 item 0..15
    int externalSounderTime = 0;                           ///< TimesoundExt (variant 3)
    int sounderMode = 0;                  ///< 0 Keysound1 (on), 1 Keysound3 (off), 2 keysound2 (alarm only)
    int sounderTime = 0;                  ///< Timesound
    int backlightMode = 0;                ///< 0 LCD_key1 (on), 1 LCD_key3 (off), 2 LCD_key2 (automatic)
    int backlightTime = 0;                ///< TimeLCD
    bool gsmPolling = false;              ///< GSMkom "Вкл."
    bool kom671Polling = false;           ///< kom671 "Вкл."
    bool partitionMemoryOn = false;       ///< MemRazd "Вкл."
    bool passwordResetForbidden = false;  ///< password2 chosen
    std::array<bool, kKvmReports> reportAsAlarm{};  ///< the "tr" button of each status pair
    bool operator==(const KvmControls&) const = default;
};

/// Controls of variant 5 (Ливна-КВ): PanelKV and the object pages.
struct KvControls {
    std::string engineerPassword;                  ///< paswrd1, four places
    std::string adminPassword;                     ///< paswrd2, six places, a space for no digit
    int sounderMode = 0;                           ///< 0 SoundButton1, 1 SoundButton3, 2 SoundButton2
    int sounderTime = 0;                           ///< SoundUpDown
    int backlightMode = 0;                         ///< 0 LCDButton1, 1 LCDButton3, 2 LCDButton2
    int backlightTime = 0;                         ///< LCDUpDown
    std::array<bool, kKvReports> reportAsAlarm{};  ///< DamagePult2 .. ConnectMR2 ticked
    bool passwordResetForbidden = false;           ///< ClearPaswrd2 chosen
    int relay1Mode = 0;                            ///< ReleRI1 item 0..2; -1 = the stored mode has no item
    int relay2Mode = 0;                            ///< ReleRI2
    bool speed4800 = false;                        ///< SpeedLine "4800 бод"
    /// Object fields at their ObjectNumbers index 192·(r−1) + 8·(p−1) + (s−1), three places.
    std::array<std::string, kObjectFields> objects{};
    bool operator==(const KvControls&) const = default;
};

/// What every control of the editor shows. Controls of the variants not shown keep their values.
struct L640View {
    KvmControls kvm;
    KvControls kv;
    int codeCount = 0;  ///< KOD position 0..32
    int keyCount = 0;   ///< KEY position 0..96
    std::array<AccessRow, kCodes> codes{};
    /// Variant 3 shows keys 65..96 read-only; their records are carried from the held CodesImage.
    std::array<AccessRow, kKeys> keys{};
    bool operator==(const L640View&) const = default;
};

/// What the editor holds between showing an image and gathering the next.
struct L640Tables {
    SettingsImage baseImage{kSettingsSize};  ///< the SettingsImage last shown; gatherings start from it
    SettingsImage heldCodes{kHeldCodesSize};
    std::array<std::int32_t, kSystemNumberSlots> systemNumbers{};
    std::array<std::int32_t, kObjectFields> objectNumbers{};
    std::array<std::int32_t, kRpds> objectChangedBits{};
    std::array<std::int32_t, std::size_t{2} * kRadioObjectCount> radioObjects{};
    SettingsImage defaultSettings{kSettingsSize};  ///< copies made by the last factory settings
    SettingsImage defaultCodes{kHeldCodesSize};
    bool writeDefaultsOnce = false;
    std::int32_t relayByte = 0;
};

/// The fields a gathering refuses to store.
enum class Field { PasswordEdit, PasswordEdit2, paswrd1, paswrd2, kod };

/// Two object fields of different РПД rows holding the same object.
struct ObjectRepeat {
    int first = 0;   ///< ObjectNumbers index of the earlier field
    int second = 0;  ///< and of the later one
    int object = 0;
    bool operator==(const ObjectRepeat&) const = default;
};

/// What one ApplyImage found and mended, for the window to tell.
struct ApplyReport {
    bool systemNumbersZeroed = false;         ///< repeated system numbers were set to 0 (variant 3)
    std::vector<ObjectRepeat> objectRepeats;  ///< variant 5
    /// PasswordEdit, PasswordEdit2: a stored digit 0, which the fields do not take, was removed.
    std::vector<Field> zerosRemoved;
};

/// Whether the caller read the image from the panel: only then is value 1 the version code.
enum class ImageSource { Panel, Other };

/// Shows a SettingsImage (a shorter one reads as zeros beyond its end) and the held CodesImage
/// in the controls of the editor's variant, in the order the field rules need, and sets the held
/// tables from them. On-line, an image from the panel makes its value 1 the current version code.
ApplyReport applyImage(const SettingsImage& image, ImageSource source, LinkContext& context, L640View& view,
                       L640Tables& tables);

struct Refusal {
    Field field = Field::PasswordEdit;
    int index = 0;  ///< code 1..32 for kod; 0 otherwise
    bool operator==(const Refusal&) const = default;
};

/// A new SettingsImage of 1024 values from the controls and tables, or the field it cannot
/// store (variants 1, 3: an engineer password of other than four digits). Rebuilds RadioObjects,
/// keeps RelayByte in step with value 22 and consumes WriteDefaultsOnce (variant 5). Callers
/// gather both images before anything is sent or saved, so that a refusal stops the whole operation.
std::variant<SettingsImage, Refusal> gatherImage(const LinkContext& context, const L640View& view,
                                                 L640Tables& tables);

/// A new CodesImage of 2048 values (the first 1024 or 1792 mean anything), or the code whose
/// text holds something other than digits and blanks.
std::variant<SettingsImage, Refusal> gatherCodes(const LinkContext& context, const L640View& view,
                                                 const L640Tables& tables);

/// "Заводские установки": in demo mode sets the configuration byte and version code of the
/// chosen variant; loads the variant's factory image into the held CodesImage and the default
/// copies, resets the bounds and shows the SettingsImage.
ApplyReport factorySettings(LinkContext& context, L640View& view, L640Tables& tables);

}  // namespace livna::setka
