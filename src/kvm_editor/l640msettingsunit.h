#pragma once
// The Ливна-КВ-М settings editor: every setting of the panel as controls, the mapping between
// them and the settings image (ApplyImage, GatherImage), the field rules those set off, and the
// settings files.
//
// Where the code lives:
//   l640msettingsunit.cpp   the window, start-up, state
//   l640msettingsbuild.cpp  the tabs and controls, built from the tables of kvmtables.h
//   l640msettingsmapping.cpp ApplyImage and GatherImage, between the controls and the settings
//                            model of kvm_model.h (image offsets and encodings live there)
//   l640msettingsrules.cpp  the field rules that ApplyImage runs and that also run on edits
//   l640msettingsfiles.cpp  loading and saving settings files and registration copies
//   l640msettingsexchange.cpp connect, read from and write to the panel, the work mode
// The rules that run only on the installer's edits (leaving a field, typing a code or a key)
// and the device exchange are added in files of their own; they reach the controls through the
// accessors below and call the rules' entry points in the "Field rules" section.
#include <QColor>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "common/settings_file.h"
#include "common/settings_image.h"
#include "kvm_editor/kvmtables.h"
#include "ui/exit_guard.h"
#include "ui/field_widgets.h"
#include "ui/usb_connect.h"
#include "usblink/block_transfer.h"
#include "workwindow/editor_link.h"
#include "workwindow/work_window.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QStringListModel;
class QTabWidget;

namespace livna {

class TL640MSettingsForm : public WorkWindow, public SettingsEditorConnect {
    Q_OBJECT
public:
    /// The program folder is the application's folder.
    explicit TL640MSettingsForm(AppContext& ctx, QWidget* parent = nullptr);
    /// The same with the program folder given (tests work in a folder of their own). The window
    /// makes that folder current and creates "Conf" in it when missing.
    TL640MSettingsForm(AppContext& ctx, const QString& programFolder, QWidget* parent = nullptr);
    ~TL640MSettingsForm() override;

    // ---- image <-> controls ------------------------------------------------------------------

    /// Shows the image in the controls (any integers are accepted; the image is not changed).
    /// The field rules it sets off tell what they changed in one box, after the image is shown.
    void ApplyImage(const SettingsImage& image);
    /// A new 2048-value image built from the controls. When a field cannot be encoded (a text
    /// that is not a number, an engineer password of fewer than four digits) a box names the
    /// field, the focus goes there, and nothing is returned.
    std::optional<SettingsImage> GatherImage();

    /// Version code of the panel accepted at the last connect; value 1 of every image built.
    int firmwareVersionCode() const { return m_versionCode; }
    void setFirmwareVersionCode(int code) { m_versionCode = code; }
    /// Number of codes and keys in use as the rows show them.
    int codesInUse() const { return m_codesInUse; }
    int keysInUse() const { return m_keysInUse; }

    // ---- files ---------------------------------------------------------------------------------

    /// Reads a settings file into the editor (load, factory settings and start-up): the lines go
    /// to the hidden list, then ApplyImage, then the first tab is brought to the front. A file
    /// that cannot be used is refused with a box naming the file and the problem, and the editor
    /// keeps what it had. Returns whether the file was applied.
    bool readSettingsFile(const QString& path);
    /// Button handlers and start-up of the file side.
    void LoadBitBtnClick();
    void SaveBitBtnClick();
    void DefaultButtonClick();
    /// What showing the window does: factory settings, first tab, demo-mode button states.
    void FormShow();

    /// The lines of the last settings read or written (the hidden list `tmpListB`).
    const QStringList& tmpListB() const { return m_tmpLines; }
    /// The registration copy held by the window (the hidden list `L640bakListB`): a whole copy
    /// read from the panel or from a file, or none.
    const std::optional<RegistrationCopy>& registrationCopy() const { return m_registrationCopy; }
    /// The held copy as the hidden list shows it, one value a line (empty when none is held).
    QStringList registrationCopyLines() const;
    /// Replaces the held registration copy and shows its file name (empty: no name shown).
    void setRegistrationCopy(std::optional<RegistrationCopy> copy, const QString& fileName);
    /// "_ddMMyy_", fixed when the window was created.
    QString dateStamp() const { return m_dateStamp; }
    QString programFolder() const { return m_programFolder; }
    /// Relative path of the factory-default file.
    static QString factoryFilePath();

    // ---- device exchange (l640msettingsexchange.cpp) ------------------------------------------
    // Every exchange runs to its end on this thread. Meanwhile the window is busy: its controls
    // are off, Esc and the close box are held off, only the bars move.

