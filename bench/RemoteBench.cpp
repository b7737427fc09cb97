// The remote control as quorelctl serve runs it: the serving loop (RemoteControl::run) on a
// thread of its own, the only one that touches the session and the device, against the
// simulated supply; the clients on other threads, as other programs on the machine would
// be. A *IDN? round trip, a MEAS:VOLT? round trip against one status exchange, sixteen
// clients querying without pause while the poll keeps its period, and the serving thread's
// CPU while sixteen clients are connected and silent.

#include "support/BenchSupport.h"

#include "config/Settings.h"
#include "device/SupplyDevice.h"
#include "platform/Socket.h"
#include "remote/RemoteControl.h"
#include "session/MeasurementSession.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int Clients = 16;

// The session and its remote control on the simulated supply, served by their own thread.
class Served : private session::SessionObserver {
public:
    Served() {
        settings_ = std::make_unique<Settings>();
        session_ = std::make_unique<session::MeasurementSession>(*settings_);
        control_ = std::make_unique<remote::RemoteControl>(*session_, [](const std::string&) {});
        session_->addObserver(this);
        if (session_->connect("com3") != DeviceResult::Ok)
            throw std::runtime_error("the simulated supply did not answer");
        session_->setAutoReconnect(true);
        remote::ServerOptions options;
        options.listen = {remote::LoopbackAddress, 0};
        if (control_->start(options) != remote::StartResult::Ok)
            throw std::runtime_error("the server did not start");
        thread_ = std::thread([this] { control_->run([this] { return stop_.load(); }); });
    }
    ~Served() override {
        stop_ = true;
        thread_.join();
        control_.reset();
        session_->removeObserver(this);
        session_.reset();
        SupplyDevice::disconnect();
    }
    platform::SocketAddress address() const { return control_->server().address(); }
    // CPU time of the serving thread in microseconds.
    std::int64_t cpuUs() { return bench::threadCpuUs(thread_); }
    // The monotonic times (us) of the polls between two moments.
    std::vector<std::int64_t> pollsBetween(std::int64_t fromUs, std::int64_t toUs) {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<std::int64_t> out;
        for (std::int64_t t : polls_)
            if (t >= fromUs && t <= toUs)
                out.push_back(t);
        return out;
    }

private:
    void onStatus(const DeviceStatus&) override {
        std::lock_guard<std::mutex> lock(mutex_);
        polls_.push_back(bench::nowUs());
    }

    bench::Bench bench_;
    std::unique_ptr<Settings> settings_;
    std::unique_ptr<session::MeasurementSession> session_;
    std::unique_ptr<remote::RemoteControl> control_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::int64_t> polls_;
};

// A client that waits for each reply, as a script does.
class Client {
public:
    explicit Client(const platform::SocketAddress& server) {
        if (platform::connectTcp(server, socket_) != platform::SocketResult::Ok)
            throw std::runtime_error("no connection");
    }
    ~Client() { platform::closeSocket(socket_); }
    // The reply line, empty when the connection ended.
    std::string ask(const std::string& query) {
        std::string out = query + "\n";
        while (!out.empty()) {
            std::size_t sent = 0;
            if (platform::sendSome(socket_, out.data(), out.size(), sent) ==
                platform::SocketResult::Ok)
                out.erase(0, sent);
            else
                wait(false);
        }
        for (;;) {
            const std::size_t lf = received_.find('\n');
            if (lf != std::string::npos) {
                std::string line = received_.substr(0, lf);
                received_.erase(0, lf + 1);
                return line;
            }
            char buffer[4096];
            std::size_t n = 0;
            const platform::SocketResult r =
                platform::receiveSome(socket_, buffer, sizeof buffer, n);
            if (r == platform::SocketResult::Ok)
                received_.append(buffer, n);
            else if (r == platform::SocketResult::WouldBlock)
                wait(true);
            else
                return {};
        }
    }

private:
    void wait(bool read) {
        std::vector<platform::SocketWatch> w{{socket_, read, !read}};
        platform::waitForSockets(w, 1000);
    }
    platform::SocketHandle socket_ = platform::NoSocket;
    std::string received_;
};

// The median time of `count` round trips of the query, in milliseconds.
double roundTripMs(Client& client, const std::string& query, int count, std::string& reply) {
    std::vector<double> ms;
    for (int i = 0; i < count; ++i) {
        const auto t0 = bench::nowUs();
        reply = client.ask(query);
        ms.push_back((bench::nowUs() - t0) / 1000.0);
    }
    return bench::median(ms);
}

