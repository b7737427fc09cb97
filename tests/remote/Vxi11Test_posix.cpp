// VXI-11 on 127.0.0.1 with real sockets, the server driven by its own poll loop on the test's
// thread; the test's RPC client encodes its calls with libtirpc's routines, so that each case
// can send what a real client would, and what none would.
#include "platform/Clock.h"
#include "remote/RecordMarking.h"
#include "remote/RpcCall.h"
#include "remote/Server.h"
#include "simulator/MemoryInstrument.h"
#include "support/TestClient.h"

#include "Vxi11Rpc.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <random>
#include <string>

namespace {

using remote::ClientEvent;
using remote::Vxi11Channel;

constexpr int PatienceMs = 10000;
constexpr long FlagWaitLock = Vxi11Channel::FlagWaitLock;
constexpr long FlagEnd = Vxi11Channel::FlagEnd;
constexpr long FlagTermChar = Vxi11Channel::FlagTermChar;

using remote::rpc::routine;

// One connection to the core or the abort channel, speaking ONC RPC.
class RpcClient {
public:
    RpcClient(const platform::SocketAddress& at, rpcprog_t program = DEVICE_CORE)
        : tcp(at), program_(program) {}

    void sendRaw(const std::string& bytes) {
        tcp.send(bytes);
        tcp.push();
    }
    // A call record (without its record mark when `framed` is false).
    std::string encodeCall(rpcproc_t proc, xdrproc_t encode, void* args) {
        std::string record = remote::rpc::encodeCall(++xid_, {program_, 1, proc}, encode, args,
                                                     Vxi11Channel::MaxRecvSize + 1024);
        EXPECT_FALSE(record.empty()) << "the call encodes";
        return record;
    }
    void call(rpcproc_t proc, xdrproc_t encode, void* args) {
        tcp.send(remote::frameRecord(encodeCall(proc, encode, args)));
        tcp.push();
    }
    bool replied() {
        tcp.poll();
        reader_.receive(tcp.received);
        tcp.received.clear();
        if (!reply_)
            reply_ = reader_.next();
        return reply_.has_value();
    }
    // The reply's acceptance, its result decoded into `result`.
    accept_stat take(xdrproc_t decode, void* result) {
        std::string record = std::move(*reply_);
        reply_.reset();
        const remote::rpc::Reply r = remote::rpc::decodeReply(std::move(record), decode, result);
        EXPECT_TRUE(r.decoded);
        EXPECT_EQ(r.xid, xid_);
        EXPECT_EQ(r.status, MSG_ACCEPTED);
        return r.accepted;
    }

    TestClient tcp;

private:
    rpcprog_t program_;
    std::uint32_t xid_ = 0;
    remote::RecordReader reader_{1 << 20};
    std::optional<std::string> reply_;
};

struct ReadResult {
    long error = -1;
    long reason = 0;
    std::string data;
};

class Vxi11Test : public ::testing::Test {
protected:
    sim::MemoryInstrument instrument;
    std::vector<remote::ClientReport> reports;
    remote::Server server{instrument,
                          [this](const remote::ClientReport& r) { reports.push_back(r); }};

    void SetUp() override {
        remote::ServerOptions options;
        options.listen = {remote::LoopbackAddress, 0};
        options.vxi11 = true;
        start(options);
    }
    void start(remote::ServerOptions options) {
        server.stop();
        ASSERT_EQ(server.start(options), remote::StartResult::Ok);
        ASSERT_TRUE(server.vxi11Listening());
    }

    template <typename Done> bool serveUntil(Done done, int patienceMs = PatienceMs) {
        const std::int64_t end = platform::monotonicMs() + patienceMs;
        while (!done()) {
            if (platform::monotonicMs() > end)
                return false;
            server.runOnce(2);
        }
        return true;
    }
    void serveFor(int ms) {
        const std::int64_t end = platform::monotonicMs() + ms;
        serveUntil([&] { return platform::monotonicMs() >= end; }, ms + 1000);
    }

    std::unique_ptr<RpcClient> connect(rpcprog_t program = DEVICE_CORE) {
        const auto at = program == DEVICE_CORE ? server.vxi11Address() : server.vxi11AbortAddress();
        return std::make_unique<RpcClient>(at, program);
    }

    template <typename Result> Result wait(RpcClient& c, xdrproc_t decode) {
        Result r{};
        if (!serveUntil([&] { return c.replied(); })) {
            ADD_FAILURE() << "no reply";
            return r;
        }
        EXPECT_EQ(c.take(decode, &r), SUCCESS);
        return r;
    }

