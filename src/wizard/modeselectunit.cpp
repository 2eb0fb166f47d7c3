#include "wizard/modeselectunit.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "wizard/wizardframe.h"

namespace livna {

namespace {

struct ModeItem {
    const char* caption;
    OperationMode operationMode;
};
constexpr ModeItem kModeItems[] = {{"Обновление ПО прибора", OperationMode::FirmwareUpdate},
                                   {"Настройка прибора", OperationMode::Settings}};

}  // namespace

TModeSelectForm::TModeSelectForm(AppContext& ctx, QWidget* parent) : QDialog(parent), m_ctx(ctx) {
    setObjectName(QStringLiteral("ModeSelectForm"));
    setWizardFrame(this, QStringLiteral("Выбор режима работы прибора"));

    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("Выберите режим работы прибора Ливна-640:"), this);
    label->setWordWrap(true);
    layout->addWidget(label);
    m_sysMode = m_names.add(new QGroupBox(this), QStringLiteral("SysModeRdG"));
    m_itemsLayout = new QVBoxLayout(m_sysMode);
    m_itemsLayout->addStretch(1);
    layout->addWidget(m_sysMode);
    layout->addStretch(1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* back = m_names.add(new QPushButton(QStringLiteral("<< Назад"), this), QStringLiteral("BackButton"));
    connect(back, &QPushButton::clicked, this, &TModeSelectForm::reject);
    buttons->addWidget(back);
    m_nextButton =
        m_names.add(new QPushButton(QStringLiteral("Продолжить >>"), this), QStringLiteral("NextButton"));
    connect(m_nextButton, &QPushButton::clicked, this, [this] { NextButtonClick(); });
    buttons->addWidget(m_nextButton);
    layout->addLayout(buttons);
}

void TModeSelectForm::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) FormShow();
    QDialog::showEvent(event);
}

void TModeSelectForm::FormShow() {
    m_ctx.state.OperationMode = OperationMode::None;
    // Refilled on every showing, so no earlier choice survives.
    qDeleteAll(m_items);
    m_items.clear();
    for (const ModeItem& item : kModeItems) {
        auto* radio = new QRadioButton(QString::fromUtf8(item.caption), m_sysMode);
        connect(radio, &QRadioButton::toggled, this, [this](bool on) {
            if (on) m_nextButton->setEnabled(true);
        });
        m_itemsLayout->insertWidget(static_cast<int>(m_items.size()), radio);
        m_items << radio;
    }
    m_nextButton->setEnabled(false);
}

void TModeSelectForm::NextButtonClick() {
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        if (!m_items[i]->isChecked()) continue;
        m_ctx.state.OperationMode = kModeItems[i].operationMode;
        if (m_infoWindow != nullptr) m_infoWindow->exec();
        return;
    }
}

}  // namespace livna
