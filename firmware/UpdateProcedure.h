#pragma once

#include "device/DeviceResult.h"
#include "firmware/HexImage.h"

#include <functional>
#include <string>

// The firmware update apart from any window: read the whole HEX file, connect to the
// boot-loader, erase, send the 384 blocks in ascending order, quit. The update dialog and the
// command-line tool both run it; what they show on the way is theirs, through the callbacks.
namespace UpdateProcedure {

constexpr int FirstBlockByte = 0x400;
constexpr int BlockCount = 384;
// The range of word addresses the progress shows, from the first block to the end of the
// image.
constexpr int FirstWord = FirstBlockByte / 2;
constexpr int EndWord = HexImage::Size / 2;

enum class Outcome {
    Completed,
    CannotOpen,     // the file could not be opened; the device was not contacted
    ReadError,      // a malformed line; the device was not contacted
    NothingToWrite, // the file programs no word the boot-loader writes; not contacted
    ConnectFailed,  // no boot-loader answered on the port; its flash is untouched
    EraseFailed,    // the device stays in its boot-loader, ready for another run
    TransferFailed, // likewise, after a block that was not acknowledged
};

struct Result {
    Outcome outcome = Outcome::Completed;
    // The boot-loader operation's result for the last three outcomes, Ok otherwise.
    DeviceResult device = DeviceResult::Ok;
};

// Every callback may be empty.
struct Callbacks {
    // The flash is erased and the blocks are about to go: the progress range in word
    // addresses (FirstWord, EndWord).
    std::function<void(int lowWord, int highWord)> transferStarting;
    // Before each block, with the word address it is written to.
    std::function<void(int wordAddress)> blockStarting;
    // After each block's reply, acknowledged or not.
    std::function<void(int wordAddress, bool acknowledged)> blockDone;
    // After the last block sent or the first one that failed.
    std::function<void()> transferEnded;
    // The outcome's message, while the link is still open. For Completed the quit command
    // follows only once this returns, so an operator can be asked to confirm first.
    std::function<void(Outcome)> finished;
};

// The message that reports an outcome.
const char* message(Outcome outcome);

// A word address as the transfer's progress shows it: "0x%04x".
std::string addressText(int wordAddress);

// Runs the whole procedure on the port; the boot-loader link is closed when it returns.
Result run(const std::string& portName, const std::string& filePath, const Callbacks& callbacks);

} // namespace UpdateProcedure
