#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

// Marks a text for Qt's lupdate, which finds the texts of Texts.h by this name; the same
// definition as Qt's, so that either may come first.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif

namespace texts {

// The context of every text of Texts.h in the translation files.
inline constexpr const char* Context = "texts";

// Turns a Japanese text of Texts.h into the text shown in the language in use; nothing when
// it has no other form there (the Japanese text is then shown).
using Lookup = std::function<std::optional<std::string>(const char* source)>;

// Puts a lookup in place for every text converted from now on; an empty one shows the
// Japanese texts as they are, which is what a program gets until it chooses.
void setLookup(Lookup lookup);

// The text to show for a Japanese text of Texts.h. What it gives stays valid for the life of
// the program, whatever lookup comes later.
const char* translate(const char* source);

// One text of Texts.h: its Japanese form, which is also its key in the translation files.
// It turns into the text of the language in use wherever a `const char*` is wanted, so each
// use reads the language chosen when it runs, never the one in force when a table was built.
class Text {
public:
    constexpr explicit Text(const char* japanese) : source_(japanese) {}

    operator const char*() const { return translate(source_); }
    operator std::string_view() const { return translate(source_); }
    const char* c_str() const { return translate(source_); }
    std::string str() const { return c_str(); }
    // The shown text as a range of bytes, so that byte views (QByteArrayView, and with it
    // QString::fromUtf8) take a Text as they take a std::string.
    const char* data() const { return c_str(); }
    std::size_t size() const { return std::char_traits<char>::length(c_str()); }
    const char* begin() const { return c_str(); }
    const char* end() const { return c_str() + size(); }
    // The Japanese form, whatever language is in use.
    constexpr const char* source() const { return source_; }

    friend bool operator==(const Text& a, const char* b) {
        return std::string_view(a.c_str()) == b;
    }
    friend bool operator==(const Text& a, const std::string& b) { return b == a.c_str(); }
    friend bool operator==(const Text& a, const Text& b) {
        return std::string_view(a.c_str()) == b.c_str();
    }
    friend std::string operator+(const Text& a, const std::string& b) { return a.c_str() + b; }
    friend std::string operator+(const std::string& a, const Text& b) { return a + b.c_str(); }
    friend std::string operator+(const Text& a, const char* b) { return a.str() + b; }
    friend std::string operator+(const char* a, const Text& b) { return a + b.str(); }
    friend std::ostream& operator<<(std::ostream& out, const Text& t) { return out << t.c_str(); }
    // How a test framework prints it: as the text, not as a range of bytes.
    friend void PrintTo(const Text& t, std::ostream* out) { *out << '"' << t.c_str() << '"'; }

private:
    const char* source_;
};

} // namespace texts
