#pragma once

#include <rpc/rpc.h>

#include <cstddef>
#include <cstdint>
#include <string>

// The caller's side of ONC RPC (RFC 5531) through libtirpc's routines: a call message with
// its arguments, and the decoding of the reply. For the programs that call the VXI-11
// channel as an instrument client would (its tests, its benchmark, its fuzz target); the
// channel itself decodes calls and encodes replies.
namespace remote::rpc {

// A generated XDR routine as the RPC messages take it.
template <typename T> xdrproc_t routine(bool_t (*f)(XDR*, T*)) {
    return reinterpret_cast<xdrproc_t>(f);
}

struct Procedure {
    rpcprog_t program = 0;
    rpcvers_t version = 1;
    rpcproc_t proc = 0;
};

// The call record, not yet framed (RecordMarking.h frames it); `encode` may be null for a
// call without arguments. Empty when the message does not fit in `capacity` bytes.
std::string encodeCall(std::uint32_t xid, const Procedure& p, xdrproc_t encode, void* args,
                       std::size_t capacity = 1024);

struct Reply {
    bool decoded = false;
    std::uint32_t xid = 0;
    reply_stat status = MSG_DENIED;
    accept_stat accepted = SYSTEM_ERR;
    // An accepted call's reply from the one it answers.
    bool succeeded(std::uint32_t callXid) const {
        return decoded && xid == callXid && status == MSG_ACCEPTED && accepted == SUCCESS;
    }
};

// A reply record; an accepted one's results are decoded into `result` by `decode`.
Reply decodeReply(std::string record, xdrproc_t decode, void* result);

} // namespace remote::rpc
