#pragma once

#include <string>

// What the simulated supply received after a connect's handshake (the synchronising "X" bytes
// and the identify command "I"): its first letter is the first command of the session. Empty
// when no handshake came.
inline std::string afterHandshake(const std::string& received) {
    const auto sync = received.find('X');
    if (sync == std::string::npos)
        return {};
    const auto identify = received.find('I', sync);
    return identify == std::string::npos ? std::string() : received.substr(identify + 1);
}
