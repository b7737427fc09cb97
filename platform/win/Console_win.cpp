#include "platform/Console.h"

#include <streambuf>
#include <windows.h>

namespace platform {

namespace {

bool isConsole(HANDLE h) {
    DWORD mode = 0;
    return h != nullptr && h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode) != 0;
}

// Where a UTF-8 text may be cut without splitting a character: the length of its longest
// prefix of whole characters.
std::size_t wholeCharacters(const std::string& text) {
    std::size_t end = text.size();
    std::size_t back = 0;
    while (back < 4 && back < end &&
           (static_cast<unsigned char>(text[end - 1 - back]) & 0xC0) == 0x80)
        ++back;
    if (back == end)
        return end;
    const auto lead = static_cast<unsigned char>(text[end - 1 - back]);
    const std::size_t length = lead < 0x80    ? 1
                               : lead >= 0xF0 ? 4
                               : lead >= 0xE0 ? 3
                               : lead >= 0xC0 ? 2
                                              : 1;
    return length > back + 1 ? end - 1 - back : end;
}

// Collects what the program writes and hands it to the standard handle at each flush: in
// the console's output code page when the handle is a console, as the bytes were otherwise.
// A character cut by a flush waits for the rest of its bytes.
class ConsoleBuffer : public std::streambuf {
public:
    explicit ConsoleBuffer(DWORD which) : which_(which) {}
    ~ConsoleBuffer() override { sync(); }

protected:
    int_type overflow(int_type c) override {
        if (c != traits_type::eof()) {
            pending_.push_back(static_cast<char>(c));
            if (pending_.size() >= 4096)
                sync();
        }
        return traits_type::not_eof(c);
    }

    std::streamsize xsputn(const char* s, std::streamsize n) override {
        pending_.append(s, static_cast<std::size_t>(n));
        if (pending_.size() >= 4096)
            sync();
        return n;
    }

    int sync() override {
        if (pending_.empty())
            return 0;
        HANDLE h = GetStdHandle(which_);
        std::string bytes;
        if (isConsole(h)) {
            const std::size_t whole = wholeCharacters(pending_);
            bytes =
                utf8ToCodePage(std::string_view(pending_).substr(0, whole), GetConsoleOutputCP());
            pending_.erase(0, whole);
        } else {
            bytes.swap(pending_);
        }
        std::size_t done = 0;
        while (done < bytes.size()) {
            DWORD written = 0;
            if (!WriteFile(h, bytes.data() + done, static_cast<DWORD>(bytes.size() - done),
                           &written, nullptr) ||
                written == 0)
                return -1;
            done += written;
        }
        return 0;
    }

private:
    DWORD which_;
    std::string pending_;
};

} // namespace

bool standardErrorIsTerminal() {
    return isConsole(GetStdHandle(STD_ERROR_HANDLE));
}

std::ostream& consoleOut() {
    static ConsoleBuffer buffer(STD_OUTPUT_HANDLE);
    static std::ostream stream(&buffer);
    return stream;
}

std::ostream& consoleErr() {
    static ConsoleBuffer buffer(STD_ERROR_HANDLE);
    static std::ostream stream(&buffer);
    return stream;
}

} // namespace platform
