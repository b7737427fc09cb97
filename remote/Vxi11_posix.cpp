// The VXI-11 channel on Linux: the RPC messages and the calls' arguments and results through
// libtirpc's XDR routines (the calls' from Vxi11Rpc.x by rpcgen), the connections served by
// the instrument server's loop. libtirpc's own server is not used: it would block on a cut
// record and could neither defer a reply nor apply the allow list and the client limit.
#include "remote/Vxi11.h"

#include "platform/Clock.h"
#include "remote/RecordMarking.h"
#include "remote/Server.h"
#include "scpi/Connection.h"

#include "Vxi11Rpc.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace remote {

namespace {

// A record holds one call: a device_write's data and the RPC header with its credentials.
constexpr std::size_t MaxRecord = Vxi11Channel::MaxRecvSize + 4096;
// Replies waiting unsent beyond this stop the connection's next calls until they leave.
constexpr std::size_t MaxUnsent = 2 * MaxRecord;
constexpr std::size_t ReadChunk = 16 * 1024;
constexpr int AcceptsPerTurn = 32;
constexpr std::uint32_t RpcVersion = 2;

bool isInst0(const std::string& name) {
    return name.size() == 5 && std::equal(name.begin(), name.end(), "inst0",
                                          [](char a, char b) { return (a | 0x20) == b; });
}

// One reply record, framed: an accepted reply with its result, or the rejection `denied`.
std::string encodeReply(std::uint32_t xid, accept_stat stat, xdrproc_t proc, void* result,
                        std::size_t sizeHint, bool versionMismatch = false) {
    rpc_msg m{};
    m.rm_xid = xid;
    m.rm_direction = REPLY;
    if (versionMismatch) {
        m.rm_reply.rp_stat = MSG_DENIED;
        m.rjcted_rply.rj_stat = RPC_MISMATCH;
        m.rjcted_rply.rj_vers.low = RpcVersion;
        m.rjcted_rply.rj_vers.high = RpcVersion;
    } else {
        m.rm_reply.rp_stat = MSG_ACCEPTED;
        m.acpted_rply.ar_verf = _null_auth;
        m.acpted_rply.ar_stat = stat;
        if (stat == SUCCESS) {
            m.acpted_rply.ar_results.where = static_cast<char*>(result);
            m.acpted_rply.ar_results.proc = proc;
        } else if (stat == PROG_MISMATCH) {
            m.acpted_rply.ar_vers.low = 1;
            m.acpted_rply.ar_vers.high = 1;
        }
    }
    std::string buffer(sizeHint + 128, '\0');
    XDR x;
    xdrmem_create(&x, buffer.data(), static_cast<u_int>(buffer.size()), XDR_ENCODE);
    const bool ok = xdr_replymsg(&x, &m);
    buffer.resize(ok ? xdr_getpos(&x) : 0);
    xdr_destroy(&x);
    return ok ? frameRecord(buffer) : std::string();
}

// The XDR routine of a procedure without arguments or result.
bool_t xdrNothing(XDR*, ...) {
    return TRUE;
}

// A call, its arguments copied out of the XDR structures, kept while it waits.
struct Call {
    std::uint32_t xid = 0;
    std::uint32_t proc = 0;
    long lid = 0;
    long flags = 0;
    std::int64_t lockUntil = 0; // lock_timeout from the call's arrival
    std::int64_t ioUntil = 0;   // io_timeout from the call's arrival
    std::int64_t waitUntil = 0; // while it waits: when the wait it waits in ends
    bool lockDevice = false;
    std::string device;
    std::string data;
    unsigned long requestSize = 0;
    char termChar = 0;
};

struct Conn {
    platform::SocketHandle socket = platform::NoSocket;
    SocketAddress peer;
    bool abortChannel = false;
    RecordReader reader{MaxRecord};
    std::string out;
    std::size_t outStart = 0;
    std::optional<Call> waiting;
    std::optional<ClientEvent> dropAs; // set: closed at the end of the turn, reported so
    bool peerDone = false;

