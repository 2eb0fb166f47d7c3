#include "panelsim/panelsim_options.h"

#include <gtest/gtest.h>

namespace livna::panelsim {
namespace {

using K = PanelFault::Kind;

TEST(PanelsimOptions, validCommandLines) {
    struct Case {
        std::vector<std::string> args;
        PanelSystem system;
        unsigned type, version;
        std::vector<PanelFault> faults;
    };
    const Case cases[] = {
        {{}, PanelSystem::Kvm, 31, 32, {}},
        {{"--system", "kv"}, PanelSystem::Kv, 31, 52, {}},
        {{"--system", "kvm"}, PanelSystem::Kvm, 31, 32, {}},
        {{"--system", "kv", "--version", "53"}, PanelSystem::Kv, 31, 53, {}},
        {{"--version", "40", "--system", "kv"}, PanelSystem::Kv, 31, 40, {}},
        {{"--type", "27"}, PanelSystem::Kvm, 27, 32, {}},
        {{"--fault", "header"}, PanelSystem::Kvm, 31, 32, {{K::ReplyHeader, {}, 0}}},
        {{"--fault", "crc:3", "--fault", "read:16", "--fault", "write:0"},
         PanelSystem::Kvm,
         31,
         32,
         {{K::ReplyCrc, 3, 0}, {K::ReadFails, 16, 0}, {K::WriteRefused, 0, 0}}},
        {{"--fault", "silent:300"}, PanelSystem::Kvm, 31, 32, {{K::SilentAfter, {}, 300}}},
    };
    for (const auto& c : cases) {
        std::string trace;
        for (const auto& a : c.args) trace += a + " ";
        SCOPED_TRACE(trace);
        std::string error;
        const auto o = parsePanelsimOptions(c.args, error);
        ASSERT_TRUE(o.has_value()) << error;
        EXPECT_EQ(o->config.system, c.system);
        EXPECT_EQ(o->config.typeCode, c.type);
        EXPECT_EQ(o->config.versionCode, c.version);
        EXPECT_EQ(o->config.faults, c.faults);
    }
}

TEST(PanelsimOptions, setkaLineAndItsFaults) {
    std::string error;
    auto o =
        parsePanelsimOptions({"--fault", "refuse:93", "--link", "com", "--com", "10", "--fast", "--fault",
                              "crc:codes", "--fault", "write:settings", "--fault", "answer-from:10",
                              "--fault", "header0", "--fault", "echo-stop:40", "--fault", "silent:7"},
                             error);
    ASSERT_TRUE(o.has_value()) << error;
    EXPECT_EQ(o->link, PanelsimOptions::Link::Com);
    EXPECT_EQ(o->comNumber, 10);
    EXPECT_TRUE(o->fast);
    EXPECT_EQ(o->config.typeCode, 9u);
    EXPECT_EQ(o->config.versionCode, 32u);
    const SetkaFaults& f = o->setkaFaults;
    EXPECT_EQ(f.refused, std::vector<int>{0x93});
    EXPECT_TRUE(f.crcCodes);
    EXPECT_FALSE(f.crcSettings);
    EXPECT_FALSE(f.crcConnect);
    EXPECT_TRUE(f.writeSettingsRefused);
    EXPECT_FALSE(f.writeCodesRefused);
    EXPECT_EQ(f.answerFrom, 10);
    EXPECT_TRUE(f.header0);
    EXPECT_EQ(f.echoStop, 40u);
    EXPECT_EQ(o->config.faults, (std::vector<PanelFault>{{K::SilentAfter, {}, 7}}));

    o = parsePanelsimOptions({"--link", "com", "--fault", "crc", "--type", "10", "--version", "53"}, error);
    ASSERT_TRUE(o.has_value()) << error;
    EXPECT_TRUE(o->setkaFaults.crcConnect && o->setkaFaults.crcSettings && o->setkaFaults.crcCodes);
    EXPECT_EQ(o->config.typeCode, 10u);
    EXPECT_EQ(o->config.versionCode, 53u);

    o = parsePanelsimOptions({"--link", "com", "--fault", "loader-silent", "--fault", "loader-type",
                              "--fault", "fw-refuse", "--fault", "fw-silent"},
                             error);
    ASSERT_TRUE(o.has_value()) << error;
    EXPECT_TRUE(o->setkaFaults.loaderSilent && o->setkaFaults.loaderType);
    EXPECT_EQ(o->config.faults,
              (std::vector<PanelFault>{{K::FirmwareRefused, {}, 0}, {K::FirmwareSilent, {}, 0}}));

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--link", "com", "--fault", "refuse:95"},
          {"--link", "com", "--fault", "read:3"},
          {"--link", "com", "--fault", "answer-from:0"},
          {"--link", "serial"},
          {"--com", "11"},
          {"--fault", "header0"},
          {"--fault", "loader-silent"},
          {"--link", "com", "--fault", "loader-type:1"}}) {
        EXPECT_FALSE(parsePanelsimOptions(bad, error).has_value()) << bad.back();
    }
}

TEST(PanelsimOptions, pathsAreKept) {
    std::string error;
    const auto o = parsePanelsimOptions(
        {"--image", "in.cfg", "--save", "out.cfg", "--root", "r", "--log", "l.txt"}, error);
    ASSERT_TRUE(o.has_value()) << error;
    EXPECT_EQ(o->imagePath, "in.cfg");
    EXPECT_EQ(o->savePath, "out.cfg");
    EXPECT_EQ(o->root, "r");
    EXPECT_EQ(o->logPath, "l.txt");
}

TEST(PanelsimOptions, invalidCommandLines_areRefusedWithAReason) {
    const std::vector<std::vector<std::string>> cases = {
        {"--system", "kx"},  {"--type", "256"},       {"--version", "-1"}, {"--version", "3x"},
        {"--fault", "read"}, {"--fault", "write:17"}, {"--fault", "boom"}, {"--fault", "silent"},
        {"--root"},          {"--colour", "red"},     {"--fault", "crc:"},
    };
    for (const auto& args : cases) {
        std::string error;
        EXPECT_FALSE(parsePanelsimOptions(args, error).has_value()) << args[0];
        EXPECT_FALSE(error.empty());
    }
}

TEST(PanelsimOptions, help_asksForTheUsageOnly) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--help"}, {"-h"}, {"--system", "kv", "--help"}}) {
        std::string error;
        const auto o = parsePanelsimOptions(args, error);
        ASSERT_TRUE(o.has_value()) << error;
        EXPECT_TRUE(o->help);
    }
    std::string error;
    EXPECT_FALSE(parsePanelsimOptions({}, error)->help);
    EXPECT_NE(std::string(kPanelsimUsage).find("--help"), std::string::npos);
}

}  // namespace
}  // namespace livna::panelsim
