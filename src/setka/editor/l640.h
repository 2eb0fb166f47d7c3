#pragma once
// The settings editor window of setka (unit L640): every control of the three system variants,
// their layout per variant, and the one-pass mapping between the controls and the editor model
// (setka_model.h), with the rule effects showing an image sets off.
//
// Where the code lives:
//   l640.cpp        the window, LayOut, ApplyImage / GatherImage / GatherCodes, factory settings
//   l640build.cpp   the pages and controls, built in loops from the tables of l640tables.h
//   l640tables.h    fixed names and captions of the repeated controls
//   l640rules.cpp   the field rules that answer the installer's edits, help and the maker's links
//   l640files.cpp   the settings files
// The exchange with the panel comes in a file of its own; it reaches the controls through names().
#include <QWidget>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/dialog_service.h"
#include "common/launcher.h"
#include "setka/editor/l640tables.h"
#include "setka/editor/setka_model.h"
#include "setka/editor/setka_rules.h"
#include "ui/exit_guard.h"
#include "ui/field_widgets.h"
#include "ui/name_index.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTabWidget;

namespace livna {

/// The application title: the caption of every box the editor shows.
inline constexpr const char* kSetkaTitle = "setka";

class TL640Form : public QWidget {
    Q_OBJECT
public:
    /// A seconds or count field: its edit and its up-down (the edit shows the position).
    struct SecondsWidgets {
        QLineEdit* edit = nullptr;
        UpDown* counter = nullptr;
    };
    /// A code or key row: its edit and its 16 authority boxes.
    struct AccessRowWidgets {
        QLineEdit* edit = nullptr;
        std::array<QCheckBox*, setka::kPartitions> boxes{};
    };
    struct PartitionWidgets {
        QComboBox* name = nullptr;
        QLineEdit* ownName = nullptr;
        QLabel* labelSimb = nullptr;
        std::array<QRadioButton*, 3> type{};  // ds0k, ds1k, ds2k
        QButtonGroup* typeGroup = nullptr;
        QCheckBox* avt = nullptr;
        QCheckBox* tix = nullptr;
        QCheckBox* krs = nullptr;
        QCheckBox* iskl = nullptr;
        QCheckBox* relay1 = nullptr;
        QCheckBox* relay2 = nullptr;
    };

    /// Creates the window as the program opens it: bounds and name choices at their start items,
    /// PanelKV shown for the Ливна-КВ family, the demo texts of the status bar in demo mode.
    TL640Form(DialogService& dialogs, setka::LinkContext& context, QWidget* parent = nullptr);
    ~TL640Form() override;

    /// Shows, hides, enables and captions the controls for a system variant. The firmware's
    /// minor number is kept for the on-line rows, which the exchange adds.
    void LayOut(setka::SystemVariant variant, std::optional<int> minor = std::nullopt);
    /// The layout for a panel's firmware: the demo layout of the variant, then what the firmware's
    /// minor number hides, shows or fixes, later rows winning. Only differences are applied, so
    /// controls an earlier firmware hid stay hidden.
    void LayOutOnline(setka::SystemVariant variant, int minor);

    // ---- image <-> controls ------------------------------------------------------------------

    /// Shows a SettingsImage and the held CodesImage in the controls of the editor's variant and
    /// runs the rule effects that follows; what it mended is told in one box afterwards.
    void ApplyImage(const SettingsImage& image, setka::ImageSource source = setka::ImageSource::Other);
    /// A new SettingsImage from the controls; nothing after a box naming a field it cannot store.
    std::optional<SettingsImage> GatherImage();
    /// A new CodesImage from the controls; nothing after a box naming a code it cannot store.
    std::optional<SettingsImage> GatherCodes();
    /// "Заводские установки" (DefaultButton, F7).
    void DefaultButtonClick();

    /// The system-number rule: reads the 192 RPDI fields (a field without a number becomes
    /// "0  "), zeroes repeated numbers with a box each (the edited field keeps its own), refuses
    /// a number above 192 in the edited field and leaves SystemNumbers as the fields then read.
    /// editedIndex is 48·(r−1)+(d−1) of the field RPDIrd left; a save or a write runs it for
    /// RPDI11 (0) before gathering.
    void RPDIChange(int editedIndex = 0);

    // ---- checks before the settings leave the editor -----------------------------------------

