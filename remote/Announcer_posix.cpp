// The announcer on Linux: Avahi's client library, which speaks to the system's Avahi daemon
// over D-Bus, driven through an AvahiPoll of our own that hands its sockets and time-outs to
// the instrument server's loop, so that every call into Avahi happens on that loop's thread.
#include "remote/Announcer.h"

#include "platform/Clock.h"
#include "resources/TextFormat.h"
#include "resources/Texts.h"

#include <avahi-client/client.h>
#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/strlst.h>
#include <avahi-common/watch.h>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/time.h>

#include <algorithm>
#include <utility>

namespace remote {
class AvahiLoop;
}

// A socket Avahi wants watched, and what for; what happened while its callback runs.
struct AvahiWatch {
    remote::AvahiLoop* loop;
    int fd;
    AvahiWatchEvent wanted;
    AvahiWatchEvent happened;
    AvahiWatchCallback callback;
    void* userdata;
    bool dead;
};

// A time Avahi wants a turn at (platform::monotonicMs), once, until armed again.
struct AvahiTimeout {
    remote::AvahiLoop* loop;
    bool armed;
    std::int64_t dueMs;
    AvahiTimeoutCallback callback;
    void* userdata;
    bool dead;
};

namespace remote {

namespace {

// Avahi's times are absolute times of the wall clock; the loop's are monotonic.
std::int64_t monotonicDue(const timeval& tv) {
    timeval now{};
    gettimeofday(&now, nullptr);
    const std::int64_t leftUs = (static_cast<std::int64_t>(tv.tv_sec) - now.tv_sec) * 1000000 +
                                (static_cast<std::int64_t>(tv.tv_usec) - now.tv_usec);
    return platform::monotonicMs() + (leftUs > 0 ? (leftUs + 999) / 1000 : 0);
}

} // namespace

// The loop as Avahi sees it. Watches and time-outs freed inside a callback go once the turn
// ends, since the turn may still be going through them.
class AvahiLoop {
public:
    AvahiLoop() {
        api_.userdata = this;
        api_.watch_new = &watchNew;
        api_.watch_update = [](AvahiWatch* w, AvahiWatchEvent e) { w->wanted = e; };
        api_.watch_get_events = [](AvahiWatch* w) { return w->happened; };
        api_.watch_free = [](AvahiWatch* w) {
            w->dead = true;
            w->loop->sweep();
        };
        api_.timeout_new = &timeoutNew;
        api_.timeout_update = [](AvahiTimeout* t, const timeval* tv) { arm(*t, tv); };
        api_.timeout_free = [](AvahiTimeout* t) {
            t->dead = true;
            t->loop->sweep();
        };
    }

    const AvahiPoll* api() const { return &api_; }

    std::vector<Watch> watches() const {
        std::vector<Watch> out;
        for (const auto& w : watches_)
            if (!w->dead)
                out.push_back(
                    {w->fd, (w->wanted & AVAHI_WATCH_IN) != 0, (w->wanted & AVAHI_WATCH_OUT) != 0});
        return out;
    }

    int dueInMs() const {
        std::optional<std::int64_t> first;
        for (const auto& t : timeouts_)
            if (!t->dead && t->armed && (!first || t->dueMs < *first))
                first = t->dueMs;
        if (!first)
            return -1;
        const std::int64_t left = *first - platform::monotonicMs();
        return static_cast<int>(std::clamp<std::int64_t>(left, 0, 24 * 3600 * 1000));
    }

    // Calls back every watch whose socket is ready and every time-out that is due; never
    // waits.
    void serveTurn() {
        dispatching_ = true;
        std::vector<pollfd> fds;
        std::vector<AvahiWatch*> whose;
        for (const auto& w : watches_) {
            if (w->dead)
                continue;
            fds.push_back({w->fd, static_cast<short>(w->wanted), 0});
            whose.push_back(w.get());
        }
        if (!fds.empty() && ::poll(fds.data(), fds.size(), 0) > 0) {
            for (std::size_t i = 0; i < fds.size(); ++i) {
                AvahiWatch* w = whose[i];
                const short events = fds[i].revents & (POLLIN | POLLOUT | POLLERR | POLLHUP);
                if (events == 0 || w->dead)
                    continue;
                w->happened = static_cast<AvahiWatchEvent>(events);
                w->callback(w, w->fd, w->happened, w->userdata);
                w->happened = static_cast<AvahiWatchEvent>(0);
            }
        }
        // Only the time-outs there were when the turn began: one armed by a callback for now
        // waits for the next turn.
        const std::int64_t now = platform::monotonicMs();
        const std::size_t count = timeouts_.size();
        for (std::size_t i = 0; i < count; ++i) {
            AvahiTimeout* t = timeouts_[i].get();
            if (t->dead || !t->armed || t->dueMs > now)
                continue;
            t->armed = false;
            t->callback(t, t->userdata);
        }
        dispatching_ = false;
        sweep();
    }

private:
    static AvahiWatch* watchNew(const AvahiPoll* api, int fd, AvahiWatchEvent event,
                                AvahiWatchCallback callback, void* userdata) {
        auto* loop = static_cast<AvahiLoop*>(api->userdata);
        loop->watches_.push_back(std::make_unique<AvahiWatch>(AvahiWatch{
            loop, fd, event, static_cast<AvahiWatchEvent>(0), callback, userdata, false}));
        return loop->watches_.back().get();
    }

