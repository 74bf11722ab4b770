# The command line starts once per document, so what it costs to start counts as much as
# converting a small page does. A dynamically linked C++ program spends most of its start
# resolving symbols of libstdc++ and ICU; linked statically, they cost nothing to bind.
# sorvane_lean_start(TARGET) links TARGET with the C++ runtime and the libraries every
# page needs (ICU with its data, the HTML parser, the encoding detector, the XML parser,
# the regular expressions of cleaning and rules files) statically; the rest are program modules, loaded when a document needs them
# (cmake/SorvaneModules.cmake). Other targets, and every target of a sanitizer or fuzz
# build, link them dynamically as before.

option(SORVANE_LEAN_START "Link the command line statically with the libraries every page needs" ON)

set(sorvane_lean_available OFF)
if(SORVANE_LEAN_START AND NOT SORVANE_SANITIZE AND NOT SORVANE_FUZZ AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  find_library(SORVANE_ICUI18N_STATIC NAMES libicui18n.a)
  find_library(SORVANE_ICUUC_STATIC NAMES libicuuc.a)
  find_library(SORVANE_ICUDATA_STATIC NAMES libicudata.a)
  find_library(SORVANE_GUMBO_STATIC NAMES libgumbo.a)
  find_library(SORVANE_UCHARDET_STATIC NAMES libuchardet.a)
  find_library(SORVANE_PUGIXML_STATIC NAMES libpugixml.a)
  find_library(SORVANE_RE2_STATIC NAMES libre2.a)
  if(SORVANE_ICUI18N_STATIC AND SORVANE_ICUUC_STATIC AND SORVANE_ICUDATA_STATIC AND SORVANE_GUMBO_STATIC
     AND SORVANE_UCHARDET_STATIC AND SORVANE_PUGIXML_STATIC AND SORVANE_RE2_STATIC)
    set(sorvane_lean_available ON)
  else()
    message(STATUS "Static ICU, gumbo, uchardet, pugixml or re2 libraries not found: the command line links them dynamically")
  endif()
endif()

# One INTERFACE target a library: the static archive for a lean target, the shared
# library for any other. The headers are the same either way.
set(sorvane_lean "$<BOOL:$<TARGET_PROPERTY:SORVANE_LEAN_START>>")
function(sorvane_library name shared)
  cmake_parse_arguments(L "" "" "STATIC;INCLUDES" ${ARGN})
  add_library(${name} INTERFACE)
  target_include_directories(${name} SYSTEM INTERFACE ${L_INCLUDES})
  if(sorvane_lean_available)
    foreach(lib ${L_STATIC})
      target_link_libraries(${name} INTERFACE "$<${sorvane_lean}:${lib}>")
    endforeach()
    foreach(lib ${shared})
      target_link_libraries(${name} INTERFACE "$<$<NOT:${sorvane_lean}>:${lib}>")
    endforeach()
  else()
    target_link_libraries(${name} INTERFACE ${shared})
  endif()
endfunction()

sorvane_library(sorvane_icu "ICU::i18n;ICU::uc"
  STATIC "${SORVANE_ICUI18N_STATIC};${SORVANE_ICUUC_STATIC};${SORVANE_ICUDATA_STATIC}" INCLUDES ${ICU_INCLUDE_DIRS})
sorvane_library(sorvane_gumbo PkgConfig::GUMBO STATIC ${SORVANE_GUMBO_STATIC} INCLUDES ${GUMBO_INCLUDE_DIRS})
sorvane_library(sorvane_uchardet PkgConfig::UCHARDET STATIC ${SORVANE_UCHARDET_STATIC} INCLUDES ${UCHARDET_INCLUDE_DIRS})
sorvane_library(sorvane_pugixml PkgConfig::PUGIXML STATIC ${SORVANE_PUGIXML_STATIC} INCLUDES ${PUGIXML_INCLUDE_DIRS})
sorvane_library(sorvane_re2 PkgConfig::RE2 STATIC ${SORVANE_RE2_STATIC} INCLUDES ${RE2_INCLUDE_DIRS})

function(sorvane_lean_start target)
  if(sorvane_lean_available)
    set_target_properties(${target} PROPERTIES SORVANE_LEAN_START ON)
    target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc)
  endif()
endfunction()
