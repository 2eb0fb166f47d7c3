#include "common/settings_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <sstream>

#include "settings_file_fixture.h"

namespace livna {
namespace {

namespace fs = std::filesystem;
using test::numberedLines;
using test::SettingsFileTest;

TEST(ValuesText, everyLineEndIsAccepted) {
    for (const std::string_view end : {"\r\n", "\n", "\r"}) {
        const auto r = parseValuesText(numberedLines(2048, end), 2048, "a.cfg");
        ASSERT_TRUE(r.ok()) << describe(*r.error);
        ASSERT_EQ(r.values.size(), 2048u);
        EXPECT_EQ(r.values[0], 0);
        EXPECT_EQ(r.values[2047], 2047 % 256);
    }
    // Mixed line ends, and no line end after the last line.
    const auto r = parseValuesText("1\r\n2\n3\r4", 4, "a.cfg");
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.values, (std::vector<std::int32_t>{1, 2, 3, 4}));
}

TEST(ValuesText, shortFileIsRefusedWithNothingPartial) {
    const auto r = parseValuesText(numberedLines(2047, "\r\n"), 2048, "short.cfg");
    ASSERT_FALSE(r.ok());
    EXPECT_TRUE(r.values.empty());
    EXPECT_EQ(r.error->kind, FileErrorKind::TooShort);
    EXPECT_EQ(r.error->line, 2048u);
    EXPECT_EQ(r.error->expectedLines, 2048u);
    const std::string message = describe(*r.error);
    EXPECT_NE(message.find("short.cfg"), std::string::npos);
    EXPECT_NE(message.find("2047"), std::string::npos);
}

TEST(ValuesText, linesAfterTheNeededCountAreIgnored) {
    std::string text = numberedLines(2048, "\r\n") + "garbage\r\n12a\r\n";
    const auto r = parseValuesText(text, 2048, "long.cfg");
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.values.size(), 2048u);
    EXPECT_TRUE(parseValuesText(numberedLines(2049, "\n"), 2048, "x").ok());
}

TEST(ValuesText, integerSyntax) {
    struct Case {
        std::string_view line;
        std::optional<std::int32_t> value;
    };
    const Case cases[] = {
        {"0", 0},
        {"170", 170},
        {"-1", -1},
        {"+5", 5},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", std::nullopt},
        {"99999999999", std::nullopt},
        {"-2147483649", std::nullopt},
        {"12a", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {" 1", std::nullopt},
        {"1 ", std::nullopt},
        {"0x10", std::nullopt},
        {"1.0", std::nullopt},
    };
    for (const auto& c : cases) {
        const std::string text = "5\r\n" + std::string(c.line) + "\r\n7\r\n";
        const auto r = parseValuesText(text, 3, "v.cfg");
        if (c.value) {
            ASSERT_TRUE(r.ok()) << "\"" << c.line << "\"";
            EXPECT_EQ(r.values[1], *c.value);
        } else {
            ASSERT_FALSE(r.ok()) << "\"" << c.line << "\"";
            EXPECT_TRUE(r.values.empty());
            EXPECT_EQ(r.error->kind, FileErrorKind::BadLine);
            EXPECT_EQ(r.error->line, 2u) << "\"" << c.line << "\"";
            EXPECT_EQ(r.error->lineText, c.line);
        }
    }
}

TEST(ValuesText, badLineNumbersAreOneBased) {
    std::string text = numberedLines(100, "\r\n") + "12a\r\n" + numberedLines(2000, "\r\n");
    const auto r = parseValuesText(text, 2048, "bad.cfg");
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error->line, 101u);
    const std::string message = describe(*r.error);
    EXPECT_NE(message.find("bad.cfg"), std::string::npos);
    EXPECT_NE(message.find("строка 101"), std::string::npos);
    EXPECT_NE(message.find("12a"), std::string::npos);
}

