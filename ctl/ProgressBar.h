#pragma once

#include <ostream>
#include <string>

// The terminal's stand-in for the transfer window: the word address being written and how
// far the transfer is. On a terminal one line is redrawn in place; into a file or a pipe a
// line is written at every tenth of the way, so that a log stays readable.
namespace ctl {

class ProgressBar {
public:
    static constexpr int Width = 32;

    ProgressBar(std::ostream& out, bool terminal) : out_(out), terminal_(terminal) {}

    void start(int lowWord, int highWord);
    // Before each block, with its word address.
    void show(int wordAddress);
    // After the transfer: the full bar when completed; the line is ended either way.
    void finish(bool completed);

    // Whole percent of the range below the address.
    static int percent(int wordAddress, int lowWord, int highWord);
    // "0x0200 [########                        ]  25%"
    static std::string line(int wordAddress, int percent);

private:
    void draw(int wordAddress, int pct);

    std::ostream& out_;
    bool terminal_;
    int low_ = 0;
    int high_ = 1;
    int lastAddress_ = -1;
    int lastTenth_ = -1;
    bool open_ = false;
};

} // namespace ctl
