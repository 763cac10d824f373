# Message files compiled at build time from our own .mc sources with the
# MinGW message compiler, resource compiler and linker: PE32+ DLLs with
# Unicode message tables (X64) or PE32 images with ANSI ones (X86).  They
# carry no time stamp, so every build writes the same files.

find_program(QV_WINDMC_X64 x86_64-w64-mingw32-windmc REQUIRED)
find_program(QV_WINDRES_X64 x86_64-w64-mingw32-windres REQUIRED)
find_program(QV_LD_X64 x86_64-w64-mingw32-ld REQUIRED)
find_program(QV_WINDMC_X86 i686-w64-mingw32-windmc REQUIRED)
find_program(QV_WINDRES_X86 i686-w64-mingw32-windres REQUIRED)
find_program(QV_LD_X86 i686-w64-mingw32-ld REQUIRED)

set(QV_CRLF_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/CrLf.cmake)

# qv_message_file(<name> <output file> X64|X86 [EXE] [RC <own .rc file>]
#                 [SOURCE_DIR <dir>] [OUTPUT_DIR <dir>])
# Compiles <SOURCE_DIR>/<name>.mc (default: the current source directory)
# into <OUTPUT_DIR>/<output file> (default: the current binary directory).
# The message compiler's header with the symbolic names of the messages is
# <current binary directory>/<name>/<name>.h.  The file is appended to the
# caller's variable qv_message_files.
function(qv_message_file name output arch)
  cmake_parse_arguments(ARG "EXE" "RC;SOURCE_DIR;OUTPUT_DIR" "" ${ARGN})
  if(NOT ARG_SOURCE_DIR)
    set(ARG_SOURCE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  if(NOT ARG_OUTPUT_DIR)
    set(ARG_OUTPUT_DIR ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  set(source ${ARG_SOURCE_DIR}/${name}.mc)
  set(work ${CMAKE_CURRENT_BINARY_DIR}/${name})
  set(result ${ARG_OUTPUT_DIR}/${output})
  file(MAKE_DIRECTORY ${work} ${ARG_OUTPUT_DIR})
  if(arch STREQUAL "X64")
    set(windmc ${QV_WINDMC_X64} -U)
    set(windres ${QV_WINDRES_X64})
    set(ld ${QV_LD_X64})
  else()
    set(windmc ${QV_WINDMC_X86} -A)
    set(windres ${QV_WINDRES_X86})
    set(ld ${QV_LD_X86})
  endif()
  if(ARG_EXE)
    set(kind)
  else()
    set(kind --dll)
  endif()
  set(rc ${work}/${name}.rc)
  set(depends ${source} ${QV_CRLF_SCRIPT})
  if(ARG_RC)
    set(rc ${ARG_SOURCE_DIR}/${ARG_RC})
    list(APPEND depends ${rc})
  endif()
  add_custom_command(OUTPUT ${result} ${work}/${name}.h
    COMMAND ${CMAKE_COMMAND} -DIN=${source} -DOUT=${work}/${name}.mc -P ${QV_CRLF_SCRIPT}
    COMMAND ${windmc} -C 65001 -h ${work} -r ${work} ${work}/${name}.mc
    COMMAND ${windres} --preprocessor=cpp --preprocessor-arg=-P -I ${work}
            -i ${rc} -o ${work}/${name}.o
    COMMAND ${ld} ${kind} -e 0 --no-insert-timestamp -o ${result} ${work}/${name}.o
    WORKING_DIRECTORY ${work}
    DEPENDS ${depends}
    COMMENT "Compiling message file ${output}"
    VERBATIM)
  set(qv_message_files ${qv_message_files} ${result} PARENT_SCOPE)
endfunction()