    /// UsbConnect over the program's link; on acceptance the settings are read at once.
    void ConnectButtonClick();
    /// Resets the buttons and labels; the link stays open and the panel is sent nothing.
    void DisconnectButtonClick();
    /// Reads blocks 0..7 (and the registration blocks when L640bakChB is ticked).
    void ReadButtonClick();
    /// Writes blocks 0, 1, 3..7 (and the registration copy when L640bakChB is ticked).
    void WriteButtonClick();
    /// OperatingModeCmB picked: 0 = "демо", 1 = "on-line".
    void OperatingModeCmBSelect(int index);

    // UsbConnectWindow
    void setProgress(int percent) override { WorkWindow::setProgress(percent); }
    bool accepts(const DeviceInfo& info) const override;
    void disconnectAction() override;
    void acceptanceAction(const DeviceInfo& info) override;

    // ---- field rules (one place; ApplyImage and the edits both call these) -------------------

    /// Removes every "0" from the password field, one warning box for each.
    void passwordChangeRule(MaskedField* field);
    /// Seconds edit i (see secondsEdit) changed: an empty text is left, 0..254 sets the counter,
    /// any other number is refused with a box and replaced by "1"; a text that is not a number
    /// is left for GatherImage to refuse.
    void secondsRangeRule(int i);
    void internalSounderRule();
    void backlightRule();
    void voiceModuleRule();
    void autoReminderRule();
    /// Partition k (1..16) got a type by a click (or by ApplyImage).
    void partitionTypeRule(int k);
    /// Output n (1..5): presets and locks for its work mode.
    void outputWorkModeRule(int n);
    /// Output n (1..5) in "Специальный": which of its time choices are free.
    void specialModeTimingRule(int n);
    /// Wired loop s (1, 2): double triggering only for a fire loop.
    void wiredLoopTypeRule(int s);
    /// Rows, colours and the stored counts after the count counters changed.
    void codeCountRule();
    void keyCountRule();
    /// Shows or hides the own-name field of partition k.
    void showOwnName(int k, bool visible);
    /// Colours of a code or key row in use and not in use.
    static QColor rowInUseColour();
    static QColor rowNotInUseColour();
    /// True while ApplyImage runs (rules that only answer the installer's edits check it).
    bool applying() const { return m_applying; }

    // ---- checks of the installer's edits (l640msettingschecks.cpp) ----------------------------
    // An exit check runs when the installer really leaves its field (see ExitGuard); it shows its
    // boxes, applies its correction and returns true when the installer is sent back.

    bool PasswordEdit2Exit();
    bool PasswordEditExit();
    /// Time field i (0..3: TimeReminder, TimeReminder1, SilenceStart, SilenceStop).
    bool TimeExit(int i);
    bool RPDExit(int receiver, int detector);
    /// Code c (1..32): the duress check, only while duress codes are used.
    bool kodExit(int c);
    /// Key k (1..96): a key neither empty nor whole asks whether to go back or fill it with "0".
    bool KeyExit(int k);
    /// Typing into code c or key k (only while its row is enabled).
    void kodChange(int c);
    void KeyChange(int k);
    /// NameRzd k picked: the own-name field shows only for "пользовательское название".
    void NameRzdChange(int k);
    /// The installer changed ViolenceCode.
    void ViolenceCodeChange();

    // ---- controls (for the rule and exchange files, and for tests) -----------------------------

    struct SecondsField {
        QLineEdit* edit = nullptr;
        UpDown* counter = nullptr;
        const char* caption = "";
    };
    /// The seven seconds fields in the order: DelayEdit, DelayEditVxod, DelayEdit2,
    /// DelayEditVxod2, EditSoundExt, EditTimesound, EditTimeLCD.
    static constexpr int kSecondsFields = kvm::kSecondsFields;
    const SecondsField& secondsEdit(int i) const { return m_seconds.at(i); }

    struct PartitionRow {
        QComboBox* name = nullptr;
        QLineEdit* ownName = nullptr;
        QLabel* labelSimb = nullptr;
        QRadioButton* fire = nullptr;       // ds0k
        QRadioButton* security = nullptr;   // ds1k
        QRadioButton* emergency = nullptr;  // ds2k
        QButtonGroup* type = nullptr;
        QCheckBox* avt = nullptr;
        QCheckBox* tix = nullptr;
        QCheckBox* krs = nullptr;
        QCheckBox* iskl = nullptr;
    };
    const PartitionRow& partitionRow(int k) const { return m_partitions.at(k - 1); }