    /// Variant 5, file save and device write: codes repeating an earlier one are emptied, each
    /// told in a box, and the code count recomputed. Always 1.
    int RemoveDuplicateCodes();
    /// Variants 1 and 3, device write, first: asks about repeated keys and stops at the first key
    /// without authority or authority without key. 1 = acceptable, −1 = a problem was told.
    int CheckKeys();
    /// Variants 1 and 3, device write, when CheckKeys gave 1: asks about every repeated code, code
    /// without authority and authority without code. 1 = acceptable, −1 = a problem was told.
    int CheckCodes();

    /// Whether an action on a key (F7 here; F9, F10 and the exchange's keys likewise) may run: the
    /// field that has the focus is judged as if it were left, and a refusal is answered instead.
    bool focusedFieldLeft();
    /// The launcher that help and the maker's links open through; the desktop's until set.
    void setLauncher(Launcher& launcher) { m_launcher = &launcher; }

    // ---- field rules (l640rules.cpp) ---------------------------------------------------------

    /// RPDExit .. RPDExit4: every binding of the receiver's tab that its range refuses gets its
    /// box, in order, and "0 "; the focus goes to the last one.
    void RPDExit(int receiver);
    /// The installer picked an item of Border tag (1..8).
    void BorderChange(int tag);
    /// A type button of partition k (1..16) was chosen: its krs and tix are unticked, and
    /// disabled for a fire partition.
    void ChangeTip(int k);
    /// A relay combo was changed or left: the items both КВ-М relay combos show are kept.
    void ReleComboExit();
    /// The partitions page came to the front: the relay combos show the items kept.
    void PageControlChange();
    /// An Object field (Tag = ObjectNumbers index) was entered: its number is the entry value; a
    /// field holding 0 in the row of the field last left is proposed that field's number.
    void ObjectClick(int tag);
    /// "Сброс" of a РПД row: its eight fields get "0 ", the loops it changed are marked changed.
    void ButtonRPDClick(int receiver, int rpd);
    /// "Общий сброс": every row reset, RadioObjects 0, every loop marked changed.
    void BitBtn2Click();
    void BitBtn1Click();
    void Image1Click();
    void Image3Click();

    // ---- settings files (l640files.cpp) -------------------------------------------------------

    /// "Записать в файл" (F9): the gathered images of the editor's variant into a file.
    void SaveButtonClick();
    /// "Считать файл" (F10): a file of the chosen variant into the controls; a file that is
    /// refused changes nothing.
    void LoadButtonClick();

    /// Replaces the held CodesImage (a read from the panel or a file) before ApplyImage.
    void setHeldCodes(const SettingsImage& codes);

    // ---- rule effects (written once; the field rules call them too) ---------------------------

    /// krs and tix of a fire partition are disabled, of the others enabled (an image shows).
    void partitionTypeRule();
    /// Changesound, Changelcd, SoundButtonClick, LCDButtonClick.
    void durationEnablingRule();
    /// Code rows 1..count in use, the rest emptied and disabled (NumKodEditChange).
    void codeCountRule();
    /// Key rows and key pages from the key count (NumKeyEditChange).
    void keyCountRule();
    /// OwnNamek and LabelSimbk show exactly while NameRzdk has the own-name item.
    void ownNameRule(int k);

    // ---- state (for the other parts of the editor and for tests) ------------------------------

