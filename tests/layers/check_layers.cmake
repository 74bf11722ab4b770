# Fails when an include runs against the layering, read from the source files themselves
# (they change without a new configure):
# - the plain C++ layers (common, io, engine, settings) include no Qt header;
# - each layer includes only itself and the layers below it, and each engine folder only
#   itself and the engine folders below it;
# - no source file sits loose in src/engine, outside its folders.
# Run as: cmake -DSOURCE_DIR=<project> -P check_layers.cmake
cmake_policy(VERSION 3.25)
if(NOT IS_DIRECTORY "${SOURCE_DIR}/src/engine")
  message(FATAL_ERROR "SOURCE_DIR must name the project folder (got '${SOURCE_DIR}')")
endif()

# What each place may include of the project's own folders ("engine/x" is an engine
# folder, anything else a folder of src/).
set(allowed_common common)
set(allowed_io common io)
set(allowed_settings common io settings)
set(allowed_engine/html common io engine/html)
set(allowed_engine/encoding common io engine/encoding)
set(allowed_engine/render common io engine/render engine/html engine/encoding)
set(allowed_engine/containers common io engine/containers engine/encoding)
set(allowed_engine/output common io engine/output)
set(allowed_engine/readers common io engine/readers engine/containers engine/render engine/encoding engine/html)
set(allowed_engine/clean common io engine/clean engine/render engine/encoding engine/html)
set(allowed_engine/convert common io engine/convert engine/clean engine/readers engine/output engine/containers
                           engine/render engine/encoding engine/html)
set(places common io settings engine/html engine/encoding engine/render engine/containers engine/output
           engine/readers engine/clean engine/convert)

set(offenders "")
foreach(place ${places})
  file(GLOB_RECURSE files "${SOURCE_DIR}/src/${place}/*.h" "${SOURCE_DIR}/src/${place}/*.cpp")
  foreach(file ${files})
    file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line ${includes})
      string(STRIP "${line}" line)
      if(line MATCHES "[<\"](Q[A-Za-z0-9_]*|Qt[A-Za-z0-9_]*/[^>\"]*)[>\"]")
        list(APPEND offenders "${file}: ${line} (Qt below the windows)")
      elseif(line MATCHES "\"([a-z_]+)/([a-z_]+)/[^\"]*\"" AND CMAKE_MATCH_1 STREQUAL "engine")
        set(target "engine/${CMAKE_MATCH_2}")
        if(NOT target IN_LIST allowed_${place})
          list(APPEND offenders "${file}: ${line} (${place} may not include ${target})")
        endif()
      elseif(line MATCHES "\"([a-z_]+)/[^\"]*\"")
        set(target "${CMAKE_MATCH_1}")
        if(NOT target IN_LIST allowed_${place})
          list(APPEND offenders "${file}: ${line} (${place} may not include ${target})")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()

file(GLOB loose "${SOURCE_DIR}/src/engine/*.cpp" "${SOURCE_DIR}/src/engine/*.h")
foreach(file ${loose})
  list(APPEND offenders "${file}: loose in src/engine, outside its folders")
endforeach()

if(offenders)
  list(JOIN offenders "\n  " text)
  message(FATAL_ERROR "Includes against the layering:\n  ${text}")
endif()
message(STATUS "every include runs down the layers")
