# Installs the build in BUILD_DIR into a fresh PREFIX and checks that every
# file lands where it belongs, that the installed tool runs, and that its
# manual page renders without a warning.
file(REMOVE_RECURSE ${PREFIX})
execute_process(
  COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
  RESULT_VARIABLE status OUTPUT_QUIET)
if(status)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

set(expected
  bin/vontrale_decrunch
  share/doc/vontrale-decrunch/changelog
  share/doc/vontrale-decrunch/copyright
  share/man/man1/vontrale_decrunch.1)
file(GLOB_RECURSE installed RELATIVE ${PREFIX} ${PREFIX}/*)
list(SORT installed)
if(NOT installed STREQUAL expected)
  message(FATAL_ERROR "installed:\n  ${installed}\nexpected:\n  ${expected}")
endif()

# The installed program is the tool: without an argument it prints its
# banner and ends with status 5.
execute_process(COMMAND ${PREFIX}/bin/vontrale_decrunch
  RESULT_VARIABLE status OUTPUT_VARIABLE out)
if(NOT status EQUAL 5 OR NOT out MATCHES "^Vontrale audio files decruncher")
  message(FATAL_ERROR "the installed tool gave ${status}:\n${out}")
endif()

set(page ${PREFIX}/share/man/man1/vontrale_decrunch.1)
file(READ ${page} text)
if(NOT text MATCHES "\"vontrale_decrunch ${VERSION}\"")
  message(FATAL_ERROR "the manual page does not carry version ${VERSION}")
endif()
foreach(section NAME SYNOPSIS DESCRIPTION "EXIT STATUS" EXAMPLES
        "DAMAGED BANKS" "EXISTING FILES")
  if(NOT text MATCHES "\n\\.SH ${section}\n")
    message(FATAL_ERROR "the manual page has no ${section} section")
  endif()
endforeach()
find_program(MANDOC mandoc)
find_program(GROFF groff)
if(NOT MANDOC AND NOT GROFF)
  message(FATAL_ERROR "neither mandoc nor groff to check the manual page")
endif()
if(MANDOC)
  execute_process(COMMAND ${MANDOC} -T lint -W warning ${page}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(status OR out)
    message(FATAL_ERROR "mandoc -T lint:\n${out}")
  endif()
endif()
if(GROFF)
  execute_process(COMMAND ${GROFF} -man -ww -z ${page}
    RESULT_VARIABLE status ERROR_VARIABLE out)
  if(status OR out)
    message(FATAL_ERROR "groff -man -ww:\n${out}")
  endif()
endif()
