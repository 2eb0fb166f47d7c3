#include "kv_editor/l640kvunit.h"

#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace livna {

TL640KVForm::TL640KVForm(AppContext& ctx, QWidget* parent)
    : WorkWindow(ctx, QStringLiteral("L640KVForm"), parent) {
    resize(800, 600);
    createBars(QStringLiteral("MainStatusBar"), QStringLiteral("MainProgressBar"));

    auto* layout = new QVBoxLayout(this);
    layout->addStretch(1);  // the settings pages go here
    auto* exchange = new QHBoxLayout;
    m_connectButton = mutableNames().add(new QPushButton(QStringLiteral("Установить связь"), this),
                                         QStringLiteral("ConnectButton"));
    connect(m_connectButton, &QPushButton::clicked, this, [this] { ConnectButtonClick(); });
    exchange->addWidget(m_connectButton);
    exchange->addStretch(1);
    layout->addLayout(exchange);
    layout->addWidget(furnitureRow());
    layout->addWidget(progressBar());
    layout->addWidget(statusBar());
}

void TL640KVForm::ConnectButtonClick() {
    if (handOffIfLegacyPort()) return;
    // The direct USB connect is not part of this window yet.
}

}  // namespace livna