    static AvahiTimeout* timeoutNew(const AvahiPoll* api, const timeval* tv,
                                    AvahiTimeoutCallback callback, void* userdata) {
        auto* loop = static_cast<AvahiLoop*>(api->userdata);
        loop->timeouts_.push_back(std::make_unique<AvahiTimeout>(
            AvahiTimeout{loop, false, 0, callback, userdata, false}));
        arm(*loop->timeouts_.back(), tv);
        return loop->timeouts_.back().get();
    }

    static void arm(AvahiTimeout& t, const timeval* tv) {
        t.armed = tv != nullptr;
        if (tv)
            t.dueMs = monotonicDue(*tv);
    }

    void sweep() {
        if (dispatching_)
            return;
        std::erase_if(watches_, [](const auto& w) { return w->dead; });
        std::erase_if(timeouts_, [](const auto& t) { return t->dead; });
    }

    AvahiPoll api_{};
    std::vector<std::unique_ptr<AvahiWatch>> watches_;
    std::vector<std::unique_ptr<AvahiTimeout>> timeouts_;
    bool dispatching_ = false;
};

namespace {

// The interface to announce on: the loopback one for a loopback address, the one holding a
// single address, every one for any address.
AvahiIfIndex interfaceFor(std::uint32_t ipv4) {
    if (ipv4 == 0)
        return AVAHI_IF_UNSPEC;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return AVAHI_IF_UNSPEC;
    AvahiIfIndex found = AVAHI_IF_UNSPEC;
    for (const ifaddrs* a = list; a && found == AVAHI_IF_UNSPEC; a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET)
            continue;
        const auto* in = reinterpret_cast<const sockaddr_in*>(a->ifa_addr);
        const bool loopback = (a->ifa_flags & IFF_LOOPBACK) != 0;
        if (ntohl(in->sin_addr.s_addr) == ipv4 || (isLoopback(ipv4) && loopback))
            found = static_cast<AvahiIfIndex>(if_nametoindex(a->ifa_name));
    }
    freeifaddrs(list);
    return found == 0 ? AVAHI_IF_UNSPEC : found;
}

class AvahiAnnouncer final : public Announcer {
public:
    explicit AvahiAnnouncer(LogFunction log) : log_(std::move(log)) {}
    ~AvahiAnnouncer() override { release(); }

    std::vector<Watch> watches() const override { return loop_.watches(); }
    int dueInMs() const override { return loop_.dueInMs(); }
    void serveTurn() override {
        loop_.serveTurn();
        // The client cannot be freed inside its own callbacks.
        if (failed_)
            release();
    }

    void announce(const Announcement& what) override {
        if (failed_)
            release();
        if (client_ && what == what_)
            return;
        if (!client_ || what.instanceName() != what_.instanceName())
            name_ = what.instanceName();
        what_ = what;
        if (client_) {
            if (avahi_client_get_state(client_) == AVAHI_CLIENT_S_RUNNING)
                publish(client_);
            return;
        }
        int error = 0;
        // The first state arrives inside avahi_client_new, before client_ is set: the
        // callbacks use the client they are given.
        client_ = avahi_client_new(loop_.api(), static_cast<AvahiClientFlags>(0), &onClient, this,
                                   &error);
        if (client_)
            return;
        // Avahi is reached over the system bus: without either there is nobody to announce.
        // A failure its callback met is said already.
        if (!failed_)
            log_(error == AVAHI_ERR_NO_DAEMON || error == AVAHI_ERR_DBUS_ERROR
                     ? texts::LogAnnounceNoDaemon.str()
                     : texts::fill(texts::LogAnnounceFailed, avahi_strerror(error)));
        failed_ = false;
    }

    void withdraw() override {
        const bool stood = client_ && !announced_.empty();
        release();
        if (stood)
            log_(texts::LogAnnounceWithdrawn.str());
    }

