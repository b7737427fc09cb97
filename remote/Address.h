#pragma once

#include "platform/Socket.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Where the instrument server listens and whom it lets in, as the user writes them:
// "127.0.0.1:5025", "192.168.1.0/24,10.0.0.7".
namespace remote {

using platform::SocketAddress;

constexpr std::uint32_t LoopbackAddress = 0x7F000001; // 127.0.0.1
constexpr std::uint16_t DefaultPort = 5025;           // the instrument language's usual port

enum class AddressError {
    None,
    Empty,
    BadAddress, // not four decimal parts of 0..255, nor "localhost"
    BadPort,    // not a decimal number of 0..65535
    BadPrefix,  // a network length outside 0..32
};

// A network of the allow list: the addresses whose first `prefixLength` bits are `address`'s.
struct Network {
    std::uint32_t address = 0;
    int prefixLength = 32;
    bool contains(std::uint32_t ipv4) const;
};

bool isLoopback(std::uint32_t ipv4); // 127.0.0.0/8

// "a.b.c.d" (no leading zeros, which some readers take for octal) or "localhost".
AddressError parseAddress(std::string_view text, std::uint32_t& out);
// "ADDR:PORT", or "ADDR" for the default port; port 0 asks for a free one.
AddressError parseEndpoint(std::string_view text, SocketAddress& out);
// "ADDR/N", or "ADDR" alone for that one address; host bits below the prefix are dropped.
AddressError parseNetwork(std::string_view text, Network& out);
// Networks separated by commas, blanks around each allowed.
AddressError parseAllowList(std::string_view text, std::vector<Network>& out);

std::string formatAddress(std::uint32_t ipv4);
std::string formatEndpoint(const SocketAddress& endpoint); // "127.0.0.1:5025"

} // namespace remote
