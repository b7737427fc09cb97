#pragma once

#include "device/SerialPort.h"

#include <string>

// The system-log line that follows a failed connect when the port is there but could not be
// opened: for lack of permission, with the remedy (joining the group that owns the device,
// then logging in again), or because another program holds it. Empty for any other failure,
// which the line of the failed connect already tells.
std::string
portAccessMessage(const std::string& portName,
                  const SerialPort::OpenFailure& failure = SerialPort::lastOpenFailure());
