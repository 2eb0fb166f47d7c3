#include "ui/link_messages.h"

#include <QStringList>

namespace livna {

void tellSystemError(DialogService& dialogs, const std::string& systemText) {
    if (!systemText.empty()) dialogs.inform(kCaptionError, kTextNoLink + systemText, MsgIcon::Error);
}

QString blocksPhrase(const std::vector<int>& blocks) {
    QStringList numbers;
    for (int b : blocks) numbers << QString::number(b);
    return (blocks.size() == 1 ? QStringLiteral("блок памяти ") : QStringLiteral("блоки памяти ")) +
           numbers.join(QStringLiteral(", "));
}

QString blocksNotRead(const std::vector<int>& blocks) {
    return (blocks.size() == 1 ? QStringLiteral("не прочитан ") : QStringLiteral("не прочитаны ")) +
           blocksPhrase(blocks);
}

QString blocksNotWritten(const std::vector<int>& blocks) {
    return (blocks.size() == 1 ? QStringLiteral("не записан ") : QStringLiteral("не записаны ")) +
           blocksPhrase(blocks);
}

QString settingsReadFailure(const std::vector<int>& blocks) {
    return QStringLiteral(
               "Не удалось считать из прибора %1 настроек.\n"
               "Настройки в окне не изменены. Проверьте связь с прибором и повторите чтение.")
        .arg(blocksPhrase(blocks));
}

QString settingsWriteFailure(const std::vector<int>& blocks) {
    return QStringLiteral(
               "Не удалось записать в прибор %1 настроек.\n"
               "Прибор может теперь хранить часть новых настроек вместе со старыми. Повторите запись.")
        .arg(blocksPhrase(blocks));
}

QString registrationReadFailure(const std::vector<int>& blocks) {
    return QStringLiteral(
               "Не удалось считать из прибора сведения о регистрации (%1).\n"
               "Неполная копия сведений о регистрации не сохранена. Повторите чтение.")
        .arg(blocksPhrase(blocks));
}

QString registrationWriteFailure(const std::vector<int>& blocks) {
    return QStringLiteral(
               "Не удалось записать в прибор сведения о регистрации (%1).\n"
               "Сведения о регистрации в приборе могут быть неполными. Повторите запись.")
        .arg(blocksPhrase(blocks));
}

void tellFailedBlocks(DialogService& dialogs, const QStringList& parts) {
    dialogs.inform(kCaptionDeviceMessage, parts.join(QStringLiteral("\n\n")).toStdString(), MsgIcon::Error);
}

QString settingsNotReadStatus(const std::vector<int>& blocks) {
    return QStringLiteral("Настройки не считаны из прибора: %1.").arg(blocksNotRead(blocks));
}

QString settingsNotWrittenStatus(const std::vector<int>& blocks) {
    return QStringLiteral("Настройки записаны в прибор не полностью: %1. Повторите запись.")
        .arg(blocksNotWritten(blocks));
}

bool tellLinkLost(DialogService& dialogs, const BlockTransfer& transfer) {
    if (transfer.systemText.empty()) return false;
    tellSystemError(dialogs, transfer.systemText);
    return true;
}

int settingsBlockProgress(int block, int blocks) {
    return (block + 1) * 100 / blocks;
}

}  // namespace livna