TEST(FileErrorText, eachKindHasItsOwnWording_andTheSystemsTextFollowsOnItsOwnLine) {
    struct Case {
        FileErrorKind kind;
        std::size_t line;
        std::size_t expectedLines;
        std::string_view lineText;
        std::string_view text;
    };
    const Case cases[] = {
        {FileErrorKind::Unreadable, 0, 0, "", "Не удалось прочитать файл \"a.cfg\"."},
        {FileErrorKind::TooShort, 2048, 2048, "",
         "Неверное число строк в файле \"a.cfg\": 2047 вместо 2048."},
        {FileErrorKind::BadLine, 101, 0, "12a",
         "Файл \"a.cfg\", строка 101: \"12a\" не является целым числом."},
        {FileErrorKind::OutOfRange, 7, 0, "256",
         "Файл \"a.cfg\", строка 7: значение \"256\" вне допустимого диапазона 0..255."},
        {FileErrorKind::WriteFailed, 0, 0, "", "Не удалось записать файл \"a.cfg\"."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        FileError error;
        error.kind = c.kind;
        error.fileName = "a.cfg";
        error.line = c.line;
        error.expectedLines = c.expectedLines;
        error.lineText = std::string(c.lineText);
        EXPECT_EQ(describe(error), c.text);
        error.systemText = "No such file or directory";
        EXPECT_EQ(describe(error), std::string(c.text) + "\nNo such file or directory");
    }
}

TEST(ValuesText, formatIsDecimalWithCrLf) {
    EXPECT_EQ(formatValuesText(std::vector<std::int32_t>{170, 0, -1, 255}), "170\r\n0\r\n-1\r\n255\r\n");
    EXPECT_EQ(formatValuesText({}), "");
}

TEST_F(SettingsFileTest, writeThenRead_givesTheSameImage) {
    SettingsImage image = SettingsImage::fresh(kKvImageSize, 52);
    for (std::size_t i = 2; i < image.size(); ++i) image[i] = static_cast<std::int32_t>((i * 37) % 257) - 1;
    const fs::path path = file("640kv_010124_.cfg");
    ASSERT_EQ(writeSettingsFile(path, image), std::nullopt);
    const std::string text = contents(path);
    EXPECT_EQ(text.substr(0, 9), "170\r\n52\r\n");
    const auto back = readSettingsFile(path, kKvImageSize);
    ASSERT_TRUE(back.ok()) << describe(*back.error);
    EXPECT_EQ(back.image, image);
    EXPECT_EQ(entryCount(), 1u);  // no temporary file left behind
}

TEST_F(SettingsFileTest, overwriteReplacesTheWholeFile) {
    const fs::path path = file("a.cfg");
    put(path, numberedLines(4000, "\n"));
    ASSERT_EQ(writeValuesFile(path, std::vector<std::int32_t>{1, 2}), std::nullopt);
    EXPECT_EQ(contents(path), "1\r\n2\r\n");
    EXPECT_EQ(entryCount(), 1u);
}

TEST_F(SettingsFileTest, failedWrite_leavesTargetAndFolderAsTheyWere) {
    // The target is a folder: the rename cannot replace it, and the temporary file must go.
    const fs::path target = file("busy.cfg");
    fs::create_directories(target / "inside");
    const auto error = writeValuesFile(target, std::vector<std::int32_t>{1, 2, 3});
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->kind, FileErrorKind::WriteFailed);
    EXPECT_NE(describe(*error).find("busy.cfg"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(target / "inside"));
    EXPECT_EQ(entryCount(), 1u);
}

TEST_F(SettingsFileTest, writeIntoMissingFolder_fails) {
    const auto error = writeValuesFile(file("no_such_folder") / "x.cfg", std::vector<std::int32_t>{1});
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->kind, FileErrorKind::WriteFailed);
    EXPECT_EQ(entryCount(), 0u);
}

TEST_F(SettingsFileTest, missingFile_isUnreadable) {
    const auto r = readSettingsFile(file("640dkvmdef.cfg"), kKvmImageSize);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error->kind, FileErrorKind::Unreadable);
    EXPECT_EQ(r.image.size(), 0u);
    EXPECT_NE(describe(*r.error).find("640dkvmdef.cfg"), std::string::npos);
}

TEST_F(SettingsFileTest, file2047Refused_file2049Accepted) {
    put(file("short.cfg"), numberedLines(2047, "\r\n"));
    put(file("long.cfg"), numberedLines(2049, "\r\n"));
    const auto shortResult = readSettingsFile(file("short.cfg"), kKvmImageSize);
    ASSERT_FALSE(shortResult.ok());
    EXPECT_EQ(shortResult.error->kind, FileErrorKind::TooShort);
    EXPECT_EQ(shortResult.image.size(), 0u);
    const auto longResult = readSettingsFile(file("long.cfg"), kKvmImageSize);
    ASSERT_TRUE(longResult.ok());
    EXPECT_EQ(longResult.image.size(), kKvmImageSize);
}

TEST_F(SettingsFileTest, nonAsciiFileName) {
    const fs::path path = m_dir / pathFromUtf8("настройки.cfg");
    ASSERT_EQ(writeValuesFile(path, std::vector<std::int32_t>{170}), std::nullopt);
    EXPECT_TRUE(readValuesFile(path, 1).ok());
    EXPECT_NE(pathToUtf8(path).find("настройки.cfg"), std::string::npos);
}

