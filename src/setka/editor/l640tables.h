#pragma once
// Fixed names and captions of the setka editor's repeated controls.
#include <array>

#include "setka/editor/setka_model.h"

namespace livna::setka {

struct NamedCaption {
    const char* name;
    const char* caption;
};

/// Equipment events of value 36 (variants 1, 3), bit i: the stem of the "tr" (alarm) and "ncp"
/// (trouble) buttons.
inline constexpr std::array<NamedCaption, kKvmReports> kKvmReportPairs{{
    {"L640tmp", "Вскрытие прибора"},
    {"Rpytmp", "Вскрытие РПУ"},
    {"Rpdtmp", "Вскрытие РПДИ"},
    {"Rpdcvz", "Нет связи с РПДИ"},
    {"Rpdblok", "Блокирование радиоканала"},
}};

/// Equipment events of values 258..264 (variant 5): the stem of the buttons suffixed 1
/// (trouble) and 2 (alarm).
inline constexpr std::array<NamedCaption, kKvReports> kKvReportPairs{{
    {"DamagePult", "Вскрытие пульт"},
    {"DamageRPU", "Вскрытие РПУ"},
    {"DamageRPD", "Вскрытие РПД"},
    {"ConnectRPU", "Нет связи с  РПУ"},
    {"ConnectRPD", "Нет связи с  РПД"},
    {"Block", "Блокирование РК"},
    {"ConnectMR", "Нет связи с  МР"},
}};

inline constexpr std::array<const char*, kKvmRelayModes> kKvmRelayModeItems{
    "ПЦН тревога", "Взят/Снят", "Исполнительный", "Контрольная лампа", "Круглосуточный", "Звуковой"};
inline constexpr std::array<const char*, kKvRelayModes> kKvRelayModeItems{"Тревога", "Контрольная лампа",
                                                                          "Звуковой"};

/// A three-way choice: the buttons by stored value (0, 1, 2) and their captions.
struct ThreeWay {
    std::array<const char*, 3> names;
    std::array<const char*, 3> captions;
};
inline constexpr ThreeWay kKvmSounder{{"Keysound1", "Keysound3", "keysound2"}, {"Вкл.", "Выкл.", "Тревога"}};
inline constexpr ThreeWay kKvmBacklight{{"LCD_key1", "LCD_key3", "LCD_key2"}, {"Вкл.", "Выкл.", "Автомат."}};
inline constexpr ThreeWay kKvSounder{{"SoundButton1", "SoundButton3", "SoundButton2"},
                                     {"Включен", "Выключен", "Только Тревога"}};
inline constexpr ThreeWay kKvBacklight{{"LCDButton1", "LCDButton3", "LCDButton2"},
                                       {"Включена", "Выключена", "Автоматически"}};

/// Captions of the receiver tabs of the bindings, system numbers and objects.
inline constexpr std::array<const char*, kReceivers> kReceiverCaptions{"РПУ №1", "РПУ №2", "РПУ №3",
                                                                       "РПУ №4"};

}  // namespace livna::setka
