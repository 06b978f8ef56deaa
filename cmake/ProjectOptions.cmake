# project_options: warnings and platform flags every project target links.
add_library(project_options INTERFACE)
target_compile_options(project_options INTERFACE -Wall -Wextra)

if(WIN32)
  # ANSI API throughout; no MinGW runtime DLLs to ship.
  target_compile_definitions(project_options INTERFACE
    WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601 STRICT)
  target_link_options(project_options INTERFACE -static -static-libgcc -static-libstdc++)
  # Without symbols the installer and its archive library leave room on the
  # first 3.5-inch floppy for the game's first part.
  target_link_options(project_options INTERFACE $<$<CONFIG:Release>:-s>)
endif()

option(SANITIZE "Build host code with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(SANITIZE AND NOT WIN32)
  target_compile_options(project_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(project_options INTERFACE -fsanitize=address,undefined)
endif()

# Places a shipped program in dist/<flavour>/ (and its bin/ for host tools).
function(ship target)
  if(WIN32)
    set(dir "${DIST_DIR}")
  else()
    set(dir "${DIST_DIR}/bin")
  endif()
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY "${dir}"
    LIBRARY_OUTPUT_DIRECTORY "${dir}")
endfunction()
