#pragma once
// The Ливна-КВ settings editor: the settings of kv_model.h on four tabs, the copying between that
// model and the controls (KvApplyImage, KvGatherImage), the settings files and the exchange with
// the panel.
//
// Where the code lives:
//   l640kvunit.cpp     the window, start-up, the diagnostic view
//   l640kvbuild.cpp    the tabs and controls
//   l640kvmapping.cpp  KvApplyImage and KvGatherImage: model <-> controls, one pass each way
//   l640kvlists.cpp    the code and object tabs: the handlers over the rules of kv_model.h
//   l640kvfiles.cpp    loading and saving settings files, the factory settings
//   l640kvexchange.cpp the work mode, connect, read, write, disconnect, closing
//   kv_grids.*         the code and object grids, shown straight from the model
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

#include "common/settings_image.h"
#include "kv_editor/kv_model.h"
#include "ui/field_widgets.h"
#include "ui/usb_connect.h"
#include "usblink/block_transfer.h"
#include "workwindow/editor_link.h"
#include "workwindow/work_window.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QStringListModel;
class QTabWidget;
class QTableView;

namespace livna {

class KvCodeGridModel;
class KvObjectGridModel;

class TL640KVForm : public WorkWindow, public SettingsEditorConnect {
    Q_OBJECT
public:
    /// The program folder is the application's folder.
    explicit TL640KVForm(AppContext& ctx, QWidget* parent = nullptr);
    /// The same with the program folder given (tests work in a folder of their own). The window
    /// makes that folder current and creates "Conf" in it when missing.
    TL640KVForm(AppContext& ctx, const QString& programFolder, QWidget* parent = nullptr);
    ~TL640KVForm() override;

    // ---- image <-> controls (l640kvmapping.cpp) -----------------------------------------------

    /// Shows the image: decodes it into the model and copies the model to every control. Zone
    /// entries naming no object of 1..768 are told in one box after the image is shown.
    void KvApplyImage(const SettingsImage& image);
    /// The 2304 values of the model and the controls, which also become the lines of `tmpListB`.
    /// A password or code that is not decimal digits within its slots is named in a box, the
    /// focus goes there, and nothing is returned.
    std::optional<SettingsImage> KvGatherImage();
    /// The model as the last KvApplyImage or KvGatherImage left it.
    const kv::Settings& model() const { return m_model; }

    // ---- the code and object tabs (l640kvlists.cpp) ---------------------------------------------

    /// Stores `CodeEdit2` as the code of the row shown, or tells why not.
    void CodeEditSaveButtonClick();
    /// "Удалить код": the code of the row shown goes, later codes move up.
    void DeleteCodeClick();
    /// Stores the shown object's on/off, РПД and ticked zones, or tells why not; the grid is
    /// refilled and the cell selected again.
    void ObjAssignSaveButtonClick();

    // ---- files (l640kvfiles.cpp) --------------------------------------------------------------

    /// Reads a settings file into the editor (load, factory settings, start-up): a file that
    /// cannot be used whole is refused with a box naming the file and the line, and the editor
    /// keeps what it had. Returns whether the file was applied.
    bool readSettingsFile(const QString& path);
    void LoadBitBtnClick();
    void SaveBitBtnClick();
    void DefaultButtonClick();
    /// What showing the window does: the reset state, then the factory settings.
    void FormShow();
    /// Relative path of the factory-default file.
    static QString factoryFilePath();
    /// The lines of the last image shown, read or built (the hidden list `tmpListB`).
    QStringList tmpListB() const;
    /// "_ddMMyy_", fixed when the window was created.
    QString dateStamp() const { return m_dateStamp; }

    // ---- device exchange (l640kvexchange.cpp) -------------------------------------------------

    void ConnectButtonClick();
    void DisconnectButtonClick();
    /// Reads blocks 0..8; a read with a failed block applies nothing.
    void ReadButtonClick();
    /// Writes blocks 0..8.
    void WriteButtonClick();
    /// OperatingModeCmB picked: 0 = "демо", 1 = "on-line".
    void OperatingModeCmBSelect(int index);

    // UsbConnectWindow
    void setProgress(int percent) override { WorkWindow::setProgress(percent); }
    bool accepts(const DeviceInfo& info) const override;
    void disconnectAction() override;
    void acceptanceAction(const DeviceInfo& info) override;

