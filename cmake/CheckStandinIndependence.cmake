# Run as a test (cmake -DROOT=<source dir> -P this file): the stand-in host shares no code with
# the palette's host link, so that a fault in the palette's COM helpers cannot hide behind the
# same fault in the host. Fails, naming each file, when a file under sim/
#   - includes a header of the palette's host link (host/...) or window toolkit (ui/win32/...),
#   - links the palette's host library (orbelle_host),
#   - spells a class, interface or library ID of the host's releases anywhere but in its IDL:
#     the code takes the first release's from the header generated from nanosim.idl, and
#     release 24's from its type library (nanosim24.idl) at run time.
file(GLOB_RECURSE sources "${ROOT}/sim/*.h" "${ROOT}/sim/*.cpp" "${ROOT}/sim/*.in")
file(GLOB_RECURSE lists "${ROOT}/sim/CMakeLists.txt")
set(ids
    # the release the palette was written for ("nanoCAD 5")
    449354E9 AFAB189D 52D064C3 28FC575E FFE64704 9CD7E38D
    # release 24.0 (and 23.0, which shares its interface IDs)
    12E0773B DD1D46BD 131B04FD AE21AEC0 A5FC1C8A 5C0548E8 5750A4E3 3E65DD1F 35B2128F 8C5505D5
    15D10019 00FA1B17)
set(faults "")
foreach(path IN LISTS sources)
  file(RELATIVE_PATH name "${ROOT}" "${path}")
  file(STRINGS "${path}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<](host/|ui/win32/)")
  foreach(line IN LISTS includes)
    string(STRIP "${line}" line)
    list(APPEND faults "${name}: ${line}")
  endforeach()
  file(READ "${path}" text)
  string(TOUPPER "${text}" text)
  foreach(id IN LISTS ids)
    string(FIND "${text}" "${id}" at)
    if(NOT at EQUAL -1)
      list(APPEND faults "${name}: spells the ID ${id} (take it from the header generated from nanosim.idl, or from the type library)")
    endif()
  endforeach()
endforeach()
foreach(path IN LISTS lists)
  file(RELATIVE_PATH name "${ROOT}" "${path}")
  file(STRINGS "${path}" links REGEX "orbelle_host")
  foreach(line IN LISTS links)
    string(STRIP "${line}" line)
    if(NOT line MATCHES "^#")
      list(APPEND faults "${name}: ${line}")
    endif()
  endforeach()
endforeach()
if(faults)
  list(JOIN faults "\n  " report)
  message(FATAL_ERROR "the stand-in host uses the palette's host link:\n  ${report}")
endif()
list(LENGTH sources count)
message(STATUS "sim/: ${count} files, none uses the palette's host link")
