# The program modules: one shared module for each library that only some documents
# need (sorvane_zip.so for ZIP-based books and documents, sorvane_ole.so for Word
# 97-2003 files, sorvane_mime.so for saved pages, sorvane_chm.so for help books,
# sorvane_mobi.so for Mobipocket books, sorvane_script.so for the Traditional/Simplified
# conversion), loaded with dlopen the first time such a document arrives
# (src/io/program_module.cpp). They are built into <build>/modules and installed into
# <libdir>/sorvane.

set(SORVANE_MODULE_BUILD_DIR ${CMAKE_BINARY_DIR}/modules)
set(SORVANE_MODULE_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/sorvane)
file(RELATIVE_PATH SORVANE_MODULE_RELATIVE_DIR ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR}/sorvane)

# What a module must match to be taken: the version, the compiler, the sanitizer setting
# and the tables the modules export. A module of another build is passed over.
file(GLOB sorvane_module_headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/engine/*/*_module.h
     ${PROJECT_SOURCE_DIR}/src/io/byte_sink.h)
set(sorvane_module_key "${PROJECT_VERSION};${CMAKE_CXX_COMPILER_ID};${CMAKE_CXX_COMPILER_VERSION};${SORVANE_SANITIZE};${SORVANE_FUZZ}")
foreach(header ${sorvane_module_headers})
  file(READ ${header} text)
  string(APPEND sorvane_module_key "${text}")
endforeach()
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${sorvane_module_headers})
string(SHA1 sorvane_module_hash "${sorvane_module_key}")
string(SUBSTRING ${sorvane_module_hash} 0 16 sorvane_module_hash)
set(SORVANE_MODULE_BUILD "${PROJECT_VERSION}-${sorvane_module_hash}")

file(WRITE ${CMAKE_BINARY_DIR}/sorvane_module.map "{ global: sorvane_*; local: *; };\n")

# sorvane_module(NAME SOURCES ... LIBS ...): the module sorvane_NAME.so. Its sources
# include the library's headers and nothing of ours but the table they fill in; only
# the table and the build tag are exported.
function(sorvane_module name)
  cmake_parse_arguments(M "" "" "SOURCES;LIBS" ${ARGN})
  set(target sorvane_${name})
  add_library(${target} MODULE ${M_SOURCES} ${PROJECT_SOURCE_DIR}/src/io/module_build.cpp)
  set_target_properties(${target} PROPERTIES PREFIX "" LIBRARY_OUTPUT_DIRECTORY ${SORVANE_MODULE_BUILD_DIR}
                                             CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  target_compile_definitions(${target} PRIVATE SORVANE_MODULE_BUILD="${SORVANE_MODULE_BUILD}")
  target_link_libraries(${target} PRIVATE sorvane_options ${M_LIBS})
  target_link_options(${target} PRIVATE -Wl,--version-script=${CMAKE_BINARY_DIR}/sorvane_module.map)
  install(TARGETS ${target} LIBRARY DESTINATION ${SORVANE_MODULE_INSTALL_DIR})
  set_property(GLOBAL APPEND PROPERTY SORVANE_MODULES ${target})
endfunction()