    bool announcing() const override { return client_ != nullptr; }
    std::string announcedName() const override { return announced_; }

private:
    static void onClient(AvahiClient* c, AvahiClientState state, void* userdata) {
        auto* self = static_cast<AvahiAnnouncer*>(userdata);
        switch (state) {
        case AVAHI_CLIENT_S_RUNNING:
            self->publish(c);
            break;
        case AVAHI_CLIENT_S_COLLISION:
        case AVAHI_CLIENT_S_REGISTERING:
            // The daemon's host name changes: the services come back once it runs again.
            if (self->group_)
                avahi_entry_group_reset(self->group_);
            self->announced_.clear();
            break;
        case AVAHI_CLIENT_FAILURE:
            self->fail(avahi_client_errno(c));
            break;
        case AVAHI_CLIENT_CONNECTING:
            break;
        }
    }

    static void onGroup(AvahiEntryGroup* g, AvahiEntryGroupState state, void* userdata) {
        auto* self = static_cast<AvahiAnnouncer*>(userdata);
        switch (state) {
        case AVAHI_ENTRY_GROUP_ESTABLISHED:
            self->announced_ = self->name_;
            self->log_(texts::fill(texts::LogAnnounced, self->name_));
            break;
        case AVAHI_ENTRY_GROUP_COLLISION: {
            const std::string taken = self->name_;
            self->rename();
            self->log_(texts::fill(texts::LogAnnounceRenamed, taken, self->name_));
            self->publish(avahi_entry_group_get_client(g));
            break;
        }
        case AVAHI_ENTRY_GROUP_FAILURE:
            self->fail(avahi_client_errno(avahi_entry_group_get_client(g)));
            break;
        case AVAHI_ENTRY_GROUP_UNCOMMITED:
        case AVAHI_ENTRY_GROUP_REGISTERING:
            break;
        }
    }

    void rename() {
        char* next = avahi_alternative_service_name(name_.c_str());
        name_ = next;
        avahi_free(next);
    }

    // (Re)publishes every service of the announcement under name_, taking the next name as
    // long as one of ours collides with a name the daemon already knows.
    void publish(AvahiClient* c) {
        if (!group_)
            group_ = avahi_entry_group_new(c, &onGroup, this);
        else
            avahi_entry_group_reset(group_);
        if (!group_) {
            fail(avahi_client_errno(c));
            return;
        }
        announced_.clear();
        constexpr int Names = 32;
        for (int attempt = 0; attempt < Names; ++attempt) {
            const int r = addServices();
            if (r == AVAHI_ERR_COLLISION) {
                const std::string taken = name_;
                rename();
                log_(texts::fill(texts::LogAnnounceRenamed, taken, name_));
                avahi_entry_group_reset(group_);
                continue;
            }
            if (r < 0) {
                fail(r);
                return;
            }
            if (const int committed = avahi_entry_group_commit(group_); committed < 0)
                fail(committed);
            return;
        }
        fail(AVAHI_ERR_COLLISION);
    }

    int addServices() {
        AvahiStringList* txt = nullptr;
        for (const std::string& entry : what_.txtRecord())
            txt = avahi_string_list_add(txt, entry.c_str());
        std::vector<std::pair<const char*, std::uint16_t>> services{
            {"_scpi-raw._tcp", what_.rawPort}};
        if (what_.vxi11Port)
            services.emplace_back("_vxi-11._tcp", *what_.vxi11Port);
        if (what_.httpPort) {
            services.emplace_back("_lxi._tcp", *what_.httpPort);
            services.emplace_back("_http._tcp", *what_.httpPort);
        }
        const AvahiIfIndex where = interfaceFor(what_.listenIpv4);
        int r = 0;
        for (const auto& [type, port] : services) {
            r = avahi_entry_group_add_service_strlst(
                group_, where, AVAHI_PROTO_INET, static_cast<AvahiPublishFlags>(0), name_.c_str(),
                type, nullptr, nullptr, port, txt);
            if (r < 0)
                break;
        }
        avahi_string_list_free(txt);
        return r;
    }

    void fail(int error) {
        if (!failed_)
            log_(texts::fill(texts::LogAnnounceFailed, avahi_strerror(error)));
        failed_ = true;
    }

    void release() {
        // Frees the entry group with the client, and with them their watches and time-outs.
        if (client_)
            avahi_client_free(client_);
        client_ = nullptr;
        group_ = nullptr;
        announced_.clear();
        failed_ = false;
    }

    LogFunction log_;
    AvahiLoop loop_;
    AvahiClient* client_ = nullptr;
    AvahiEntryGroup* group_ = nullptr;
    Announcement what_;
    std::string name_;      // the name asked for now
    std::string announced_; // the name the network accepted; empty until then
    bool failed_ = false;
};

} // namespace

std::unique_ptr<Announcer> makeAnnouncer(Announcer::LogFunction log) {
    return std::make_unique<AvahiAnnouncer>(std::move(log));
}

} // namespace remote
