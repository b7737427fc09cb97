#include "ctl/ProgressBar.h"

#include "firmware/UpdateProcedure.h"

#include <algorithm>
#include <cstdio>

namespace ctl {

int ProgressBar::percent(int wordAddress, int lowWord, int highWord) {
    if (highWord <= lowWord)
        return 100;
    const int p = (wordAddress - lowWord) * 100 / (highWord - lowWord);
    return std::clamp(p, 0, 100);
}

std::string ProgressBar::line(int wordAddress, int pct) {
    const int filled = pct * Width / 100;
    char tail[16];
    std::snprintf(tail, sizeof tail, "] %3d%%", pct);
    // The address in the transfer window's own form.
    return UpdateProcedure::addressText(wordAddress) + " [" +
           std::string(static_cast<std::size_t>(filled), '#') +
           std::string(static_cast<std::size_t>(Width - filled), ' ') + tail;
}

void ProgressBar::start(int lowWord, int highWord) {
    low_ = lowWord;
    high_ = highWord;
    lastAddress_ = -1;
    lastTenth_ = -1;
}

void ProgressBar::draw(int wordAddress, int pct) {
    if (terminal_) {
        out_ << '\r' << line(wordAddress, pct) << std::flush;
        open_ = true;
        return;
    }
    if (pct / 10 == lastTenth_)
        return;
    lastTenth_ = pct / 10;
    out_ << line(wordAddress, pct) << '\n' << std::flush;
}

void ProgressBar::show(int wordAddress) {
    lastAddress_ = wordAddress;
    draw(wordAddress, percent(wordAddress, low_, high_));
}

void ProgressBar::finish(bool completed) {
    if (lastAddress_ < 0)
        return;
    if (completed) {
        draw(lastAddress_, 100);
    } else if (!terminal_) {
        // Where it stopped, even between two tenths.
        out_ << line(lastAddress_, percent(lastAddress_, low_, high_)) << '\n';
    }
    if (open_)
        out_ << '\n';
    open_ = false;
    out_ << std::flush;
}

} // namespace ctl
