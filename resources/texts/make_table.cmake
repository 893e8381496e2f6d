# Makes the C++ table of the Japanese translations from a .ts file, at build time:
#   cmake -DTS=varnello_ja.ts -DOUTPUT=japanese_table.h -P make_table.cmake
# The table holds the finished translations of every context, sorted bytewise by the English
# text. Its literals are plain ASCII, every other byte an octal escape, so that any compiler
# reads the same bytes whatever it takes the source's character set to be.
cmake_minimum_required(VERSION 3.21)
include(${CMAKE_CURRENT_LIST_DIR}/ts_reader.cmake)

if(NOT DEFINED TS OR NOT DEFINED OUTPUT)
    message(FATAL_ERROR "usage: cmake -DTS=FILE.ts -DOUTPUT=FILE.h -P make_table.cmake")
endif()

# A text as a string literal, a line of the text to a line of the source.
function(literal text out)
    set(indent "     ")
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REPLACE "\"" "\\\"" text "${text}")
    # No trigraph, whatever the compiler's mode.
    string(REPLACE "?" "\\?" text "${text}")
    string(REPLACE "\t" "\\t" text "${text}")
    string(REPLACE "\n" "\\n\"\n${indent}\"" text "${text}")
    string(REGEX REPLACE "\n${indent}\"$" "" text "\"${text}\"")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

varnello_read_ts("${TS}" ts)
list(LENGTH ts count)
set(rows "")
foreach(entry IN LISTS ts)
    string(REGEX REPLACE "^.*," "" n "${entry}")
    literal("${ts_english_${n}}" english)
    literal("${ts_translation_${n}}" japanese)
    string(APPEND rows "    {${english},\n     ${japanese}},\n")
endforeach()
# The reader lets no control character through but a tab and a line end; everything from
# DEL up becomes octal, three digits, so that no digit after it can join it.
foreach(byte RANGE 127 255)
    string(ASCII ${byte} char)
    math(EXPR high "${byte} >> 6")
    math(EXPR middle "(${byte} >> 3) & 7")
    math(EXPR low "${byte} & 7")
    string(REPLACE "${char}" "\\${high}${middle}${low}" rows "${rows}")
endforeach()

get_filename_component(ts_name "${TS}" NAME)
file(WRITE "${OUTPUT}.part" "\
// Made from ${ts_name} by make_table.cmake at build time: edit the .ts file, not this one.
#pragma once

#include <array>
#include <string_view>

namespace texts::generated {

struct Translation
{
    std::string_view english;
    std::string_view japanese;
};

// The finished translations, sorted bytewise by the English text for a binary search.
inline constexpr std::array<Translation, ${count}> japanese{{
${rows}}};

} // namespace texts::generated
")
file(RENAME "${OUTPUT}.part" "${OUTPUT}")