TEST(ValuesText, badLineIsQuotedAsWritten_cutAtACharacter_withControlsEscaped) {
    struct Case {
        std::string line;
        std::string quoted;
    };
    const std::string nul(
        "1\0"
        "2",
        3);
    const Case cases[] = {
        {"12a", "12a"},
        {nul, "1\\02"},
        {"\t7", "\\t7"},
        {"\x01\x7F", "\\x01\\x7F"},
        {"\xEF\xF2\xE0", "\\xEF\\xF2\\xE0"},  // Windows-1251, not UTF-8
        {"\xC0\x80", "\\xC0\\x80"},           // an overlong form is no character either
        {"ёж", "ёж"},
        {std::string(50, 'a'), std::string(40, 'a') + "…"},
        // "я" takes bytes 40 and 41: it goes whole or not at all.
        {std::string(39, 'a') + "я", std::string(39, 'a') + "…"},
        {std::string(38, 'a') + "я", std::string(38, 'a') + "я"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(quotedLine(c.line), c.quoted) << c.quoted;
        const auto r = parseValuesText("5\r\n" + c.line + "\r\n", 2, "q.cfg");
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error->lineText, c.quoted);
    }
}

TEST(ValuesText, hugeCount_failsAsTooShort_withoutThrowing) {
    for (const std::size_t count : {std::numeric_limits<std::size_t>::max(), std::size_t{1} << 60}) {
        ValuesResult r;
        EXPECT_NO_THROW(r = parseValuesText("1\r\n2\r\n", count, "x.cfg"));
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error->kind, FileErrorKind::TooShort);
        EXPECT_EQ(r.error->line, 3u);
    }
}

TEST(ValuesText, valuesOutsideTheFileRange_areListedWithTheirLines) {
    std::string text = numberedLines(2048, "\r\n");
    auto setLine = [&](std::size_t index, std::string_view value) {
        std::size_t pos = 0;
        for (std::size_t i = 0; i < index; ++i) pos = text.find("\r\n", pos) + 2;
        text.replace(pos, text.find("\r\n", pos) - pos, value);
    };
    setLine(4, "999");
    setLine(6, "+00300");
    setLine(7, "-1");
    setLine(9, "256");
    setLine(10, "-2");
    const auto r = parseValuesText(text, 2048, "range.cfg");
    ASSERT_TRUE(r.ok()) << describe(*r.error);
    EXPECT_EQ(r.values[4], 999) << "carried as it is";
    const std::vector<OutOfRangeValue> expected = {
        {5, "999", 999}, {7, "+00300", 300}, {10, "256", 256}, {11, "-2", -2}};
    EXPECT_EQ(r.outOfRange, expected) << "-1 on line 8 passes silently";
    EXPECT_EQ(describeOutOfRange(r.outOfRange),
              "строка 5: 999\nстрока 7: 300 (\"+00300\")\nстрока 10: 256\nстрока 11: -2");
    EXPECT_EQ(describeOutOfRange(r.outOfRange, 2),
              "строка 5: 999\nстрока 7: 300 (\"+00300\")\n… и ещё строк: 2");

    EXPECT_TRUE(parseValuesText(numberedLines(2048, "\r\n"), 2048, "x").outOfRange.empty());
    // A file refused for another reason has nothing to ask about.
    setLine(2047, "x");
    EXPECT_TRUE(parseValuesText(text, 2048, "x").outOfRange.empty());
}

// Records the durable-save steps, checking at each what it must already see; a step can be made
// to fail.
class RecordingSaveSteps : public SaveSteps {
public:
    int syncFile(int fd) override {
        steps.push_back("sync file of " + std::to_string(test::descriptorSize(fd)) + " bytes");
        return failAt == steps.size() ? test::saveStepFailureCode() : SaveSteps::syncFile(fd);
    }
    int replace(const fs::path& from, const fs::path& to) override {
        steps.push_back("replace " + to.filename().string() + " by a name of " +
                        std::to_string(from.filename().string().size()) + " bytes");
        return failAt == steps.size() ? test::saveStepFailureCode() : SaveSteps::replace(from, to);
    }
    int syncFolder(int fd) override {
        steps.push_back("sync folder");
        return failAt == steps.size() ? test::saveStepFailureCode() : SaveSteps::syncFolder(fd);
    }
    std::vector<std::string> steps;
    std::size_t failAt = 0;  // 1-based step that fails; 0: none
};

