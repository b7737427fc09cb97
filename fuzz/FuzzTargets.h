#pragma once

#include <cstddef>
#include <cstdint>

// The bodies of the fuzz targets. Each runs one input through the program's own code and
// returns 0. A broken property is written to stderr and ends the process with abort(), which
// libFuzzer records as a crash and the corpus replay test as a failure.

// Arbitrary bytes as the content of a firmware HEX file.
int fuzzHexImage(const std::uint8_t* data, std::size_t size);

// Arbitrary bytes as the content of the INI file, plus the name pair and the value to write;
// see IniTarget.cpp for the layout. A write must leave every line but its own as it was.
int fuzzIni(const std::uint8_t* data, std::size_t size);

// Arbitrary bytes as the replies of the device (the main firmware or its boot-loader) on a
// simulated supply; see DeviceRepliesTarget.cpp for the layout. Each input takes a few
// seconds at most.
int fuzzDeviceReplies(const std::uint8_t* data, std::size_t size);

// Arbitrary bytes as one line of the instrument language; see ScpiLineTarget.cpp.
int fuzzScpiLine(const std::uint8_t* data, std::size_t size);

// Arbitrary bytes as one client's stream to the instrument language, cut at arbitrary
// points; see ScpiStreamTarget.cpp.
int fuzzScpiStream(const std::uint8_t* data, std::size_t size);

// Arbitrary bytes as a step file, and the plan made from it; see SequenceFileTarget.cpp.
int fuzzSequenceFile(const std::uint8_t* data, std::size_t size);

// Arbitrary bytes as one client's stream on the VXI-11 core channel of a server on
// 127.0.0.1, cut at arbitrary points; see Vxi11StreamTarget.cpp.
int fuzzVxi11Stream(const std::uint8_t* data, std::size_t size);
