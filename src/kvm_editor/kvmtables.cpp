#include "kvm_editor/kvmtables.h"

namespace livna::kvm {

const std::array<OutputInfo, kOutputs> kOutputInfo = {{
    {"Реле №1", "privrele1", 2},
    {"Реле №2", "privrele2", 10},
    {"Реле №3", "privrele3", 19},
    {"Выход OК №1", "privok1", 28},
    {"Выход OК №2", "privok2", 36},
}};

const std::array<NamedCaption, kOutputEvents> kOutputEventInfo = {{
    {"AlarmEvent", "Тревога/пожар (разделы)"},
    {"BoxDamage", "Вскрытие (разделы)"},
    {"OnOffLine", "Взятие по одному/Снятие по всем "},
    {"OnOffAllLine", "Взятие по всем/Снятие по одному"},
    {"ErrorFire", "Неисправность (разделы)"},
    {"NoConnect", "Неисправность РК (разделы)"},
    {"ErrorPower", "Неисправ. питания (разделы)"},
    {"RadioChanBlck", "Блокирование РК (оборуд-е)"},
    {"DamageCD", "Вскрытие (оборуд-е)"},
    {"ErrorInterface", "Неисправ. интерф. (оборуд-е)"},
    {"NoLine", "Неисп. линии связи (оборуд-е)"},
    {"PowerCD", "Неисправ. питания (оборуд-е)"},
}};

const std::array<ReportPair, 5> kReportPairs = {{
    {"L640tmptr", "L640tmpncp", "Вскрытие прибора"},
    {"Rpytmptr", "Rpytmpncp", "Вскрытие РПУ"},
    {"Rpdtmptr", "Rpdtmpncp", "Вскрытие РПДИ"},
    {"Rpdcvztr", "Rpdcvzncp", "Нет связи с РПДИ"},
    {"Rpdbloktr", "Rpdblokncp", "Блокирование радиоканала"},
}};

const std::array<NamedCaption, 12> kVoiceMessages = {{
    {"AlarmVoice", "Тревога"},
    {"FireVoice", "Пожар"},
    {"AttentionVoice", "Внимание! Пожарная опасность!"},
    {"ArmedVoice", "Взят/снят"},
    {"AlarmSystVoice", "Тревога или неисправность в системе"},
    {"AlarmRzdVoice", "Тревога или неисправность в разделе"},
    {"TroubleSystVoice", "Неисправность в системе"},
    {"TroubleRzdVoice", "Неисправность в разделе"},
    {"TroublePowVoice", "Неисправность питания РПДИ"},
    {"SystOKVoice", "Система в норме"},
    {"RzdOKVoice", "Раздел в норме"},
    {"RzdNReady", "Раздел не готов"},
}};

const std::array<NamedCaption, 3> kRemindedTroubles = {{
    {"TroubleSystRem", "Неисправность в системе"},
    {"TroubleRzdRem", "Неисправность в разделе"},
    {"TroublePowRem", "Неисправность питания РПДИ"},
}};

const std::array<NamedCaption, 4> kTimeFields = {{
    {"TimeReminder", "Контр. точка 1"},
    {"TimeReminder1", "Контр. точка 2"},
    {"SilenceStart", "Начало тишины"},
    {"SilenceStop", "Конец тишины"},
}};

}  // namespace livna::kvm
