#include "firmware/UpdateProcedure.h"

#include "firmware/BootLoader.h"
#include "firmware/HexImage.h"
#include "resources/Texts.h"

#include <cstdio>

namespace UpdateProcedure {

std::string addressText(int wordAddress) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04x", static_cast<unsigned>(wordAddress));
    return text;
}

const char* message(Outcome outcome) {
    switch (outcome) {
    case Outcome::Completed:
        return texts::FirmwareDone;
    case Outcome::CannotOpen:
        return texts::FirmwareFileOpenFailed;
    case Outcome::ReadError:
        return texts::FirmwareFileReadFailed;
    case Outcome::NothingToWrite:
        return texts::FirmwareFileNoProgram;
    case Outcome::ConnectFailed:
        return texts::FirmwareConnectFailed;
    case Outcome::EraseFailed:
        return texts::FirmwareEraseFailed;
    case Outcome::TransferFailed:
        return texts::FirmwareTransferFailed;
    }
    return "";
}

Result run(const std::string& portName, const std::string& filePath, const Callbacks& callbacks) {
    // However the run ends, after its message: the link is closed.
    struct End {
        ~End() { BootLoader::disconnect(); }
    } end;
    auto finish = [&](Outcome outcome, DeviceResult device = DeviceResult::Ok) {
        if (callbacks.finished)
            callbacks.finished(outcome);
        return Result{outcome, device};
    };

    // The whole file is read before the boot-loader is contacted, so a missing, malformed or
    // empty file never erases the device.
    HexImage::Bytes image{};
    switch (HexImage::load(filePath, image)) {
    case HexImageResult::Loaded:
        break;
    case HexImageResult::CannotOpen:
        return finish(Outcome::CannotOpen);
    case HexImageResult::ReadError:
        return finish(Outcome::ReadError);
    }
    // The erase that comes first would leave a device without firmware if the blocks that
    // follow held only blank words, as they do for a file of nothing but its end record or
    // one whose program lies below the range the boot-loader writes.
    if (HexImage::isBlank(image, FirstBlockByte, HexImage::Size))
        return finish(Outcome::NothingToWrite);

    if (DeviceResult r = BootLoader::connect(portName); r != DeviceResult::Ok)
        return finish(Outcome::ConnectFailed, r);
    if (DeviceResult r = BootLoader::eraseFlash(); r != DeviceResult::Ok)
        return finish(Outcome::EraseFailed, r);

    // All blocks in ascending order straight after the erase: the boot-loader places each
    // one after the last. A failed block leaves the device in its boot-loader, ready for
    // another run.
    if (callbacks.transferStarting)
        callbacks.transferStarting(FirstWord, EndWord);
    DeviceResult sent = DeviceResult::Ok;
    for (int block = 0; block < BlockCount && sent == DeviceResult::Ok; ++block) {
        const int a = FirstBlockByte + block * BootLoader::BlockBytes;
        if (callbacks.blockStarting)
            callbacks.blockStarting(a / 2);
        sent = BootLoader::writeBlock(image.data() + a);
        if (callbacks.blockDone)
            callbacks.blockDone(a / 2, sent == DeviceResult::Ok);
    }
    if (callbacks.transferEnded)
        callbacks.transferEnded();
    if (sent != DeviceResult::Ok)
        return finish(Outcome::TransferFailed, sent);

    Result done = finish(Outcome::Completed);
    BootLoader::quit();
    return done;
}

} // namespace UpdateProcedure
