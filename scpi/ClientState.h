#pragma once

#include "scpi/Errors.h"

#include <cstdint>
#include <string>

// What the instrument language keeps for each client: the IEEE 488.2 status registers and
// the error queue. Clients never see each other's errors or events.
namespace scpi {

// Bits of the standard event status register.
namespace Event {
constexpr int OperationComplete = 0;
constexpr int QueryError = 2;
constexpr int DeviceError = 3;
constexpr int ExecutionError = 4;
constexpr int CommandError = 5;
} // namespace Event

// Bits of the status byte.
namespace StatusBit {
constexpr int ErrorAvailable = 2;
constexpr int MessageAvailable = 4;
constexpr int EventSummary = 5;
constexpr int RequestService = 6;
} // namespace StatusBit

struct ClientState {
    ErrorQueue errors;
    std::uint8_t eventStatus = 0;   // *ESR?, cleared by reading and by *CLS
    std::uint8_t eventEnable = 0;   // *ESE
    std::uint8_t serviceEnable = 0; // *SRE, bit 6 always clear
    bool messageAvailable = false;  // replies wait for the client

    // Queues the error and sets its event bit.
    void raise(Error error, std::string detail = {});
    void setEvent(int bit) { eventStatus |= static_cast<std::uint8_t>(1u << bit); }
    // *STB?: the summary bits from the registers, with the master summary in bit 6.
    std::uint8_t statusByte() const;
    // *CLS: the event register and the error queue emptied; the enable masks stay.
    void clear();
};

} // namespace scpi
