#include "mqtt/Command.h"
#include "mqtt/MqttBridge.h"
#include "mqtt/MqttClient.h"
#include "mqtt/MqttSettings.h"
#include "mqtt/Outbox.h"

#include "config/CIni.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

namespace {

using mqtt::Command;
using mqtt::parseCommand;

// What arrives on set/<what> is the network's: only a plain value is a command.
struct PayloadCase {
    const char* what;
    std::string payload;
    bool accepted;
    double value;
};

TEST(MqttCommand, OnlyPlainValuesAreCommandsAndEveryOtherPayloadIsRefusedWithAReason) {
    const PayloadCase cases[] = {
        {"voltage", "5", true, 5.0},
        {"voltage", " 12.34\n", true, 12.34},
        {"current", "0.25", true, 0.25},
        {"voltage", "-1", true, -1.0}, // a number: the set-point rules refuse it
        {"voltage", "", false, 0},
        {"voltage", "   ", false, 0},
        {"voltage", std::string(1024 * 1024, '1'), false, 0},
        {"voltage", "NaN", false, 0},
        {"voltage", "nan", false, 0},
        {"voltage", "inf", false, 0},
        {"voltage", "1e999", false, 0},
        {"voltage", "1e1", false, 0},
        {"voltage", "5V", false, 0},
        {"voltage", "1,5", false, 0},
        {"voltage", "1.2.3", false, 0},
        {"voltage", "\xff\xfe", false, 0},
        {"voltage", std::string("5\0", 2), false, 0},
        {"voltage", "\xef\xbc\x95", false, 0}, // a full-width 5
        {"output", "ON", true, 0},
        {"output", "on", false, 0},
        {"output", "1", false, 0},
        {"reset_counters", "PRESS", true, 0},
        {"reset_counters", "", false, 0},
        {"unknown", "ON", false, 0},
    };
    for (const PayloadCase& c : cases) {
        const auto parsed = parseCommand(c.what, c.payload);
        SCOPED_TRACE(std::string(c.what) + " " + c.payload.substr(0, 20));
        EXPECT_EQ(parsed.command.has_value(), c.accepted);
        if (parsed.command && parsed.command->kind != Command::Output &&
            parsed.command->kind != Command::ResetCounters) {
            EXPECT_DOUBLE_EQ(parsed.command->value, c.value);
        }
        if (!parsed.command) {
            EXPECT_FALSE(parsed.problem.empty());
        }
    }
}

TEST(MqttOutbox, ASlowBrokerLosesOldStatesButNeverEventsAndAStateIsReplacedUnsent) {
    mqtt::Outbox box(4);
    box.push({"n/event", "trip", 1, false, false});
    box.push({"n/state", "s1", 0, true, true});
    box.push({"n/state", "s2", 0, true, true}); // replaces s1
    EXPECT_EQ(box.size(), 2u);
    box.push({"n/other", "o1", 0, true, true});
    box.push({"n/event", "lost", 1, false, false});
    box.push({"n/event", "again", 1, false, false}); // full: the oldest state goes
    box.push({"n/event", "more", 1, false, false});  // and the next
    std::vector<std::string> left;
    for (; !box.empty(); box.pop())
        left.push_back(box.front().payload);
    EXPECT_EQ(left, (std::vector<std::string>{"trip", "lost", "again", "more"}));
    EXPECT_EQ(box.dropped(), 3u);
    // Nothing but events: the box holds them all rather than lose one.
    for (int i = 0; i < 10; ++i)
        box.push({"n/event", std::to_string(i), 1, false, false});
    EXPECT_EQ(box.size(), 10u);
}

TEST(MqttBroker, UrlsOutsideTheirFormAreRefusedAndTheDefaultsFollowTheScheme) {
    mqtt::Broker b;
    std::string problem;
    ASSERT_TRUE(mqtt::parseBrokerUrl("mqtt://rack@broker.lan", b, problem));
    EXPECT_EQ(b.host, "broker.lan");
    EXPECT_EQ(b.username, "rack");
    EXPECT_EQ(b.port, 1883);
    EXPECT_FALSE(b.tls);
    ASSERT_TRUE(mqtt::parseBrokerUrl("mqtts://10.0.0.2:9000", b, problem));
    EXPECT_TRUE(b.tls);
    EXPECT_EQ(b.port, 9000);
    ASSERT_TRUE(mqtt::parseBrokerUrl("mqtts://host", b, problem));
    EXPECT_EQ(b.port, 8883);
    for (const char* bad :
         {"tcp://host", "mqtt://", "mqtt://host:0", "mqtt://host:65536", "mqtt://host:x",
          "mqtt://user:pw@host", "mqtt://@host", "mqtt://host/topic"})
        EXPECT_FALSE(mqtt::parseBrokerUrl(bad, b, problem)) << bad;
}

TEST(MqttNode, TheDefaultIdIsTheHostAndTheStableNameOfThePortInTopicWords) {
    TempDir dir;
    const std::filesystem::path byId = std::filesystem::path(dir.path()) / "by-id";
    std::filesystem::create_directories(byId);
    const std::filesystem::path device = std::filesystem::path(dir.path()) / "ttyACM3";
    std::ofstream(device.string()).put('x');
    std::filesystem::create_symlink(device, byId / "usb-Quorel_Bench_PSU_0042-if00");
    // The same device under its changing name and under its stable one gives one id.
    EXPECT_EQ(mqtt::defaultNodeId("Lab-PC.local", device.string(), byId.string()),
              "lab_pc_local_usb_quorel_bench_psu_0042_if00");
    EXPECT_EQ(mqtt::defaultNodeId("Lab-PC.local",
                                  (byId / "usb-Quorel_Bench_PSU_0042-if00").string(),
                                  byId.string()),
              "lab_pc_local_usb_quorel_bench_psu_0042_if00");
    EXPECT_EQ(mqtt::defaultNodeId("", "COM3", byId.string()), "com3");
    EXPECT_EQ(mqtt::topicWord("+#/ÄB"), "b");
}

} // namespace

