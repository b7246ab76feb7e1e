# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a file of src/ includes a header of an area it must not use.
#   cmake -DSRC=<src folder> -P layering.cmake
# engine and textio are the Qt-free core that orvane-shift and the fuzz
# targets link alone; the window may use everything but the command line.
cmake_minimum_required(VERSION 3.25)

set(allowed_textio "")
set(allowed_engine "textio")
set(allowed_media "")
# Downloads are written through the atomic write of textio.
set(allowed_update "textio")
set(allowed_cli "engine;textio;media")
set(allowed_ui "engine;textio;media;update")
set(areas textio engine media update cli ui)

set(violations "")
foreach(area IN LISTS areas)
  file(GLOB_RECURSE files "${SRC}/${area}/*.h" "${SRC}/${area}/*.cpp")
  foreach(file IN LISTS files)
    file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS includes)
      if(line MATCHES "#[ \t]*include[ \t]*\"([a-z]+)/")
        set(used "${CMAKE_MATCH_1}")
        if(used IN_LIST areas AND NOT used STREQUAL area AND NOT used IN_LIST allowed_${area})
          file(RELATIVE_PATH shown "${SRC}" "${file}")
          list(APPEND violations "${shown}: ${area} may not include ${used}/ (${line})")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  list(JOIN violations "\n" text)
  message(FATAL_ERROR "Includes across the allowed edges:\n${text}")
endif()
message(STATUS "layering: every include follows the allowed edges")
