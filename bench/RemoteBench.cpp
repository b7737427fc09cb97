// The remote control as quorelctl serve runs it: the serving loop (RemoteControl::run) on a
// thread of its own, the only one that touches the session and the device, against the
// simulated supply; the clients on other threads, as other programs on the machine would
// be. A *IDN? round trip, a MEAS:VOLT? round trip against one status exchange, sixteen
// clients querying without pause while the poll keeps its period, and the serving thread's
// CPU while sixteen clients are connected and silent. The same three over VXI-11: *IDN? and
// MEAS:VOLT? as a device_write and a device_read each, and sixteen links querying.

#include "support/BenchSupport.h"
#include "support/Serving.h"

#include "config/Settings.h"
#include "device/SupplyDevice.h"
#include "platform/Socket.h"
#include "remote/RecordMarking.h"
#include "remote/RemoteControl.h"
#include "remote/RpcCall.h"
#include "session/MeasurementSession.h"

#include <benchmark/benchmark.h>

#include "Vxi11Rpc.h"

#include <atomic>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

namespace {

constexpr int Clients = 16;

// The session and its remote control on the simulated supply, served by their own thread.
class Served {
public:
    Served() {
        settings_ = std::make_unique<Settings>();
        session_ = std::make_unique<session::MeasurementSession>(*settings_);
        control_ = std::make_unique<remote::RemoteControl>(*session_, [](const std::string&) {});
        // The machine's portmapper is none of the benchmark's business.
        control_->setUsePortmapper(false);
        session_->addObserver(&polls_);
        if (session_->connect("com3") != DeviceResult::Ok)
            throw std::runtime_error("the simulated supply did not answer");
        session_->setAutoReconnect(true);
        remote::ServerOptions options;
        options.listen = {remote::LoopbackAddress, 0};
        options.vxi11 = true;
        if (control_->start(options) != remote::StartResult::Ok)
            throw std::runtime_error("the server did not start");
        thread_ = std::make_unique<bench::ServingThread>(*control_);
    }
    ~Served() {
        thread_.reset();
        control_.reset();
        session_->removeObserver(&polls_);
        session_.reset();
        SupplyDevice::disconnect();
    }
    platform::SocketAddress address() const { return control_->server().address(); }
    platform::SocketAddress vxi11Address() const { return control_->server().vxi11Address(); }
    std::int64_t cpuUs() { return thread_->cpuUs(); }
    // The monotonic times (us) of the polls between two moments.
    std::vector<std::int64_t> pollsBetween(std::int64_t fromUs, std::int64_t toUs) const {
        return polls_.between(fromUs, toUs);
    }

private:
    bench::Bench bench_;
    bench::PollTimes polls_;
    std::unique_ptr<Settings> settings_;
    std::unique_ptr<session::MeasurementSession> session_;
    std::unique_ptr<remote::RemoteControl> control_;
    std::unique_ptr<bench::ServingThread> thread_;
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
        bench::sendAll(socket_, query + "\n");
        for (;;) {
            const std::size_t lf = received_.find('\n');
            if (lf != std::string::npos) {
                std::string line = received_.substr(0, lf);
                received_.erase(0, lf + 1);
                return line;
            }
            if (!bench::receiveWaiting(socket_, received_))
                return {};
        }
    }

private:
    platform::SocketHandle socket_ = platform::NoSocket;
    std::string received_;
};

using remote::rpc::routine;

// A VXI-11 link as pyvisa opens one: a query is a device_write with END and a device_read.
class LinkClient {
public:
    explicit LinkClient(const platform::SocketAddress& server) {
        if (platform::connectTcp(server, socket_) != platform::SocketResult::Ok)
            throw std::runtime_error("no connection");
        Create_LinkParms p{};
        p.device = const_cast<char*>("inst0");
        Create_LinkResp r{};
        if (!call(create_link, routine(xdr_Create_LinkParms), &p, routine(xdr_Create_LinkResp),
                  &r) ||
            r.error != 0)
            throw std::runtime_error("no link");
        lid_ = r.lid;
    }
    ~LinkClient() { platform::closeSocket(socket_); }
    // The reply without its LF, empty when the link failed.
    std::string ask(const std::string& query) {
        std::string line = query + "\n";
        Device_WriteParms w{};
        w.lid = lid_;
        w.io_timeout = 5000;
        w.flags = 0x08; // END
        w.data.data_len = static_cast<u_int>(line.size());
        w.data.data_val = line.data();
        Device_WriteResp written{};
        if (!call(device_write, routine(xdr_Device_WriteParms), &w, routine(xdr_Device_WriteResp),
                  &written) ||
            written.error != 0)
            return {};
        Device_ReadParms r{};
        r.lid = lid_;
        r.requestSize = 65536;
        r.io_timeout = 5000;
        Device_ReadResp read{};
        if (!call(device_read, routine(xdr_Device_ReadParms), &r, routine(xdr_Device_ReadResp),
                  &read))
            return {};
        std::string out(read.data.data_val, read.data.data_len);
        xdr_free(routine(xdr_Device_ReadResp), reinterpret_cast<char*>(&read));
        if (!out.empty() && out.back() == '\n')
            out.pop_back();
        return out;
    }

private:
    bool call(rpcproc_t proc, xdrproc_t encode, void* args, xdrproc_t decode, void* result) {
        const std::string record =
            remote::rpc::encodeCall(++xid_, {DEVICE_CORE, DEVICE_CORE_VERSION, proc}, encode, args);
        if (record.empty())
            return false;
        bench::sendAll(socket_, remote::frameRecord(record));
        std::optional<std::string> reply;
        std::string received;
        while (!(reply = reader_.next())) {
            if (!bench::receiveWaiting(socket_, received))
                return false;
            reader_.receive(received);
            received.clear();
        }
        return remote::rpc::decodeReply(std::move(*reply), decode, result).succeeded(xid_);
    }
    platform::SocketHandle socket_ = platform::NoSocket;
    remote::RecordReader reader_{1 << 20};
    std::uint32_t xid_ = 0;
    long lid_ = 0;
};

