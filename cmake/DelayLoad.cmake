# System DLLs that a Windows program loads when it first calls into them rather than at its
# start: the palette's COM libraries (with the DLLs they pull in) cost its start several
# milliseconds, and it needs COM only once it is on the screen.
#
#   orbelle_delay_loaded_libraries(<interface target> <dll name> ...)
#
# makes an INTERFACE target that a library links instead of the DLLs' import libraries. With
# mingw-w64, each DLL gets a delay-load import library made from its ordinary one (every function
# that one imports) by dlltool; MSVC has /DELAYLOAD. A DLL that cannot be loaded when first
# called makes the call raise a structured exception: only system DLLs belong here.

set(ORBELLE_DELAY_DEF_SCRIPT "${CMAKE_CURRENT_LIST_DIR}/DelayLoadDef.cmake")

function(orbelle_delay_loaded_libraries target)
  add_library(${target} INTERFACE)
  if(MSVC)
    foreach(dll IN LISTS ARGN)
      target_link_libraries(${target} INTERFACE ${dll})
      target_link_options(${target} INTERFACE /DELAYLOAD:${dll}.dll)
    endforeach()
    target_link_libraries(${target} INTERFACE delayimp)
  elseif(MINGW)
    if(NOT CMAKE_NM OR NOT CMAKE_DLLTOOL)
      message(FATAL_ERROR "nm and dlltool of the mingw-w64 toolchain are needed for ${target}")
    endif()
    set(libraries)
    foreach(dll IN LISTS ARGN)
      find_library(ORBELLE_IMPORT_LIBRARY_${dll} NAMES lib${dll}.a ${dll} REQUIRED)
      set(import_library "${ORBELLE_IMPORT_LIBRARY_${dll}}")
      set(def "${CMAKE_CURRENT_BINARY_DIR}/delayload/${dll}.def")
      set(library "${CMAKE_CURRENT_BINARY_DIR}/delayload/lib${dll}-delay.a")
      add_custom_command(OUTPUT "${library}"
        COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DIMPORT_LIBRARY=${import_library}
                -DDLL=${dll}.dll -DDEF=${def} -P ${ORBELLE_DELAY_DEF_SCRIPT}
        COMMAND ${CMAKE_DLLTOOL} --input-def ${def} --dllname ${dll}.dll
                --output-delaylib ${library}
        DEPENDS "${import_library}" "${ORBELLE_DELAY_DEF_SCRIPT}"
        COMMENT "Making a delay-load import library for ${dll}.dll"
        VERBATIM)
      list(APPEND libraries "${library}")
    endforeach()
    add_custom_target(${target}_import_libraries DEPENDS ${libraries})
    add_dependencies(${target} ${target}_import_libraries)
    # Ahead of the ordinary import libraries, which the toolchain adds to every link: the linker
    # takes each function from the first library that has it.
    target_link_libraries(${target} INTERFACE ${libraries} delayimp)
  else()
    target_link_libraries(${target} INTERFACE ${ARGN})
  endif()
endfunction()
