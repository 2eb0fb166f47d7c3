#pragma once
// What a window tells the installer about the link: the operating system's errors and the blocks
// an exchange could not transfer.
#include <QString>

#include <string>
#include <vector>

#include "common/dialog_service.h"
#include "usblink/block_transfer.h"

namespace livna {

// Status texts of the settings editors' exchanges with the panel.
inline constexpr const char* kTextReading = "Чтение настроек из прибора";
inline constexpr const char* kTextRead = "Настройки успешно считаны из прибора.";
inline constexpr const char* kTextWriting = "Запись настроек в прибор.";
inline constexpr const char* kTextWritten = "Настройки успешно записаны в прибор.";
inline constexpr const char* kTextDisconnected = "Связь с прибором разорвана.";
inline constexpr const char* kTextLinkLost =
    "Нет связи с прибором. Проверьте подключение и установите связь заново.";

/// Put before the operating system's text, which on Linux is English.
inline constexpr const char* kTextNoLink = "Нет связи с прибором: ";

/// The "Error" box of a failed link operation: kTextNoLink and the operating system's text;
/// nothing when the operation left no text. Shown once per operation, however many of its calls
/// failed.
void tellSystemError(DialogService& dialogs, const std::string& systemText);

/// "блок памяти 5" or "блоки памяти 3, 5".
QString blocksPhrase(const std::vector<int>& blocks);
/// "не прочитан блок памяти 5" or "не прочитаны блоки памяти 3, 5".
QString blocksNotRead(const std::vector<int>& blocks);
/// "не записан блок памяти 5" or "не записаны блоки памяти 3, 5".
QString blocksNotWritten(const std::vector<int>& blocks);

/// Paragraphs of that box, naming the blocks that failed.
QString settingsReadFailure(const std::vector<int>& blocks);
QString settingsWriteFailure(const std::vector<int>& blocks);
QString registrationReadFailure(const std::vector<int>& blocks);
QString registrationWriteFailure(const std::vector<int>& blocks);

/// The box that follows an exchange in which some blocks failed: its parts, one paragraph each.
void tellFailedBlocks(DialogService& dialogs, const QStringList& parts);

/// Status lines of a settings read or write in which some blocks failed.
QString settingsNotReadStatus(const std::vector<int>& blocks);
QString settingsNotWrittenStatus(const std::vector<int>& blocks);

/// Tells the "Error" box of a transfer that met an error of the operating system, and returns true:
/// the pipes are then broken. Timeouts and refused blocks leave no text and return false.
bool tellLinkLost(DialogService& dialogs, const BlockTransfer& transfer);

/// The progress bar after settings block `block` (0-based) of `blocks`: (block + 1) * 100 / blocks.
int settingsBlockProgress(int block, int blocks);

}  // namespace livna
