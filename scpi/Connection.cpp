#include "scpi/Connection.h"

namespace scpi {

namespace {

// Taken bytes are dropped from the front of a buffer once they are most of it.
void compact(std::string& buffer, std::size_t& start) {
    if (start > 4096 && start * 2 > buffer.size()) {
        buffer.erase(0, start);
        start = 0;
    }
}

} // namespace

Connection::Connection(Instrument& instrument, std::size_t maxWaitingReply,
                       std::size_t maxLineBytes)
    : interpreter_(instrument), maxWaitingReply_(maxWaitingReply), maxLineBytes_(maxLineBytes) {}

void Connection::queueLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.size() > maxLineBytes_) {
        queued_ += '\n';
        return;
    }
    if (line.empty())
        return;
    queued_.append(line);
    queued_ += '\n';
}

void Connection::receive(std::string_view bytes) {
    if (ended_)
        return;
    while (!bytes.empty()) {
        std::size_t lf = bytes.find('\n');
        std::string_view piece = bytes.substr(0, lf);
        bytes.remove_prefix(lf == std::string_view::npos ? bytes.size() : lf + 1);
        if (discarding_) {
            discarding_ = lf == std::string_view::npos;
            continue;
        }
        // One byte more than the limit may still be the CR of a CR LF.
        if (partial_.size() + piece.size() > maxLineBytes_ + 1) {
            partial_.clear();
            queued_ += '\n';
            discarding_ = lf == std::string_view::npos;
            continue;
        }
        if (lf == std::string_view::npos) {
            partial_.append(piece);
            continue;
        }
        if (partial_.empty()) {
            queueLine(piece);
        } else {
            partial_.append(piece);
            queueLine(partial_);
            partial_.clear();
        }
    }
}

void Connection::endOfInput() {
    ended_ = true;
    partial_.clear();
    partial_.shrink_to_fit();
    discarding_ = false;
}

void Connection::clear() {
    interpreter_.abandon();
    partial_.clear();
    discarding_ = false;
    queued_.clear();
    queuedStart_ = 0;
    output_.clear();
    outputStart_ = 0;
}

bool Connection::wantsInput() const {
    return !ended_ && !overflowed_ && queued_.size() - queuedStart_ < maxLineBytes_;
}

bool Connection::hasWork() const {
    return !overflowed_ && (interpreter_.running() || queuedStart_ < queued_.size());
}

void Connection::checkOverflow() {
    if (output_.size() - outputStart_ + interpreter_.answerBytes() > maxWaitingReply_)
        overflowed_ = true;
}

void Connection::executeNext() {
    if (!hasWork())
        return;
    if (!interpreter_.running()) {
        std::size_t lf = queued_.find('\n', queuedStart_);
        std::string line = queued_.substr(queuedStart_, lf - queuedStart_);
        queuedStart_ = lf + 1;
        compact(queued_, queuedStart_);
        if (line.empty()) {
            interpreter_.client().raise(Error::TooMuchData);
            return;
        }
        interpreter_.begin(std::move(line));
    }
    interpreter_.client().messageAvailable = outputStart_ < output_.size();
    interpreter_.step();
    if (!interpreter_.running())
        output_ += interpreter_.takeReply();
    checkOverflow();
}

void Connection::executeAll() {
    while (hasWork())
        executeNext();
}

std::string_view Connection::output() const {
    return std::string_view(output_).substr(outputStart_);
}

void Connection::consumeOutput(std::size_t bytes) {
    outputStart_ += std::min(bytes, output_.size() - outputStart_);
    if (outputStart_ == output_.size()) {
        output_.clear();
        outputStart_ = 0;
    }
    compact(output_, outputStart_);
}

bool Connection::finished() const {
    return ended_ && !hasWork() && outputStart_ == output_.size();
}

} // namespace scpi
