#include "support/ZoneForTest.h"

#include <cstdlib>
#include <ctime>

ZoneForTest::ZoneForTest(const char* zone) {
    const char* old = std::getenv("TZ");
    hadOld_ = old != nullptr;
    if (hadOld_)
        old_ = old;
    setenv("TZ", zone, 1);
    tzset();
}

ZoneForTest::~ZoneForTest() {
    if (hadOld_)
        setenv("TZ", old_.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}
