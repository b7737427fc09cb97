#include "sequence/Sequence.h"

namespace sequence {

const char* rampName(Ramp ramp) {
    return ramp == Ramp::Linear ? "linear" : "step";
}

std::optional<Ramp> rampFromName(const std::string& name) {
    if (name == "step")
        return Ramp::Step;
    if (name == "linear")
        return Ramp::Linear;
    return std::nullopt;
}

std::optional<Sequence> fromLists(const std::vector<double>& volts, const std::vector<double>& amps,
                                  const std::vector<double>& seconds, unsigned repeat) {
    const std::size_t n = volts.size();
    if (n == 0 || amps.size() != n || seconds.size() != n)
        return std::nullopt;
    Sequence s;
    s.repeat = repeat;
    for (std::size_t i = 0; i < n; ++i)
        s.steps.push_back({volts[i], amps[i], seconds[i], Ramp::Step});
    return s;
}

} // namespace sequence