    /// A code or key row: its edit and its 16 partition boxes.
    struct AccessRow {
        MaskedField* edit = nullptr;
        std::array<QCheckBox*, kPartitionCount> partitions{};
    };
    const AccessRow& codeRow(int c) const { return m_codes.at(c - 1); }
    const AccessRow& keyRow(int k) const { return m_keys.at(k - 1); }

    struct OutputGroup {
        RadioGroup* workMode = nullptr;
        QComboBox* control = nullptr;  // ReleControlN
        std::array<QCheckBox*, kPartitionCount> partitions{};
        std::array<QCheckBox*, kvm::kOutputEvents> events{};
        QComboBox* close = nullptr;     // TimeZmkN
        QComboBox* open = nullptr;      // TimeRzmkN
        QComboBox* duration = nullptr;  // TimePeriodN
        QComboBox* inverse = nullptr;   // InvReleN
    };
    const OutputGroup& output(int n) const { return m_outputs.at(n - 1); }

    MaskedField* detectorBinding(int receiver, int detector) const {
        return m_bindings.at(receiver - 1).at(detector - 1);
    }
    UpDown* codeCounter() const { return m_codeCount.counter; }
    UpDown* keyCounter() const { return m_keyCount.counter; }
    QTabWidget* tabs() const { return m_tabs; }
    QTabWidget* keyTabs() const { return m_keyTabs; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    // building (l640msettingsbuild.cpp)
    void buildControls();
    QWidget* buildMainPage();
    QWidget* buildPartitionsPage();
    QWidget* buildCodesPage();
    QWidget* buildKeysPage();
    QWidget* buildKeyPage(int firstKey);
    QWidget* buildBindingsPage();
    QWidget* buildBindingPage(int receiver, bool systemNumbers);
    QWidget* buildOutputsPage();
    QWidget* buildOutputPage(int n);
    QWidget* buildVoicePage();
    QWidget* buildExchangeRow();
    QWidget* buildAccessRows(const QString& editPrefix, const QString& boxPrefix, int first, int count,
                             int positions, std::vector<AccessRow>& rows);
    QGroupBox* buildCountGroup(const char* caption, const char* label, const char* editName,
                               const char* counterName, int maximum, SecondsField& field, QWidget* parent);
    SecondsField makeSecondsField(const QString& counterName, const QString& editName, const char* caption,
                                  QWidget* parent);
    void connectRules();
    template <class W>
    W* add(W* widget, const QString& name) {
        return mutableNames().add(widget, name);
    }

    // mapping helpers (l640msettingsmapping.cpp)
    void setCounter(SecondsField& field, int position);
    /// The body of ApplyImage: the model to the controls, with the rules that sets off.
    void showSettings(const kvm::Settings& s);
    void applyAccessRows(const kvm::Settings& s);
    bool refuse(QWidget* field, const QString& text);
    /// The box of a field encode refused, naming the field; the focus goes there.
    void refuse(const kvm::Refusal& refusal);
    void enforceFirePartitions();
    int loopPartition(int s) const;

    // rules helpers (l640msettingsrules.cpp)
    /// A rule's box: boxText on the installer's edit; while ApplyImage runs, change (the field
    /// and what was done to it) is kept for the one box tellApplyChanges shows.
    void tellRule(const char* boxText, const QString& change);
    void tellApplyChanges();
    void setRowInUse(AccessRow& row, bool inUse);
    void applyOutputPreset(int n, int modeItem);
    void countChanged(SecondsField& field, int maximum);

    // checks helpers (l640msettingschecks.cpp)
    void connectChecks();
    void plainBox(const QString& text);
    std::vector<std::string> codeTexts() const;
    bool duressCodesUsed() const;

    // file helpers (l640msettingsfiles.cpp)
    void loadRegistrationCopy();
    bool saveRegistrationCopy();
    void connectFileControls();

    // exchange helpers (l640msettingsexchange.cpp)
    void connectExchangeControls();
    void setConnectedButtons(bool connected);
    void readFromPanel();
    /// Reads blocks 2, 14, 15, 16 into the held copy (kept only when all four came); the
    /// blocks that failed; lost is set when an error of the system broke the link.
    std::vector<int> readRegistrationBlocks(bool& lost);
    void windowClosed();
    /// What the window does after each block of an exchange: the "Error" box of a failure of the
    /// operating system, the progress of a settings block, and a repaint.
    BlockProgress blockShown(bool settings);
    /// Tells the "Error" box of a transfer that met an error of the operating system; true when it
    /// did, and the link is then lost.
    bool toldLinkLost(const BlockTransfer& transfer);
    /// After a lost link: releases it and shows the window disconnected, so the next action is a
    /// fresh connect, which finds whether the panel is there.
    void dropLostLink();

    QString m_programFolder;
    QString m_dateStamp;
    int m_versionCode = 0;
    bool m_applying = false;
    QStringList m_applyChanges;               ///< what ApplyImage's rules changed, in order, each once
    bool m_imageCorrected = false;            ///< the last ApplyImage showed some values other than stored
    std::array<std::int32_t, 6> m_carried{};  // the carried values of the image last shown
    int m_codesInUse = 0;
    int m_keysInUse = 0;
    std::unique_ptr<ExitGuard> m_exitGuard;  // the exit checks of the fields
    QStringList m_tmpLines;
    std::optional<RegistrationCopy> m_registrationCopy;

    QStringListModel* m_halfSecondModel = nullptr;
    QStringListModel* m_fiveSecondModel = nullptr;
    QStringListModel* m_nameModel = nullptr;
    QTabWidget* m_tabs = nullptr;
    QTabWidget* m_keyTabs = nullptr;
    QTabWidget* m_bindingTabs = nullptr;
    QTabWidget* m_outputTabs = nullptr;
    QWidget* m_partitionsPage = nullptr;
    QWidget* m_codesPage = nullptr;
    QWidget* m_keysPage = nullptr;
    QWidget* m_bindingsPage = nullptr;

    MaskedField* m_password = nullptr;      // PasswordEdit
    MaskedField* m_userPassword = nullptr;  // PasswordEdit2
    RadioGroup* m_confirmPassword = nullptr;
    RadioGroup* m_gsm = nullptr;
    RadioGroup* m_phone = nullptr;
    std::array<SecondsField, kSecondsFields> m_seconds{};
    SecondsField m_codeCount;
    SecondsField m_keyCount;
    std::array<QRadioButton*, 3> m_sounder{};    // by stored value: Keysound1, Keysound3, keysound2
    std::array<QRadioButton*, 3> m_backlight{};  // by stored value: LCD_key1, LCD_key3, LCD_key2
    struct RadioPair {
        QRadioButton* yes = nullptr;  // "tr" or "Y"
        QRadioButton* no = nullptr;   // "ncp" or "N"
    };
    std::array<RadioPair, 5> m_reports{};
    std::array<QComboBox*, 8> m_borders{};
    std::array<MaskedField*, 2> m_loopPartitions{};
    std::array<QComboBox*, 2> m_loopTypes{};
    std::array<QCheckBox*, 2> m_doubleTriggers{};

    std::vector<PartitionRow> m_partitions;
    std::array<std::array<MaskedField*, kvm::kDetectorsPerReceiver>, kvm::kReceivers> m_bindings{};
    std::array<std::array<MaskedField*, kvm::kDetectorsPerReceiver>, kvm::kReceivers> m_systemNumbers{};
    std::vector<AccessRow> m_codes;
    std::vector<AccessRow> m_keys;
    RadioGroup* m_violence = nullptr;
    std::vector<OutputGroup> m_outputs;

    RadioGroup* m_voiceModule = nullptr;
    RadioGroup* m_reminderAfterDisarm = nullptr;
    RadioGroup* m_autoReminder = nullptr;
    QComboBox* m_volume = nullptr;
    QWidget* m_voicePlayGroup = nullptr;
    QWidget* m_voiceRemindGroup = nullptr;
    std::array<RadioPair, 12> m_voiceMessages{};
    std::array<RadioPair, 3> m_remindedTroubles{};
    std::array<MaskedField*, 4> m_times{};  // TimeReminder, TimeReminder1, SilenceStart, SilenceStop

    QComboBox* m_operatingMode = nullptr;
    QPushButton* m_connectButton = nullptr;
    QPushButton* m_disconnectButton = nullptr;
    QPushButton* m_readButton = nullptr;
    QPushButton* m_writeButton = nullptr;
    QPushButton* m_loadButton = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_defaultButton = nullptr;
    QLabel* m_typeLabel = nullptr;
    QLabel* m_versionLabel = nullptr;
    QCheckBox* m_registrationOption = nullptr;  // L640bakChB
    QLabel* m_objNumLabel = nullptr;
    QLineEdit* m_objNumEdit = nullptr;
    QLabel* m_copyLabel = nullptr;
    QLabel* m_copyNameLabel = nullptr;  // RCopyFNameLabel2
};

}  // namespace livna
