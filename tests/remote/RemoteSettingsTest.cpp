// Section [REMOTE] of Quorel.ini: what the panel starts with, and what it keeps.
#include "remote/RemoteSettings.h"
#include "config/CIni.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

struct SectionCase {
    const char* name;
    const char* section; // the lines of [REMOTE]
    bool enabled;
    const char* listen;
    const char* allow;
    std::vector<std::string> bad;
};

class RemoteSection : public testing::TestWithParam<SectionCase> {};

TEST_P(RemoteSection, GivesDefaultsForWhatCannotBeUsedAndNamesIt) {
    const SectionCase& c = GetParam();
    TempDir dir;
    TempDir::write(dir.file("q.ini"), std::string("[REMOTE]\r\n") + c.section);
    CIni ini(dir.file("q.ini").c_str());
    std::vector<std::string> bad;
    const auto s = remote::RemoteSettings::load(ini, bad);
    EXPECT_EQ(s.enabled, c.enabled);
    EXPECT_EQ(s.listenText(), c.listen);
    EXPECT_EQ(s.allowText(), c.allow);
    EXPECT_EQ(bad, c.bad);
}

INSTANTIATE_TEST_SUITE_P(
    Values, RemoteSection,
    testing::Values(
        SectionCase{"OffOnLoopbackByDefault", "", false, "127.0.0.1:5025", "", {}},
        SectionCase{"AsWritten",
                    "Enabled=1\r\nListen=0.0.0.0:6000\r\nAllow=10.1.2.3/8, 192.168.1.7\r\n",
                    true,
                    "0.0.0.0:6000",
                    "10.0.0.0/8,192.168.1.7",
                    {}},
        SectionCase{"AddressAloneTakesTheUsualPort",
                    "Enabled=yes\r\nListen=localhost\r\n",
                    true,
                    "127.0.0.1:5025",
                    "",
                    {}},
        SectionCase{
            "EmptyAllowLetsEveryoneIn", "Enabled=1\r\nAllow= \r\n", true, "127.0.0.1:5025", "", {}},
        SectionCase{"BadValuesAreNamed",
                    "Enabled=maybe\r\nListen=127.0.0.1:70000\r\nAllow=10.0.0.0/33\r\n",
                    false,
                    "127.0.0.1:5025",
                    "",
                    {"Enabled", "Listen", "Allow"}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
