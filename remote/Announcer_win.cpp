// Windows has no Avahi: the instrument is not announced there.
#include "remote/Announcer.h"

namespace remote {

std::unique_ptr<Announcer> makeAnnouncer(Announcer::LogFunction) {
    return nullptr;
}

} // namespace remote