void IdnRoundTrip(benchmark::State& state) {
    Served served;
    Client client(served.address());
    double median = 0;
    std::string reply;
    for (auto _ : state) {
        const auto t0 = bench::nowUs();
        median = roundTripMs(client, "*IDN?", 2000, reply);
        state.SetIterationTime((bench::nowUs() - t0) / 1e6);
    }
    state.counters["median_ms"] = median;
    bench::record({"*IDN? round trip (median of 2000)", median, "ms", 0, 1, "< 1 ms", median < 1,
                   "reply " + reply});
}
BENCHMARK(IdnRoundTrip)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void MeasureRoundTrip(benchmark::State& state) {
    // The status exchange alone first, on the link with nothing else on it.
    std::vector<double> exchangeMs;
    {
        bench::Bench bench;
        if (SupplyDevice::connect("com3") != DeviceResult::Ok) {
            state.SkipWithError("the simulated supply did not answer");
            return;
        }
        DeviceStatus status;
        for (int i = 0; i < 50; ++i) {
            const auto t0 = bench::nowUs();
            SupplyDevice::readStatus(status);
            exchangeMs.push_back((bench::nowUs() - t0) / 1000.0);
        }
        SupplyDevice::disconnect();
    }
    const double exchange = bench::median(exchangeMs);
    Served served;
    Client client(served.address());
    double median = 0;
    std::string reply;
    for (auto _ : state) {
        const auto t0 = bench::nowUs();
        median = roundTripMs(client, "MEAS:VOLT?", 200, reply);
        state.SetIterationTime((bench::nowUs() - t0) / 1e6);
    }
    state.counters["median_ms"] = median;
    state.counters["exchange_ms"] = exchange;
    bench::record({"MEAS:VOLT? round trip (median of 200)", median, "ms", exchange, 1.2 * exchange,
                   "<= 1.2 x exchange", median <= 1.2 * exchange,
                   "floor: one status exchange alone on the link (median of 50); reply " + reply});
}
BENCHMARK(MeasureRoundTrip)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void SixteenClientsQuerying(benchmark::State& state) {
    Served served;
    std::atomic<bool> stop{false};
    std::atomic<long> answered{0};
    std::vector<std::thread> clients;
    for (int i = 0; i < Clients; ++i)
        clients.emplace_back([&, i] {
            Client c(served.address());
            // Half of them read the device, half the last poll and the identification.
            const char* queries[2] = {i % 2 ? "MEAS:VOLT?" : "FETC:VOLT?;*IDN?", "*IDN?"};
            for (long k = 0; !stop; ++k)
                if (!c.ask(queries[k % 2]).empty())
                    ++answered;
        });
    const std::int64_t from = bench::nowUs();
    for (auto _ : state) {
        std::this_thread::sleep_for(std::chrono::seconds(10));
        state.SetIterationTime((bench::nowUs() - from) / 1e6);
    }
    const std::int64_t to = bench::nowUs();
    stop = true;
    for (auto& t : clients)
        t.join();
    const std::vector<std::int64_t> polls = served.pollsBetween(from, to);
    std::vector<double> deviation;
    for (std::size_t k = 1; k < polls.size(); ++k)
        deviation.push_back(std::fabs((polls[k] - polls[k - 1]) / 1000.0 - session::PollPeriodMs));
    const double jitter = bench::maximum(deviation);
    state.counters["polls"] = static_cast<double>(polls.size());
    state.counters["answers"] = static_cast<double>(answered.load());
    char note[160];
    std::snprintf(note, sizeof note,
                  "%zu polls in 10 s, median deviation %.2f ms; %ld answers to the 16 clients",
                  polls.size(), bench::median(deviation), answered.load());
    bench::record({"poll period jitter, 16 clients querying (max)", jitter, "ms", 0, 30, "< 30 ms",
                   jitter < 30 && polls.size() >= 19, note});
}
BENCHMARK(SixteenClientsQuerying)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void IdleWithSixteenClients(benchmark::State& state) {
    Served served;
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < Clients; ++i) {
        clients.push_back(std::make_unique<Client>(served.address()));
        clients.back()->ask("*OPC?");
    }
    double percent = 0;
    for (auto _ : state) {
        const std::int64_t cpu0 = served.cpuUs();
        const std::int64_t t0 = bench::nowUs();
        std::this_thread::sleep_for(std::chrono::seconds(20));
        const std::int64_t wall = bench::nowUs() - t0;
        percent = 100.0 * (served.cpuUs() - cpu0) / wall;
        state.SetIterationTime(wall / 1e6);
    }
    state.counters["cpu_percent"] = percent;
    bench::record({"serving thread CPU, 16 silent clients", percent, "%", 0, 1, "< 1 % of one core",
                   percent < 1, "the 500 ms polls of the device included (40 in the 20 s)"});
}
BENCHMARK(IdleWithSixteenClients)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    return bench::runMain(argc, argv);
}
