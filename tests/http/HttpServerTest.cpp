// The HTTP server of a measurement session on the simulated supply, through the real socket
// on 127.0.0.1: the status of every refusal with nothing sent to the device, the bounds of
// bodies and connections, the allow list, the event stream, hostile clients, and the token.
#include "config/Settings.h"
#include "http/HttpControl.h"
#include "http/Token.h"
#include "platform/Paths.h"
#include "resources/Texts.h"
#include "session/MeasurementSession.h"
#include "simulator/SimulatedSupply.h"
#include "support/TempDir.h"
#include "support/TestClient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* Token = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";

struct Answer {
    int status = 0;
    std::string body;
};

// Whether the bytes hold a whole response; its status and body when they do.
bool parseResponse(const std::string& bytes, Answer& out) {
    const auto end = bytes.find("\r\n\r\n");
    if (end == std::string::npos || bytes.compare(0, 9, "HTTP/1.1 ") != 0)
        return false;
    std::smatch m;
    const std::string head = bytes.substr(0, end);
    std::size_t length = 0;
    if (std::regex_search(head, m, std::regex("Content-Length: (\\d+)", std::regex::icase)))
        length = std::stoul(m[1]);
    if (bytes.size() < end + 4 + length)
        return false;
    out.status = std::stoi(bytes.substr(9, 3));
    out.body = bytes.substr(end + 4, length);
    return true;
}

// The session connected to the simulator (5 V / 0.2 A, output off, adapter) with its HTTP
// server on a free port of 127.0.0.1.
class HttpOnSimulator : public testing::Test {
protected:
    void SetUp() override {
        platform::setExecutableDirectoryForTest(dir.path());
        TempDir::write(dir.file("Quorel.ini"), "[QUOREL]\r\nOffsetAtt=1\r\n");
        std::filesystem::create_directories(dir.file("ports"));
        ASSERT_TRUE(sim.start());
        sim.setSourceLetter('A');
        sim.setSetpoint(5.0, 0.2);
        ASSERT_TRUE(sim.linkAs(dir.file("ports/com5")));
        settings = std::make_unique<Settings>();
        s = std::make_unique<session::MeasurementSession>(*settings);
        ASSERT_EQ(s->connect("com5"), DeviceResult::Ok);
        ASSERT_EQ(s->poll(), DeviceResult::Ok);
        control = std::make_unique<http::HttpControl>(
            *s, [this](const std::string& line) { log.push_back(line); }, Token);
        ASSERT_NO_FATAL_FAILURE(start({}));
        sim.clearReceived();
    }
    void start(std::vector<remote::Network> allow) {
        control->stop();
        http::HttpOptions o;
        o.listen = {remote::LoopbackAddress, 0};
        o.allow = std::move(allow);
        ASSERT_EQ(control->start(o), remote::StartResult::Ok);
    }
    void TearDown() override {
        control.reset();
        s.reset();
        platform::setExecutableDirectoryForTest("");
    }

    // One turn of a loop that serves the HTTP server alone.
    void turn() {
        std::vector<platform::SocketWatch> sockets;
        for (const remote::Watch& w : control->server().watches())
            sockets.push_back({w.socket, w.read, w.write});
        const int due = control->server().dueInMs();
        platform::waitForSockets(sockets, due < 0 || due > 2 ? 2 : due);
        control->server().serveTurn();
    }
    std::unique_ptr<TestClient> connect() {
        return std::make_unique<TestClient>(control->server().address());
    }
    Answer exchange(TestClient& c, const std::string& bytes) {
        c.send(bytes);
        Answer a;
        pumpUntil([this] { turn(); }, [&] { return !c.poll() || parseResponse(c.received, a); });
        parseResponse(c.received, a);
        c.received.clear();
        return a;
    }
    Answer request(const std::string& method, const std::string& path, const std::string& body = "",
                   const std::string& auth = std::string("Bearer ") + Token) {
        auto c = connect();
        std::string r = method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
        if (!auth.empty())
            r += "Authorization: " + auth + "\r\n";
        if (!body.empty() || method == "PUT" || method == "POST")
            r += "Content-Length: " + std::to_string(body.size()) + "\r\n";
        return exchange(*c, r + "\r\n" + body);
    }
    bool logged(const std::string& line) const {
        return std::find(log.begin(), log.end(), line) != log.end();
    }
    std::string metric(const std::string& name) {
        const Answer a = request("GET", "/metrics");
        std::smatch m;
        if (!std::regex_search(a.body, m, std::regex("\n" + name + " ([^\n]+)\n")))
            return "(none)";
        return m[1];
    }

