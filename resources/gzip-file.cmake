# Compresses one file with gzip, using nothing but CMake, so that every build machine can run
# it: cmake -DINPUT=<file> -DOUTPUT=<file.gz> -P gzip-file.cmake
if(NOT DEFINED INPUT OR NOT DEFINED OUTPUT)
  message(FATAL_ERROR "gzip-file.cmake: give the file to compress and the result, as in\n"
                      "  cmake -DINPUT=<file> -DOUTPUT=<file.gz> -P gzip-file.cmake")
endif()
if(NOT EXISTS "${INPUT}")
  message(FATAL_ERROR "gzip-file.cmake: \"${INPUT}\" does not exist; check the INPUT path.")
endif()
# The "raw" format holds the one file's bytes with no archive around them: a plain gzip file.
file(ARCHIVE_CREATE OUTPUT "${OUTPUT}" PATHS "${INPUT}" FORMAT raw COMPRESSION GZip MTIME 0)
