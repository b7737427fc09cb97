#include "support/LocalTime.h"

#include "history/TimeText.h"

platform::Seconds localSeconds(int year, int month, int day, int hour, int minute, int second) {
    return history::localSeconds(year, month, day, hour, minute, second);
}
