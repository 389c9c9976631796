# Writes the module-definition file of a DLL from its import library: every function the import
# library imports. Run by orbelle_delay_loaded_libraries (DelayLoad.cmake) in script mode:
#   cmake -DNM=... -DIMPORT_LIBRARY=... -DDLL=name.dll -DDEF=out.def -P DelayLoadDef.cmake
foreach(variable NM IMPORT_LIBRARY DLL DEF)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "DelayLoadDef.cmake: ${variable} is not set")
  endif()
endforeach()
execute_process(COMMAND "${NM}" "${IMPORT_LIBRARY}" OUTPUT_VARIABLE symbols
                ERROR_VARIABLE errors RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${NM} could not read ${IMPORT_LIBRARY}: ${errors}")
endif()
# An import library defines __imp_<function> (type I) for each function of the DLL.
string(REGEX MATCHALL " I __imp_[A-Za-z0-9_@?$]+" imports "${symbols}")
list(TRANSFORM imports REPLACE "^ I __imp_" "")
list(REMOVE_DUPLICATES imports)
list(SORT imports)
if(NOT imports)
  message(FATAL_ERROR "${IMPORT_LIBRARY} imports no function from ${DLL}")
endif()
list(JOIN imports "\n" exports)
file(WRITE "${DEF}" "LIBRARY ${DLL}\nEXPORTS\n${exports}\n")
