#include "firmware/changesoftunit.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace livna {

TChangeSoftForm::TChangeSoftForm(AppContext& ctx, QWidget* parent)
    : WorkWindow(ctx, QStringLiteral("ChangeSoftForm"), parent) {
    resize(800, 600);
    createBars(QStringLiteral("MainStatusBar"), QStringLiteral("MainProgressBar"));
    m_connectButton = createConnectButton(this);
    connect(m_connectButton, &QPushButton::clicked, this, [this] { ConnectButtonClick(); });
    auto* exchange = new QHBoxLayout;
    exchange->addWidget(m_connectButton);
    exchange->addStretch(1);
    layOutWorkWindow(nullptr, exchange);  // the firmware page take the free space above
}

void TChangeSoftForm::ConnectButtonClick() {
    if (handOffIfLegacyPort()) return;
    // The direct USB connect is not part of this window yet.
}

}  // namespace livna
