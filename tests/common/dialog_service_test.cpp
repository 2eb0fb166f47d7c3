#include "common/dialog_service.h"

#include <gtest/gtest.h>

namespace livna {
namespace {

TEST(ScriptedDialogService, recordsCallsAndReturnsPreparedAnswers) {
    ScriptedDialogService dialogs;
    dialogs.answerNext(MsgAnswer::No);
    dialogs.chooseNext(std::string("Conf/640kvm_050324_.cfg"));
    dialogs.chooseNext(std::nullopt);

    DialogService& service = dialogs;
    EXPECT_FALSE(
        service.ask(kCaptionSystemMessage, "Файл с указанным именем уже существует! Хотите заменить?"));
    const FileDialogRequest save{
        "Сохранение файла настроек", "Файлы настроек (*.cfg)|*.cfg", 1, "cfg", "Conf", "640kvm_050324_"};
    EXPECT_EQ(service.saveFile(save), "Conf/640kvm_050324_.cfg");
    EXPECT_EQ(service.openFile(
                  {"Открытие файла настроек", "Файлы настроек (*.cfg)|*.cfg", 1, "cfg", "Conf", "640kvm*"}),
              std::nullopt);
    service.inform(kCaptionDeviceMessage, "Связь успешно установлена!", MsgIcon::Information);

    const auto& calls = dialogs.calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].kind, ScriptedDialogService::Kind::Message);
    EXPECT_EQ(calls[0].message.icon, MsgIcon::Question);
    EXPECT_EQ(calls[0].message.buttons, MsgButtons::YesNo);
    EXPECT_EQ(calls[1].kind, ScriptedDialogService::Kind::Save);
    EXPECT_EQ(calls[1].file.fileName, "640kvm_050324_");
    EXPECT_EQ(calls[1].file.defaultExt, "cfg");
    EXPECT_EQ(calls[2].kind, ScriptedDialogService::Kind::Open);
    EXPECT_EQ(calls[2].file.fileName, "640kvm*");
    const auto messages = dialogs.messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].caption, "Сообщение системы");
    EXPECT_EQ(messages[1].text, "Связь успешно установлена!");
}

TEST(ScriptedDialogService, unpreparedAnswersUseDefaultsAndCancel) {
    ScriptedDialogService dialogs;
    EXPECT_TRUE(dialogs.ask(kCaptionSystemMessage, "?", MsgAnswer::Yes));
    EXPECT_FALSE(dialogs.ask(kCaptionSystemMessage, "?", MsgAnswer::No));
    EXPECT_EQ(dialogs.saveFile({}), std::nullopt);
    dialogs.answerNext(MsgAnswer::Yes);
    dialogs.clear();
    EXPECT_TRUE(dialogs.calls().empty());
    EXPECT_FALSE(dialogs.ask(kCaptionSystemMessage, "?", MsgAnswer::No));  // the cleared answer is gone
}

}  // namespace
}  // namespace livna
