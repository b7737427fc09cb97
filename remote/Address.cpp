#include "remote/Address.h"

namespace remote {

namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// A decimal number of at most `max` without sign or leading zeros.
bool parseDecimal(std::string_view text, unsigned max, unsigned& out) {
    if (text.empty() || text.size() > 5 || (text.size() > 1 && text[0] == '0'))
        return false;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value > max)
        return false;
    out = value;
    return true;
}

std::uint32_t maskOf(int prefixLength) {
    return prefixLength == 0 ? 0 : ~std::uint32_t{0} << (32 - prefixLength);
}

} // namespace

bool Network::contains(std::uint32_t ipv4) const {
    return (ipv4 & maskOf(prefixLength)) == (address & maskOf(prefixLength));
}

bool isLoopback(std::uint32_t ipv4) {
    return (ipv4 >> 24) == 127;
}

AddressError parseAddress(std::string_view text, std::uint32_t& out) {
    if (text.empty())
        return AddressError::Empty;
    if (text == "localhost") {
        out = LoopbackAddress;
        return AddressError::None;
    }
    std::uint32_t address = 0;
    for (int part = 0; part < 4; ++part) {
        std::size_t dot = text.find('.');
        if ((part < 3) != (dot != std::string_view::npos))
            return AddressError::BadAddress;
        unsigned value = 0;
        if (!parseDecimal(text.substr(0, dot), 255, value))
            return AddressError::BadAddress;
        address = address << 8 | value;
        text.remove_prefix(part < 3 ? dot + 1 : text.size());
    }
    out = address;
    return AddressError::None;
}

namespace {

// "ADDR" or "ADDR<separator>NUMBER" with NUMBER at most `max`; `number` is left alone when
// the text has none.
AddressError parseAddressAndNumber(std::string_view text, char separator, unsigned max,
                                   AddressError badNumber, std::uint32_t& address,
                                   unsigned& number) {
    text = trimmed(text);
    std::size_t at = text.rfind(separator);
    if (AddressError e = parseAddress(text.substr(0, at), address); e != AddressError::None)
        return e;
    if (at != std::string_view::npos && !parseDecimal(text.substr(at + 1), max, number))
        return badNumber;
    return AddressError::None;
}

} // namespace

AddressError parseEndpoint(std::string_view text, SocketAddress& out) {
    std::uint32_t address = 0;
    unsigned port = DefaultPort;
    AddressError e = parseAddressAndNumber(text, ':', 65535, AddressError::BadPort, address, port);
    if (e == AddressError::None)
        out = {address, static_cast<std::uint16_t>(port)};
    return e;
}

AddressError parseNetwork(std::string_view text, Network& out) {
    std::uint32_t address = 0;
    unsigned length = 32;
    AddressError e = parseAddressAndNumber(text, '/', 32, AddressError::BadPrefix, address, length);
    if (e == AddressError::None)
        out = {address & maskOf(static_cast<int>(length)), static_cast<int>(length)};
    return e;
}

AddressError parseAllowList(std::string_view text, std::vector<Network>& out) {
    if (trimmed(text).empty())
        return AddressError::Empty;
    std::vector<Network> networks;
    while (true) {
        std::size_t comma = text.find(',');
        Network n;
        AddressError e = parseNetwork(text.substr(0, comma), n);
        if (e != AddressError::None)
            return e == AddressError::Empty ? AddressError::BadAddress : e;
        networks.push_back(n);
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    out = std::move(networks);
    return AddressError::None;
}

std::string formatAddress(std::uint32_t ipv4) {
    return std::to_string(ipv4 >> 24) + "." + std::to_string((ipv4 >> 16) & 0xFF) + "." +
           std::to_string((ipv4 >> 8) & 0xFF) + "." + std::to_string(ipv4 & 0xFF);
}

std::string formatEndpoint(const SocketAddress& endpoint) {
    return formatAddress(endpoint.ipv4) + ":" + std::to_string(endpoint.port);
}

} // namespace remote
