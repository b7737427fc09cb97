#include "remote/Address.h"

#include <gtest/gtest.h>

namespace {

using remote::AddressError;

struct EndpointCase {
    const char* name;
    const char* text;
    AddressError error;
    const char* formatted; // the endpoint read, written back
};

class Endpoints : public ::testing::TestWithParam<EndpointCase> {};

TEST_P(Endpoints, ReadAsAddressAndPort) {
    const EndpointCase& c = GetParam();
    remote::SocketAddress e{1, 1};
    EXPECT_EQ(remote::parseEndpoint(c.text, e), c.error);
    if (c.error == AddressError::None) {
        EXPECT_EQ(remote::formatEndpoint(e), c.formatted);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Endpoints,
    ::testing::Values(
        EndpointCase{"LoopbackWithPort", "127.0.0.1:5025", AddressError::None, "127.0.0.1:5025"},
        EndpointCase{"FreePort", "127.0.0.1:0", AddressError::None, "127.0.0.1:0"},
        EndpointCase{"DefaultPort", " 192.168.1.20 ", AddressError::None, "192.168.1.20:5025"},
        EndpointCase{"LocalhostByName", "localhost:6000", AddressError::None, "127.0.0.1:6000"},
        EndpointCase{"EveryInterface", "0.0.0.0:5025", AddressError::None, "0.0.0.0:5025"},
        EndpointCase{"HighestPort", "10.0.0.1:65535", AddressError::None, "10.0.0.1:65535"},
        EndpointCase{"Nothing", "", AddressError::Empty, ""},
        EndpointCase{"PortWithoutAddress", ":5025", AddressError::Empty, ""},
        EndpointCase{"PortBeyondSixteenBits", "127.0.0.1:65536", AddressError::BadPort, ""},
        EndpointCase{"EmptyPort", "127.0.0.1:", AddressError::BadPort, ""},
        EndpointCase{"SignedPort", "127.0.0.1:+80", AddressError::BadPort, ""},
        EndpointCase{"PartAbove255", "127.0.0.256:1", AddressError::BadAddress, ""},
        EndpointCase{"ThreeParts", "127.0.1:1", AddressError::BadAddress, ""},
        EndpointCase{"FiveParts", "1.2.3.4.5:1", AddressError::BadAddress, ""},
        EndpointCase{"LeadingZeroLooksOctal", "010.0.0.1:1", AddressError::BadAddress, ""},
        EndpointCase{"HostName", "example:1", AddressError::BadAddress, ""},
        EndpointCase{"Ipv6", "[::1]:5025", AddressError::BadAddress, ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct NetworkCase {
    const char* name;
    const char* text;
    AddressError error;
    const char* inside;
    const char* outside;
};

class AllowLists : public ::testing::TestWithParam<NetworkCase> {};

TEST_P(AllowLists, AdmitTheirNetworksOnly) {
    const NetworkCase& c = GetParam();
    std::vector<remote::Network> list;
    ASSERT_EQ(remote::parseAllowList(c.text, list), c.error);
    if (c.error != AddressError::None)
        return;
    auto admits = [&](const char* text) {
        std::uint32_t a = 0;
        EXPECT_EQ(remote::parseAddress(text, a), AddressError::None);
        for (const auto& n : list)
            if (n.contains(a))
                return true;
        return false;
    };
    EXPECT_TRUE(admits(c.inside));
    EXPECT_FALSE(admits(c.outside));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AllowLists,
    ::testing::Values(
        NetworkCase{"OneNetwork", "192.168.1.0/24", AddressError::None, "192.168.1.77",
                    "192.168.2.1"},
        NetworkCase{"HostBitsAreDropped", "192.168.1.5/24", AddressError::None, "192.168.1.200",
                    "192.168.0.5"},
        NetworkCase{"SingleAddress", "10.0.0.7", AddressError::None, "10.0.0.7", "10.0.0.8"},
        NetworkCase{"SeveralWithBlanks", "10.0.0.0/8 , 127.0.0.1/32", AddressError::None,
                    "127.0.0.1", "127.0.0.2"},
        NetworkCase{"LoopbackNetwork", "127.0.0.0/8", AddressError::None, "127.1.2.3", "128.0.0.1"},
        NetworkCase{"PrefixAbove32", "10.0.0.0/33", AddressError::BadPrefix, "", ""},
        NetworkCase{"EmptyPrefix", "10.0.0.0/", AddressError::BadPrefix, "", ""},
        NetworkCase{"EmptyItem", "10.0.0.0/8,,", AddressError::BadAddress, "", ""},
        NetworkCase{"EmptyList", " ", AddressError::Empty, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
