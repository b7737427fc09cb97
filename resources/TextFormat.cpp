#include "resources/TextFormat.h"

namespace texts {

std::string fill(const char* pattern, const std::string& first, const std::string& second,
                 const std::string& third) {
    std::string out(pattern);
    std::size_t from = 0;
    for (const std::string* text : {&first, &second, &third}) {
        const std::size_t at = out.find("%s", from);
        if (at == std::string::npos)
            break;
        out.replace(at, 2, *text);
        from = at + text->size();
    }
    return out;
}

} // namespace texts
