#pragma once

#include <gtest/gtest.h>

#include <string>

// Readable names for the cases of parameterised suites: a CTest name then says what its case
// is, stays the same from build to build, and can be picked out with -R.
namespace casenames {

// The case's own `name` field.
struct ByName {
    template <class P> std::string operator()(const testing::TestParamInfo<P>& info) const {
        return info.param.name;
    }
};

// A text as part of a name: letters and digits kept, a minus before a digit as "Minus", a
// point as "p", a double quote as "Quote", any other run of characters as one underscore;
// "Empty" for a text of none of these.
std::string word(const std::string& text);

// A number as part of a name, "Minus" before a negative one.
std::string number(long long value);

} // namespace casenames
