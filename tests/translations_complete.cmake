# Fails when a text marked for translation in the core or the command line has no Japanese
# translation: lupdate reads the sources into a copy of the .ts file, which must then hold no
# unfinished entry. Run by CTest with -DLUPDATE=... -DSOURCE_DIR=... -DWORK_DIR=...
set(copy ${WORK_DIR}/varnello_ja.ts)
file(COPY_FILE ${SOURCE_DIR}/resources/translations/varnello_ja.ts ${copy})
execute_process(
    COMMAND ${LUPDATE} -silent -no-obsolete -locations none -I ${SOURCE_DIR}
            ${SOURCE_DIR}/core ${SOURCE_DIR}/cli -ts ${copy}
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "lupdate failed")
endif()
file(READ ${copy} ts)
string(REGEX MATCHALL "<source>[^<]*</source>[ \r\n]*<translation type=\"unfinished\"" missing
       "${ts}")
if(missing)
    string(REGEX REPLACE "[ \r\n]*<translation type=\"unfinished\"" "" missing "${missing}")
    message(FATAL_ERROR "Texts without a Japanese translation in "
                        "resources/translations/varnello_ja.ts:\n${missing}")
endif()