    Create_LinkResp createLink(RpcClient& c, const char* device = "inst0", bool lock = false,
                               unsigned long lockTimeout = 0) {
        Create_LinkParms p{};
        p.clientId = 1;
        p.lockDevice = lock;
        p.lock_timeout = lockTimeout;
        p.device = const_cast<char*>(device);
        c.call(create_link, routine(xdr_Create_LinkParms), &p);
        return wait<Create_LinkResp>(c, routine(xdr_Create_LinkResp));
    }
    void sendWrite(RpcClient& c, long lid, std::string data, long flags = FlagEnd,
                   unsigned long ioTimeout = 1000, unsigned long lockTimeout = 0) {
        Device_WriteParms p{};
        p.lid = lid;
        p.io_timeout = ioTimeout;
        p.lock_timeout = lockTimeout;
        p.flags = flags;
        p.data.data_len = static_cast<u_int>(data.size());
        p.data.data_val = data.data();
        c.call(device_write, routine(xdr_Device_WriteParms), &p);
    }
    long write(RpcClient& c, long lid, std::string data, long flags = FlagEnd) {
        sendWrite(c, lid, std::move(data), flags);
        return wait<Device_WriteResp>(c, routine(xdr_Device_WriteResp)).error;
    }
    void sendRead(RpcClient& c, long lid, unsigned long size = 1024, unsigned long ioTimeout = 1000,
                  long flags = 0, char termChar = 0, unsigned long lockTimeout = 0) {
        Device_ReadParms p{};
        p.lid = lid;
        p.requestSize = size;
        p.io_timeout = ioTimeout;
        p.lock_timeout = lockTimeout;
        p.flags = flags;
        p.termChar = termChar;
        c.call(device_read, routine(xdr_Device_ReadParms), &p);
    }
    ReadResult takeRead(RpcClient& c) {
        Device_ReadResp r{};
        ReadResult out;
        if (!serveUntil([&] { return c.replied(); }))
            return out;
        EXPECT_EQ(c.take(routine(xdr_Device_ReadResp), &r), SUCCESS);
        out = {r.error, r.reason, std::string(r.data.data_val, r.data.data_len)};
        xdr_free(routine(xdr_Device_ReadResp), reinterpret_cast<char*>(&r));
        return out;
    }
    ReadResult read(RpcClient& c, long lid, unsigned long size = 1024, long flags = 0,
                    char termChar = 0) {
        sendRead(c, lid, size, 1000, flags, termChar);
        return takeRead(c);
    }
    std::string ask(RpcClient& c, long lid, const std::string& message) {
        EXPECT_EQ(write(c, lid, message), 0);
        return read(c, lid).data;
    }
    void sendLock(RpcClient& c, long lid, long flags = 0, unsigned long lockTimeout = 0) {
        Device_LockParms p{lid, flags, lockTimeout};
        c.call(device_lock, routine(xdr_Device_LockParms), &p);
    }
    long linkCall(RpcClient& c, rpcproc_t proc, long lid) {
        Device_Link l = lid;
        c.call(proc, routine(xdr_Device_Link), &l);
        return wait<Device_Error>(c, routine(xdr_Device_Error)).error;
    }
    long generic(RpcClient& c, rpcproc_t proc, long lid, long flags = 0) {
        Device_GenericParms p{lid, flags, 0, 1000};
        c.call(proc, routine(xdr_Device_GenericParms), &p);
        return wait<Device_Error>(c, routine(xdr_Device_Error)).error;
    }
    std::size_t linkReports(ClientEvent event) const {
        return static_cast<std::size_t>(std::count_if(
            reports.begin(), reports.end(), [&](auto& r) { return r.link && r.event == event; }));
    }
};

TEST_F(Vxi11Test, LinksAreClientsWithTheirOwnErrorQueues) {
    auto a = connect();
    auto b = connect();
    const Create_LinkResp la = createLink(*a);
    const Create_LinkResp lb = createLink(*b, "INST0");
    ASSERT_EQ(la.error, 0);
    ASSERT_EQ(lb.error, 0);
    EXPECT_NE(la.lid, lb.lid);
    EXPECT_EQ(la.maxRecvSize, Vxi11Channel::MaxRecvSize);
    EXPECT_EQ(la.abortPort, server.vxi11AbortAddress().port);
    EXPECT_EQ(linkReports(ClientEvent::Connected), 2u);
    EXPECT_EQ(server.clients().size(), 2u);

    EXPECT_EQ(ask(*a, la.lid, "*IDN?"), "Quorel,SIM,0,1.02\n");
    EXPECT_EQ(write(*a, la.lid, "BOGUS\n"), 0);
    EXPECT_EQ(ask(*b, lb.lid, "SYST:ERR?"), "0,\"No error\"\n");
    EXPECT_EQ(ask(*a, la.lid, "SYST:ERR?").substr(0, 5), "-113,");
    // A link of another connection, or none, is an invalid link.
    EXPECT_EQ(write(*a, lb.lid, "*RST"), Vxi11Channel::InvalidLink);
    EXPECT_EQ(createLink(*a, "gpib0,5").error, Vxi11Channel::DeviceNotAccessible);
    EXPECT_EQ(generic(*a, device_trigger, la.lid), Vxi11Channel::NotSupported);
    EXPECT_EQ(generic(*a, device_remote, la.lid), 0);
    EXPECT_EQ(linkCall(*a, destroy_link, la.lid), 0);
    EXPECT_EQ(linkCall(*a, destroy_link, la.lid), Vxi11Channel::InvalidLink);
    EXPECT_EQ(linkReports(ClientEvent::Disconnected), 1u);
}

TEST_F(Vxi11Test, ReadHonoursRequestSizeTermCharAndEnd) {
    auto c = connect();
    const long lid = createLink(*c).lid;
    // Bytes without END wait for the rest of their message.
    EXPECT_EQ(write(*c, lid, "*ID", 0), 0);
    EXPECT_EQ(write(*c, lid, "N?"), 0);
    ReadResult part = read(*c, lid, 6);
    EXPECT_EQ(part.data, "Quorel");
    EXPECT_EQ(part.reason, Vxi11Channel::ReasonRequestCount);
    part = read(*c, lid, 1024, FlagTermChar, ',');
    EXPECT_EQ(part.data, ",");
    EXPECT_EQ(part.reason, Vxi11Channel::ReasonTermChar);
    part = read(*c, lid);
    EXPECT_EQ(part.data, "SIM,0,1.02\n");
    EXPECT_EQ(part.reason, Vxi11Channel::ReasonEnd);
    // Two replies queued are read one message at a time.
    EXPECT_EQ(write(*c, lid, "*OPC?;*OPC?\n*OPC?"), 0);
    EXPECT_EQ(read(*c, lid).data, "1;1\n");
    EXPECT_EQ(read(*c, lid).data, "1\n");
    // The status byte shows a reply waiting (bit 4) until it is read.
    EXPECT_EQ(write(*c, lid, "*OPC?"), 0);
    serveUntil([&] { return !server.hasWork(); });
    Device_GenericParms p{lid, 0, 0, 1000};
    c->call(device_readstb, routine(xdr_Device_GenericParms), &p);
    EXPECT_EQ(wait<Device_ReadStbResp>(*c, routine(xdr_Device_ReadStbResp)).stb & 0x10, 0x10);
    // device_clear drops the unread reply.
    EXPECT_EQ(generic(*c, device_clear, lid), 0);
    sendRead(*c, lid, 1024, 100);
    EXPECT_EQ(takeRead(*c).error, Vxi11Channel::IoTimeout);
}

TEST_F(Vxi11Test, BytesWithoutEndNeverRunWhenTheLinkGoes) {
    auto c = connect();
    const long lid = createLink(*c).lid;
    EXPECT_EQ(write(*c, lid, "OUTP ON\n", 0), 0);
    EXPECT_EQ(linkCall(*c, destroy_link, lid), 0);
    // A complete message written just before destroy_link still runs.
    const long next = createLink(*c).lid;
    EXPECT_EQ(write(*c, next, "VOLT 5"), 0);
    EXPECT_EQ(linkCall(*c, destroy_link, next), 0);
    serveUntil([&] { return !server.hasWork(); });
    ASSERT_EQ(instrument.actions.size(), 1u);
    EXPECT_EQ(instrument.actions[0].substr(0, 8), "set 5.00");
}

TEST_F(Vxi11Test, ReadWithNothingQueuedTimesOutWhileOthersAreServed) {
    auto waiting = connect();
    auto other = connect();
    const long lid = createLink(*waiting).lid;
    const long otherLid = createLink(*other).lid;
    TestClient raw(server.address());
    const std::int64_t start = platform::monotonicMs();
    sendRead(*waiting, lid, 1024, 400);
    // Meanwhile the other link and the raw socket are answered.
    EXPECT_EQ(ask(*other, otherLid, "*OPC?"), "1\n");
    raw.send("*OPC?\n");
    EXPECT_TRUE(serveUntil([&] { return !raw.poll() || raw.hasLine(); }));
    EXPECT_EQ(raw.takeLine(), "1");
    EXPECT_FALSE(waiting->replied());
    EXPECT_EQ(takeRead(*waiting).error, Vxi11Channel::IoTimeout);
    EXPECT_GE(platform::monotonicMs() - start, 400);
    // Another link's reply does not end this link's wait.
    sendRead(*waiting, lid, 1024, 5000);
    EXPECT_EQ(ask(*other, otherLid, "*OPC?"), "1\n");
    EXPECT_FALSE(waiting->replied());
}

TEST_F(Vxi11Test, LockIsExclusiveAmongLinks) {
    auto a = connect();
    auto b = connect();
    const long la = createLink(*a).lid;
    const long lb = createLink(*b).lid;
    sendLock(*a, la);
    EXPECT_EQ(wait<Device_Error>(*a, routine(xdr_Device_Error)).error, 0);
    // Without waitlock: error 11 at once; with it, up to lock_timeout.
    EXPECT_EQ(write(*b, lb, "OUTP ON"), Vxi11Channel::Locked);
    EXPECT_EQ(linkCall(*b, device_unlock, lb), Vxi11Channel::NoLockHeld);
    const std::int64_t start = platform::monotonicMs();
    sendLock(*b, lb, FlagWaitLock, 300);
    EXPECT_EQ(wait<Device_Error>(*b, routine(xdr_Device_Error)).error, Vxi11Channel::Locked);
    EXPECT_GE(platform::monotonicMs() - start, 300);
    // A write waiting for the lock goes through when it is released.
    sendWrite(*b, lb, "OUTP ON", FlagEnd | FlagWaitLock, 1000, 5000);
    serveFor(50);
    EXPECT_FALSE(b->replied());
    EXPECT_EQ(ask(*a, la, "*OPC?"), "1\n");
    EXPECT_EQ(linkCall(*a, device_unlock, la), 0);
    EXPECT_EQ(wait<Device_WriteResp>(*b, routine(xdr_Device_WriteResp)).error, 0);
    serveUntil([&] { return !server.hasWork(); });
    EXPECT_EQ(instrument.actions, std::vector<std::string>{"output on"});
}

TEST_F(Vxi11Test, ClientVanishingInsideReadFreesItsLinkAndLock) {
    auto gone = connect();
    auto b = connect();
    const long lid = createLink(*gone, "inst0", true).lid;
    const long lb = createLink(*b).lid;
    sendRead(*gone, lid, 1024, 60000);
    serveFor(50);
    gone->tcp.close();
    ASSERT_TRUE(serveUntil([&] { return linkReports(ClientEvent::Disconnected) == 1; }));
    EXPECT_EQ(server.clients().size(), 1u);
    EXPECT_FALSE(server.nextDeadlineMs().has_value());
    sendLock(*b, lb);
    EXPECT_EQ(wait<Device_Error>(*b, routine(xdr_Device_Error)).error, 0);
}

TEST_F(Vxi11Test, AbortChannelEndsAWaitingRead) {
    auto c = connect();
    const Create_LinkResp link = createLink(*c);
    auto abort = connect(DEVICE_ASYNC);
    sendRead(*c, link.lid, 1024, 60000);
    serveFor(50);
    EXPECT_EQ(linkCall(*abort, device_abort, link.lid), 0);
    EXPECT_EQ(takeRead(*c).error, Vxi11Channel::Aborted);
    EXPECT_EQ(linkCall(*abort, device_abort, link.lid + 100), Vxi11Channel::InvalidLink);
    EXPECT_EQ(ask(*c, link.lid, "*OPC?"), "1\n");
}

TEST_F(Vxi11Test, SeventeenthLinkGetsOutOfResourcesAndRawClientsCountToo) {
    auto c = connect();
    std::vector<long> lids;
    for (int i = 0; i < 15; ++i)
        lids.push_back(createLink(*c).lid);
    TestClient raw(server.address());
    ASSERT_TRUE(serveUntil([&] { return server.clients().size() == 16; }));
    EXPECT_EQ(createLink(*c).error, Vxi11Channel::OutOfResources);
    EXPECT_EQ(linkReports(ClientEvent::RefusedFull), 1u);
    TestClient refused(server.address());
    EXPECT_TRUE(serveUntil([&] { return !refused.poll(); }));
    EXPECT_EQ(linkCall(*c, destroy_link, lids.back()), 0);
    const Create_LinkResp again = createLink(*c);
    EXPECT_EQ(again.error, 0);
    EXPECT_EQ(ask(*c, again.lid, "*OPC?"), "1\n");
}

TEST_F(Vxi11Test, AllowListAppliesToVxi11) {
    remote::ServerOptions options;
    options.listen = {remote::LoopbackAddress, 0};
    options.vxi11 = true;
    options.allow = {{0x0A000000, 8}};
    start(options);
    RpcClient outsider(server.vxi11Address());
    EXPECT_TRUE(serveUntil([&] { return !outsider.tcp.poll(); }));
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back().event, ClientEvent::RefusedNotAllowed);
}

