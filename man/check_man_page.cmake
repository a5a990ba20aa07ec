# Renders one manual page as `man -l` does, with every groff warning on;
# any warning or error fails. (-P-cbou: plain text, no overstriking, so
# the section titles can be found.)
execute_process(COMMAND ${GROFF} -ww -man -Tutf8 -P-cbou ${PAGE}
                RESULT_VARIABLE rc OUTPUT_VARIABLE text ERROR_VARIABLE warnings)
if(NOT rc EQUAL 0 OR NOT warnings STREQUAL "")
  message(FATAL_ERROR "${PAGE}: groff exit ${rc}\n${warnings}")
endif()
string(FIND "${text}" "EXIT STATUS" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${PAGE}: no EXIT STATUS section")
endif()
