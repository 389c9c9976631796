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
  if(MINGW)
    # Debug information in every build, kept out of the shipped program (see
    # orbelle_split_debug_info); each function in a section of its own, so that the linker can
    # leave out what nothing calls.
    target_compile_options(${target} PRIVATE -g -ffunction-sections -fdata-sections)
    # -O2 rather than Release's -O3: the extra inlining and unrolling cost a tenth of the palette's
    # size and buy no speed it can show.
    target_compile_options(${target} PRIVATE $<$<CONFIG:Release>:-O2>)
  elseif(MSVC)
    set_property(TARGET ${target} PROPERTY MSVC_DEBUG_INFORMATION_FORMAT ProgramDatabase)
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
    target_link_options(${target} PRIVATE -municode -static -static-libgcc -static-libstdc++
                                          -Wl,--gc-sections)
  endif()
endfunction()

# A program that is shipped: its symbols and debug information go to a file of their own beside
# it, <name>.debug, which the program names (a GNU debug link), so that gdb or addr2line can read
# a crash of the shipped program; the program itself keeps none. MSVC writes a .pdb beside it.
function(orbelle_split_debug_info target)
  if(MINGW)
    if(NOT CMAKE_OBJCOPY)
      message(FATAL_ERROR "objcopy was not found: it splits the debug information of ${target}")
    endif()
    set(debug_file $<TARGET_FILE_BASE_NAME:${target}>.debug)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE_NAME:${target}> ${debug_file}
      COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=${debug_file}
              $<TARGET_FILE_NAME:${target}>
      WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
      COMMENT "Moving the debug information of ${target} to ${debug_file}"
      VERBATIM)
  elseif(MSVC)
    target_link_options(${target} PRIVATE /DEBUG /OPT:REF /OPT:ICF)
  endif()
endfunction()

# Test programs: the code under test keeps its build's optimisation, the tests themselves are
# compiled lightly (GoogleTest's templates at -O2 with full debug information take twice as
# long to compile, and the tests gain nothing from it).
function(orbelle_test_program_settings target)
  if(NOT MSVC)
    target_compile_options(${target} PRIVATE $<$<CONFIG:Release,RelWithDebInfo>:-O1 -g1>)
  endif()
endfunction()