namespace {

TEST(MqttSettingsFile, UnusableValuesFallBackToTheirDefaultsByNameAndTheRestRoundTrips) {
    TempDir dir;
    const std::string path = dir.file("Quorel.ini");
    TempDir::write(path, "[MQTT]\nEnabled=1\nBroker=mqtt://rack@broker\nBaseTopic=lab/#\n"
                         "NodeId=a/b\nInterval=0\nDiscoveryPrefix=ha\nControl=maybe\n");
    CIni ini(path.c_str());
    std::vector<std::string> bad;
    mqtt::MqttSettings s = mqtt::MqttSettings::load(ini, bad);
    EXPECT_EQ(bad, (std::vector<std::string>{"Control", "BaseTopic", "NodeId", "Interval"}));
    EXPECT_TRUE(s.enabled);
    EXPECT_FALSE(s.control);
    EXPECT_EQ(s.baseTopic, "quorel");
    EXPECT_EQ(s.discoveryPrefix, "ha");
    EXPECT_EQ(s.intervalSeconds, 1);
    s.nodeId = "bench7";
    s.intervalSeconds = 10;
    ASSERT_TRUE(s.save(ini));
    bad.clear();
    const mqtt::MqttSettings again = mqtt::MqttSettings::load(ini, bad);
    EXPECT_TRUE(bad.empty());
    EXPECT_EQ(again.nodeId, "bench7");
    EXPECT_EQ(again.intervalSeconds, 10);
    EXPECT_EQ(again.broker, "mqtt://rack@broker");
    // A password without a user, or TLS files without TLS, are refused before any connection.
    std::string problem;
    mqtt::MqttSettings anonymous = again;
    anonymous.broker = "mqtt://broker";
    anonymous.password = "secret";
    EXPECT_FALSE(anonymous.bridgeOptions("/dev/ttyACM0", problem));
    anonymous.password.clear();
    anonymous.caFile = "ca.pem";
    EXPECT_FALSE(anonymous.bridgeOptions("/dev/ttyACM0", problem));
}

} // namespace
