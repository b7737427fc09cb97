// The panel's HTTP server beside its remote control: the identification page names the ways in
// the remote page runs at the moment it is asked, VXI-11 among them.
#include "http/qt/HttpService.h"
#include "remote/qt/RemoteService.h"
#include "support/MainWindowFixture.h"
#include "support/TestClient.h"

#include <QApplication>

namespace {

class HttpPanel : public MainWindowFixture {
protected:
    static void turn() { QApplication::processEvents(QEventLoop::AllEvents, 5); }
    std::string identification(HttpService& http) {
        TestClient c(http.control().server().address());
        c.send("GET /lxi/identification HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
        pumpUntil(turn, [&] { return !c.poll(); });
        return c.received;
    }
};

TEST_F(HttpPanel, TheIdentificationNamesTheRemotePagesVxi11AndSocketWhileTheyRun) {
    open({"ComPort=com3", "ConnectAtStart=1", "[REMOTE]", "Enabled=1", "Listen=127.0.0.1:0",
          "Vxi11=1", "[HTTP]", "Enabled=1", "Listen=127.0.0.1:0"});
    auto* http = qobject_cast<HttpService*>(window->httpService());
    ASSERT_NE(http, nullptr);
    ASSERT_TRUE(http->listening());
    RemoteService* remote = window->remoteService();
    ASSERT_TRUE(remote->listening());
    ASSERT_TRUE(remote->control().server().vxi11Listening());
    const std::string socket =
        "TCPIP::127.0.0.1::" + std::to_string(remote->address().port) + "::SOCKET";

    std::string xml = identification(*http);
    EXPECT_NE(xml.find("<InstrumentAddressString>TCPIP::127.0.0.1::INSTR<"), std::string::npos)
        << xml;
    EXPECT_NE(xml.find(socket), std::string::npos) << xml;

    remote::RemoteSettings off = remote->settings();
    off.enabled = false;
    remote->apply(off);
    xml = identification(*http);
    EXPECT_NE(xml.find("<Hostname>127.0.0.1<"), std::string::npos) << xml;
    EXPECT_EQ(xml.find("InstrumentAddressString"), std::string::npos) << "nothing runs now";
}

} // namespace
