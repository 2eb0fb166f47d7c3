#include "wizard/infounit.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QVBoxLayout>

#include "wizard/wizardframe.h"

namespace livna {

namespace {

constexpr int kItemHeight = 16;
constexpr int kTextOffset = 2;
constexpr int kFontPixels = 13;

// Tahoma where it is installed, else the closest narrow sans face the system has.
QFont infoFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed"),
                      QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Arial"),
                      QStringLiteral("Sans Serif")});
    font.setPixelSize(kFontPixels);
    font.setBold(true);
    return font;
}

// The list is drawn by hand: fixed item height, text at (2, 2) of the item, the closing warning
// in red.
class InfoItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const int rows = index.model()->rowCount();
        const bool red = index.row() >= rows - kInfoRedLines;
        painter->save();
        painter->setFont(infoFont());
        painter->setPen(red ? QColor(Qt::red) : option.palette.color(QPalette::WindowText));
        const QRect text = option.rect.adjusted(kTextOffset, kTextOffset, 0, 0);
        painter->drawText(text, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, index.data().toString());
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), kItemHeight};
    }
};

}  // namespace

QStringList infoLines(const WizardState& state) {
    QString system;
    if (state.SystemType == SystemType::Kv) system = QStringLiteral("Ливна-КВ");
    if (state.SystemType == SystemType::Kvm) system = QStringLiteral("Ливна-КВ-М");
    QString mode;
    if (state.OperationMode == OperationMode::FirmwareUpdate) mode = QStringLiteral("Обновление ПО прибора");
    if (state.OperationMode == OperationMode::Settings) mode = QStringLiteral("Настройка прибора");
    return {
        QStringLiteral("Тип выбранной системы - ") + system,
        QStringLiteral("Выбранный режим работы - ") + mode,
        QString(),
        QStringLiteral("Для успешного выполнения выбранной операции Вам "),
        QStringLiteral("необходимо выполнить следующие действия:"),
        QStringLiteral("1) Отключить питание 12 В от прибора."),
        QStringLiteral("2) Открыть крышку прибора."),
        QStringLiteral("3) Установить перемычку на вилку F2."),
        QStringLiteral("4) Включить питание прибора 12 В."),
        QStringLiteral("5) Подключить кабель USB к плате прибора."),
        QStringLiteral("Важно!"),
        QStringLiteral("Кнопку <Продолжить> нажмите только после того,"),
        QStringLiteral("как выполните все подготовительные действия!"),
    };
}

WorkJob workJobFor(const WizardState& state) {
    const bool known = state.SystemType == SystemType::Kv || state.SystemType == SystemType::Kvm;
    if (!known) return WorkJob::None;
    if (state.OperationMode == OperationMode::FirmwareUpdate) return WorkJob::Firmware;
    if (state.OperationMode == OperationMode::Settings)
        return state.SystemType == SystemType::Kv ? WorkJob::KvEditor : WorkJob::KvmEditor;
    return WorkJob::None;
}

TInfoForm::TInfoForm(AppContext& ctx, QWidget* parent) : QDialog(parent), m_ctx(ctx) {
    setObjectName(QStringLiteral("InfoForm"));
    setWizardFrame(this, QStringLiteral("Дополнительная информация"));

    auto* layout = new QVBoxLayout(this);
    m_list = m_names.add(new QListWidget(this), QStringLiteral("InfoListB"));
    m_list->setItemDelegate(new InfoItemDelegate(m_list));
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setFont(infoFont());
    QPalette face = m_list->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Window));
    m_list->setPalette(face);
    m_list->installEventFilter(this);
    layout->addWidget(m_list, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_backButton =
        m_names.add(new QPushButton(QStringLiteral("<< Назад"), this), QStringLiteral("BackButton"));
    connect(m_backButton, &QPushButton::clicked, this, &TInfoForm::reject);
    buttons->addWidget(m_backButton);
    m_nextButton =
        m_names.add(new QPushButton(QStringLiteral("Продолжить >>"), this), QStringLiteral("NextButton"));
    m_nextButton->setEnabled(false);
    connect(m_nextButton, &QPushButton::clicked, this, [this] { NextButtonClick(); });
    buttons->addWidget(m_nextButton);
    layout->addLayout(buttons);

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("InfoTimer"));
    m_timer->setInterval(kInfoDelayMs);
    connect(m_timer, &QTimer::timeout, this, [this] { InfoTimerTimer(); });
}

void TInfoForm::setWorkWindows(QDialog* kvEditor, QDialog* firmware, QDialog* kvmEditor) {
    m_kvEditor = kvEditor;
    m_firmware = firmware;
    m_kvmEditor = kvmEditor;
}

void TInfoForm::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) FormShow();
    QDialog::showEvent(event);
}

void TInfoForm::FormShow() {
    m_timer->start();
    m_list->clear();
    m_list->addItems(infoLines(m_ctx.state));
}

void TInfoForm::InfoTimerTimer() {
    m_nextButton->setEnabled(true);
    m_timer->stop();
}

void TInfoForm::reject() {
    m_nextButton->setEnabled(false);
    m_timer->stop();
    QDialog::reject();
}

bool TInfoForm::eventFilter(QObject* watched, QEvent* event) {
    // The list is for reading only: the focus goes on to the button that moves the wizard on
    // (to Back while Next is still held off, as a disabled button cannot take it).
    if (watched == m_list && event->type() == QEvent::FocusIn) {
        QPushButton* target = m_nextButton->isEnabled() ? m_nextButton : m_backButton;
        QTimer::singleShot(0, target, [target] {
            if (target->isEnabled() && target->isVisible()) target->setFocus(Qt::OtherFocusReason);
        });
    }
    return QDialog::eventFilter(watched, event);
}

void TInfoForm::NextButtonClick() {
    QDialog* window = nullptr;
    switch (workJobFor(m_ctx.state)) {
        case WorkJob::KvEditor:
            window = m_kvEditor;
            break;
        case WorkJob::Firmware:
            window = m_firmware;
            break;
        case WorkJob::KvmEditor:
            window = m_kvmEditor;
            break;
        case WorkJob::None:
            break;
    }
    if (window == nullptr) return;
    window->setWindowTitle(QString::fromUtf8(kWorkWindowCaption));
    window->exec();
}

}  // namespace livna
