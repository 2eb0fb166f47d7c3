#include "common/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace livna {
namespace {

namespace fs = std::filesystem;

std::string numberedLines(std::size_t count, std::string_view lineEnd) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += std::to_string(i % 256) + std::string(lineEnd);
    return text;
}

// Each test gets its own empty folder, removed afterwards.
class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() / (std::string("livna_common_") + info->name() + "_" +
                                             std::to_string(reinterpret_cast<std::uintptr_t>(this)));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    fs::path file(std::string_view name) const { return m_dir / name; }
    void put(const fs::path& path, std::string_view text) const {
        std::ofstream out(path, std::ios::binary);
        out << text;
    }
    std::string contents(const fs::path& path) const {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::size_t entryCount() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()));
    }

    fs::path m_dir;
};

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
    for (std::size_t i = 2; i < image.size(); ++i) image[i] = static_cast<std::int32_t>((i * 37) % 300) - 20;
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
    text.replace(text.find("\r\n5\r\n") + 2, 1, "256");  // line 6 becomes 256
    put(file("bad.rrg"), text);
    const auto bad = readRegistrationCopy(file("bad.rrg"));
    ASSERT_FALSE(bad.ok());
    EXPECT_EQ(bad.error->kind, FileErrorKind::OutOfRange);
    EXPECT_EQ(bad.error->line, 6u);
    EXPECT_TRUE(bad.copy.values.empty());
    EXPECT_NE(describe(*bad.error).find("256"), std::string::npos);

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
