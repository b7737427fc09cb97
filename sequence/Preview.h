#pragma once

#include "sequence/Sequence.h"

#include <vector>

// The arithmetic of the sequence's preview, apart from painting: the set-points of one round
// as the device will hold them, the power they draw, and where it goes above what the source
// allows.
namespace sequence {

// A corner of the line: a step jumps at its start (two corners at one time), a ramp runs
// straight from one corner to the next.
struct PreviewPoint {
    double seconds = 0.0;
    double volts = 0.0;
    double amps = 0.0;
    bool operator==(const PreviewPoint&) const = default;
};

// One round, values on the device's grids; a ramp at the start starts from the held values
// (a negative one counts as 0).
std::vector<PreviewPoint> previewLine(const std::vector<Step>& steps, double heldVolts,
                                      double heldAmps);

struct PowerPoint {
    double seconds = 0.0;
    double watts = 0.0;
};
// Volts times amperes along the line; where both move, the line is sampled so that the
// bulge of the product shows.
std::vector<PowerPoint> powerLine(const std::vector<PreviewPoint>& line, int samplesPerRamp = 32);

// The stretches of time where the power lies above the capacity, as [from, to) pairs.
struct Span {
    double from = 0.0;
    double to = 0.0;
};
std::vector<Span> overPower(const std::vector<PowerPoint>& power, double capacityWatts);

// The tops of the axes: the largest value with a tenth of room (the power's at least the
// capacity, so that its limit is always in sight); never zero.
struct PreviewTops {
    double seconds = 1.0;
    double volts = 1.0;
    double amps = 0.1;
    double watts = 1.0;
};
PreviewTops previewTops(const std::vector<PreviewPoint>& line, const std::vector<PowerPoint>& power,
                        double capacityWatts);

} // namespace sequence
