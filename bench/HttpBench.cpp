// The HTTP server as quorelctl serve runs it: the serving loop (RemoteControl::run with the
// HTTP server as one more of its sources) on a thread of its own, the only one that touches
// the session and the device, against the simulated supply; the clients on the benchmark's
// thread, as other programs on the machine would be. /metrics on a kept-alive connection (the
// serving thread's CPU per request and the round trip), and 32 event streams, each event's
// arrival against the poll it carries.

#include "support/BenchSupport.h"
#include "support/Serving.h"

#include "config/Settings.h"
#include "device/SupplyDevice.h"
#include "http/HttpControl.h"
#include "platform/Socket.h"
#include "remote/RemoteControl.h"
#include "session/MeasurementSession.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int Streams = 32;

// The session, its remote control and its HTTP server on the simulated supply, served by
// their own thread.
class Served {
public:
    Served() {
        settings_ = std::make_unique<Settings>();
        session_ = std::make_unique<session::MeasurementSession>(*settings_);
        control_ = std::make_unique<remote::RemoteControl>(*session_, [](const std::string&) {});
        http_ = std::make_unique<http::HttpControl>(
            *session_, [](const std::string&) {}, std::string(64, 'a'));
        if (session_->connect("com3") != DeviceResult::Ok)
            throw std::runtime_error("the simulated supply did not answer");
        // After the HTTP control, so that a poll's time is taken once its event is queued.
        session_->addObserver(&polls_);
        remote::ServerOptions options;
        options.listen = {remote::LoopbackAddress, 0};
        http::HttpOptions web;
        web.listen = {remote::LoopbackAddress, 0};
        if (control_->start(options) != remote::StartResult::Ok ||
            http_->start(web) != remote::StartResult::Ok)
            throw std::runtime_error("the servers did not start");
        control_->addLoopSource(&http_->server());
        thread_ = std::make_unique<bench::ServingThread>(*control_);
    }
    ~Served() {
        thread_.reset();
        http_.reset();
        control_.reset();
        session_->removeObserver(&polls_);
        session_.reset();
        SupplyDevice::disconnect();
    }
    platform::SocketAddress address() const { return http_->server().address(); }
    std::int64_t cpuUs() { return thread_->cpuUs(); }
    std::vector<std::int64_t> polls() const { return polls_.all(); }

private:
    bench::Bench bench_;
    bench::PollTimes polls_;
    std::unique_ptr<Settings> settings_;
    std::unique_ptr<session::MeasurementSession> session_;
    std::unique_ptr<remote::RemoteControl> control_;
    std::unique_ptr<http::HttpControl> http_;
    std::unique_ptr<bench::ServingThread> thread_;
};

// One HTTP connection of the benchmark's thread.
class Connection {
public:
    explicit Connection(const platform::SocketAddress& server) {
        if (platform::connectTcp(server, socket_) != platform::SocketResult::Ok)
            throw std::runtime_error("no connection");
    }
    ~Connection() { platform::closeSocket(socket_); }
    void send(std::string bytes) { bench::sendAll(socket_, std::move(bytes)); }
    // Reads what there is now; false once the server has closed.
    bool receive() {
        char buffer[16384];
        std::size_t n = 0;
        platform::SocketResult r;
        while ((r = platform::receiveSome(socket_, buffer, sizeof buffer, n)) ==
               platform::SocketResult::Ok)
            received.append(buffer, n);
        return r == platform::SocketResult::WouldBlock;
    }
    // One whole response to a GET (its body), waiting for it.
    std::string get(const std::string& path) {
        send("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        for (;;) {
            const auto head = received.find("\r\n\r\n");
            if (head != std::string::npos) {
                const auto at = received.find("Content-Length: ");
                if (at != std::string::npos && at < head) {
                    const std::size_t length = std::stoul(received.substr(at + 16));
                    if (received.size() >= head + 4 + length) {
                        std::string body = received.substr(head + 4, length);
                        received.erase(0, head + 4 + length);
                        return body;
                    }
                }
            }
            bench::waitFor(socket_, true);
            if (!receive())
                return {};
        }
    }
    platform::SocketHandle socket() const { return socket_; }