    TempDir dir;
    sim::SimulatedSupply sim;
    std::unique_ptr<Settings> settings;
    std::unique_ptr<session::MeasurementSession> s;
    std::unique_ptr<http::HttpControl> control;
    std::vector<std::string> log;
};

struct RefusalCase {
    const char* name;
    const char* method;
    const char* path;
    const char* body;
    const char* auth; // "" for none; "token" for the right one
    int status;
    const char* message; // a part of the error's text
};

class HttpRefuses : public HttpOnSimulator, public testing::WithParamInterface<RefusalCase> {};

TEST_P(HttpRefuses, WithItsStatusAndMessageAndSendsNothingToTheDevice) {
    const RefusalCase& c = GetParam();
    const std::string auth =
        std::string(c.auth) == "token" ? std::string("Bearer ") + Token : std::string(c.auth);
    const Answer a = request(c.method, c.path, c.body, auth);
    EXPECT_EQ(a.status, c.status) << a.body;
    EXPECT_NE(a.body.find(c.message), std::string::npos) << a.body;
    EXPECT_EQ(sim.receivedText(), "");
    EXPECT_EQ(sim.voltageSetpoint(), 5.0);
    EXPECT_FALSE(s->status().outputOn);
}

INSTANTIATE_TEST_SUITE_P(
    Api, HttpRefuses,
    testing::Values(
        RefusalCase{"NoToken", "PUT", "/api/v1/output", "{\"on\":true}", "", 401, "token"},
        RefusalCase{"WrongToken", "PUT", "/api/v1/output", "{\"on\":true}",
                    "Bearer 0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdee", 401,
                    "token"},
        RefusalCase{"TokenWithoutItsScheme", "PUT", "/api/v1/output", "{\"on\":true}", Token, 401,
                    "token"},
        RefusalCase{"BadJson", "PUT", "/api/v1/setpoints", "{\"volts\":", "token", 400, "JSON"},
        RefusalCase{"NaN", "PUT", "/api/v1/setpoints", "{\"volts\":NaN}", "token", 400, "JSON"},
        RefusalCase{"NumberBeyondDouble", "PUT", "/api/v1/setpoints", "{\"volts\":1e999}", "token",
                    400, "JSON"},
        RefusalCase{"WrongType", "PUT", "/api/v1/setpoints", "{\"volts\":\"5\"}", "token", 400,
                    "finite"},
        RefusalCase{"UnknownField", "PUT", "/api/v1/setpoints", "{\"volts\":5,\"ohms\":1}", "token",
                    400, "ohms"},
        RefusalCase{"NotAnObject", "PUT", "/api/v1/output", "[true]", "token", 400, "object"},
        RefusalCase{"OutputNotBoolean", "PUT", "/api/v1/output", "{\"on\":1}", "token", 400,
                    "true or false"},
        RefusalCase{"DelayOnOverVoltage", "PUT", "/api/v1/protections/ovp", "{\"delay_s\":1}",
                    "token", 400, "delay_s"},
        RefusalCase{"VoltageBeyondItsLimit", "PUT", "/api/v1/setpoints", "{\"volts\":20.5}",
                    "token", 422, texts::LogVoltageTooHigh},
        RefusalCase{"BeyondTheSourcesPower", "PUT", "/api/v1/setpoints",
                    "{\"volts\":12,\"amps\":0.6}", "token", 422, texts::LogPowerTooHigh},
        RefusalCase{"ProtectionLevelBeyond", "PUT", "/api/v1/protections/ocp", "{\"level\":5}",
                    "token", 422, "0"},
        RefusalCase{"ChangeByGet", "GET", "/api/v1/setpoints", "", "token", 405, "method"},
        RefusalCase{"UnknownProtection", "POST", "/api/v1/protections/xyz/clear", "", "token", 404,
                    "no such"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HttpOnSimulator, SetsAndSwitchesThroughThePanelsRulesWithTheToken) {
    Answer a = request("PUT", "/api/v1/setpoints", "{\"volts\":12}");
    EXPECT_EQ(a.status, 200) << a.body;
    EXPECT_DOUBLE_EQ(sim.voltageSetpoint(), 12.0);
    EXPECT_DOUBLE_EQ(sim.currentSetpoint(), 0.2) << "the current limit kept";
    a = request("PUT", "/api/v1/output", "{\"on\":true}");
    EXPECT_EQ(a.status, 200) << a.body;
    EXPECT_TRUE(sim.outputOn());
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& l) {
        return std::regex_match(
            l, std::regex("リモート HTTP 127\\.0\\.0\\.1:\\d+: 出力を ON しました"));
    }));
}

