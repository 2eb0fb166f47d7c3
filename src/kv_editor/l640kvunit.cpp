#include "kv_editor/l640kvunit.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace livna {

TL640KVForm::TL640KVForm(AppContext& ctx, QWidget* parent)
    : WorkWindow(ctx, QStringLiteral("L640KVForm"), parent) {
    resize(800, 600);
    createBars(QStringLiteral("MainStatusBar"), QStringLiteral("MainProgressBar"));
    m_connectButton = createConnectButton(this);
    connect(m_connectButton, &QPushButton::clicked, this, [this] { ConnectButtonClick(); });
    auto* exchange = new QHBoxLayout;
    exchange->addWidget(m_connectButton);
    exchange->addStretch(1);
    layOutWorkWindow(nullptr, exchange);  // the settings pages take the free space above
}

void TL640KVForm::ConnectButtonClick() {
    if (handOffIfLegacyPort()) return;
    // The direct USB connect is not part of this window yet.
}

}  // namespace livna
