# Build-time check of the shipped DLL: exactly the undecorated export `Unlha`
# (no stdcall "@16"), and no MinGW runtime DLL among its imports.
#   cmake -DOBJDUMP=... -DDLL=... -P CheckExports.cmake
execute_process(COMMAND "${OBJDUMP}" -p "${DLL}" OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed")
endif()

string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[^\n]*\n(([^\n]*\\[ *[0-9]+\\][^\n]*\n)*)" table "${dump}")
string(REGEX MATCHALL "\\] [^\n]+" exports "${CMAKE_MATCH_1}")
list(TRANSFORM exports REPLACE "^\\] " "")
if(NOT exports STREQUAL "Unlha")
  message(FATAL_ERROR "${DLL} exports [${exports}], expected exactly [Unlha]")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
foreach(import IN LISTS imports)
  if(import MATCHES "libstdc|libgcc|libwinpthread|msvcp")
    message(FATAL_ERROR "${DLL} needs a runtime DLL: ${import}")
  endif()
endforeach()
