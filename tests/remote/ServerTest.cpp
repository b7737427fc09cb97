// The instrument server on 127.0.0.1 with real sockets, driven by its own poll loop on the
// test's thread; its clients are non-blocking sockets of the test.
#include "remote/Server.h"
#include "platform/Clock.h"
#include "platform/Socket.h"
#include "scpi/Commands.h"
#include "simulator/MemoryInstrument.h"
#include "support/TestClient.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

namespace {

using remote::ClientEvent;

// Generous: a loaded machine must not fail these, a hang still ends.
constexpr int PatienceMs = 10000;

class ServerTest : public ::testing::Test {
protected:
    sim::MemoryInstrument instrument;
    std::vector<remote::ClientReport> reports;
    remote::Server server{instrument,
                          [this](const remote::ClientReport& r) { reports.push_back(r); }};

    void start(remote::ServerOptions options = {}) {
        options.listen = {remote::LoopbackAddress, 0};
        ASSERT_EQ(server.start(options), remote::StartResult::Ok);
    }

    // Turns the server's loop until `done` holds; false when patience ran out.
    template <typename Done> bool serveUntil(Done done, int patienceMs = PatienceMs) {
        const std::int64_t end = platform::monotonicMs() + patienceMs;
        while (!done()) {
            if (platform::monotonicMs() > end)
                return false;
            server.runOnce(2);
        }
        return true;
    }

    // A client the server has taken (or refused: then it is closed at once).
    std::unique_ptr<TestClient> connect() {
        std::size_t before = reports.size();
        auto c = std::make_unique<TestClient>(server.address());
        EXPECT_TRUE(serveUntil([&] { return reports.size() > before; }));
        return c;
    }

    std::string ask(TestClient& c, const std::string& line) {
        c.send(line + "\n");
        if (!serveUntil([&] { return !c.poll() || c.hasLine(); }) || !c.hasLine())
            return "(no reply)";
        return c.takeLine();
    }

    bool closedByServer(TestClient& c) {
        return serveUntil([&] { return !c.poll(); });
    }

    ClientEvent lastEvent() const {
        return reports.empty() ? ClientEvent(-1) : reports.back().event;
    }
};

TEST_F(ServerTest, ListensOnLoopbackByDefaultAndOnAFreePortWhenAsked) {
    remote::ServerOptions defaults;
    EXPECT_EQ(defaults.listen.ipv4, remote::LoopbackAddress);
    EXPECT_EQ(defaults.listen.port, remote::DefaultPort);
    start();
    EXPECT_EQ(server.address().ipv4, remote::LoopbackAddress);
    EXPECT_NE(server.address().port, 0);
    auto c = connect();
    EXPECT_EQ(ask(*c, "*IDN?"), "Quorel,SIM,0,1.02");
}

TEST_F(ServerTest, ConnectAndDisconnectAreReportedWithTheAddress) {
    start();
    auto c = connect();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].event, ClientEvent::Connected);
    EXPECT_EQ(reports[0].peer.ipv4, remote::LoopbackAddress);
    EXPECT_EQ(server.clients().size(), 1u);
    c->close();
    ASSERT_TRUE(serveUntil([&] { return reports.size() == 2; }));
    EXPECT_EQ(reports[1].event, ClientEvent::Disconnected);
    EXPECT_EQ(reports[1].peer.port, reports[0].peer.port);
    EXPECT_TRUE(server.clients().empty());
}

TEST_F(ServerTest, SeventeenthClientIsClosedAtOnceUntilOneLeaves) {
    start();
    std::vector<std::unique_ptr<TestClient>> clients;
    for (int i = 0; i < 16; ++i)
        clients.push_back(connect());
    auto extra = connect();
    EXPECT_EQ(lastEvent(), ClientEvent::RefusedFull);
    EXPECT_TRUE(closedByServer(*extra));
    for (auto& c : clients)
        EXPECT_EQ(ask(*c, "*OPC?"), "1");
    clients.front()->close();
    ASSERT_TRUE(serveUntil([&] { return lastEvent() == ClientEvent::Disconnected; }));
    auto next = connect();
    EXPECT_EQ(lastEvent(), ClientEvent::Connected);
    EXPECT_EQ(ask(*next, "*OPC?"), "1");
}

TEST_F(ServerTest, AllowListDecidesWhoIsServed) {
    remote::ServerOptions options;
    options.allow = {{0x0A000000, 8}}; // 10.0.0.0/8
    start(options);
    auto outsider = connect();
    EXPECT_EQ(lastEvent(), ClientEvent::RefusedNotAllowed);
    EXPECT_TRUE(closedByServer(*outsider));
    EXPECT_TRUE(instrument.actions.empty());

    server.stop();
    options.allow.push_back({remote::LoopbackAddress, 8});
    start(options);
    auto insider = connect();
    EXPECT_EQ(ask(*insider, "*OPC?"), "1");
}

