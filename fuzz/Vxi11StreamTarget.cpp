// A client's byte stream on the VXI-11 core channel, record marks and RPC calls as they come,
// cut into pieces at arbitrary points and sent to a real instrument server on 127.0.0.1, which
// is given its turns between the pieces. The records are decoded by the server's own code:
// the record reader, the RPC call message, every procedure's arguments.
//
// Input layout: byte 0 holds the number of cuts (bits 0-2); then two bytes per cut, each a
// position in the stream (modulo its length); the rest is the stream.
//
// Checked on every input:
// - no turn of the server waits: each ends within a bound, whatever the calls ask to wait;
// - once the client is gone, so are its links (and their locks), within a bound;
// - then a new client still gets a link, writes *IDN? and reads the identity.
#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

#include "platform/Clock.h"
#include "remote/RecordMarking.h"
#include "remote/RpcCall.h"
#include "remote/Server.h"
#include "simulator/MemoryInstrument.h"

#include "Vxi11Rpc.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* Target = "Vxi11Stream";
// Generous for a sanitizer build on a busy machine; a turn that waited would take the
// io_timeout or lock_timeout a call asked for, up to hours.
constexpr std::int64_t TurnBoundMs = 2000;
constexpr std::int64_t PatienceMs = 5000;

remote::Server& server() {
    static sim::MemoryInstrument instrument;
    static remote::Server s(instrument);
    if (!s.listening()) {
        remote::ServerOptions o;
        o.listen = {remote::LoopbackAddress, 0};
        o.vxi11 = true;
        if (s.start(o) != remote::StartResult::Ok || !s.vxi11Listening())
            fuzzsupport::fail(Target, "the server does not listen for VXI-11");
    }
    return s;
}

// Turns of the server until nothing is left to run now.
void turns() {
    remote::Server& s = server();
    for (int i = 0; i < 64; ++i) {
        const std::int64_t before = platform::monotonicMs();
        s.runOnce(0);
        FUZZ_CHECK(Target, platform::monotonicMs() - before < TurnBoundMs, "a turn waited");
        if (!s.hasWork())
            break;
    }
}

// Sends all of `bytes`, giving the server its turns while the socket takes no more; with
// `drain` the replies are read away meanwhile, so that a client that reads is never dropped
// for not reading.
bool sendAll(platform::SocketHandle c, std::string_view bytes, bool drain) {
    const std::int64_t end = platform::monotonicMs() + PatienceMs;
    while (!bytes.empty()) {
        std::size_t sent = 0;
        const platform::SocketResult r = platform::sendSome(c, bytes.data(), bytes.size(), sent);
        if (r != platform::SocketResult::Ok && r != platform::SocketResult::WouldBlock)
            return false; // the server closed it: fair for input it cannot follow
        bytes.remove_prefix(sent);
        if (platform::monotonicMs() > end)
            return false; // the server reads no more until its replies are taken
        turns();
        char sink[4096];
        std::size_t got = 0;
        while (drain &&
               platform::receiveSome(c, sink, sizeof sink, got) == platform::SocketResult::Ok &&
               got > 0) {
        }
    }
    return true;
}

using remote::rpc::routine;

// A well-behaved client of the core channel, for the check after each input.
class Client {
public:
    Client() {
        if (platform::connectTcp(server().vxi11Address(), socket_) != platform::SocketResult::Ok)
            fuzzsupport::fail(Target, "cannot connect to the core channel");
    }
    ~Client() { platform::closeSocket(socket_); }

