#include "wizard/bootunit.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "wizard/wizardframe.h"

namespace livna {

TBootForm::TBootForm(AppContext& ctx, QWidget* parent) : QDialog(parent), m_ctx(ctx) {
    setObjectName(QStringLiteral("BootForm"));
    setWizardFrame(this, QStringLiteral("Выбор типа системы"));
    m_ctx.state.SystemType = SystemType::None;

    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("Выберите тип системы, с которой желаете работать:"), this);
    label->setWordWrap(true);
    layout->addWidget(label);

    m_sysType = m_names.add(new QGroupBox(this), QStringLiteral("SysTypeRdG"));
    auto* items = new QVBoxLayout(m_sysType);
    const QString captions[2] = {QStringLiteral("Ливна-КВ"), QStringLiteral("Ливна-КВ-М")};
    for (int i = 0; i < 2; ++i) {
        m_items[i] = new QRadioButton(captions[i], m_sysType);
        connect(m_items[i], &QRadioButton::toggled, this, [this](bool on) {
            if (on) m_bootButton->setEnabled(true);
        });
        items->addWidget(m_items[i]);
    }
    items->addStretch(1);
    layout->addWidget(m_sysType);
    layout->addStretch(1);

    auto* buttons = new QHBoxLayout;
    m_button1 = m_names.add(new QPushButton(QStringLiteral("Button1"), this), QStringLiteral("Button1"));
    m_button1->setVisible(false);
    connect(m_button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    buttons->addWidget(m_button1);
    buttons->addStretch(1);
    m_bootButton =
        m_names.add(new QPushButton(QStringLiteral("Продолжить >>"), this), QStringLiteral("BootButton"));
    m_bootButton->setEnabled(false);
    connect(m_bootButton, &QPushButton::clicked, this, [this] { BootButtonClick(); });
    buttons->addWidget(m_bootButton);
    auto* exitButton =
        m_names.add(new QPushButton(QStringLiteral("Выход"), this), QStringLiteral("ExitButton"));
    connect(exitButton, &QPushButton::clicked, this, &TBootForm::reject);
    buttons->addWidget(exitButton);
    layout->addLayout(buttons);

    // The window sees keys before its controls: F5 works wherever the focus is.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

void TBootForm::setWindows(QDialog* modeWindow, QDialog* kvEditor) {
    m_modeWindow = modeWindow;
    m_kvEditor = kvEditor;
}

void TBootForm::BootButtonClick() {
    if (m_items[0]->isChecked())
        m_ctx.state.SystemType = SystemType::Kv;
    else if (m_items[1]->isChecked())
        m_ctx.state.SystemType = SystemType::Kvm;
    else
        return;
    if (m_modeWindow != nullptr) m_modeWindow->exec();
}

void TBootForm::Button1Click() {
    if (m_kvEditor != nullptr) m_kvEditor->exec();
}

void TBootForm::reject() {
    if (!m_ctx.dialogs.ask(kCaptionSystemMessage, "Вы уверены, что хотите выйти из программы?",
                           MsgAnswer::No))
        return;
    QDialog::reject();
    emit programEndRequested();
}

bool TBootForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F5) {
        m_button1->setVisible(!m_button1->isVisible());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace livna
