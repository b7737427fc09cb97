#include "remote/RpcCall.h"

namespace remote::rpc {

std::string encodeCall(std::uint32_t xid, const Procedure& p, xdrproc_t encode, void* args,
                       std::size_t capacity) {
    rpc_msg m{};
    m.rm_xid = xid;
    m.rm_direction = CALL;
    m.rm_call.cb_rpcvers = 2;
    m.rm_call.cb_prog = p.program;
    m.rm_call.cb_vers = p.version;
    m.rm_call.cb_proc = p.proc;
    m.rm_call.cb_cred = _null_auth;
    m.rm_call.cb_verf = _null_auth;
    std::string buffer(capacity, '\0');
    XDR x;
    xdrmem_create(&x, buffer.data(), static_cast<u_int>(buffer.size()), XDR_ENCODE);
    const bool encoded = xdr_callmsg(&x, &m) && (!encode || encode(&x, args, 0));
    buffer.resize(encoded ? xdr_getpos(&x) : 0);
    xdr_destroy(&x);
    return buffer;
}

Reply decodeReply(std::string record, xdrproc_t decode, void* result) {
    XDR x;
    xdrmem_create(&x, record.data(), static_cast<u_int>(record.size()), XDR_DECODE);
    rpc_msg m{};
    m.acpted_rply.ar_verf = _null_auth;
    m.acpted_rply.ar_results.where = static_cast<char*>(result);
    m.acpted_rply.ar_results.proc = decode;
    Reply r;
    r.decoded = xdr_replymsg(&x, &m);
    xdr_destroy(&x);
    r.xid = m.rm_xid;
    r.status = m.rm_reply.rp_stat;
    r.accepted = m.acpted_rply.ar_stat;
    return r;
}

} // namespace remote::rpc