    QTabWidget* tabs() const { return m_tabs; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    // building (l640kvbuild.cpp)
    void buildControls();
    QWidget* buildMainPage();
    QWidget* buildCodePage();
    QWidget* buildRelayPage();
    QWidget* buildObjectPage();
    QWidget* buildExchangeRow();
    QWidget* buildDiagnostics();
    template <class W>
    W* add(W* widget, const QString& name) {
        return mutableNames().add(widget, name);
    }

    // mapping helpers (l640kvmapping.cpp)
    void showModel();
    void gatherControls(kv::Settings& s) const;
    void refuse(const kv::Refusal& refusal);
    void tellDroppedZones(const std::vector<kv::DroppedZone>& dropped);
    void setTmpLines(const SettingsImage& image);
    void connectMapping();

    // code and object tabs (l640kvlists.cpp)
    void connectLists();
    void codeCountChanged(int count);
    void refillCodes();
    void clearCodeFields();
    void showCodeRow(int row);
    void showObjectCell(int column, int object);
    void showZoneBoxes(int detector);
    void detectorTextChanged(const QString& text);

    // files and exchange
    void connectFileControls();
    void connectExchangeControls();
    void setConnectedButtons(bool connected);
    void readFromPanel();
    void windowClosed();
    void dropLostLink();

    struct SecondsField {
        QLineEdit* edit = nullptr;
        UpDown* counter = nullptr;
    };
    SecondsField makeSecondsField(const QString& counterName, const QString& editName, int maximum,
                                  QWidget* parent);
    static void setCounter(const SecondsField& field, int position);

    struct NoticeRow {
        QCheckBox* trouble = nullptr;
        QCheckBox* alarm = nullptr;
    };

    QString m_programFolder;
    QString m_dateStamp;
    kv::Settings m_model;

    QTabWidget* m_tabs = nullptr;
    // main tab
    QLineEdit* m_engineerPassword = nullptr;       // AdminPwdEdit
    QLineEdit* m_administratorPassword = nullptr;  // EnginPwdEdit
    QComboBox* m_passwordReset = nullptr;          // EnginPwdResetCmB
    QComboBox* m_speed = nullptr;                  // DeviceSpeedCmB
    RadioGroup* m_sound = nullptr;
    RadioGroup* m_backlight = nullptr;
    SecondsField m_soundDuration;
    SecondsField m_backlightDuration;
    std::array<NoticeRow, kv::kNotifications> m_notices{};
    QLabel* m_typeLabel = nullptr;     // DevTypeLabel2
    QLabel* m_versionLabel = nullptr;  // DevSoftVerLabel2
    // relay tab
    RadioGroup* m_relay1 = nullptr;
    RadioGroup* m_relay2 = nullptr;
    // code tab
    SecondsField m_codeCount;  // NumCodeEdit, NumCodeUpDown
    QTableView* m_codeGrid = nullptr;
    KvCodeGridModel* m_codeGridModel = nullptr;
    QMenu* m_codeMenu = nullptr;
    QAction* m_addCode = nullptr;       // AddCode
    QAction* m_deleteCode = nullptr;    // DeleteCode
    int m_codeRow = 0;                  // `CodeCurrentRow`: the row in the edit fields, 0 = none
    QLineEdit* m_codeNumber = nullptr;  // CodeEdit
    QLineEdit* m_codeText = nullptr;    // CodeEdit2
    QPushButton* m_codeSaveButton = nullptr;
    // object tab
    QTableView* m_objectGrid = nullptr;
    KvObjectGridModel* m_objectGridModel = nullptr;
    QLineEdit* m_objectNumber = nullptr;    // ObjLabeledEdit
    QCheckBox* m_objectOn = nullptr;        // OnOffChB
    QComboBox* m_objectDetector = nullptr;  // RPDCmB
    std::array<QCheckBox*, kv::kZones> m_zones{};
    QPushButton* m_objectSaveButton = nullptr;
    QLabel* m_zoneNumber = nullptr;  // ZoneNumLabel2
    QLabel* m_zoneObject = nullptr;  // ObjNumLabel2
    int m_objectColumn = 0;          // `ObjectCurrentCell`
    int m_objectRow = 1;
    // exchange row
    QComboBox* m_operatingMode = nullptr;
    QPushButton* m_connectButton = nullptr;
    QPushButton* m_disconnectButton = nullptr;
    QPushButton* m_readButton = nullptr;
    QPushButton* m_writeButton = nullptr;
    QPushButton* m_loadButton = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_defaultButton = nullptr;
    // diagnostic view (F5)
    QWidget* m_diagnostics = nullptr;
    QListView* m_tmpList = nullptr;  // tmpListB
    QStringListModel* m_tmpLines = nullptr;
    QPlainTextEdit* m_memo1 = nullptr;
    QPlainTextEdit* m_memo2 = nullptr;
    QPushButton* m_gatherButton = nullptr;  // Button1
};

}  // namespace livna