    std::size_t unsent() const { return out.size() - outStart; }
};

struct Link {
    long id = 0;
    Conn* conn = nullptr; // null once destroyed: complete messages still run, unread
    SocketAddress peer;
    std::unique_ptr<scpi::Connection> scpi;
    std::string message; // device_write bytes waiting for END
    bool overlong = false;
};

class Channel final : public Vxi11Channel {
public:
    explicit Channel(Vxi11Host& host) : host_(host) {}
    ~Channel() override { stop(); }

    StartResult start(const SocketAddress& at) override;
    void stop() override;
    bool listening() const override { return core_ != platform::NoSocket; }
    SocketAddress address() const override { return coreBound_; }
    SocketAddress abortAddress() const override { return abortBound_; }
    void addClients(std::vector<SocketAddress>& out) const override;
    std::size_t links() const override;
    void addWatches(std::vector<Watch>& out) const override;
    bool onReadable(platform::SocketHandle socket) override;
    bool onWritable(platform::SocketHandle socket) override;
    bool hasWork() const override;
    void executeNext() override;
    std::optional<std::int64_t> nextDeadlineMs() const override;
    void serviceDeadlines() override;
    const SocketAddress* executingFor() const override { return executing_; }

private:
    void acceptWaiting(platform::SocketHandle listener, bool abortChannel);
    Conn* findConn(platform::SocketHandle socket);
    Link* findLink(long id);
    void receive(Conn& c);
    // Takes the connection's calls in order while none waits.
    void pump(Conn& c);
    // Decodes one record; false when it cannot be followed as a call at all.
    bool handle(Conn& c, const std::string& record);
    // Answers the call, or leaves it waiting (false).
    bool attempt(Conn& c, Call& call);
    bool attemptAbort(Conn& c, Call& call);
    void answerError(Conn& c, const Call& call, long error);
    void send(Conn& c, std::string framed);
    void flush(Conn& c);
    // The connection's waiting call is tried again: a reply, the lock or its time may have
    // come.
    void retry(Conn& c);
    void destroyLink(Link& link, ClientEvent why);
    // Frees the lock the link holds; the calls waiting for it are tried at settle.
    void releaseLock(long id);
    // Closes the connections marked to be dropped, and removes finished unread links.
    void sweep();
    // The end of every turn: calls waiting for a freed lock are tried, dropped connections
    // closed, until nothing changes.
    void settle();
    void feedMessage(Link& link);