    std::string received;

private:
    platform::SocketHandle socket_ = platform::NoSocket;
};

void MetricsServed(benchmark::State& state) {
    Served served;
    Connection c(served.address());
    c.get("/metrics");
    constexpr int Count = 2000;
    std::vector<double> ms;
    std::size_t bytes = 0;
    double cpuPerRequest = 0;
    for (auto _ : state) {
        const std::int64_t cpu0 = served.cpuUs();
        const std::int64_t t0 = bench::nowUs();
        for (int i = 0; i < Count; ++i) {
            const std::int64_t r0 = bench::nowUs();
            bytes = c.get("/metrics").size();
            ms.push_back((bench::nowUs() - r0) / 1000.0);
        }
        const std::int64_t wall = bench::nowUs() - t0;
        // The serving thread's CPU includes its 500 ms polls of the device meanwhile.
        cpuPerRequest = (served.cpuUs() - cpu0) / 1000.0 / Count;
        state.SetIterationTime(wall / 1e6);
    }
    const double median = bench::median(ms);
    state.counters["server_cpu_ms"] = cpuPerRequest;
    state.counters["round_trip_ms"] = median;
    char note[200];
    std::snprintf(note, sizeof note,
                  "serving thread's CPU over %d requests on one connection, its polls included; "
                  "round trip median %.3f ms, slowest %.3f ms; %zu bytes",
                  Count, median, bench::maximum(ms), bytes);
    bench::record({"/metrics served (CPU at the server per request)", cpuPerRequest, "ms", 0, 1,
                   "< 1 ms", cpuPerRequest < 1, note});
}
BENCHMARK(MetricsServed)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void ThirtyTwoEventStreams(benchmark::State& state) {
    Served served;
    std::vector<std::unique_ptr<Connection>> streams;
    for (int i = 0; i < Streams; ++i) {
        streams.push_back(std::make_unique<Connection>(served.address()));
        streams.back()->send("GET /events HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    }
    // Each reading event's arrival against the poll it carries (the latest before it).
    std::vector<double> delays;
    std::vector<int> events(Streams, 0);
    const std::int64_t from = bench::nowUs() + 1000000; // once every stream is open
    const std::int64_t to = from + 10000000;
    for (auto _ : state) {
        while (bench::nowUs() < to) {
            std::vector<platform::SocketWatch> watch;
            for (auto& s : streams)
                watch.push_back({s->socket(), true, false});
            platform::waitForSockets(watch, 100);
            const std::int64_t now = bench::nowUs();
            const std::vector<std::int64_t> polls = served.polls();
            for (int i = 0; i < Streams; ++i) {
                Connection& s = *streams[i];
                s.receive();
                for (auto at = s.received.find("event: reading\n"); at != std::string::npos;
                     at = s.received.find("event: reading\n")) {
                    const auto end = s.received.find("\n\n", at);
                    if (end == std::string::npos)
                        break;
                    s.received.erase(0, end + 2);
                    if (now < from || polls.empty())
                        continue;
                    ++events[i];
                    delays.push_back((now - polls.back()) / 1000.0);
                }
            }
        }
        state.SetIterationTime((to - from) / 1e6);
    }
    std::size_t pollCount = 0;
    for (std::int64_t t : served.polls())
        pollCount += t >= from && t <= to;
    int fewest = events.empty() ? 0 : events[0];
    for (int n : events)
        fewest = std::min(fewest, n);
    const double worst = bench::maximum(delays);
    state.counters["worst_ms"] = worst;
    char note[200];
    std::snprintf(note, sizeof note,
                  "%zu polls in 10 s; every stream got at least %d of their events; median delay "
                  "%.3f ms over %zu events",
                  pollCount, fewest, bench::median(delays), delays.size());
    bench::record({"poll to event, 32 event streams (slowest)", worst, "ms", 0, 50, "< 50 ms",
                   worst < 50 && fewest + 1 >= static_cast<int>(pollCount), note});
}
BENCHMARK(ThirtyTwoEventStreams)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    return bench::runMain(argc, argv);
}