// Input no client should send: each closes that connection (or is answered as the RPC
// standard says), while another link goes on being served and nothing reaches the device.
struct BadInput {
    const char* name;
    std::string (*bytes)(RpcClient&);
    bool closes;
};

std::string header(std::uint32_t n) {
    return {char(n >> 24), char((n >> 16) & 0xFF), char((n >> 8) & 0xFF), char(n & 0xFF)};
}

const BadInput badInputs[] = {
    {"RandomBytes",
     [](RpcClient&) {
         std::mt19937 random(7);
         std::string s;
         for (int i = 0; i < 20000; ++i)
             s += static_cast<char>(random());
         return s;
     },
     true},
    {"RecordClaimingTwoGigabytes", [](RpcClient&) { return header(0xFFFFFFFFu) + "abcd"; }, true},
    {"FragmentsPassingTheLimit",
     [](RpcClient&) {
         std::string s;
         for (int i = 0; i < 20; ++i)
             s += header(8000) + std::string(8000, 'x');
         return s;
     },
     true},
    {"ReplyInsteadOfCall", [](RpcClient&) { return header(0x80000008u) + header(1) + header(1); },
     true},
    {"CallWithTruncatedArguments",
     [](RpcClient& c) {
         Device_Link lid = 1;
         std::string call = c.encodeCall(device_write, routine(xdr_Device_Link), &lid);
         return remote::frameRecord(call);
     },
     false},
    {"CallOfAnotherProgram",
     [](RpcClient& c) {
         std::string call = c.encodeCall(create_link, nullptr, nullptr);
         call[15] = 0x01; // program 0x0607AF becomes 0x060701
         return remote::frameRecord(call);
     },
     false},
    {"TruncatedRecordThenSilence", [](RpcClient&) { return header(0x80000100u) + "only a bit"; },
     false},
};

