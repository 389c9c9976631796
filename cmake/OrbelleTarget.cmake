# Compiler settings shared by every target of the project.

function(orbelle_target_settings target)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /utf-8 /permissive- /EHsc)
    if(ORBELLE_WARNINGS_AS_ERRORS)
      target_compile_options(${target} PRIVATE /WX)
    endif()
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
                                             -Wnon-virtual-dtor -Woverloaded-virtual)
    if(ORBELLE_WARNINGS_AS_ERRORS)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
  if(WIN32)
    target_compile_definitions(${target} PRIVATE UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN
                                                 _WIN32_WINNT=0x0A00 WINVER=0x0A00)
  endif()
  if(ORBELLE_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=${ORBELLE_SANITIZE}
                                             -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=${ORBELLE_SANITIZE})
  endif()
endfunction()

# Windows programs built with mingw-w64 link the C and C++ runtimes statically, so that the
# executables need only the system's DLLs.
function(orbelle_windows_program target)
  if(MINGW)
    target_link_options(${target} PRIVATE -municode -static -static-libgcc -static-libstdc++)
  endif()
endfunction()
