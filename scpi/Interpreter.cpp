#include "scpi/Interpreter.h"

#include "scpi/Commands.h"

namespace scpi {

void Interpreter::begin(std::string line) {
    line_ = std::move(line);
    splitter_ = UnitSplitter(line_);
    running_ = true;
    path_.clear();
    answers_.clear();
    answerBytes_ = 0;
}

void Interpreter::finish() {
    running_ = false;
}

void Interpreter::step() {
    if (!running_)
        return;
    std::string_view text;
    if (!splitter_.next(text)) {
        finish();
        return;
    }
    ProgramUnit unit;
    if (Error e = parseUnit(text, unit); e != Error::None) {
        client_.raise(e);
        finish();
        return;
    }
    std::vector<std::string_view> nodes;
    if (!unit.common && !unit.absolute)
        nodes.assign(path_.begin(), path_.end());
    nodes.insert(nodes.end(), unit.nodes.begin(), unit.nodes.end());
    const Command* command = findCommand(unit.common, nodes);
    Handler handler = command ? (unit.query ? command->query : command->set) : nullptr;
    if (!handler) {
        client_.raise(Error::UndefinedHeader);
        finish();
        return;
    }
    if (!unit.common)
        path_.assign(nodes.begin(), nodes.end() - 1);
    // Answers of earlier queries in this line wait for the client too.
    const bool waiting = client_.messageAvailable;
    client_.messageAvailable = waiting || !answers_.empty();
    const Arity& arity = unit.query ? command->queryArity : command->setArity;
    Call call{instrument_, client_, unit.parameters, {}, {}};
    Error e = unit.parameters.size() < arity.min   ? Error::MissingParameter
              : unit.parameters.size() > arity.max ? Error::ParameterNotAllowed
                                                   : handler(call);
    client_.messageAvailable = waiting;
    if (e != Error::None) {
        client_.raise(e, std::move(call.detail));
        finish();
        return;
    }
    if (unit.query) {
        answerBytes_ += call.answer.size() + 1;
        answers_.push_back(std::move(call.answer));
    }
}

std::string Interpreter::takeReply() {
    if (answers_.empty())
        return {};
    std::string reply;
    reply.reserve(answerBytes_);
    for (std::size_t i = 0; i < answers_.size(); ++i) {
        if (i > 0)
            reply += ';';
        reply += answers_[i];
    }
    reply += '\n';
    answers_.clear();
    answerBytes_ = 0;
    return reply;
}

void Interpreter::abandon() {
    finish();
    answers_.clear();
    answerBytes_ = 0;
}

std::string Interpreter::execute(std::string line) {
    begin(std::move(line));
    while (running_)
        step();
    return takeReply();
}

} // namespace scpi
