#pragma once

#include "plot/PlotSample.h"

#include <QColor>

#include <memory>

// One series slot of the history plot: how the series is drawn, and a fixed ring keeping its
// most recent samples. The ring is taken once, so feeding and painting never allocate.
//
// The valid samples run from first() up to, not including, next(), stepping with the wrap.
// An empty ring has first() 7199 and next() 0, so a walk visits the never-written entry 7199
// once; its time of 0 lies far before any time window and draws nothing.
class SampleBuffer {
public:
    static constexpr int capacity = 7200;
    static constexpr int lastIndex = capacity - 1;

    SampleBuffer();
    SampleBuffer(const SampleBuffer&) = delete;
    SampleBuffer& operator=(const SampleBuffer&) = delete;

    // The one step of every walk over the ring: 7199 wraps to 0.
    static constexpr int stepIndex(int i) { return i == lastIndex ? 0 : i + 1; }

    void add(platform::Seconds time, double value);
    // Empties the ring; the drawing attributes stay as configured.
    void clear();

    int added() const { return added_; }
    int first() const { return first_; }
    int next() const { return next_; }
    const PlotSample& entry(int index) const { return entries_[index]; }

    // Drawing attributes, written by the plot's configuration only.
    bool inUse = false;
    QColor color = QColor(0, 0, 0);
    int penStyle = 0;
    bool rightAxis = false;

private:
    std::unique_ptr<PlotSample[]> entries_;
    int added_ = 0;
    int first_ = lastIndex;
    int next_ = 0;
};
