#include "scpi/ClientState.h"

namespace scpi {

void ClientState::raise(Error error, std::string detail) {
    int bit = eventBitOf(error);
    if (bit >= 0)
        setEvent(bit);
    // The overflow is a device-specific error of its own, with its own bit.
    if (!errors.push(error, std::move(detail)))
        setEvent(eventBitOf(Error::QueueOverflow));
}

std::uint8_t ClientState::statusByte() const {
    unsigned stb = 0;
    if (!errors.empty())
        stb |= 1u << StatusBit::ErrorAvailable;
    if (messageAvailable)
        stb |= 1u << StatusBit::MessageAvailable;
    if (eventStatus & eventEnable)
        stb |= 1u << StatusBit::EventSummary;
    if (stb & serviceEnable)
        stb |= 1u << StatusBit::RequestService;
    return static_cast<std::uint8_t>(stb);
}

void ClientState::clear() {
    eventStatus = 0;
    errors.clear();
}

} // namespace scpi
