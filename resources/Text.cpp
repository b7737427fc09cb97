#include "resources/Text.h"

#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace texts {

namespace {

// The lookup in force and the texts it gave. A text given once is kept for the life of the
// program, so a pointer handed out earlier never dangles when the language changes; a new
// lookup starts a new table beside the old ones.
struct Translations {
    std::mutex lock;
    Lookup lookup;
    std::map<const char*, std::string>* current = nullptr;
    std::vector<std::unique_ptr<std::map<const char*, std::string>>> tables;
};

Translations& translations() {
    static Translations* t = new Translations; // outlives every static that converts a text
    return *t;
}

} // namespace

void setLookup(Lookup lookup) {
    Translations& t = translations();
    std::lock_guard<std::mutex> hold(t.lock);
    t.lookup = std::move(lookup);
    t.current = nullptr;
    if (t.lookup) {
        t.tables.push_back(std::make_unique<std::map<const char*, std::string>>());
        t.current = t.tables.back().get();
    }
}

const char* translate(const char* source) {
    if (!source)
        return "";
    Translations& t = translations();
    std::lock_guard<std::mutex> hold(t.lock);
    if (!t.lookup)
        return source;
    auto found = t.current->find(source);
    if (found == t.current->end()) {
        std::optional<std::string> shown = t.lookup(source);
        if (!shown)
            return source;
        found = t.current->emplace(source, std::move(*shown)).first;
    }
    return found->second.c_str();
}

} // namespace texts
