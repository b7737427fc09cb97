# Writes the English texts of a Qt Linguist file as a C++ table, so that a program without Qt
# (quorelctl, on Linux and on Windows) speaks the same English as the windows, which load the
# file compiled by lrelease. Run as: cmake -DTS=<file.ts> -DOUT=<file.cpp> -P this file.
#
# Only what lupdate writes is read: <message> entries with one <source> and one <translation>
# each; an unfinished translation is left out, so the text stays Japanese.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/WriteIfChanged.cmake)

# Texts are only ever held in quoted arguments, so a ";" in them never splits them.
file(READ "${TS}" ts)

function(xml_text out text)
  string(REPLACE "&lt;" "<" text "${text}")
  string(REPLACE "&gt;" ">" text "${text}")
  string(REPLACE "&quot;" "\"" text "${text}")
  string(REPLACE "&apos;" "'" text "${text}")
  # Numeric references stay for cpp_literal; "&amp;" goes last so that it makes none.
  string(REPLACE "&amp;" "&" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(cpp_literal out text)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\\\"" text "${text}")
  string(REPLACE "\r" "\\r" text "${text}")
  string(REPLACE "\n" "\\n" text "${text}")
  # A "??" could start a trigraph in older modes; "?\?" reads the same everywhere.
  string(REPLACE "??" "?\\?" text "${text}")
  # Characters lupdate writes as numeric references (the ideographic space as &#x3000;)
  # become universal character names, which the compiler writes in UTF-8.
  string(REGEX REPLACE "&#x([0-9a-fA-F][0-9a-fA-F][0-9a-fA-F][0-9a-fA-F]);" "\\\\u\\1"
         text "${text}")
  string(REGEX REPLACE "&#x([0-9a-fA-F][0-9a-fA-F][0-9a-fA-F][0-9a-fA-F][0-9a-fA-F]);"
         "\\\\U000\\1" text "${text}")
  if(text MATCHES "&#")
    message(FATAL_ERROR "${TS}: a character reference this table cannot write: ${text}")
  endif()
  set(${out} "\"${text}\"" PARENT_SCOPE)
endfunction()

set(rows "")
set(count 0)
set(rest "${ts}")
while(TRUE)
  string(FIND "${rest}" "<message>" start)
  if(start EQUAL -1)
    break()
  endif()
  string(SUBSTRING "${rest}" ${start} -1 rest)
  string(FIND "${rest}" "</message>" end)
  if(end EQUAL -1)
    message(FATAL_ERROR "${TS}: a <message> without its end")
  endif()
  string(SUBSTRING "${rest}" 0 ${end} message)
  math(EXPR after "${end} + 10")
  string(SUBSTRING "${rest}" ${after} -1 rest)

  if(NOT message MATCHES "<source>([^<]*)</source>")
    message(FATAL_ERROR "${TS}: a <message> without <source>")
  endif()
  set(source "${CMAKE_MATCH_1}")
  if(NOT message MATCHES "<translation>([^<]*)</translation>")
    continue() # unfinished or empty: the text stays Japanese
  endif()
  set(translation "${CMAKE_MATCH_1}")
  xml_text(source "${source}")
  xml_text(translation "${translation}")
  cpp_literal(source "${source}")
  cpp_literal(translation "${translation}")
  string(APPEND rows "    {${source},\n     ${translation}},\n")
  math(EXPR count "${count} + 1")
endwhile()

get_filename_component(ts_name "${TS}" NAME)
set(content "// Written at build time from resources/translations/${ts_name}; edit that file, not
// this one.
#include \"resources/Language.h\"

namespace texts {

// The last row, without texts, only ends the table.
extern const TranslatedText EnglishTexts[];
extern const std::size_t EnglishTextCount;
const TranslatedText EnglishTexts[] = {
${rows}    {nullptr, nullptr},
};
const std::size_t EnglishTextCount = ${count};

} // namespace texts
")
quorel_write_if_changed("${OUT}" "${content}")