class Vxi11BadInputTest : public Vxi11Test, public ::testing::WithParamInterface<BadInput> {};

TEST_P(Vxi11BadInputTest, LeavesOtherLinksServedAndTheDeviceUntouched) {
    auto good = connect();
    const long lid = createLink(*good).lid;
    auto bad = connect();
    bad->sendRaw(GetParam().bytes(*bad));
    if (GetParam().closes) {
        EXPECT_TRUE(serveUntil([&] { return !bad->tcp.poll(); }));
    } else {
        serveFor(100);
        EXPECT_TRUE(bad->tcp.poll());
        // Answered as garbage or an unknown program, or still waiting for the record's rest.
        if (bad->replied()) {
            const accept_stat stat = bad->take(nullptr, nullptr);
            EXPECT_TRUE(stat == GARBAGE_ARGS || stat == PROG_UNAVAIL) << stat;
        }
    }
    EXPECT_EQ(ask(*good, lid, "*OPC?"), "1\n");
    EXPECT_TRUE(instrument.actions.empty());
}

INSTANTIATE_TEST_SUITE_P(Inputs, Vxi11BadInputTest, ::testing::ValuesIn(badInputs),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RecordMarkingTest, FragmentsJoinAndEveryFormOfTooLongIsRefused) {
    const std::string two = header(3) + "abc" + header(0x80000002u) + "de";
    // Any split of the stream gives the same record.
    for (std::size_t cut = 0; cut <= two.size(); ++cut) {
        remote::RecordReader cutReader(100);
        cutReader.receive(two.substr(0, cut));
        std::optional<std::string> r = cutReader.next();
        if (cut < two.size()) {
            EXPECT_FALSE(r) << cut;
            cutReader.receive(two.substr(cut));
            r = cutReader.next();
        }
        ASSERT_TRUE(r) << cut;
        EXPECT_EQ(*r, "abcde");
    }
    remote::RecordReader reader(100);
    reader.receive(header(0x80000000u));
    EXPECT_EQ(reader.next(), std::string());
    reader.receive(header(60) + std::string(60, 'x') + header(0x80000041u));
    EXPECT_FALSE(reader.next());
    EXPECT_TRUE(reader.refused());
    EXPECT_EQ(reader.held(), 0u);
}

} // namespace