TEST_F(HttpOnSimulator, ALatchedTripRefusesTheOutputWith409) {
    s->protections().setLevel(session::ProtectionKind::OverVoltage, 1.0);
    s->protections().setEnabled(session::ProtectionKind::OverVoltage, true);
    sim.setOutput(true);
    ASSERT_EQ(s->poll(), DeviceResult::Ok);
    ASSERT_TRUE(s->protections().tripped());
    sim.clearReceived();
    const Answer a = request("PUT", "/api/v1/output", "{\"on\":true}");
    EXPECT_EQ(a.status, 409) << a.body;
    EXPECT_NE(a.body.find(texts::LogOutputRefusedTripped.str()), std::string::npos);
    EXPECT_EQ(sim.receivedText(), "");
    EXPECT_EQ(metric("quorel_protection_tripped\\{kind=\"ovp\"\\}"), "1");
    EXPECT_EQ(metric("quorel_protection_trips_total\\{kind=\"ovp\"\\}"), "1");
}

TEST_F(HttpOnSimulator, WithoutADeviceChangesAre503AndTheMetricsHoldNoReadings) {
    s->disconnect();
    EXPECT_EQ(request("PUT", "/api/v1/setpoints", "{\"volts\":3}").status, 503);
    EXPECT_EQ(request("PUT", "/api/v1/output", "{\"on\":false}").status, 503);
    EXPECT_EQ(metric("quorel_device_connected"), "0");
    EXPECT_EQ(metric("quorel_output_voltage_volts"), "(none)");
    EXPECT_EQ(sim.receivedText(), "");
}

TEST_F(HttpOnSimulator, ADeviceThatDoesNotAnswerIs502) {
    sim.setSilent(true);
    const Answer a = request("PUT", "/api/v1/setpoints", "{\"volts\":3}");
    EXPECT_EQ(a.status, 502) << a.body;
}

TEST_F(HttpOnSimulator, MetricsAreTheLastPollsReadingWithoutAnExchange) {
    sim.setLoadOhms(25.0);
    sim.setOutput(true);
    ASSERT_EQ(s->poll(), DeviceResult::Ok);
    sim.clearReceived();
    EXPECT_EQ(metric("quorel_output_voltage_volts"), "5");
    EXPECT_EQ(std::stod(metric("quorel_output_current_amperes")), s->lastReading().amps);
    EXPECT_EQ(metric("quorel_power_source\\{source=\"adapter\"\\}"), "1");
    EXPECT_EQ(metric("quorel_power_source\\{source=\"usb\"\\}"), "0");
    EXPECT_EQ(metric("quorel_output_enabled"), "1");
    EXPECT_EQ(sim.receivedText(), "") << "a scrape never asks the device";
}

TEST_F(HttpOnSimulator, BodiesOver64KiBAre413ByLengthAndChunked) {
    auto c = connect();
    Answer a = exchange(*c, "PUT /api/v1/setpoints HTTP/1.1\r\nHost: x\r\nAuthorization: Bearer " +
                                std::string(Token) + "\r\nContent-Length: 65537\r\n\r\n");
    EXPECT_EQ(a.status, 413) << "refused before the body is sent";
    c = connect();
    std::string chunked = "PUT /api/v1/setpoints HTTP/1.1\r\nHost: x\r\nAuthorization: Bearer " +
                          std::string(Token) + "\r\nTransfer-Encoding: chunked\r\n\r\n";
    for (int i = 0; i < 17; ++i)
        chunked += "1000\r\n" + std::string(4096, ' ') + "\r\n";
    a = exchange(*c, chunked + "0\r\n\r\n");
    EXPECT_EQ(a.status, 413);
    // Just under the bound is read and judged on its content.
    c = connect();
    const std::string body = "{\"volts\":5}" + std::string(64 * 1024 - 11, ' ');
    a = exchange(*c, "PUT /api/v1/setpoints HTTP/1.1\r\nHost: x\r\nAuthorization: Bearer " +
                         std::string(Token) + "\r\nContent-Length: " + std::to_string(body.size()) +
                         "\r\n\r\n" + body);
    EXPECT_EQ(a.status, 200) << a.body;
}

