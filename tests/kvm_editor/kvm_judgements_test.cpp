// The judgements on typed times and codes, without a window.
#include <gtest/gtest.h>

#include "kvm_editor/kvm_judgements.h"

using namespace livna::kvm;

TEST(KvmJudgements, judgeTime) {
    const struct {
        const char* shown;
        TimeVerdict verdict;
    } cases[] = {
        {"25:00", TimeVerdict::OutOfRange}, {"12:60", TimeVerdict::OutOfRange},
        {"99:99", TimeVerdict::OutOfRange}, {"24:00", TimeVerdict::Valid},
        {"24:59", TimeVerdict::Valid},  // hours up to 24, minutes up to 59
        {"00:00", TimeVerdict::Valid},      {"2_:00", TimeVerdict::Incomplete},
        {"25:6_", TimeVerdict::Incomplete},  // a blank minute place
        {"12: 5", TimeVerdict::Incomplete}, {"__:__", TimeVerdict::Incomplete},
        {"12:3", TimeVerdict::Incomplete},
    };
    for (const auto& c : cases) EXPECT_EQ(judgeTime(c.shown), c.verdict) << c.shown;
}

TEST(KvmJudgements, codeConflicts) {
    const std::vector<std::string> pair{"123", "124", "", "7"};
    const struct {
        const char* what;
        std::vector<std::string> codes;
        int left;
        std::vector<int> above;  // codes whose value is the left one's + 1
        std::vector<int> below;  // codes whose value + 1 is the left one's
    } cases[] = {
        {"left the lower", pair, 1, {2}, {}},
        {"left the higher", pair, 2, {}, {1}},
        {"no neighbour", pair, 4, {}, {}},
        {"blank code left", pair, 3, {}, {}},
        {"inner spaces do not split", {"1 2 3", "12 4"}, 1, {2}, {}},
        {"both neighbours, in code order", {"125", "99", "124", "123"}, 3, {1}, {4}},
        {"equal codes are no conflict", {"55", "55"}, 1, {}, {}},
        {"six digits", {"999999", "999998"}, 2, {1}, {}},
        {"left beyond the codes", pair, 5, {}, {}},
    };
    for (const auto& c : cases) {
        std::vector<int> above;
        std::vector<int> below;
        for (const CodeConflict& conflict : codeConflicts(c.left, c.codes))
            (conflict.aboveLeft ? above : below).push_back(conflict.code);
        EXPECT_EQ(above, c.above) << c.what;
        EXPECT_EQ(below, c.below) << c.what;
    }
}
