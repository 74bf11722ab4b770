# Compile settings shared by every target of ours, carried by one INTERFACE target
# instead of global flags.
add_library(sorvane_options INTERFACE)
target_compile_features(sorvane_options INTERFACE cxx_std_20)
target_compile_options(sorvane_options INTERFACE -Wall -Wextra -Wpedantic)
target_include_directories(sorvane_options INTERFACE ${PROJECT_SOURCE_DIR}/src)
if(SORVANE_SANITIZE)
  target_compile_options(sorvane_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(sorvane_options INTERFACE -fsanitize=address,undefined)
endif()