TEST_F(HttpOnSimulator, The33rdConnectionIsRefusedByNameAndRoomReturns) {
    std::vector<std::unique_ptr<TestClient>> held;
    for (int i = 0; i < 32; ++i)
        held.push_back(connect());
    ASSERT_TRUE(
        pumpUntil([this] { turn(); }, [&] { return control->server().clients().size() == 32; }));
    auto extra = connect();
    EXPECT_TRUE(pumpUntil([this] { turn(); }, [&] { return !extra->poll(); })) << "closed at once";
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& l) {
        return std::regex_match(
            l, std::regex(
                   "HTTPのクライアント 127\\.0\\.0\\.1:\\d+ を拒否しました\\(接続数が上限です\\)"));
    }));
    held.front().reset();
    held.erase(held.begin());
    EXPECT_TRUE(
        pumpUntil([this] { turn(); }, [&] { return control->server().clients().size() == 31; }));
    EXPECT_EQ(request("GET", "/metrics").status, 200);
}

TEST_F(HttpOnSimulator, AClientOutsideTheAllowListIsRefusedByName) {
    ASSERT_NO_FATAL_FAILURE(start({{0x0A000000, 8}}));
    auto c = connect();
    EXPECT_TRUE(pumpUntil([this] { turn(); }, [&] { return !c->poll(); }));
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& l) {
        return l.find("を拒否しました(許可されていないアドレスです)") != std::string::npos;
    }));
}

TEST_F(HttpOnSimulator, TheEventStreamCarriesAnEventPerPollAndDropsAClientThatDoesNotRead) {
    auto c = connect();
    c->send("GET /events HTTP/1.1\r\nHost: x\r\n\r\n");
    ASSERT_TRUE(pumpUntil(
        [this] { turn(); },
        [&] { return c->poll() && c->received.find("event: status") != std::string::npos; }));
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(s->poll(), DeviceResult::Ok);
        const auto events = [&] {
            const std::string& r = c->received;
            std::size_t n = 0;
            for (auto p = r.find("event: reading"); p != std::string::npos;
                 p = r.find("event: reading", p + 1))
                ++n;
            return n;
        };
        EXPECT_TRUE(pumpUntil([this] { turn(); },
                              [&] { return c->poll() && events() == std::size_t(i + 1); }))
            << "event " << i + 1;
    }
    // A second stream that never reads: the backlog bound drops it; the reader stays.
    auto deaf = connect();
    deaf->send("GET /events HTTP/1.1\r\nHost: x\r\n\r\n");
    deaf->push();
    ASSERT_TRUE(pumpUntil([this] { turn(); }, [&] { return control->server().streams() == 2; }));
    const auto dropped = [&] {
        return std::any_of(log.begin(), log.end(), [](const std::string& l) {
            return l.find("を切断しました(イベントを受け取りません)") != std::string::npos;
        });
    };
    const std::string event = "data: " + std::string(16 * 1024, 'x') + "\n\n";
    for (int i = 0; i < 2000 && !dropped(); ++i) {
        control->server().broadcast(event);
        turn();
        c->poll();
        c->received.clear();
    }
    EXPECT_TRUE(dropped());
    EXPECT_TRUE(c->poll()) << "the reading client stays";
}