// The median time of `count` round trips of the query, in milliseconds.
template <typename AnyClient>
double roundTripMs(AnyClient& client, const std::string& query, int count, std::string& reply) {
    std::vector<double> ms;
    for (int i = 0; i < count; ++i) {
        const auto t0 = bench::nowUs();
        reply = client.ask(query);
        ms.push_back((bench::nowUs() - t0) / 1000.0);
    }
    return bench::median(ms);
}

template <typename AnyClient> void idnRoundTrip(benchmark::State& state, const char* over) {
    Served served;
    AnyClient client(std::is_same_v<AnyClient, Client> ? served.address() : served.vxi11Address());
    double median = 0;
    std::string reply;
    for (auto _ : state) {
        const auto t0 = bench::nowUs();
        median = roundTripMs(client, "*IDN?", 2000, reply);
        state.SetIterationTime((bench::nowUs() - t0) / 1e6);
    }
    state.counters["median_ms"] = median;
    bench::record({std::string("*IDN? round trip") + over + " (median of 2000)", median, "ms", 0, 1,
                   "< 1 ms", median < 1 && reply.rfind("Quorel,", 0) == 0, "reply " + reply});
}
void IdnRoundTrip(benchmark::State& state) {
    idnRoundTrip<Client>(state, "");
}
void IdnRoundTripVxi11(benchmark::State& state) {
    idnRoundTrip<LinkClient>(state, " over VXI-11");
}
BENCHMARK(IdnRoundTrip)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(IdnRoundTripVxi11)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

template <typename AnyClient>
void measureRoundTrip(benchmark::State& state, const char* over, double ratio) {
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
    AnyClient client(std::is_same_v<AnyClient, Client> ? served.address() : served.vxi11Address());
    double median = 0;
    std::string reply;
    for (auto _ : state) {
        const auto t0 = bench::nowUs();
        median = roundTripMs(client, "MEAS:VOLT?", 200, reply);
        state.SetIterationTime((bench::nowUs() - t0) / 1e6);
    }
    state.counters["median_ms"] = median;
    state.counters["exchange_ms"] = exchange;
    char target[32];
    std::snprintf(target, sizeof target, "<= %.3g x exchange", ratio);
    bench::record({std::string("MEAS:VOLT? round trip") + over + " (median of 200)", median, "ms",
                   exchange, ratio * exchange, target, median <= ratio * exchange,
                   "floor: one status exchange alone on the link (median of 50); reply " + reply});
}
void MeasureRoundTrip(benchmark::State& state) {
    measureRoundTrip<Client>(state, "", 1.2);
}
void MeasureRoundTripVxi11(benchmark::State& state) {
    measureRoundTrip<LinkClient>(state, " over VXI-11", 1.05);
}
BENCHMARK(MeasureRoundTripVxi11)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(MeasureRoundTrip)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

template <typename AnyClient> void sixteenQuerying(benchmark::State& state, const char* over) {
    Served served;
    std::atomic<bool> stop{false};
    std::atomic<long> answered{0};
    std::vector<std::thread> clients;
    for (int i = 0; i < Clients; ++i)
        clients.emplace_back([&, i] {
            AnyClient c(std::is_same_v<AnyClient, Client> ? served.address()
                                                          : served.vxi11Address());
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
    bench::record({std::string("poll period jitter, 16 ") + (*over ? "links" : "clients") +
                       " querying" + over + " (max)",
                   jitter, "ms", 0, 30, "< 30 ms", jitter < 30 && polls.size() >= 19, note});
}
void SixteenClientsQuerying(benchmark::State& state) {
    sixteenQuerying<Client>(state, "");
}
void SixteenLinksQuerying(benchmark::State& state) {
    sixteenQuerying<LinkClient>(state, " over VXI-11");
}
BENCHMARK(SixteenLinksQuerying)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
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
