#include "setka/link/link_ports.h"

#include <gtest/gtest.h>

#include "setka/link/fake_link_port.h"

namespace livna::setka {
namespace {

struct Program {
    FakePortOpener opener;
    LinkPorts ports{opener.opener()};
    LinkContext context{.ports = &ports};
};

TEST(StartLink, portDoesNotOpen_openFailedAndNoPort) {
    Program p;
    p.context.portKind = PortKind::Com;
    p.context.portNumber = 3;
    EXPECT_FALSE(StartLink(p.context));
    EXPECT_TRUE(p.context.openFailed);
    EXPECT_EQ(p.ports.port(PortKind::Com), nullptr);
    EXPECT_EQ(p.ports.systemText(), "No such device");
    EXPECT_EQ(p.opener.requests, (std::vector<std::pair<PortKind, int>>{{PortKind::Com, 3}}));
}

TEST(StartLink, opensTheChosenKindAndNumber_clearsAnEarlierFailure) {
    Program p;
    p.context.openFailed = true;
    p.opener.opens = true;
    for (auto [kind, number] : {std::pair{PortKind::Com, 10}, std::pair{PortKind::Usb, 1}}) {
        p.context.portKind = kind;
        p.context.portNumber = number;
        EXPECT_TRUE(StartLink(p.context));
        EXPECT_FALSE(p.context.openFailed);
        ASSERT_NE(p.ports.port(kind), nullptr);
        EXPECT_EQ(p.ports.port(kind)->kind(), kind);
        EXPECT_EQ(p.opener.requests.back(), std::pair(kind, number));
    }
    EXPECT_EQ(p.opener.openPorts(), 2);  // side by side
}

TEST(LinkPorts, reopeningAKind_closesThePortLeftOpenFirst) {
    Program p;
    p.opener.opens = true;
    ASSERT_TRUE(p.ports.open(PortKind::Usb, 1));
    ASSERT_TRUE(p.ports.open(PortKind::Usb, 1));
    EXPECT_EQ(p.opener.closes, 1);
    EXPECT_EQ(p.opener.openPorts(), 1);
}

TEST(LinkPorts, closeAndShutDown_releaseThePorts_idempotent) {
    Program p;
    p.opener.opens = true;
    ASSERT_TRUE(p.ports.open(PortKind::Com, 2));
    ASSERT_TRUE(p.ports.open(PortKind::Usb, 1));
    p.ports.close(PortKind::Com);
    p.ports.close(PortKind::Com);
    EXPECT_EQ(p.ports.port(PortKind::Com), nullptr);
    EXPECT_NE(p.ports.port(PortKind::Usb), nullptr);
    EXPECT_EQ(p.opener.closes, 1);
    p.ports.shutDown();
    p.ports.shutDown();
    EXPECT_EQ(p.ports.port(PortKind::Usb), nullptr);
    EXPECT_EQ(p.opener.closes, 2);
}

TEST(LinkPorts, destroyed_closesWhatIsOpen) {
    FakePortOpener opener;
    opener.opens = true;
    {
        LinkPorts ports{opener.opener()};
        ASSERT_TRUE(ports.open(PortKind::Com, 1));
    }
    EXPECT_EQ(opener.openPorts(), 0);
}

}  // namespace
}  // namespace livna::setka
