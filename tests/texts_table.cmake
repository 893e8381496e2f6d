# The table of translations made from small .ts files: what it holds, how it writes each text
# as C++, and what it refuses, by name, leaving no file behind.
# Run by CTest with -DSOURCE_DIR=... -DWORK_DIR=...
cmake_minimum_required(VERSION 3.21)
set(failures "")
set(count 0)

# A row: the messages of a .ts file (in a context "core"; "@CR@" stands for a carriage return)
# and a piece of the table it makes, or "error: " and a piece of the refusal.
function(row name messages expected)
    math(EXPR count "${count} + 1")
    set(count ${count} PARENT_SCOPE)
    set(ts ${WORK_DIR}/sample_${count}.ts)
    set(table ${WORK_DIR}/sample_${count}.h)
    file(REMOVE ${table})
    string(ASCII 13 cr)
    string(REPLACE "@CR@" "${cr}" messages "${messages}")
    file(WRITE ${ts} "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!DOCTYPE TS>\n"
                     "<TS version=\"2.1\" language=\"ja_JP\">\n<context>\n"
                     "    <name>core</name>\n${messages}\n</context>\n</TS>\n")
    execute_process(
        COMMAND ${CMAKE_COMMAND} -DTS=${ts} -DOUTPUT=${table}
                -P ${SOURCE_DIR}/resources/texts/make_table.cmake
        RESULT_VARIABLE status ERROR_VARIABLE output)
    string(REGEX REPLACE "[ \n]+" " " output "${output}")
    if(expected MATCHES "^error: (.*)")
        string(FIND "${output}" "${CMAKE_MATCH_1}" at)
        if(status EQUAL 0 OR at LESS 0 OR EXISTS ${table} OR EXISTS ${table}.part)
            set(problem "not refused as expected, or a file left: ${output}")
        endif()
    elseif(NOT status EQUAL 0)
        set(problem "refused: ${output}")
    else()
        file(READ ${table} made)
        string(FIND "${made}" "${expected}" at)
        if(at LESS 0)
            set(problem "the table lacks\n${expected}\nin\n${made}")
        endif()
    endif()
    if(DEFINED problem)
        set(failures "${failures}\n${name}: ${problem}" PARENT_SCOPE)
    endif()
endfunction()

row("entities, references, lines and what C++ or CMake could misread" [==[
<message>
    <source>a &amp; b &lt;c&gt; &quot;d&quot; &apos;e&apos; ;[f]\
line two??=</source>
    <translation>&#x41;&#66;&#x3042;&#x1F600;	end</translation>
</message>]==] [==[
    {"a & b <c> \"d\" 'e' ;[f]\\\n"
     "line two\?\?=",
     "AB\343\201\202\360\237\230\200\tend"},]==])

row("unfinished, obsolete and vanished left out, the rest sorted by bytes" [==[
<message><source>[</source><translation>5</translation></message>
<message><source>b</source><translation>]</translation></message>
<message><source>é</source><translation>4</translation></message>
<message><source>c</source><translation type="unfinished">x</translation></message>
<message><source>d</source><translation type="obsolete">x</translation></message>
<message><source>e</source><translation type="vanished">x</translation></message>
<message numerus="yes"><source>f</source><translation type="unfinished">
    <numerusform></numerusform></translation></message>
<message><source>B</source><translation>1</translation></message>
<message><source>a</source><translation>3</translation></message>]==] [==[
<Translation, 5> japanese{{
    {"B",
     "1"},
    {"[",
     "5"},
    {"a",
     "3"},
    {"b",
     "]"},
    {"\303\251",
     "4"},
}};]==])

row("Windows line ends read as XML reads them" [==[
<message>@CR@
    <source>one@CR@two</source>@CR@
    <translation>1@CR@
2</translation>@CR@
</message>]==] [==[
    {"one\n"
     "two",
     "1\n"
     "2"},]==])

row("one text in two contexts, translated alike" [==[
<message><source>a</source><translation>1</translation></message>
</context><context><name>cli</name>
<message><source>a</source><translation>1</translation></message>]==]
    "<Translation, 1>")
row("one text in two contexts, translated differently" [==[
<message><source>a</source><translation>1</translation></message>
</context><context><name>cli</name>
<message><source>a</source><translation>2</translation></message>]==]
    "error: two translations of one text (core and cli): a")

row("plural forms" [==[
<message numerus="yes"><source>%n pictures</source><translation>
    <numerusform>%n枚</numerusform></translation></message>]==]
    "error: plural forms, which the program's messages cannot use: %n pictures")
row("an entity XML does not define" [==[
<message><source>a&nbsp;b</source><translation>1</translation></message>]==]
    "error: an unknown entity, &nbsp;: a&nbsp;b")
row("a control character as lupdate writes it" [==[
<message><source>a<byte value="x1"/></source><translation>1</translation></message>]==]
    "error: markup or a control character in a text")
row("a control character as a reference" [==[
<message><source>a</source><translation>&#0;</translation></message>]==]
    "error: a control character in a text, &#0;")
row("a surrogate" [==[
<message><source>a</source><translation>&#xD800;</translation></message>]==]
    "error: a character beyond Unicode, &#xD800;")
row("an empty translation marked finished" [==[
<message><source>a</source><translation></translation></message>]==]
    "error: a finished translation that is empty: a")

if(NOT failures STREQUAL "")
    message(FATAL_ERROR "${failures}")
endif()
