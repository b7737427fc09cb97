#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

// The signals that would end the program at once (platform::endingSignals: SIGINT, SIGTERM,
// a closed terminal, the user and timer signals), turned into a call on the event loop: the
// handler only writes the signal's number into a pipe that the loop watches, so that the
// program can end a run with the output off and close as it does otherwise. One at a time;
// the signals' previous handling comes back when it goes. On Windows it receives nothing.
class EndingSignals : public QObject {
    Q_OBJECT
public:
    explicit EndingSignals(QObject* parent = nullptr);
    ~EndingSignals() override;

signals:
    // On the event loop, once for each signal that came.
    void received(int signal);

private:
    void readPipe();

    struct Handling;
    std::unique_ptr<Handling> handling_;
    QSocketNotifier* notifier_ = nullptr;
};