TEST_F(HttpOnSimulator, HostileClientsNeitherCrashNorStallIt) {
    std::mt19937 random(7);
    std::vector<std::unique_ptr<TestClient>> clients;
    for (int i = 0; i < 8; ++i) {
        clients.push_back(connect());
        std::string junk(4096, '\0');
        for (char& ch : junk)
            ch = static_cast<char>(random());
        clients.back()->send(junk);
    }
    auto longLine = connect();
    longLine->send("GET /" + std::string(1 << 20, 'a') + " HTTP/1.1\r\n\r\n");
    auto slow = connect();
    slow->send("GET /metr");
    // 100 at once: those beyond the limit are refused (or not even let into the backlog).
    std::vector<platform::SocketHandle> crowd;
    for (int i = 0; i < 100; ++i) {
        platform::SocketHandle h = platform::NoSocket;
        if (platform::connectTcp(control->server().address(), h) == platform::SocketResult::Ok)
            crowd.push_back(h);
        turn();
    }
    for (int i = 0; i < 200; ++i) {
        turn();
        for (auto& c : clients)
            c->poll();
        longLine->poll();
        slow->poll();
    }
    EXPECT_EQ(s->poll(), DeviceResult::Ok);
    for (auto& c : clients)
        EXPECT_TRUE(c->closed || c->received.rfind("HTTP/1.1 400", 0) == 0) << c->received;
    EXPECT_TRUE(longLine->closed || longLine->received.rfind("HTTP/1.1 4", 0) == 0);
    for (platform::SocketHandle h : crowd)
        platform::closeSocket(h);
    clients.clear();
    EXPECT_TRUE(
        pumpUntil([this] { turn(); }, [&] { return control->server().clients().size() <= 2; }));
    EXPECT_EQ(request("GET", "/api/v1/status").status, 200) << "served on while the slow one waits";
}

// Resident memory of this process in KiB.
long residentKb() {
    long pages = 0, resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Clients that fill every slot with a request they never finish, each pushing 1 MiB of one
// header line at it, neither stall the poll nor hold the server for good: their memory stays
// within the bound of a request's head, and the idle time-out gives their slots back.
TEST_F(HttpOnSimulator, SlowClientsHoldingEverySlotAreBoundedAndTimedOut) {
    control->stop();
    http::HttpOptions o;
    o.listen = {remote::LoopbackAddress, 0};
    o.idleTimeoutSeconds = 1;
    ASSERT_EQ(control->start(o), remote::StartResult::Ok);
    const std::string huge = "GET /metrics HTTP/1.1\r\nX-Long: " + std::string(1 << 20, 'x');
    std::vector<std::unique_ptr<TestClient>> slow;
    for (int i = 0; i < 32; ++i)
        slow.push_back(connect());
    ASSERT_TRUE(
        pumpUntil([this] { turn(); }, [&] { return control->server().clients().size() == 32; }));
    // Queued on the clients' side first, so that only what the server keeps counts.
    for (int i = 0; i < 16; ++i)
        slow[i]->send(huge);
    for (int i = 16; i < 32; ++i)
        slow[i]->send("GET /metr");
    const long before = residentKb();
    for (int i = 0; i < 50; ++i) {
        turn();
        for (auto& c : slow)
            c->poll();
    }
    EXPECT_LT(residentKb() - before, 8 * 1024) << "16 MiB were sent; a head is bounded by 32 KiB";
    auto extra = connect();
    EXPECT_TRUE(pumpUntil([this] { turn(); }, [&] { return !extra->poll(); })) << "no room";
    EXPECT_EQ(s->poll(), DeviceResult::Ok);
    EXPECT_TRUE(pumpUntil([this] { turn(); },
                          [&] {
                              for (auto& c : slow)
                                  c->poll();
                              return control->server().clients().empty();
                          }))
        << "the idle time-out closes them";
    EXPECT_EQ(request("GET", "/api/v1/status").status, 200);
}

TEST(HttpToken, IsMadeForTheOwnerAloneKeptAndRenewed) {
    TempDir dir;
    const std::string folder = dir.file("settings");
    const auto first = http::loadOrMakeToken(folder, false);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->size(), 64u) << "256 bits";
    struct stat st {};
    ASSERT_EQ(::stat((folder + "/http-token").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(http::loadOrMakeToken(folder, false), first) << "kept";
    const auto renewed = http::loadOrMakeToken(folder, true);
    ASSERT_TRUE(renewed);
    EXPECT_NE(*renewed, *first);
    ::chmod((folder + "/http-token").c_str(), 0644);
    const auto distrusted = http::loadOrMakeToken(folder, false);
    EXPECT_NE(distrusted, renewed) << "a token others could read is replaced";
    ASSERT_EQ(::stat((folder + "/http-token").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    EXPECT_TRUE(http::bearerMatches("Bearer " + *distrusted, *distrusted));
    EXPECT_FALSE(http::bearerMatches("bearer " + *distrusted, *distrusted));
    EXPECT_FALSE(http::bearerMatches("Bearer " + distrusted->substr(1), *distrusted));
    EXPECT_FALSE(http::bearerMatches("Bearer ", ""));
}

} // namespace
