// update: the firmware update of the update dialog, with a progress bar on the terminal.
#include "ctl/Commands.h"

#include "ctl/ExitCode.h"
#include "ctl/ProgressBar.h"
#include "ctl/Session.h"
#include "firmware/UpdateProcedure.h"
#include "resources/Texts.h"

namespace ctl {

int updateCommand(Session& s, bool progressOnTerminal) {
    using UpdateProcedure::Outcome;
    ProgressBar progress(s.err, progressOnTerminal);
    bool transferred = false;

    UpdateProcedure::Callbacks callbacks;
    callbacks.transferStarting = [&](int low, int high) { progress.start(low, high); };
    callbacks.blockStarting = [&](int wordAddress) { progress.show(wordAddress); };
    callbacks.blockDone = [&](int, bool acknowledged) { transferred = acknowledged; };
    callbacks.transferEnded = [&] { progress.finish(transferred); };
    callbacks.finished = [&](Outcome outcome) {
        // Nobody is asked to confirm: the boot-loader is told to end right after.
        if (outcome == Outcome::Completed)
            s.out << texts::FirmwareDoneNoDialog << '\n' << std::flush;
        else
            s.err << UpdateProcedure::message(outcome) << '\n' << std::flush;
    };

    const UpdateProcedure::Result result =
        UpdateProcedure::run(s.port(), s.line.operands[0], callbacks);
    switch (result.outcome) {
    case Outcome::Completed:
        return Success;
    case Outcome::CannotOpen:
        return FileCannotOpen;
    case Outcome::ReadError:
    case Outcome::NothingToWrite:
        return FileMalformed;
    case Outcome::ConnectFailed:
    case Outcome::EraseFailed:
    case Outcome::TransferFailed:
        break;
    }
    s.err << '(' << resultText(result.device) << ")\n" << std::flush;
    return exitCodeFor(result.device);
}

} // namespace ctl