TEST_F(ServerTest, OverlongLineIsTooMuchDataAndTheNextLineRuns) {
    start();
    auto c = connect();
    c->send("OUTP ON;" + std::string(70 * 1024, ' ') + "\n");
    EXPECT_EQ(ask(*c, "SYST:ERR?;:OUTP?"), "-223,\"Too much data\";0");
}

TEST_F(ServerTest, ClientThatNeverReadsIsDroppedWhileOthersAreServed) {
    instrument.lists.volts.assign(scpi::MaxListPoints, 12.5); // 6000 bytes an answer
    start();
    auto silent = connect();
    auto other = connect();
    std::string queries;
    for (int i = 0; i < 4000; ++i)
        queries += "LIST:VOLT?\n";
    silent->send(queries);
    // The silent client's socket only ever sends; its replies pile up until it is dropped.
    ASSERT_TRUE(serveUntil([&] {
        silent->push();
        return lastEvent() == ClientEvent::DroppedNotReading;
    }));
    EXPECT_EQ(reports.back().peer.port, reports[0].peer.port);
    EXPECT_EQ(ask(*other, "*OPC?"), "1");
}

TEST_F(ServerTest, RandomBytesLeaveTheServerAnswering) {
    start();
    auto noisy = connect();
    auto other = connect();
    std::mt19937 random(14);
    std::string noise(256 * 1024, '\0');
    for (char& b : noise)
        b = static_cast<char>(random());
    noisy->send(noise + "\n*IDN?\n");
    std::string last;
    ASSERT_TRUE(serveUntil([&] {
        noisy->poll();
        while (noisy->hasLine())
            last = noisy->takeLine();
        return last.rfind("Quorel,", 0) == 0 || noisy->closed;
    }));
    EXPECT_EQ(last, "Quorel,SIM,0,1.02");
    EXPECT_EQ(ask(*other, "*IDN?"), "Quorel,SIM,0,1.02");
}

TEST_F(ServerTest, ClientVanishingMidCommandRunsOnlyItsCompleteLines) {
    start();
    auto c = connect();
    c->send("OUTP ON\nVOLT 1");
    ASSERT_TRUE(serveUntil([&] { return !c->poll() || instrument.outputIsOn; }));
    c->close();
    ASSERT_TRUE(serveUntil([&] { return lastEvent() == ClientEvent::Disconnected; }));
    EXPECT_EQ(instrument.actions, std::vector<std::string>{"output on"});
}

TEST_F(ServerTest, ClientThatEndsSendingStillGetsItsReplies) {
    start();
    auto c = connect();
    c->send("*IDN?;*OPC?\n");
    c->poll();
    platform::shutdownSending(c->socket());
    EXPECT_TRUE(closedByServer(*c));
    EXPECT_EQ(c->received, "Quorel,SIM,0,1.02;1\n");
    EXPECT_EQ(lastEvent(), ClientEvent::Disconnected);
}

// A long line runs unit by unit, so another client's query is answered in between.
TEST_F(ServerTest, LongLineDoesNotHoldOtherClientsBack) {
    start();
    auto busy = connect();
    auto quick = connect();
    std::string line;
    for (int i = 0; i < 3000; ++i)
        line += "*OPC?;";
    busy->send(line + "\n");
    ASSERT_TRUE(serveUntil([&] {
        busy->poll();
        return server.hasWork();
    }));
    EXPECT_EQ(ask(*quick, "*IDN?"), "Quorel,SIM,0,1.02");
    EXPECT_FALSE(busy->hasLine());
    EXPECT_TRUE(serveUntil([&] { return busy->poll() && busy->hasLine(); }));
}

TEST_F(ServerTest, StopClosesEveryClientAndFreesThePort) {
    start();
    auto c = connect();
    platform::SocketAddress was = server.address();
    server.stop();
    EXPECT_EQ(lastEvent(), ClientEvent::DroppedOnStop);
    EXPECT_FALSE(c->poll());
    remote::ServerOptions again;
    again.listen = was;
    EXPECT_EQ(server.start(again), remote::StartResult::Ok);
}

TEST_F(ServerTest, TakenPortIsReported) {
    start();
    remote::Server second(instrument);
    remote::ServerOptions same;
    same.listen = server.address();
    EXPECT_EQ(second.start(same), remote::StartResult::AddressInUse);
    EXPECT_FALSE(second.listening());
}

} // namespace
