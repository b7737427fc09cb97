// VXI-11 is not offered on Windows: the ONC RPC library it is built on is Linux's.
#include "remote/Vxi11.h"

namespace remote {

std::unique_ptr<Vxi11Channel> makeVxi11Channel(Vxi11Host&) {
    return nullptr;
}

} // namespace remote