    Vxi11Host& host_;
    platform::SocketHandle core_ = platform::NoSocket;
    platform::SocketHandle abort_ = platform::NoSocket;
    SocketAddress coreBound_;
    SocketAddress abortBound_;
    std::vector<std::unique_ptr<Conn>> conns_;
    std::vector<std::unique_ptr<Link>> links_;
    long lockHolder_ = 0;
    bool retryNeeded_ = false;
    long nextLinkId_ = 1;
    std::size_t nextTurn_ = 0;
    const SocketAddress* executing_ = nullptr;
};

StartResult Channel::start(const SocketAddress& at) {
    if (listening())
        return StartResult::AlreadyListening;
    StartResult r = startResultOf(platform::listenTcp(at, core_, coreBound_));
    if (r != StartResult::Ok)
        return r;
    r = startResultOf(platform::listenTcp({at.ipv4, 0}, abort_, abortBound_));
    if (r != StartResult::Ok)
        stop();
    return r;
}

void Channel::stop() {
    for (auto& l : links_)
        if (l->conn)
            destroyLink(*l, ClientEvent::DroppedOnStop);
    links_.clear();
    for (auto& c : conns_)
        platform::closeSocket(c->socket);
    conns_.clear();
    lockHolder_ = 0;
    retryNeeded_ = false;
    platform::closeSocket(core_);
    platform::closeSocket(abort_);
    core_ = abort_ = platform::NoSocket;
    coreBound_ = abortBound_ = SocketAddress{};
}

void Channel::addClients(std::vector<SocketAddress>& out) const {
    for (const auto& l : links_)
        if (l->conn)
            out.push_back(l->peer);
}

std::size_t Channel::links() const {
    return static_cast<std::size_t>(
        std::count_if(links_.begin(), links_.end(), [](const auto& l) { return l->conn; }));
}

void Channel::addWatches(std::vector<Watch>& out) const {
    if (core_ != platform::NoSocket)
        out.push_back({core_, true, false});
    if (abort_ != platform::NoSocket)
        out.push_back({abort_, true, false});
    for (const auto& c : conns_)
        out.push_back({c->socket, c->reader.wantsInput() && !c->peerDone, c->unsent() > 0});
}

Conn* Channel::findConn(platform::SocketHandle socket) {
    for (auto& c : conns_)
        if (c->socket == socket)
            return c.get();
    return nullptr;
}

Link* Channel::findLink(long id) {
    for (auto& l : links_)
        if (l->id == id && l->conn)
            return l.get();
    return nullptr;
}

void Channel::acceptWaiting(platform::SocketHandle listener, bool abortChannel) {
    // Connections without a link hold no client state; they are bounded all the same.
    const std::size_t maxConns = 2 * host_.maxClients() + 2;
    for (int i = 0; i < AcceptsPerTurn; ++i) {
        platform::SocketHandle socket = platform::NoSocket;
        SocketAddress peer;
        const platform::SocketResult r = platform::acceptTcp(listener, socket, peer);
        if (r == platform::SocketResult::WouldBlock)
            return;
        if (r != platform::SocketResult::Ok) {
            if (peer.ipv4 != 0)
                host_.report(ClientEvent::RefusedFull, peer, false);
            return;
        }
        const bool allowed = host_.allowed(peer);
        if (!allowed || conns_.size() >= maxConns) {
            platform::closeSocket(socket);
            host_.report(allowed ? ClientEvent::RefusedFull : ClientEvent::RefusedNotAllowed, peer,
                         false);
            continue;
        }
        auto c = std::make_unique<Conn>();
        c->socket = socket;
        c->peer = peer;
        c->abortChannel = abortChannel;
        conns_.push_back(std::move(c));
    }
}

bool Channel::onReadable(platform::SocketHandle socket) {
    if (socket == platform::NoSocket)
        return false;
    if (socket == core_ || socket == abort_) {
        acceptWaiting(socket, socket == abort_);
        return true;
    }
    Conn* c = findConn(socket);
    if (!c)
        return false;
    if (!c->reader.wantsInput() || c->peerDone)
        flush(*c);
    else
        receive(*c);
    settle();
    return true;
}

bool Channel::onWritable(platform::SocketHandle socket) {
    Conn* c = findConn(socket);
    if (!c)
        return false;
    flush(*c);
    if (!c->dropAs)
        pump(*c);
    settle();
    return true;
}

void Channel::receive(Conn& c) {
    char buffer[ReadChunk];
    std::size_t received = 0;
    switch (platform::receiveSome(c.socket, buffer, sizeof buffer, received)) {
    case platform::SocketResult::Ok:
        c.reader.receive(std::string_view(buffer, received));
        pump(c);
        break;
    case platform::SocketResult::Closed:
        // The calls it sent in full are still taken; then it is gone with its links.
        c.peerDone = true;
        pump(c);
        c.dropAs = ClientEvent::Disconnected;
        break;
    case platform::SocketResult::WouldBlock:
        break;
    default:
        c.dropAs = ClientEvent::Disconnected;
        break;
    }
}

void Channel::pump(Conn& c) {
    while (!c.dropAs && !c.waiting && c.unsent() < MaxUnsent) {
        std::optional<std::string> record = c.reader.next();
        if (!record)
            break;
        if (!handle(c, *record))
            c.dropAs = ClientEvent::DroppedBadInput;
    }
    if (c.reader.refused() && !c.dropAs)
        c.dropAs = ClientEvent::DroppedBadInput;
}

bool Channel::handle(Conn& c, const std::string& record) {
    XDR x;
    xdrmem_create(&x, const_cast<char*>(record.data()), static_cast<u_int>(record.size()),
                  XDR_DECODE);
    rpc_msg msg{};
    char cred[MAX_AUTH_BYTES];
    char verf[MAX_AUTH_BYTES];
    msg.rm_call.cb_cred.oa_base = cred;
    msg.rm_call.cb_verf.oa_base = verf;
    if (!xdr_callmsg(&x, &msg) || msg.rm_direction != CALL) {
        xdr_destroy(&x);
        return false;
    }
    const std::uint32_t xid = static_cast<std::uint32_t>(msg.rm_xid);
    const auto reject = [&](accept_stat stat, bool versionMismatch = false) {
        xdr_destroy(&x);
        send(c, encodeReply(xid, stat, nullptr, nullptr, 0, versionMismatch));
        return true;
    };
    if (msg.rm_call.cb_rpcvers != RpcVersion)
        return reject(SUCCESS, true);
    const rpcprog_t program = c.abortChannel ? DEVICE_ASYNC : DEVICE_CORE;
    if (msg.rm_call.cb_prog != program)
        return reject(PROG_UNAVAIL);
    if (msg.rm_call.cb_vers != 1)
        return reject(PROG_MISMATCH);
    const auto proc = static_cast<std::uint32_t>(msg.rm_call.cb_proc);
    if (proc == 0) {
        xdr_destroy(&x);
        send(c, encodeReply(xid, SUCCESS, xdrNothing, nullptr, 0));
        return true;
    }

    union Args {
        Create_LinkParms create;
        Device_WriteParms write;
        Device_ReadParms read;
        Device_GenericParms generic;
        Device_LockParms lock;
        Device_Link link;
        Device_EnableSrqParms srq;
        Device_DocmdParms docmd;
        Device_RemoteFunc remote;
    };
    Args args;
    std::memset(&args, 0, sizeof args);
    xdrproc_t decode = nullptr;
    if (c.abortChannel) {
        if (proc == device_abort)
            decode = reinterpret_cast<xdrproc_t>(xdr_Device_Link);
    } else {
        switch (proc) {
        case create_link:
            decode = reinterpret_cast<xdrproc_t>(xdr_Create_LinkParms);
            break;
        case device_write:
            decode = reinterpret_cast<xdrproc_t>(xdr_Device_WriteParms);
            break;
        case device_read:
            decode = reinterpret_cast<xdrproc_t>(xdr_Device_ReadParms);
            break;
        case device_readstb:
        case device_trigger:
        case device_clear:
        case device_remote:
        case device_local:
            decode = reinterpret_cast<xdrproc_t>(xdr_Device_GenericParms);
            break;
        case device_lock:
            decode = reinterpret_cast<xdrproc_t>(xdr_Device_LockParms);
            break;
        case device_unlock:
        case destroy_link:
            decode = reinterpret_cast<xdrproc_t>(xdr_Device_Link);
            break;
        case device_enable_srq:
            decode = reinterpret_cast<xdrproc_t>(xdr_Device_EnableSrqParms);
            break;
        case device_docmd:
            decode = reinterpret_cast<xdrproc_t>(xdr_Device_DocmdParms);
            break;
        case create_intr_chan:
            decode = reinterpret_cast<xdrproc_t>(xdr_Device_RemoteFunc);
            break;
        case destroy_intr_chan:
            decode = xdrNothing;
            break;
        default:
            break;
        }
    }
    if (!decode)
        return reject(PROC_UNAVAIL);
    const bool decoded = decode(&x, &args, 0);
    xdr_destroy(&x);
    if (!decoded) {
        xdr_free(decode, reinterpret_cast<char*>(&args));
        send(c, encodeReply(xid, GARBAGE_ARGS, nullptr, nullptr, 0));
        return true;
    }

    const std::int64_t now = platform::monotonicMs();
    Call call;
    call.xid = xid;
    call.proc = proc;
    const auto timeouts = [&](unsigned long lockMs, unsigned long ioMs) {
        call.lockUntil = now + static_cast<std::int64_t>(lockMs);
        call.ioUntil = now + static_cast<std::int64_t>(ioMs);
    };
    switch (c.abortChannel ? 0u : proc) {
    case create_link:
        call.lockDevice = args.create.lockDevice;
        call.device = args.create.device ? args.create.device : "";
        timeouts(args.create.lock_timeout, 0);
        break;
    case device_write:
        call.lid = args.write.lid;
        call.flags = args.write.flags;
        call.data.assign(args.write.data.data_val, args.write.data.data_len);
        timeouts(args.write.lock_timeout, args.write.io_timeout);
        break;
    case device_read:
        call.lid = args.read.lid;
        call.flags = args.read.flags;
        call.requestSize = args.read.requestSize;
        call.termChar = args.read.termChar;
        timeouts(args.read.lock_timeout, args.read.io_timeout);
        break;
    case device_readstb:
    case device_trigger:
    case device_clear:
    case device_remote:
    case device_local:
        call.lid = args.generic.lid;
        call.flags = args.generic.flags;
        timeouts(args.generic.lock_timeout, args.generic.io_timeout);
        break;
    case device_lock:
        call.lid = args.lock.lid;
        call.flags = args.lock.flags;
        timeouts(args.lock.lock_timeout, 0);
        break;
    case device_enable_srq:
        call.lid = args.srq.lid;
        break;
    case device_docmd:
        call.lid = args.docmd.lid;
        break;
    case 0: // device_abort
    case device_unlock:
    case destroy_link:
        call.lid = args.link;
        break;
    default:
        break;
    }
    xdr_free(decode, reinterpret_cast<char*>(&args));
    if (!(c.abortChannel ? attemptAbort(c, call) : attempt(c, call)))
        c.waiting = std::move(call);
    return true;
}

void Channel::answerError(Conn& c, const Call& call, long error) {
    switch (call.proc) {
    case create_link: {
        Create_LinkResp r{};
        r.error = error;
        send(c, encodeReply(call.xid, SUCCESS, reinterpret_cast<xdrproc_t>(xdr_Create_LinkResp), &r,
                            64));
        break;
    }
    case device_write: {
        Device_WriteResp r{};
        r.error = error;
        send(c, encodeReply(call.xid, SUCCESS, reinterpret_cast<xdrproc_t>(xdr_Device_WriteResp),
                            &r, 64));
        break;
    }
    case device_read: {
        Device_ReadResp r{};
        r.error = error;
        send(c, encodeReply(call.xid, SUCCESS, reinterpret_cast<xdrproc_t>(xdr_Device_ReadResp), &r,
                            64));
        break;
    }
    case device_readstb: {
        Device_ReadStbResp r{};
        r.error = error;
        send(c, encodeReply(call.xid, SUCCESS, reinterpret_cast<xdrproc_t>(xdr_Device_ReadStbResp),
                            &r, 64));
        break;
    }
    case device_docmd: {
        Device_DocmdResp r{};
        r.error = error;
        send(c, encodeReply(call.xid, SUCCESS, reinterpret_cast<xdrproc_t>(xdr_Device_DocmdResp),
                            &r, 64));
        break;
    }
    default: {
        Device_Error r{};
        r.error = error;
        send(c,
             encodeReply(call.xid, SUCCESS, reinterpret_cast<xdrproc_t>(xdr_Device_Error), &r, 64));
        break;
    }
    }
}

bool Channel::attemptAbort(Conn& c, Call& call) {
    Link* link = findLink(call.lid);
    if (!link) {
        answerError(c, call, InvalidLink);
        return true;
    }
    // The link's waiting call, a read, a write or a wait for the lock, ends at once.
    Conn& core = *link->conn;
    if (core.waiting && core.waiting->lid == call.lid && core.waiting->proc != create_link) {
        Call aborted = std::move(*core.waiting);
        core.waiting.reset();
        answerError(core, aborted, Aborted);
        pump(core);
    }
    answerError(c, call, NoError);
    return true;
}

void Channel::feedMessage(Link& link) {
    if (link.overlong) {
        // Longer than any line: the instrument language answers it with "too much data".
        link.scpi->receive(std::string(scpi::Connection::MaxLineBytes + 2, ' '));
        link.scpi->receive("\n");
    } else {
        if (link.message.empty() || link.message.back() != '\n')
            link.message += '\n';
        link.scpi->receive(link.message);
    }
    link.message.clear();
    link.overlong = false;
}

bool Channel::attempt(Conn& c, Call& call) {
    const std::int64_t now = platform::monotonicMs();
    // Waits while `blocked` holds and time is left; else answers `error` when still blocked.
    // True when the call must wait; answered says whether it was answered instead.
    bool answered = false;
    const auto waitFor = [&](bool blocked, std::int64_t until, long error) {
        if (!blocked)
            return false;
        if (now < until) {
            call.waitUntil = until;
            return true;
        }
        answerError(c, call, error);
        answered = true;
        return false;
    };

    if (call.proc == create_link) {
        if (!isInst0(call.device)) {
            answerError(c, call, DeviceNotAccessible);
            return true;
        }
        if (waitFor(call.lockDevice && lockHolder_ != 0, call.lockUntil, Locked))
            return false;
        if (answered)
            return true;
        if (!host_.takeClientSlot()) {
            host_.report(ClientEvent::RefusedFull, c.peer, true);
            answerError(c, call, OutOfResources);
            return true;
        }
        auto link = std::make_unique<Link>();
        link->id = nextLinkId_++;
        if (nextLinkId_ > 0x7FFFFFFF)
            nextLinkId_ = 1;
        link->conn = &c;
        link->peer = c.peer;
        link->scpi =
            std::make_unique<scpi::Connection>(host_.instrument(), host_.maxWaitingReply());
        if (call.lockDevice)
            lockHolder_ = link->id;
        Create_LinkResp r{};
        r.error = NoError;
        r.lid = link->id;
        r.abortPort = abortBound_.port;
        r.maxRecvSize = MaxRecvSize;
        links_.push_back(std::move(link));
        host_.report(ClientEvent::Connected, c.peer, true);
        send(c, encodeReply(call.xid, SUCCESS, reinterpret_cast<xdrproc_t>(xdr_Create_LinkResp), &r,
                            64));
        return true;
    }
    if (call.proc == create_intr_chan) {
        answerError(c, call, NotSupported);
        return true;
    }
    if (call.proc == destroy_intr_chan) {
        answerError(c, call, ChannelNotEstablished);
        return true;
    }

    Link* link = findLink(call.lid);
    if (!link || link->conn != &c) {
        answerError(c, call, InvalidLink);
        return true;
    }
    const bool lockedOut = lockHolder_ != 0 && lockHolder_ != link->id;
    switch (call.proc) {
    case destroy_link:
        destroyLink(*link, ClientEvent::Disconnected);
        answerError(c, call, NoError);
        return true;
    case device_unlock:
        if (lockHolder_ != link->id) {
            answerError(c, call, NoLockHeld);
            return true;
        }
        answerError(c, call, NoError);
        releaseLock(link->id);
        return true;
    case device_lock:
        if (waitFor(lockedOut, (call.flags & FlagWaitLock) ? call.lockUntil : 0, Locked))
            return false;
        if (!answered) {
            lockHolder_ = link->id;
            answerError(c, call, NoError);
        }
        return true;
    case device_enable_srq:
    case device_docmd:
        answerError(c, call, NotSupported);
        return true;
    default:
        break;
    }

    // Every other call waits for the lock only when asked to, and only as long as it says.
    if (waitFor(lockedOut, (call.flags & FlagWaitLock) ? call.lockUntil : 0, Locked))
        return false;
    if (answered)
        return true;
    scpi::Connection& scpi = *link->scpi;
    switch (call.proc) {
    case device_write: {
        // A link whose earlier messages still wait to run takes no more until they have.
        if (waitFor(!scpi.wantsInput(), call.ioUntil, IoTimeout))
            return false;
        if (answered)
            return true;
        if (link->overlong ||
            link->message.size() + call.data.size() > scpi::Connection::MaxLineBytes + 2) {
            link->overlong = true;
            link->message.clear();
        } else {
            link->message += call.data;
        }
        if (call.flags & FlagEnd)
            feedMessage(*link);
        Device_WriteResp r{};
        r.size = static_cast<unsigned long>(call.data.size());
        send(c, encodeReply(call.xid, SUCCESS, reinterpret_cast<xdrproc_t>(xdr_Device_WriteResp),
                            &r, 64));
        return true;
    }
    case device_read: {
        if (waitFor(scpi.output().empty() && call.requestSize > 0, call.ioUntil, IoTimeout))
            return false;
        if (answered)
            return true;
        const std::string_view out = scpi.output();
        std::size_t n = std::min<std::size_t>({call.requestSize, out.size(), MaxRecvSize});
        long reason = 0;
        // A reply ends at its line end, which the instrument sends with END.
        const std::size_t lineEnd = out.substr(0, n).find('\n');
        if (lineEnd != std::string_view::npos) {
            n = lineEnd + 1;
            reason |= ReasonEnd;
        }
        if (call.flags & FlagTermChar) {
            const std::size_t term = out.substr(0, n).find(call.termChar);
            if (term != std::string_view::npos) {
                if (term + 1 < n)
                    reason &= ~ReasonEnd;
                n = term + 1;
                reason |= ReasonTermChar;
            }
        }
        if (n == call.requestSize)
            reason |= ReasonRequestCount;
        std::string data(out.substr(0, n));
        scpi.consumeOutput(n);
        Device_ReadResp r{};
        r.reason = reason;
        r.data.data_len = static_cast<u_int>(data.size());
        r.data.data_val = data.data();
        send(c, encodeReply(call.xid, SUCCESS, reinterpret_cast<xdrproc_t>(xdr_Device_ReadResp), &r,
                            data.size() + 64));
        return true;
    }
    case device_readstb: {
        scpi.client().messageAvailable = !scpi.output().empty();
        Device_ReadStbResp r{};
        r.stb = scpi.client().statusByte();
        send(c, encodeReply(call.xid, SUCCESS, reinterpret_cast<xdrproc_t>(xdr_Device_ReadStbResp),
                            &r, 64));
        return true;
    }
    case device_clear:
        link->message.clear();
        link->overlong = false;
        scpi.clear();
        answerError(c, call, NoError);
        return true;
    case device_trigger:
        // The supply has no trigger to start.
        answerError(c, call, NotSupported);
        return true;
    default: // device_remote, device_local: the supply has no local lock-out; no effect.
        answerError(c, call, NoError);
        return true;
    }
}

void Channel::send(Conn& c, std::string framed) {
    if (framed.empty()) {
        c.dropAs = ClientEvent::DroppedBadInput;
        return;
    }
    if (c.outStart == c.out.size()) {
        c.out.clear();
        c.outStart = 0;
    }
    c.out += framed;
    flush(c);
}

void Channel::flush(Conn& c) {
    while (c.unsent() > 0 && !c.dropAs) {
        std::size_t sent = 0;
        const platform::SocketResult r =
            platform::sendSome(c.socket, c.out.data() + c.outStart, c.unsent(), sent);
        if (r == platform::SocketResult::WouldBlock)
            break;
        if (r != platform::SocketResult::Ok) {
            c.dropAs = ClientEvent::Disconnected;
            return;
        }
        c.outStart += sent;
    }
    if (c.outStart == c.out.size()) {
        c.out.clear();
        c.outStart = 0;
    } else if (c.outStart > 64 * 1024) {
        c.out.erase(0, c.outStart);
        c.outStart = 0;
    }
}

void Channel::retry(Conn& c) {
    if (!c.waiting || c.dropAs)
        return;
    if (c.abortChannel ? attemptAbort(c, *c.waiting) : attempt(c, *c.waiting)) {
        c.waiting.reset();
        pump(c);
    }
}

void Channel::releaseLock(long id) {
    if (lockHolder_ != id)
        return;
    lockHolder_ = 0;
    retryNeeded_ = true;
}

void Channel::destroyLink(Link& link, ClientEvent why) {
    if (!link.conn)
        return;
    link.conn = nullptr;
    // Bytes without END never run; complete messages still do, their replies unread.
    link.message.clear();
    link.scpi->consumeOutput(link.scpi->output().size());
    host_.releaseClientSlot();
    host_.report(why, link.peer, true);
    releaseLock(link.id);
}

void Channel::sweep() {
    for (std::size_t i = 0; i < conns_.size();) {
        Conn& c = *conns_[i];
        if (!c.dropAs) {
            ++i;
            continue;
        }
        const ClientEvent why = *c.dropAs;
        bool hadLink = false;
        for (auto& l : links_) {
            if (l->conn == &c) {
                hadLink = true;
                destroyLink(*l, why);
            }
        }
        platform::closeSocket(c.socket);
        const SocketAddress peer = c.peer;
        conns_.erase(conns_.begin() + static_cast<std::ptrdiff_t>(i));
        // A connection that broke the protocol is named even without a link.
        if (!hadLink && why == ClientEvent::DroppedBadInput)
            host_.report(why, peer, false);
    }
    links_.erase(std::remove_if(links_.begin(), links_.end(),
                                [](const auto& l) { return !l->conn && !l->scpi->hasWork(); }),
                 links_.end());
}

void Channel::settle() {
    do {
        while (retryNeeded_) {
            retryNeeded_ = false;
            for (std::size_t i = 0; i < conns_.size(); ++i)
                retry(*conns_[i]);
        }
        sweep();
    } while (retryNeeded_);
}

bool Channel::hasWork() const {
    return std::any_of(links_.begin(), links_.end(),
                       [](const auto& l) { return l->scpi->hasWork(); });
}

void Channel::executeNext() {
    for (std::size_t i = 0; i < links_.size(); ++i) {
        Link& l = *links_[(nextTurn_ + i) % links_.size()];
        if (!l.scpi->hasWork())
            continue;
        nextTurn_ = (nextTurn_ + i + 1) % links_.size();
        executing_ = &l.peer;
        l.scpi->executeNext();
        executing_ = nullptr;
        if (!l.conn) {
            l.scpi->consumeOutput(l.scpi->output().size());
        } else if (l.scpi->overflowed()) {
            l.conn->dropAs = ClientEvent::DroppedNotReading;
        } else {
            retry(*l.conn);
        }
        settle();
        return;
    }
}

std::optional<std::int64_t> Channel::nextDeadlineMs() const {
    std::optional<std::int64_t> first;
    for (const auto& c : conns_)
        if (c->waiting && (!first || c->waiting->waitUntil < *first))
            first = c->waiting->waitUntil;
    return first;
}

void Channel::serviceDeadlines() {
    const std::int64_t now = platform::monotonicMs();
    for (auto& c : conns_)
        if (c->waiting && c->waiting->waitUntil <= now)
            retry(*c);
    settle();
}

} // namespace

std::unique_ptr<Vxi11Channel> makeVxi11Channel(Vxi11Host& host) {
    return std::make_unique<Channel>(host);
}

} // namespace remote
