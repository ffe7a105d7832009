# Packs the libraries qelt_viewer carries into the "DLLS" package and attaches it to the program.
# Run after each link of qelt_viewer:
#   cmake -DQELT_PACK=... -DPROGRAM=... -DPACKAGE=... -DLIBRARIES="a.so|b.so" -P this file
string(REPLACE "|" ";" libraries "${LIBRARIES}")
if(libraries)
    execute_process(COMMAND "${QELT_PACK}" package "${PACKAGE}" ${libraries}
                    RESULT_VARIABLE result)
    if(result)
        message(FATAL_ERROR "qelt_pack could not package ${libraries}")
    endif()
else()
    # Nothing to carry yet: a package with its header and end entry only ("WOW_", version 2,
    # four zero header words, entry type 1).
    execute_process(
        COMMAND printf "WOW_\\002\\000\\000\\000\\000\\000\\000\\000\\000\\000\\000\\000\\000\\000\\000\\000\\000\\000\\000\\000\\001\\000\\000\\000"
        OUTPUT_FILE "${PACKAGE}" RESULT_VARIABLE result)
    if(result)
        message(FATAL_ERROR "cannot write ${PACKAGE}")
    endif()
endif()
execute_process(COMMAND "${QELT_PACK}" resource "${PROGRAM}" BINARY DLLS "${PACKAGE}"
                RESULT_VARIABLE result)
if(result)
    message(FATAL_ERROR "qelt_pack could not attach ${PACKAGE} to ${PROGRAM}")
endif()
