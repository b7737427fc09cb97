# Writes the index of the texts of resources/Texts.h (each text's name beside the text), so
# that the program and its tests can go through every text: the check of the translations
# and of their places, and the check that the Japanese texts stay as they are.
# Run as: cmake -DTEXTS=<Texts.h> -DOUT=<file.cpp> -P this file.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/WriteIfChanged.cmake)

file(STRINGS "${TEXTS}" lines REGEX "^inline constexpr Text [A-Za-z0-9_]+\\{")
set(rows "")
foreach(line IN LISTS lines)
  # A text holding ";" comes in pieces; only the piece with the name counts.
  string(REGEX MATCH "^inline constexpr Text ([A-Za-z0-9_]+)\\{" found "${line}")
  if(NOT found)
    continue()
  endif()
  string(APPEND rows "    {\"${CMAKE_MATCH_1}\", &${CMAKE_MATCH_1}},\n")
endforeach()

# Entries written as plain C texts are not translated; they are listed so that a check can
# name them (a text added in the old form, as by a branch from before the translations).
file(STRINGS "${TEXTS}" plain_lines REGEX "^inline constexpr const char\\* [A-Za-z0-9_]+ =")
set(plain "")
foreach(line IN LISTS plain_lines)
  string(REGEX MATCH "^inline constexpr const char\\* ([A-Za-z0-9_]+) =" found "${line}")
  if(found)
    string(APPEND plain "    \"${CMAKE_MATCH_1}\",\n")
  endif()
endforeach()

set(content "// Written at build time from resources/Texts.h; edit that file, not this one.
#include \"resources/Language.h\"
#include \"resources/Texts.h\"

namespace texts {

extern const NamedText AllTexts[];
const NamedText AllTexts[] = {
${rows}    {nullptr, nullptr},
};

extern const char* const PlainTextNames[];
const char* const PlainTextNames[] = {
${plain}    nullptr,
};

} // namespace texts
")
quorel_write_if_changed("${OUT}" "${content}")