    const NameIndex& names() const { return m_names; }
    const setka::L640View& view() const { return m_view; }
    const setka::L640Tables& tables() const { return m_tables; }
    setka::L640Tables& tables() { return m_tables; }
    setka::LinkContext& context() { return m_context; }
    setka::SystemVariant layoutVariant() const { return m_layoutVariant; }
    std::optional<int> layoutMinor() const { return m_layoutMinor; }
    QTabWidget* pageControl() const { return m_pages; }
    /// Whether the tab of a page (named as the page) is shown, and its caption.
    bool tabShown(const QString& page) const;
    QString tabCaption(const QString& page) const;
    QStatusBar* statusBar() const { return m_statusBar; }
    QLabel* statusPanel(int i) const { return m_statusPanels.at(static_cast<std::size_t>(i)); }
    /// Colours of a code or key row in use and not in use.
    static QColor rowInUseColour();
    static QColor rowNotInUseColour();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // building (l640build.cpp)
    void buildControls();
    QWidget* buildTopRow();
    QWidget* buildPartitionsPage();
    QWidget* buildKvPanel();
    /// Three radio buttons by stored value (0 on, 1 off, 2 the third mode) and their duration.
    QGroupBox* buildThreeWay(const char* caption, const setka::ThreeWay& names,
                             std::array<QRadioButton*, 3>& buttons, SecondsWidgets& time,
                             const char* counterName, const char* editName, QWidget* parent);
    /// Two radio buttons, each given as {caption, name}.
    QGroupBox* buildPair(const char* caption, const std::array<setka::NamedCaption, 2>& buttons,
                         std::array<QRadioButton*, 2>& out, QWidget* parent);
    /// "Статус  извещений.": per event its caption and two buttons named stem + suffix; the
    /// buttons are given as {caption, suffix}.
    template <std::size_t N>
    QGroupBox* buildReportPairs(const std::array<setka::NamedCaption, N>& events,
                                const std::array<setka::NamedCaption, 2>& buttons,
                                std::array<std::array<QRadioButton*, 2>, N>& out, QWidget* parent);
    QWidget* buildCodesPage();
    /// The count of codes or keys in use: edit and up-down 0..maximum.
    QGroupBox* buildCountGroup(const char* caption, const char* counterName, const char* editName,
                               int maximum, SecondsWidgets& field, QWidget* parent);
    QWidget* buildBindingsPage();
    QWidget* buildKeysPage();
    QWidget* buildNamesPage();
    QWidget* buildObjectsPage();
    QWidget* buildSystemNumbersPage();
    QWidget* buildObjectReceiverPage(int receiver);
    QWidget* buildAccessRows(const QString& editPrefix, const QString& boxPrefix, int first, int count,
                             std::vector<AccessRowWidgets>& rows, bool keys);
    SecondsWidgets makeCounter(const QString& counterName, const QString& editName, int maximum,
                               QWidget* parent);
    void connectEffects();
    template <class W>
    W* add(W* widget, const QString& name) {
        return m_names.add(widget, name);
    }
    void setTabShown(const QString& page, bool shown);
    void setTabCaption(const QString& page, const QString& caption);

    // mapping (l640.cpp)
    void showView();
    void readView();
    void tellReport(const setka::ApplyReport& report);
    void refuse(const setka::Refusal& refusal);
    /// The image gathered, or nothing after the box of the field it could not store.
    std::optional<SettingsImage> taken(std::variant<SettingsImage, setka::Refusal> result);
    void setRowInUse(AccessRowWidgets& row, bool inUse, bool editable);
    void showImage(const setka::ApplyReport& report);
    void runApplyEffects();

    // field rules (l640rules.cpp)
    void connectRules();
    void watchFields();
    void inform(const QString& text);
    /// The rule of the seven duration edits on every change of their text.
    void durationChange(const SecondsWidgets& field);
    /// The count edits move their up-down (NumKodEdit, NumKeyEdit).
    void countEditChange(const SecondsWidgets& field);
    void passwordChange(MaskedField* field);
    bool passwordExit(setka::Field field);
    void kodChange(int n);
    void KeyChange(int n);
    bool keyRefused(int n) const;
    bool KeyExit(int n);
    /// The item indices Border1..Border8 show.
    std::array<int, setka::kBorders> borderItems() const;
    bool bindingsRefused(int receiver) const;
    bool systemNumbersRefused(int editedIndex) const;
    std::array<int, setka::kDetectors> systemNumberFields() const;
    bool OwnNameChange(int k);
    /// The 768 Object fields as the leave reads them (the table where no receiver is read).
    std::array<std::optional<int>, setka::kObjectFields> objectFields() const;
    setka::ObjectLeave objectLeave(int tag) const;
    /// The refused leave of an Object field: the boxes, the put-back and the focus.
    bool ObjectExit(int tag);
    /// ObjectNumbers, LastObjectValue, LastObjectIndex and the changed bit after a leave.
    void objectLeft(int tag, const setka::ObjectLeave& leave);
    static setka::AccessRow accessRowOf(const AccessRowWidgets& widgets);
    static void showAccessRow(AccessRowWidgets& widgets, const setka::AccessRow& row);
    std::vector<setka::AccessRow> accessRows(const std::vector<AccessRowWidgets>& widgets) const;
    using AccessWalker = setka::AccessWalk (*)(std::vector<setka::AccessRow>, int, const setka::Asker&);
    /// A check over the rows in use, asking through Yes/No boxes; the rows it changed are shown.
    int walkAccessRows(std::vector<AccessRowWidgets>& widgets, int count, AccessWalker walker);
    void openDocument(const std::string& target);

private:
    DialogService& m_dialogs;
    setka::LinkContext& m_context;
    setka::L640View m_view;
    setka::L640Tables m_tables;
    setka::SystemVariant m_layoutVariant;
    std::optional<int> m_layoutMinor;
    NameIndex m_names;
    bool m_applying = false;  // the rules run once after the whole image is shown
    std::unique_ptr<ExitGuard> m_exitGuard;
    std::unique_ptr<Launcher> m_desktopLauncher;
    Launcher* m_launcher = nullptr;
    std::array<bool, setka::kBorders> m_borderChanged{};  // the item changed in the pick being made
    std::array<int, 2> m_relayItems{};
    int m_objectEntryValue = 0;      // ObjectEntryValue
    int m_lastObjectValue = 0;       // LastObjectValue
    int m_lastObjectIndex = 0;       // LastObjectIndex
    bool m_objectAnswering = false;  // an Object leave is being answered                    // Rele1Combo,
                                     // Rele2Combo as last chosen (-1: none)