TEST_F(SettingsFileTest, save_syncsTheFileBeforeTheRenameAndTheFolderAfter) {
    const fs::path path = file(std::string(246, 'n') + ".cfg");
    RecordingSaveSteps steps;
    ASSERT_EQ(writeValuesFile(path, std::vector<std::int32_t>{170, 32}, steps), std::nullopt);
    const std::string target = path.filename().string();
    ASSERT_EQ(steps.steps.size(), 3u);
    EXPECT_EQ(steps.steps[0], "sync file of 9 bytes") << "synced with all it holds";
    EXPECT_EQ(steps.steps[1].rfind("replace " + target + " by a name of ", 0), 0u);
    EXPECT_LE(std::stoul(steps.steps[1].substr(steps.steps[1].rfind("of ") + 3)), 32u)
        << "a short temporary name";
    EXPECT_EQ(steps.steps[2], "sync folder");
}

TEST_F(SettingsFileTest, save_aFailedStep_isReported_andLeavesNoTemporaryFile) {
    const std::string old = "1\r\n2\r\n";
    for (std::size_t failing = 1; failing <= 3; ++failing) {
        SCOPED_TRACE("step " + std::to_string(failing));
        put(file("a.cfg"), old);
        RecordingSaveSteps steps;
        steps.failAt = failing;
        const auto error = writeValuesFile(file("a.cfg"), std::vector<std::int32_t>{170, 32}, steps);
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->kind, FileErrorKind::WriteFailed);
        EXPECT_EQ(error->systemText, test::saveStepFailureText());
        EXPECT_EQ(steps.steps.size(), failing) << "nothing after the failed step";
        EXPECT_EQ(entryCount(), 1u);
        // Only a failed folder sync comes after the rename.
        EXPECT_EQ(contents(file("a.cfg")), failing < 3 ? old : "170\r\n32\r\n");
    }
}

TEST_F(SettingsFileTest, settingsFileNeverHoldsAValueOutsideTheFileRange) {
    SettingsImage image = SettingsImage::fresh(kKvmImageSize, 32);
    image[7] = -1;
    image[100] = 255;
    ASSERT_EQ(writeSettingsFile(file("ok.cfg"), image), std::nullopt);
    for (const std::int32_t bad : {256, 999, -2}) {
        SCOPED_TRACE(bad);
        image[25] = bad;
        const auto error = writeSettingsFile(file("bad.cfg"), image);
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->kind, FileErrorKind::OutOfRange);
        EXPECT_EQ(error->line, 26u);
        EXPECT_NE(describe(*error).find("-1..255"), std::string::npos) << describe(*error);
        EXPECT_FALSE(fs::exists(file("bad.cfg")));
    }
}

TEST_F(SettingsFileTest, registrationCopy_roundTripAndRangeCheck) {
    RegistrationCopy copy;
    for (std::size_t i = 0; i < kRegistrationCopySize; ++i)
        copy.values.push_back(static_cast<std::int32_t>(i % 256));
    const fs::path path = file("L640D_050324_object_1_196_197_198_199.rrg");
    ASSERT_EQ(writeRegistrationCopy(path, copy), std::nullopt);
    const auto back = readRegistrationCopy(path);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back.copy, copy);

    std::string text = numberedLines(1024, "\r\n");
    text.replace(text.find("\r\n5\r\n") + 2, 1, "+0256");  // line 6 becomes 256
    put(file("bad.rrg"), text);
    const auto bad = readRegistrationCopy(file("bad.rrg"));
    ASSERT_FALSE(bad.ok());
    EXPECT_EQ(bad.error->kind, FileErrorKind::OutOfRange);
    EXPECT_EQ(bad.error->line, 6u);
    EXPECT_TRUE(bad.copy.values.empty());
    EXPECT_EQ(bad.error->lineText, "+0256") << "quoted as written";
    EXPECT_NE(describe(*bad.error).find("0..255"), std::string::npos);

    put(file("short.rrg"), numberedLines(1023, "\r\n"));
    EXPECT_EQ(readRegistrationCopy(file("short.rrg")).error->kind, FileErrorKind::TooShort);
}

TEST_F(SettingsFileTest, registrationCopy_badCopyIsNotWritten) {
    RegistrationCopy shortCopy{std::vector<std::int32_t>(200, 1)};
    auto error = writeRegistrationCopy(file("a.rrg"), shortCopy);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->kind, FileErrorKind::TooShort);
    RegistrationCopy badValue{std::vector<std::int32_t>(kRegistrationCopySize, 1)};
    badValue.values[1000] = -1;
    error = writeRegistrationCopy(file("b.rrg"), badValue);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->kind, FileErrorKind::OutOfRange);
    EXPECT_EQ(error->line, 1001u);
    EXPECT_EQ(entryCount(), 0u);
}

}  // namespace
}  // namespace livna
