# cmake -DTS=<file.ts> -P CheckTranslations.cmake
# Fails when the Linguist file holds a text without its translation: lupdate marks every new or
# changed text "unfinished", and the window would show it in English.
file(READ ${TS} contents)
string(REGEX MATCHALL "<source>[^<]*</source>[ \n]*<translation type=\"unfinished\"" missing "${contents}")
list(LENGTH missing count)
if(count GREATER 0)
    string(REPLACE ";" "\n" missing "${missing}")
    message(FATAL_ERROR "${TS}: ${count} text(s) without a translation:\n${missing}")
endif()
message(STATUS "${TS}: every text is translated")
