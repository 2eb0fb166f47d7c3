// The field rules of the setka editor on plain values, from tables of cases.
#include "setka/editor/setka_rules.h"

#include <gtest/gtest.h>

namespace livna::setka {
namespace {

TEST(ParseMaskedNumber, eachFamilyReadsItsOwnWay) {
    struct Case {
        const char* text;
        std::optional<int> leadingRun;
        std::optional<int> allDigits;
    };
    const Case cases[] = {
        {"12", 12, 12},
        {" 7", 7, 7},
        {"1 ", 1, 1},
        {"1 2", 1, 12},
        {" 45", 45, 45},
        {" 4 ", 4, 4},
        {"999", 999, 999},
        {"0 ", 0, 0},
        {"", std::nullopt, std::nullopt},
        {"   ", std::nullopt, std::nullopt},
        {"x5y6", 5, 56},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseMaskedNumber(c.text, NumberRule::LeadingRun), c.leadingRun) << '"' << c.text << '"';
        EXPECT_EQ(parseMaskedNumber(c.text, NumberRule::AllDigits), c.allDigits) << '"' << c.text << '"';
    }
}

TEST(Bindings, receiverTwoCoveringFiveToEight) {
    // Border3, Border4 at items 4 and 7: partitions 5..8.
    const auto range = bindingRange(2, SystemVariant::Kvm4, kStandardBorders);
    ASSERT_TRUE(range.has_value());
    EXPECT_EQ(bindingMessage(*range),
              "Недопустимое значение! Номер раздела должен быть в интервале от 5 до 8 или 0");
    struct Case {
        const char* text;
        bool accepted;
    };
    for (const Case& c :
         {Case{" 5", true}, Case{"5 ", true}, Case{"8 ", true}, Case{"12", false}, Case{"4 ", false},
          Case{"9 ", false}, Case{"0 ", true}, Case{"  ", false}, Case{"", false}})
        EXPECT_EQ(bindingAccepted(c.text, *range), c.accepted) << '"' << c.text << '"';
}

TEST(Bindings, receiverOneFollowsTheVariant) {
    const auto fixed = bindingRange(1, SystemVariant::Kvm1, {5, 6, 7, 8, 9, 10, 11, 12});
    ASSERT_TRUE(fixed.has_value());
    EXPECT_EQ(bindingMessage(*fixed),
              "Недопустимое значение! Номер раздела должен быть в интервале от 0 до 16");
    EXPECT_TRUE(bindingAccepted("16", *fixed));
    EXPECT_TRUE(bindingAccepted("3 ", *fixed));  // the bounds do not count in variant 1
    EXPECT_FALSE(bindingAccepted("17", *fixed));
    EXPECT_FALSE(bindingAccepted("  ", *fixed));

    const auto fromBounds = bindingRange(1, SystemVariant::Kvm4, kStandardBorders);
    ASSERT_TRUE(fromBounds.has_value());
    EXPECT_EQ(fromBounds->lo, 1);
    EXPECT_EQ(fromBounds->hi, 4);
    EXPECT_FALSE(bindingRange(1, SystemVariant::Kv4, kStandardBorders).has_value());
    const auto fourth = bindingRange(4, SystemVariant::Kvm4, kStandardBorders);
    EXPECT_EQ(fourth->lo, 13);
    EXPECT_EQ(fourth->hi, 16);
}

TEST(Borders, aPickIsKeptInsideItsNeighbours) {
    struct Case {
        const char* what;
        int tag;
        int item;
        int kept;
    };
    // Around the standard bounds 0, 3, 4, 7, 8, 11, 12, 15.
    const Case cases[] = {
        {"Border3 below Border2", 3, 2, 4},   {"Border3 above Border4", 3, 9, 7},
        {"Border3 within", 3, 5, 5},          {"Border2 at Border3", 2, 4, 3},
        {"Border2 above Border3", 2, 6, 3},   {"Border4 below Border3", 4, 3, 4},
        {"Border1 above Border2", 1, 5, 3},   {"Border1 within", 1, 2, 2},
        {"Border8 below Border7", 8, 10, 12}, {"Border8 within", 8, 13, 13},
    };
    for (const Case& c : cases) {
        std::array<int, kBorders> items = kStandardBorders;
        items[static_cast<std::size_t>(c.tag - 1)] = c.item;
        EXPECT_EQ(correctedBorder(c.tag, c.item, items), c.kept) << c.what;
    }
}

/// A work list with the given numbers at the given indices, 0 elsewhere.
std::array<int, kDetectors> numbers(std::initializer_list<std::pair<int, int>> at) {
    std::array<int, kDetectors> work{};
    for (auto [i, v] : at) work[static_cast<std::size_t>(i)] = v;
    return work;
}

TEST(SystemNumbers, theEditedFieldKeepsItsNumber) {
    // RPDI11 holds 15, 15 typed into RPDI21 (index 48).
    const auto typed = scanSystemNumbers(numbers({{0, 15}, {48, 15}}), 48);
    EXPECT_EQ(typed.victims, std::vector<int>{0});
    EXPECT_EQ(systemNumberRepeatMessage(typed.victims[0]),
              "Повтор системного номера РПДИ! Аналогичный номер есть на вкладке РПУ №1. Он будет занулен.");
    EXPECT_EQ(typed.table[0], 0);
    EXPECT_EQ(typed.table[48], 15);
    EXPECT_FALSE(typed.outOfRange);

    // The same fields when a save runs the rule as RPDI11's: the later one goes.
    const auto saved = scanSystemNumbers(numbers({{0, 15}, {48, 15}}), 0);
    EXPECT_EQ(saved.victims, std::vector<int>{48});
    EXPECT_EQ(systemNumberRepeatMessage(48),
              "Повтор системного номера РПДИ! Аналогичный номер есть на вкладке РПУ №2. Он будет занулен.");
    EXPECT_EQ(saved.table[0], 15);
}

TEST(SystemNumbers, eachRepeatIsToldOnceAndZerosAreNoRepeats) {
    // Three equal, the middle one edited: the other two go, in order, each with one box.
    const auto three = scanSystemNumbers(numbers({{3, 7}, {60, 7}, {150, 7}}), 60);
    EXPECT_EQ(three.victims, (std::vector<int>{3, 150}));
    EXPECT_EQ(three.table[60], 7);
    EXPECT_EQ(three.table[150], 0);

    // Three equal, none edited: the first keeps its number.
    EXPECT_EQ(scanSystemNumbers(numbers({{3, 7}, {60, 7}, {150, 7}}), 0).victims,
              (std::vector<int>{60, 150}));

    // Every field empty but two different numbers: nothing to tell.
    const auto zeros = scanSystemNumbers(numbers({{10, 1}, {11, 2}}), 5);
    EXPECT_TRUE(zeros.victims.empty());
    EXPECT_EQ(zeros.table, numbers({{10, 1}, {11, 2}}));
}

TEST(SystemNumbers, theRangeEndsAt192AndTheTableFollowsTheFields) {
    struct Case {
        int typed;
        bool refused;
    };
    for (const Case& c : {Case{192, false}, Case{193, true}, Case{200, true}, Case{0, false}}) {
        const auto scan = scanSystemNumbers(numbers({{100, c.typed}, {101, 9}}), 100);
        EXPECT_EQ(scan.outOfRange, c.refused) << c.typed;
        EXPECT_EQ(scan.table[100], c.refused ? 0 : c.typed) << c.typed;
        EXPECT_EQ(scan.table[101], 9);
    }
    // A repeat of a number out of range is told first, then the range.
    const auto both = scanSystemNumbers(numbers({{2, 200}, {100, 200}}), 100);
    EXPECT_EQ(both.victims, std::vector<int>{2});
    EXPECT_TRUE(both.outOfRange);
    EXPECT_EQ(both.table[2], 0);
    EXPECT_EQ(both.table[100], 0);
    EXPECT_EQ(systemNumberOf("  "), 0);
    EXPECT_EQ(systemNumberOf("1 5"), 1);
}

TEST(Durations, aNumberFrom0To254MovesTheUpDown) {
    struct Case {
        const char* text;
        DurationVerdict verdict;
    };
    const Case cases[] = {
        {"", {DurationVerdict::Empty}},         {"0", {DurationVerdict::Value, 0}},
        {"254", {DurationVerdict::Value, 254}}, {" 17 ", {DurationVerdict::Value, 17}},
        {"255", {DurationVerdict::OutOfRange}}, {"300", {DurationVerdict::OutOfRange}},
        {"-1", {DurationVerdict::OutOfRange}},  {"99999999999999999999", {DurationVerdict::OutOfRange}},
        {"abc", {DurationVerdict::NotANumber}}, {"1a", {DurationVerdict::NotANumber}},
        {"-", {DurationVerdict::NotANumber}},   {"  ", {DurationVerdict::NotANumber}},
    };
    for (const Case& c : cases) EXPECT_EQ(judgeDuration(c.text), c.verdict) << '"' << c.text << '"';
}

TEST(Passwords, eachFieldCountsItsOwnWay) {
    struct Case {
        Field field;
        const char* positional;
        bool isShort;
    };
    const Case cases[] = {
        {Field::PasswordEdit, "123 ", true},     {Field::PasswordEdit, "1 24", true},
        {Field::PasswordEdit, "1234", false},    {Field::PasswordEdit, "    ", true},
        {Field::PasswordEdit2, "1 2 3 ", false}, {Field::PasswordEdit2, "12    ", true},
        {Field::PasswordEdit2, "100   ", true},  {Field::PasswordEdit2, "      ", true},
        {Field::paswrd1, "123 ", true},          {Field::paswrd1, "1 24", true},
        {Field::paswrd2, "100   ", false},       {Field::paswrd2, "1 24  ", false},
        {Field::paswrd2, "12    ", true},        {Field::paswrd2, "      ", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(passwordShort(c.field, c.positional), c.isShort)
            << static_cast<int>(c.field) << " \"" << c.positional << '"';
    EXPECT_EQ(withoutZeros("1020"), "12");
    EXPECT_STREQ(
        passwordMessage(Field::paswrd2),
        "Недопустимое количество цифр! Количестово цифр в пароле администратора должно быть от 3 до 6!");
}

// ---- object numbers

/// Index of loop s of РПД p of receiver r.
constexpr int loopAt(int r, int p, int s) {
    return kRpdsPerReceiver * kLoopsPerRpd * (r - 1) + kLoopsPerRpd * (p - 1) + (s - 1);
}

using ObjectFields = std::array<std::optional<int>, kObjectFields>;

ObjectFields zeroFields() {
    ObjectFields fields;
    fields.fill(0);
    return fields;
}

TEST(ObjectLeave, theEditedFieldsRepeatsAndWhatItKeeps) {
    struct Case {
        const char* what;
        std::vector<std::pair<int, int>> numbers;  // index, number
        int edited;
        int entry;
        std::optional<int> repeatOf;
        int kept;
        bool changed;
    };
    const Case cases[] = {
        {"РПД 3 holds 5, typed on a loop of РПД 5",
         {{loopAt(1, 3, 2), 5}, {loopAt(1, 5, 4), 5}},
         loopAt(1, 5, 4),
         7,
         loopAt(1, 3, 2),
         7,
         false},
        {"the same number on two loops of one РПД",
         {{loopAt(1, 5, 1), 5}, {loopAt(1, 5, 4), 5}},
         loopAt(1, 5, 4),
         0,
         std::nullopt,
         5,
         true},
        {"a pair in РПД 1 and 2 while РПД 10 is edited",
         {{loopAt(1, 1, 1), 9}, {loopAt(1, 2, 1), 9}, {loopAt(1, 10, 3), 4}},
         loopAt(1, 10, 3),
         0,
         std::nullopt,
         4,
         true},
        {"receiver 2 РПД 5 holds the number",
         {{loopAt(2, 5, 8), 12}, {loopAt(4, 24, 8), 12}},
         loopAt(4, 24, 8),
         3,
         loopAt(2, 5, 8),
         3,
         false},
        {"the first other row is named",
         {{loopAt(3, 1, 1), 6}, {loopAt(1, 7, 1), 6}, {loopAt(1, 2, 2), 6}},
         loopAt(1, 7, 1),
         0,
         loopAt(1, 2, 2),
         0,
         false},
        {"0 is never a repeat", {}, loopAt(1, 5, 4), 8, std::nullopt, 0, true},
        {"a number the field came with is no new repeat",
         {{loopAt(1, 1, 1), 9}, {loopAt(1, 2, 1), 9}},
         loopAt(1, 2, 1),
         9,
         std::nullopt,
         9,
         false},
        {"unchanged", {{loopAt(1, 1, 1), 9}}, loopAt(1, 1, 1), 9, std::nullopt, 9, false},
    };
    for (const Case& c : cases) {
        ObjectFields fields = zeroFields();
        for (auto [i, n] : c.numbers) fields[static_cast<std::size_t>(i)] = n;
        const ObjectLeave leave = leaveObject(fields, c.edited, c.entry);
        EXPECT_TRUE(leave.blanks.empty()) << c.what;
        EXPECT_EQ(leave.repeatOf, c.repeatOf) << c.what;
        EXPECT_EQ(leave.kept, c.kept) << c.what;
        EXPECT_EQ(leave.changed, c.changed) << c.what;
        EXPECT_EQ(leave.numbers[static_cast<std::size_t>(c.edited)], c.kept) << c.what;
        EXPECT_EQ(leave.refused(), c.repeatOf.has_value()) << c.what;
    }
    EXPECT_EQ(objectRepeatMessage(loopAt(1, 3, 2)), "Повтор номера объекта в РПД №3");
    EXPECT_EQ(objectRepeatMessage(loopAt(2, 5, 1)), "Повтор номера объекта в РПД №29");
}

TEST(ObjectLeave, fieldsWithoutANumberCountZeroAndAreToldInOrder) {
    ObjectFields fields = zeroFields();
    fields[loopAt(3, 4, 2)] = std::nullopt;
    fields[loopAt(1, 1, 1)] = 15;
    fields[loopAt(1, 2, 1)] = std::nullopt;
    const ObjectLeave leave = leaveObject(fields, loopAt(1, 1, 1), 0);
    EXPECT_EQ(leave.blanks, (std::vector<int>{loopAt(1, 2, 1), loopAt(3, 4, 2)}));
    EXPECT_TRUE(leave.refused());
    EXPECT_EQ(leave.numbers[loopAt(1, 2, 1)], 0);
    EXPECT_EQ(leave.kept, 15);
    EXPECT_TRUE(leave.changed);

    // The edited field itself without a number: it counts 0, changed if it held a number.
    fields = zeroFields();
    fields[loopAt(1, 1, 1)] = std::nullopt;
    const ObjectLeave emptied = leaveObject(fields, loopAt(1, 1, 1), 40);
    EXPECT_EQ(emptied.blanks, std::vector<int>{loopAt(1, 1, 1)});
    EXPECT_EQ(emptied.kept, 0);
    EXPECT_TRUE(emptied.changed);

    EXPECT_EQ(objectEntryValueOf(""), 0);  // an empty field enters as 0, not as the previous one
    EXPECT_EQ(objectEntryValueOf(" 1 7"), 17);
}

// ---- codes and keys

AccessRow row(const char* text, std::uint16_t authorities = 0) {
    return AccessRow{text, authorities};
}

/// Answers from a list (Yes when it runs out) and counts the questions.
Asker answers(std::vector<bool> list) {
    return [list = std::move(list), at = std::size_t{0}](const Question&) mutable {
        return at < list.size() ? list[at++] : true;
    };
}

const Question kCodeRepeat{kRemoveQuestion, kRepeatedCode};
const Question kCodeAlone{kCodeWithoutAuthority, kRemoveQuestion};
const Question kCodeRightsOnly{kAuthorityWithoutCode, kRemoveQuestion};
const Question kKeyRepeat{kRemoveQuestion, kRepeatedKey};
const Question kKeyAlone{kKeyWithoutAuthority, kRemoveQuestion};
const Question kKeyRightsOnly{kAuthorityWithoutKey, kRemoveQuestion};

struct WalkCase {
    const char* what;
    std::vector<AccessRow> rows;
    int count;
    std::vector<bool> answers;
    std::vector<Question> questions;
    int result;
    std::vector<AccessRow> after;
};

void expectWalk(const WalkCase& c, const AccessWalk& walk) {
    EXPECT_EQ(walk.questions, c.questions) << c.what;
    EXPECT_EQ(walk.result, c.result) << c.what;
    EXPECT_EQ(walk.rows, c.after) << c.what;
}

TEST(CheckCodes, everyCodeIsWalkedAndEachProblemAsked) {
    const WalkCase cases[] = {
        {"acceptable",
         {row("123", 1), row("45", 2), row("")},
         3,
         {},
         {},
         1,
         {row("123", 1), row("45", 2), row("")}},
        {"repeat, Yes",
         {row("123", 1), row("123", 4)},
         2,
         {true},
         {kCodeRepeat},
         -1,
         {row("123", 1), row("")}},
        {"repeat, No",
         {row("123", 1), row("123", 4)},
         2,
         {false},
         {kCodeRepeat},
         1,
         {row("123", 1), row("123", 4)}},
        {"12 3 is 123",
         {row("123", 1), row("12 3", 4)},
         2,
         {true},
         {kCodeRepeat},
         -1,
         {row("123", 1), row("")}},
        {"123 with blanks is 123",
         {row("123   ", 1), row("123", 4)},
         2,
         {false},
         {kCodeRepeat},
         1,
         {row("123   ", 1), row("123", 4)}},
        {"each earlier equal one is asked after No",
         {row("5", 1), row("5", 1), row("5", 1)},
         3,
         {false, false, false},
         {kCodeRepeat, kCodeRepeat, kCodeRepeat},
         1,
         {row("5", 1), row("5", 1), row("5", 1)}},
        {"without authority, Yes", {row("77")}, 1, {true}, {kCodeAlone}, -1, {row("")}},
        {"without authority, No", {row("77")}, 1, {false}, {kCodeAlone}, -1, {row("77")}},
        {"repeat kept, then without authority",
         {row("8", 1), row("8")},
         2,
         {false, false},
         {kCodeRepeat, kCodeAlone},
         -1,
         {row("8", 1), row("8")}},
        {"authority without code, Yes",
         {row("      ", 3)},
         1,
         {true},
         {kCodeRightsOnly},
         -1,
         {row("      ")}},
        {"authority without code, No", {row("", 3)}, 1, {false}, {kCodeRightsOnly}, -1, {row("", 3)}},
        {"every code is reported",
         {row("9"), row("", 1), row("6")},
         3,
         {false, false, false},
         {kCodeAlone, kCodeRightsOnly, kCodeAlone},
         -1,
         {row("9"), row("", 1), row("6")}},
        {"codes beyond the count are not walked",
         {row("1", 1), row("1"), row("", 1)},
         1,
         {},
         {},
         1,
         {row("1", 1), row("1"), row("", 1)}},
    };
    for (const WalkCase& c : cases) expectWalk(c, checkCodes(c.rows, c.count, answers(c.answers)));
}

TEST(CheckKeys, aRepeatKeepsTheResultAndAnAuthorityProblemStopsTheWalk) {
    const char* a = "0123456789AB";
    const char* b = "00000000001F";
    const WalkCase cases[] = {
        {"acceptable", {row(a, 1), row(b, 2), row("")}, 3, {}, {}, 1, {row(a, 1), row(b, 2), row("")}},
        {"repeat, Yes", {row(a, 1), row(a, 2)}, 2, {true}, {kKeyRepeat}, 1, {row(a, 1), row("")}},
        {"repeat, No", {row(a, 1), row(a, 2)}, 2, {false}, {kKeyRepeat}, 1, {row(a, 1), row(a, 2)}},
        {"without authority, Yes; the later key is not asked",
         {row(a), row("", 1)},
         2,
         {true},
         {kKeyAlone},
         -1,
         {row(""), row("", 1)}},
        {"without authority, No", {row(b, 1), row(a)}, 2, {false}, {kKeyAlone}, -1, {row(b, 1), row(a)}},
        {"authority without key stops",
         {row("", 8), row(a)},
         2,
         {true},
         {kKeyRightsOnly},
         -1,
         {row(""), row(a)}},
        {"keys beyond the count are not walked", {row(a, 1), row(b)}, 1, {}, {}, 1, {row(a, 1), row(b)}},
    };
    for (const WalkCase& c : cases) expectWalk(c, checkKeys(c.rows, c.count, answers(c.answers)));
}

TEST(RemoveDuplicateCodes, repeatsAreEmptiedAndTheCountRecomputed) {
    struct Case {
        const char* what;
        std::vector<AccessRow> rows;
        int count;
        std::vector<int> removed;
        std::vector<AccessRow> after;
        int newCount;
    };
    const Case cases[] = {
        {"code 5 set",
         {row("1", 1), row("22", 1), row("3", 1), row("22", 2), row("5", 1)},
         5,
         {4},
         {row("1", 1), row("22", 1), row("3", 1), row("", 2), row("5", 1)},
         5},
        {"codes 4 and 5 then blank",
         {row("1", 1), row("22", 1), row("3", 1), row("22", 2), row("      ")},
         5,
         {4},
         {row("1", 1), row("22", 1), row("3", 1), row("", 2), row("      ")},
         3},
        {"123 with blanks against 123", {row("123   "), row("123")}, 2, {2}, {row("123   "), row("")}, 1},
        {"nothing left", {row(""), row("  ")}, 2, {}, {row(""), row("  ")}, 0},
        {"beyond the count", {row("4"), row("4")}, 1, {}, {row("4"), row("4")}, 1},
    };
    for (const Case& c : cases) {
        const DuplicateCodes out = removeDuplicateCodes(c.rows, c.count);
        EXPECT_EQ(out.removed, c.removed) << c.what;
        EXPECT_EQ(out.rows, c.after) << c.what;
        EXPECT_EQ(out.count, c.newCount) << c.what;
    }
    EXPECT_EQ(duplicateCodeMessage(4), "Поторяющийся Код в позиции №4 будет удален!");
}

}  // namespace
}  // namespace livna::setka
