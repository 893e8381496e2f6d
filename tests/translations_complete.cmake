# Fails when a text marked for translation in the core or the command line has no Japanese
# translation. Every VTR() text of the sources must be in the table that the build makes (read
# here as the build reads it, with CMake alone, so that any build machine can check it). Where
# Qt's lupdate is given, it also reads the sources into a copy of the .ts file, which must then
# hold no unfinished entry: that sees the texts still marked the Qt way too, and a text marked
# in a context that has not translated it.
# Run by CTest with -DSOURCE_DIR=... -DWORK_DIR=... [-DLUPDATE=...]
cmake_minimum_required(VERSION 3.21)
include(${SOURCE_DIR}/resources/texts/ts_reader.cmake)
set(ts_file ${SOURCE_DIR}/resources/translations/varnello_ja.ts)

varnello_read_ts(${ts_file} table)
string(REGEX REPLACE ",[0-9]+" "" translated "${table}")

file(GLOB_RECURSE sources ${SOURCE_DIR}/core/*.cpp ${SOURCE_DIR}/core/*.h ${SOURCE_DIR}/cli/*.cpp
     ${SOURCE_DIR}/cli/*.h ${SOURCE_DIR}/resources/texts/*.cpp)
# The sources' ";", "[" and "]" stand in as bytes while the marks are cut out, for CMake's lists.
string(ASCII 1 semicolon)
string(ASCII 2 open)
string(ASCII 3 close)
string(ASCII 4 backslash)
set(space "[ \t\r\n]*")
set(literal "\"([^\"\\\\]|\\\\.)*\"")
set(missing "")
foreach(source IN LISTS sources)
    file(RELATIVE_PATH name ${SOURCE_DIR} ${source})
    file(READ ${source} code)
    string(REPLACE ";" "${semicolon}" code "${code}")
    string(REPLACE "[" "${open}" code "${code}")
    string(REPLACE "]" "${close}" code "${code}")
    string(REGEX MATCHALL "VTR\\(${space}\"" starts "${code}")
    string(REGEX MATCHALL "VTR\\(${space}${literal}${space},(${space}${literal})+${space}\\)"
           marks "${code}")
    list(LENGTH starts start_count)
    list(LENGTH marks mark_count)
    if(NOT start_count EQUAL mark_count)
        message(FATAL_ERROR "${name}: a VTR() whose text is not plain string literals, which "
                            "this check cannot read")
    endif()
    foreach(mark IN LISTS marks)
        string(REGEX MATCHALL "${literal}" pieces "${mark}")
        list(POP_FRONT pieces) # the context
        set(text "")
        foreach(piece IN LISTS pieces)
            string(REGEX REPLACE "^\"(.*)\"$" "\\1" piece "${piece}")
            string(REPLACE "\\\\" "${backslash}" piece "${piece}")
            string(REPLACE "\\n" "\n" piece "${piece}")
            string(REPLACE "\\t" "\t" piece "${piece}")
            string(REPLACE "\\\"" "\"" piece "${piece}")
            string(REPLACE "\\'" "'" piece "${piece}")
            if(piece MATCHES "\\\\")
                message(FATAL_ERROR "${name}: an escape this check cannot read in ${mark}")
            endif()
            string(APPEND text "${piece}")
        endforeach()
        string(REPLACE "${semicolon}" ";" text "${text}")
        string(REPLACE "${open}" "[" text "${text}")
        string(REPLACE "${close}" "]" text "${text}")
        string(REPLACE "${backslash}" "\\" text "${text}")
        string(HEX "${text}" key)
        if(NOT key IN_LIST translated)
            string(APPEND missing "\n  ${name}: ${text}")
        endif()
    endforeach()
endforeach()
if(NOT missing STREQUAL "")
    message(FATAL_ERROR "Texts without a finished Japanese translation in "
                        "resources/translations/varnello_ja.ts:${missing}")
endif()

if(NOT LUPDATE)
    return()
endif()
set(copy ${WORK_DIR}/varnello_ja.ts)
file(COPY_FILE ${ts_file} ${copy})
execute_process(
    COMMAND ${LUPDATE} -silent -no-obsolete -locations none -I ${SOURCE_DIR}
            -tr-function-alias QT_TRANSLATE_NOOP+=VTR
            ${SOURCE_DIR}/core ${SOURCE_DIR}/cli ${SOURCE_DIR}/resources/texts -ts ${copy}
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "lupdate failed")
endif()
file(READ ${copy} ts)
string(REGEX MATCHALL "<source>[^<]*</source>[ \r\n]*<translation type=\"unfinished\"" missing
       "${ts}")
if(NOT missing STREQUAL "")
    string(REGEX REPLACE "[ \r\n]*<translation type=\"unfinished\"" "" missing "${missing}")
    message(FATAL_ERROR "Texts without a Japanese translation in "
                        "resources/translations/varnello_ja.ts:\n${missing}")
endif()
