# Warnings and sanitizers for the project's own targets (not for GoogleTest).
add_library(project_options INTERFACE)
target_compile_options(project_options INTERFACE
  -Wall -Wextra -Werror -Wshadow -Wformat=2 -Wno-format-nonliteral)
if(SETUP_SANITIZE)
  target_compile_options(project_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(project_options INTERFACE -fsanitize=address,undefined)
endif()

# A program that ships on the disc: beside it, its link map (every function's
# address, to read a crash report's addresses against, since the program
# itself carries no symbols).
function(ship_program target)
  target_link_options(${target} PRIVATE "-Wl,-Map,$<TARGET_FILE_DIR:${target}>/${target}.map")
endfunction()

option(SETUP_FUZZ "Build the fuzz targets (clang, libFuzzer)" OFF)
set(SETUP_FUZZ_SANITIZERS "address,undefined" CACHE STRING "The sanitizers of the fuzz targets")
if(SETUP_FUZZ)
  target_compile_options(project_options INTERFACE
    -fsanitize=fuzzer-no-link,${SETUP_FUZZ_SANITIZERS} -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(project_options INTERFACE -fsanitize=${SETUP_FUZZ_SANITIZERS})
endif()
