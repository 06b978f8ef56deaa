# add_program_test(NAME name COMMAND target [args...]
#                  [LOCALE ja] [SCREEN WxH] [TIMEOUT s])
# Registers a test. Windows programs run under Wine through the emulator
# (tests/wine/run.sh), each test in a private copy of a template prefix with
# its own Xvfb display; LOCALE ja runs it with the Japanese code page 932 and
# SCREEN picks the display size (default 1024x768).
function(add_program_test)
  cmake_parse_arguments(T "" "NAME;LOCALE;SCREEN;TIMEOUT" "COMMAND" ${ARGN})
  add_test(NAME ${T_NAME} COMMAND ${T_COMMAND})
  set(env "")
  if(T_LOCALE)
    list(APPEND env "WINE_LOCALE=${T_LOCALE}")
  endif()
  if(T_SCREEN)
    list(APPEND env "WINE_SCREEN=${T_SCREEN}")
  endif()
  if(env)
    set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${env}")
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
endfunction()

if(WIN32 AND CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(CMAKE_CROSSCOMPILING_EMULATOR
      "sh;${CMAKE_SOURCE_DIR}/tests/wine/run.sh;${CMAKE_BINARY_DIR}/wine")
endif()