    // The call's reply decoded into `result`; false without a reply in time.
    bool call(rpcproc_t proc, xdrproc_t encode, void* args, xdrproc_t decode, void* result) {
        const std::string record =
            remote::rpc::encodeCall(++xid_, {DEVICE_CORE, DEVICE_CORE_VERSION, proc}, encode, args);
        if (record.empty() || !sendAll(socket_, remote::frameRecord(record), false))
            return false;
        const std::int64_t end = platform::monotonicMs() + PatienceMs;
        std::optional<std::string> reply;
        while (!(reply = reader_.next())) {
            if (platform::monotonicMs() > end)
                return false;
            server().runOnce(5);
            char chunk[4096];
            std::size_t got = 0;
            if (platform::receiveSome(socket_, chunk, sizeof chunk, got) ==
                platform::SocketResult::Ok)
                reader_.receive({chunk, got});
        }
        return remote::rpc::decodeReply(std::move(*reply), decode, result).succeeded(xid_);
    }

private:
    platform::SocketHandle socket_ = platform::NoSocket;
    remote::RecordReader reader_{1 << 20};
    std::uint32_t xid_ = 0;
};

void checkStillServes() {
    Client c;
    Create_LinkParms link{};
    link.device = const_cast<char*>("inst0");
    Create_LinkResp made{};
    FUZZ_CHECK(Target,
               c.call(create_link, routine(xdr_Create_LinkParms), &link,
                      routine(xdr_Create_LinkResp), &made) &&
                   made.error == 0,
               "a new client gets no link, error " + std::to_string(made.error));
    std::string idn = "*IDN?\n";
    Device_WriteParms w{};
    w.lid = made.lid;
    w.io_timeout = 1000;
    w.flags = remote::Vxi11Channel::FlagEnd;
    w.data.data_len = static_cast<u_int>(idn.size());
    w.data.data_val = idn.data();
    Device_WriteResp written{};
    FUZZ_CHECK(Target,
               c.call(device_write, routine(xdr_Device_WriteParms), &w,
                      routine(xdr_Device_WriteResp), &written) &&
                   written.error == 0,
               "a new link cannot write, error " + std::to_string(written.error));
    Device_ReadParms r{};
    r.lid = made.lid;
    r.requestSize = 1024;
    r.io_timeout = 1000;
    Device_ReadResp read{};
    const bool answered =
        c.call(device_read, routine(xdr_Device_ReadParms), &r, routine(xdr_Device_ReadResp), &read);
    const std::string data = answered ? std::string(read.data.data_val, read.data.data_len) : "";
    if (answered)
        xdr_free(routine(xdr_Device_ReadResp), reinterpret_cast<char*>(&read));
    FUZZ_CHECK(Target, data.rfind("Quorel,", 0) == 0,
               "a new link reads no identity: " + fuzzsupport::escaped(data));
    Device_Error destroyed{};
    c.call(destroy_link, routine(xdr_Device_Link), &made.lid, routine(xdr_Device_Error),
           &destroyed);
}

} // namespace

int fuzzVxi11Stream(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::size_t cutCount = data[0] & 7;
    const std::size_t head = 1 + 2 * cutCount;
    if (size < head)
        return 0;
    const std::string stream(reinterpret_cast<const char*>(data) + head, size - head);
    std::vector<std::size_t> cuts;
    for (std::size_t i = 0; i < cutCount; ++i) {
        const std::size_t at = data[1 + 2 * i] | std::size_t{data[2 + 2 * i]} << 8;
        cuts.push_back(at % (stream.size() + 1));
    }
    cuts.push_back(stream.size());
    std::sort(cuts.begin(), cuts.end());

    remote::Server& s = server();
    platform::SocketHandle client = platform::NoSocket;
    if (platform::connectTcp(s.vxi11Address(), client) != platform::SocketResult::Ok)
        fuzzsupport::fail(Target, "cannot connect to the core channel");
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        if (!sendAll(client, std::string_view(stream).substr(from, cut - from), true))
            break;
        from = cut;
    }
    turns();
    // The client vanishes, whatever it left waiting.
    platform::closeSocket(client);
    const std::int64_t end = platform::monotonicMs() + PatienceMs;
    while (!s.clients().empty()) {
        FUZZ_CHECK(Target, platform::monotonicMs() < end,
                   std::to_string(s.clients().size()) + " links outlive their client");
        s.runOnce(5);
    }
    checkStillServes();
    return 0;
}