    QTabWidget* m_pages = nullptr;  // PageControl
    QWidget* m_kvmPage = nullptr;   // the Ливна-КВ-М controls of TabSheetRazdel, covered by PanelKV
    QStatusBar* m_statusBar = nullptr;
    std::array<QLabel*, 2> m_statusPanels{};
    QProgressBar* m_progress = nullptr;

    // variants 1 and 3
    MaskedField* m_password = nullptr;      // PasswordEdit
    MaskedField* m_userPassword = nullptr;  // PasswordEdit2
    SecondsWidgets m_exitDelay, m_entryDelay, m_sounderTime, m_backlightTime, m_externalTime;
    SecondsWidgets m_codeCount, m_keyCount;          // KOD, KEY
    std::array<QRadioButton*, 3> m_sounder{};        // by stored value: Keysound1, Keysound3, keysound2
    std::array<QRadioButton*, 3> m_backlight{};      // by stored value: LCD_key1, LCD_key3, LCD_key2
    std::array<QRadioButton*, 2> m_passwordReset{};  // password1, password2
    std::array<std::array<QRadioButton*, 2>, setka::kKvmReports> m_kvmReports{};  // tr, ncp
    RadioGroup* m_gsm = nullptr;
    RadioGroup* m_kom671 = nullptr;
    RadioGroup* m_memory = nullptr;
    QComboBox* m_relay1 = nullptr;  // Rele1Combo
    QComboBox* m_relay2 = nullptr;
    std::array<PartitionWidgets, setka::kPartitions> m_partitions{};
    std::array<MaskedField*, setka::kDetectors> m_bindings{};       // RPDrd
    std::array<MaskedField*, setka::kDetectors> m_systemNumbers{};  // RPDIrd
    std::array<QComboBox*, setka::kBorders> m_borders{};
    std::vector<AccessRowWidgets> m_codes;
    std::vector<AccessRowWidgets> m_keys;
    QTabWidget* m_keyPages = nullptr;

    // variant 5
    MaskedField* m_kvEngineer = nullptr;                // paswrd1
    MaskedField* m_kvAdmin = nullptr;                   // paswrd2
    SecondsWidgets m_kvSounderTime, m_kvBacklightTime;  // SoundUpDown, LCDUpDown
    std::array<QRadioButton*, 3> m_kvSounder{};  // by stored value: SoundButton1, SoundButton3, SoundButton2
    std::array<QRadioButton*, 3> m_kvBacklight{};      // by stored value: LCDButton1, LCDButton3, LCDButton2
    std::array<QRadioButton*, 2> m_kvPasswordReset{};  // ClearPaswrd1, ClearPaswrd2
    std::array<std::array<QRadioButton*, 2>, setka::kKvReports> m_kvReports{};  // suffix 1, suffix 2
    QComboBox* m_kvRelay1 = nullptr;                                            // ReleRI1
    QComboBox* m_kvRelay2 = nullptr;
    QComboBox* m_speed = nullptr;  // SpeedLine
    std::array<MaskedField*, setka::kObjectFields> m_objects{};
};

}  // namespace livna
