#pragma once

#include <string>

// Runs a test in a time zone of its own (restored afterwards), so that its local times,
// midnights and daylight-saving changes are the same on every machine. The zone is a TZ
// value ("UTC0", "JST-9", "CET-1CEST,M3.5.0,M10.5.0/3").
class ZoneForTest {
public:
    explicit ZoneForTest(const char* zone);
    ~ZoneForTest();
    ZoneForTest(const ZoneForTest&) = delete;
    ZoneForTest& operator=(const ZoneForTest&) = delete;

private:
    bool hadOld_ = false;
    std::string old_;
};
