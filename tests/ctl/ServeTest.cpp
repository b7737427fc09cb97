// quorelctl serve: its usage checks in the process of the test, and the real program as a
// child process serving a client through a lost and returning device until a signal.
#include "CtlTestSupport.h"

#include "ctl/ExitCode.h"
#include "remote/Address.h"
#include "support/Handshake.h"
#include "support/TestClient.h"

#include <regex>

namespace {

// The port a serve child listens on at `host` once it says it is ready; 0 when it never does.
std::uint16_t readyPort(const TempDir& dir, const std::string& host) {
    std::smatch ready;
    const std::regex listening("listening on " + host + ":(\\d+)\\n");
    std::string err;
    if (!pumpUntil([] { platform::sleepMs(20); },
                   [&] {
                       err = TempDir::read(dir.file("err"));
                       return std::regex_search(err, ready, listening);
                   })) {
        ADD_FAILURE() << err;
        return 0;
    }
    return static_cast<std::uint16_t>(std::stoi(ready[1]));
}

// One line to the server, its reply back ("(closed)" when the server closed instead).
std::string ask(TestClient& client, const std::string& line) {
    client.send(line + "\n");
    pumpUntil([] { platform::sleepMs(2); }, [&] { return !client.poll() || client.hasLine(); });
    return client.hasLine() ? client.takeLine() : std::string("(closed)");
}

struct RefusedCase {
    const char* name;
    std::vector<std::string> options;
};

class ServeRefuses : public CtlTest, public testing::WithParamInterface<RefusedCase> {};

TEST_P(ServeRefuses, UnusableOptionsBeforeTouchingTheDevice) {
    std::vector<std::string> args = {"serve", "--port", "com3"};
    args.insert(args.end(), GetParam().options.begin(), GetParam().options.end());
    const CtlRun r = runCtl(args);
    EXPECT_EQ(r.code, ctl::Usage);
    // Named by the command, or by the line's parser for an empty value.
    EXPECT_EQ(r.err.rfind("quorelctl", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(" --"), std::string::npos) << r.err;
    EXPECT_EQ(sim.receivedText(), "");
}

INSTANTIATE_TEST_SUITE_P(Options, ServeRefuses,
                         testing::Values(RefusedCase{"PortBeyondRange",
                                                     {"--listen", "127.0.0.1:65536"}},
                                         RefusedCase{"HostName", {"--listen", "example.org:5025"}},
                                         RefusedCase{"PrefixBeyond32", {"--allow", "10.0.0.0/40"}},
                                         RefusedCase{"EmptyAllowList", {"--allow", ""}},
                                         RefusedCase{"IntervalWithoutLog", {"--interval", "10s"}},
                                         RefusedCase{"IntervalTheLogDoesNotOffer",
                                                     {"--log", "m.csv", "--interval", "2s"}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CtlTest, ServeOnATakenAddressSaysWhyAndExits41) {
    platform::SocketHandle taken = platform::NoSocket;
    platform::SocketAddress at;
    ASSERT_EQ(platform::listenTcp({remote::LoopbackAddress, 0}, taken, at),
              platform::SocketResult::Ok);
    const std::string where = remote::formatEndpoint(at);
    const CtlRun r = runCtl({"serve", "--port", "com3", "--listen", where});
    platform::closeSocket(taken);
    EXPECT_EQ(r.code, ctl::ListenFailed);
    EXPECT_NE(r.err.find("リモート制御を " + where + " で開始できません(アドレスは使用中です)\n"),
              std::string::npos)
        << r.err;
}

// An address other hosts reach, from the option or from [REMOTE] of Quorel.ini, without an
// allow list: refused before the device is touched, the message naming the option and the
// way to let any host in knowingly.
TEST_F(CtlTest, ServeOnANetworkAddressWithoutAnAllowListRefusesToStart) {
    for (bool fromIni : {false, true}) {
        writeIni(fromIni ? "[REMOTE]\r\nListen=0.0.0.0:0\r\nAllow=\r\n" : "");
        std::vector<std::string> args = {"serve", "--port", "com3"};
        if (!fromIni)
            args.insert(args.end(), {"--listen", "0.0.0.0:0"});
        const CtlRun r = runCtl(args);
        EXPECT_EQ(r.code, ctl::Usage) << fromIni;
        EXPECT_EQ(r.err.rfind("quorelctl serve: 0.0.0.0:0 can be reached from other hosts: ", 0),
                  0u)
            << r.err;
        EXPECT_NE(r.err.find("with --allow CIDR"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("--allow 0.0.0.0/0 to let any host in"), std::string::npos) << r.err;
        EXPECT_EQ(sim.receivedText(), "");
    }
}

struct NetworkServe {
    std::string name;
    std::vector<std::string> options;
    std::string remoteSection; // [REMOTE] of Quorel.ini
    bool loopbackLetIn;
};

class ServeOnTheNetwork : public testing::TestWithParam<NetworkServe> {};

// With an allow list, from the options or from Quorel.ini, a network address is listened on
// and the list decides who comes in.
TEST_P(ServeOnTheNetwork, ListensWithAnAllowListAndLetsInOnlyItsNetworks) {
    TempDir dir;
    sim::SimulatedSupply sim;
    ASSERT_TRUE(sim.start());
    TempDir::write(dir.file("Quorel.ini"), "[QUOREL]\r\n[REMOTE]\r\n" + GetParam().remoteSection);
    std::vector<std::string> args = {"serve", "--port", sim.portPath()};
    args.insert(args.end(), GetParam().options.begin(), GetParam().options.end());
    Child child(dir, args);
    const std::uint16_t port = readyPort(dir, "0\\.0\\.0\\.0");
    ASSERT_NE(port, 0);
    TestClient client({remote::LoopbackAddress, port});
    EXPECT_EQ(ask(client, "*IDN?"), GetParam().loopbackLetIn ? "Quorel,QUOREL,0,1.02" : "(closed)");
    ASSERT_EQ(::kill(child.pid, SIGTERM), 0);
    EXPECT_EQ(child.wait(5000), ctl::Success);
    EXPECT_EQ(TempDir::read(dir.file("err")).find("を拒否しました(許可されていないアドレスです)") ==
                  std::string::npos,
              GetParam().loopbackLetIn);
}

INSTANTIATE_TEST_SUITE_P(
    AllowLists, ServeOnTheNetwork,
    testing::Values(NetworkServe{"FromTheOptions",
                                 {"--listen", "0.0.0.0:0", "--allow", "127.0.0.1/32"},
                                 "Listen=127.0.0.1:5025\r\n",
                                 true},
                    NetworkServe{
                        "FromQuorelIni", {}, "Listen=0.0.0.0:0\r\nAllow=10.0.0.7\r\n", false}),
    [](const auto& info) { return info.param.name; });

// A client's step list, the adapter pulled during its first step: the second, beyond the
// USB host's 1.5 W, is never sent; the list ends with the output off and the log says why.
TEST(QuorelctlServeProgram, ASourceDropEndsTheListBeforeARefusedStep) {
    TempDir dir;
    sim::SimulatedSupply sim;
    ASSERT_TRUE(sim.start());
    Child child(dir, {"serve", "--port", sim.portPath(), "--listen", "127.0.0.1:0"});
    const std::uint16_t port = readyPort(dir, "127\\.0\\.0\\.1");
    ASSERT_NE(port, 0);
    TestClient client({remote::LoopbackAddress, port});
    EXPECT_EQ(ask(client, "LIST:VOLT 5,10;:LIST:CURR 0.2,0.5;:LIST:DWEL 3,3;:OUTP ON;:INIT;"
                          ":LIST:STEP?"),
              "1");
    sim.setSourceLetter('U');
    EXPECT_TRUE(
        pumpUntil([] { platform::sleepMs(50); }, [&] { return ask(client, "LIST:STEP?") == "0"; }));
    EXPECT_FALSE(sim.outputOn());
    EXPECT_FALSE(sim.receivedCommands('S').empty());
    for (const auto& set : sim.receivedCommands('S'))
        EXPECT_EQ(set.text, "S0FA0C8") << "10 V 0.5 A is never sent";
    ASSERT_EQ(::kill(child.pid, SIGTERM), 0);
    EXPECT_EQ(child.wait(5000), ctl::Success);
    EXPECT_NE(
        TempDir::read(dir.file("err"))
            .find("ステップ 2 は設定できません: 許容電力容量を超えるため設定できません\n"
                  "給電元が変わり、残りの設定が許容電力容量を超えるためシーケンスを中止しました\n"
                  "シーケンスの終了で出力をOFFしました\n"),
        std::string::npos)
        << TempDir::read(dir.file("err"));
}

// The ready line of a serve child on standard error, with its port.
const char* const ListeningLine = "listening on 127\\.0\\.0\\.1:(\\d+)\\n";

// The port a serve child said it listens on; 0 when it did not say so in time.
std::uint16_t servingPort(const TempDir& dir) {
    std::smatch ready;
    const std::regex listening(ListeningLine);
    std::string err;
    if (!pumpUntil([] { platform::sleepMs(20); },
                   [&] {
                       err = TempDir::read(dir.file("err"));
                       return std::regex_search(err, ready, listening);
                   }))
        return 0;
    return static_cast<std::uint16_t>(std::stoi(ready[1]));
}

// A line sent and its answer, "(no reply)" when none came.
std::string askOf(TestClient& client, const std::string& line) {
    client.send(line + "\n");
    pumpUntil([] { platform::sleepMs(2); }, [&] { return !client.poll() || client.hasLine(); });
    return client.hasLine() ? client.takeLine() : std::string("(no reply)");
}

// quorelctl serve as a child on the simulator behind a link that follows it across re-plugs,
// and a client of it once it listens.
struct ServingChild {
    TempDir dir;
    sim::SimulatedSupply sim;
    std::string link = dir.file("psu");
    std::unique_ptr<Child> child;
    std::unique_ptr<TestClient> client;
    const std::regex listening{"listening on 127\\.0\\.0\\.1:(\\d+)\\n"};

    void start(const std::vector<std::string>& more = {}) {
        ASSERT_TRUE(sim.start());
        ASSERT_TRUE(sim.linkAs(link));
        std::vector<std::string> args = {"serve", "--port", link, "--listen", "127.0.0.1:0"};
        args.insert(args.end(), more.begin(), more.end());
        child = std::make_unique<Child>(dir, args);
        std::smatch ready;
        std::string err;
        ASSERT_TRUE(pumpUntil([] { platform::sleepMs(20); },
                              [&] {
                                  err = TempDir::read(dir.file("err"));
                                  return std::regex_search(err, ready, listening);
                              }))
            << err;
        client = std::make_unique<TestClient>(platform::SocketAddress{
            remote::LoopbackAddress, static_cast<std::uint16_t>(std::stoi(ready[1]))});
    }
    std::string ask(const std::string& line) {
        client->send(line + "\n");
        pumpUntil([] { platform::sleepMs(2); },
                  [&] { return !client->poll() || client->hasLine(); });
        return client->hasLine() ? client->takeLine() : std::string("(no reply)");
    }
    // Unplugged until the server has found the device lost.
    bool unplug() {
        sim.unplug();
        return pumpUntil([] {},
                         [&] {
                             client->send("MEAS:VOLT?\n");
                             return ask("SYST:ERR?") == "-241,\"Hardware missing\"";
                         });
    }
    // Until the server reads the device again.
    bool servesAgain(const std::string& volts) {
        return pumpUntil(
            [] { platform::sleepMs(50); },
            [&] { return ask("SYST:ERR?;:MEAS:VOLT?").find(";" + volts) != std::string::npos; });
    }
    std::string err() const { return TempDir::read(dir.file("err")); }
};

TEST(QuorelctlServeProgram, ServesThroughALostAndReturningDeviceAndEndsOnASignal) {
    ServingChild c;
    ASSERT_NO_FATAL_FAILURE(c.start({"--log", c.dir.file("m.csv")}));
    EXPECT_EQ(c.ask("*IDN?"), "Quorel,QUOREL,0,1.02");
    EXPECT_EQ(c.ask("APPL 5,0.1;:OUTP ON;:MEAS:VOLT?"), "5.00");

    EXPECT_TRUE(c.unplug()) << "once the poll has found the device lost";
    ASSERT_TRUE(c.sim.replug(sim::Mode::MainFirmware));
    // The supply comes back with its output off, as after a cable was pulled.
    // The error query answers in any case, the reading once the device is back.
    EXPECT_TRUE(c.servesAgain("5.00")) << "connected again within a few seconds";

    ASSERT_EQ(::kill(c.child->pid, SIGTERM), 0);
    EXPECT_EQ(c.child->wait(5000), ctl::Success);
    const std::string err = c.err();
    std::ptrdiff_t readyLines = std::distance(
        std::sregex_iterator(err.begin(), err.end(), c.listening), std::sregex_iterator());
    EXPECT_EQ(readyLines, 1);
    for (const char* line :
         {"リモートのクライアント 127\\.0\\.0\\.1:\\d+ が接続しました\\n",
          "リモート 127\\.0\\.0\\.1:\\d+: 出力を 5\\.00V/0\\.100A にセットしました\\n",
          "デバイスと切断されました\\n", "デバイス .*/psu/FW1\\.02 を接続しました\\n",
          "リモートのクライアント 127\\.0\\.0\\.1:\\d+ を切断しました\\n",
          "リモート制御を停止しました\\nログを停止しました\\n$"})
        EXPECT_TRUE(std::regex_search(err, std::regex(line))) << line << " in\n" << err;
    EXPECT_FALSE(TempDir::read(c.dir.file("m.csv")).empty());
}

// A LIST running when the device is unplugged, the device plugged in again with its output
// still on: the reconnection's first command after the handshake switches it off, and the
// log says why before it says the connection.
TEST(QuorelctlServeProgram, AListLostWithTheDeviceLeavesTheOutputOffWhenItComesBack) {
    ServingChild c;
    ASSERT_NO_FATAL_FAILURE(c.start());
    EXPECT_EQ(c.ask("LIST:VOLT 5,6;:LIST:CURR 0.1,0.1;:LIST:DWEL 30,30;:OUTP ON;:INIT;"
                    ":LIST:STEP?"),
              "1");
    ASSERT_TRUE(c.sim.outputOn());
    EXPECT_TRUE(c.unplug());
    c.sim.clearReceived();
    ASSERT_TRUE(c.sim.replug(sim::Mode::MainFirmware));
    ASSERT_TRUE(c.sim.outputOn()) << "the device kept its output on";
    EXPECT_TRUE(c.servesAgain("0.00")) << "connected again, the output off";
    EXPECT_FALSE(c.sim.outputOn());
    EXPECT_EQ(afterHandshake(c.sim.receivedText()).substr(0, 1), "F") << c.sim.receivedText();
    EXPECT_EQ(c.ask("LIST:STEP?;:OUTP?"), "0;0");
    ASSERT_EQ(::kill(c.child->pid, SIGTERM), 0);
    EXPECT_EQ(c.child->wait(5000), ctl::Success);
    const std::string err = c.err();
    EXPECT_TRUE(std::regex_search(
        err, std::regex("デバイスと切断されて中止した実行\\(quorelctl serve　[^)]* 開始\\)の出力を"
                        "OFFしました\\nデバイス .*/psu/FW1\\.02 を接続しました\\n")))
        << err;
}

// The device answers "NG" to "F": OUTP OFF, *RST and the end of a LIST say so with the
// device's answer, OUTP? and OUTP:MODE? give the output the device confirmed (on), and the
// session's polls switch it off once the device takes "F" again.
TEST(QuorelctlServeProgram, ARefusedSwitchOffIsSaidAndTheConfirmedOutputAnswered) {
    TempDir dir;
    sim::SimulatedSupply sim;
    ASSERT_TRUE(sim.start());
    Child child(dir, {"serve", "--port", sim.portPath(), "--listen", "127.0.0.1:0"});
    const std::uint16_t port = servingPort(dir);
    ASSERT_NE(port, 0) << TempDir::read(dir.file("err"));
    TestClient client({remote::LoopbackAddress, port});
    auto ask = [&](const std::string& line) { return askOf(client, line); };
    std::string err;
    ASSERT_EQ(ask("APPL 3,0.1;:OUTP ON;:OUTP?"), "1");
    sim.setRefused("F");
    const std::string hardware = "-240,\"Hardware error\"";

    client.send("OUTP OFF\n");
    EXPECT_EQ(ask("SYST:ERR?"), hardware);
    EXPECT_EQ(ask("OUTP?;:OUTP:MODE?;:MEAS:VOLT?"), "1;CV;3.00");
    client.send("*RST\n");
    EXPECT_EQ(ask("SYST:ERR?"), hardware);
    EXPECT_EQ(ask("OUTP?"), "1");
    client.send("LIST:VOLT 2;:LIST:CURR 0.1;:LIST:DWEL 0.3;:LIST:COUN 1;:INIT\n");
    EXPECT_TRUE(pumpUntil([] { platform::sleepMs(50); }, [&] { return ask("LIST:STEP?") == "0"; }));
    EXPECT_EQ(ask("OUTP?;:OUTP:MODE?"), "1;CV");
    EXPECT_TRUE(sim.outputOn());

    sim.setRefused("");
    EXPECT_TRUE(pumpUntil([] { platform::sleepMs(50); }, [&] { return ask("OUTP?") == "0"; }))
        << "the next poll sends the switch-off again";
    EXPECT_FALSE(sim.outputOn());
    ASSERT_EQ(::kill(child.pid, SIGTERM), 0);
    EXPECT_EQ(child.wait(5000), ctl::Success);
    err = TempDir::read(dir.file("err"));
    const std::string ng = "\\(デバイスが正しく応答しません\\)";
    for (const std::string& line :
         {"リモート 127\\.0\\.0\\.1:\\d+: 出力をOFFできません" + ng + "\\n",
          "リモート 127\\.0\\.0\\.1:\\d+: "
          "リセットしました\\(保護解除　積算値リセット\\)が、出力をOFFできません" +
              ng + "\\n",
          "シーケンスの終了で出力をOFFできません" + ng + "\\n",
          std::string("OFFできなかった出力をOFFしました\\n")})
        EXPECT_TRUE(std::regex_search(err, std::regex(line))) << line << " in\n" << err;
    for (const char* claim :
         {"出力を OFF しました", "出力OFF", "シーケンスの終了で出力をOFFしました"})
        EXPECT_EQ(err.find(claim), std::string::npos) << claim << " in\n" << err;
}

} // namespace
