#include "plot/SampleBuffer.h"

#include <algorithm>

SampleBuffer::SampleBuffer() : entries_(new PlotSample[capacity]()) {}

void SampleBuffer::add(platform::Seconds time, double value) {
    entries_[next_] = PlotSample{value, time};
    ++added_;
    next_ = stepIndex(next_);
    // Entry 7199 holds a time only once the ring has been filled; from then on every new
    // sample pushes out the oldest one.
    if (first_ == lastIndex)
        first_ = 0;
    else if (entries_[lastIndex].time != 0)
        first_ = stepIndex(first_);
}

void SampleBuffer::clear() {
    std::fill(entries_.get(), entries_.get() + capacity, PlotSample{});
    added_ = 0;
    first_ = lastIndex;
    next_ = 0;
}
