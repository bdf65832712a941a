# Installation (`cmake --install`) and packages (`cpack`): a .deb on Linux,
# a .zip of the program and a plain-text README for Windows.

# Debian names the documentation folder after the package.
set(CMAKE_INSTALL_DOCDIR share/doc/vontrale-decrunch)
include(GNUInstallDirs)

configure_file(man/vontrale_decrunch.1.in
               ${PROJECT_BINARY_DIR}/vontrale_decrunch.1 @ONLY)

# A copy of a text file with CR LF line ends, for a Windows user's Notepad.
function(vontrale_write_crlf from to)
  file(READ ${from} text)
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${to} "${text}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${from})
endfunction()

if(WIN32)
  configure_file(packaging/README-windows.txt.in
                 ${PROJECT_BINARY_DIR}/README-lf.txt @ONLY)
  vontrale_write_crlf(${PROJECT_BINARY_DIR}/README-lf.txt
                      ${PROJECT_BINARY_DIR}/README.txt)
  vontrale_write_crlf(${PROJECT_SOURCE_DIR}/LICENSE
                      ${PROJECT_BINARY_DIR}/LICENSE.txt)
  install(TARGETS vontrale_decrunch RUNTIME DESTINATION .)
  install(FILES ${PROJECT_BINARY_DIR}/README.txt ${PROJECT_BINARY_DIR}/LICENSE.txt
          DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win32)
else()
  install(TARGETS vontrale_decrunch RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # A Debian package carries its manual page and changelog compressed, and
  # gzip -n keeps the package the same from one build to the next.
  option(VONTRALE_COMPRESS_DOCS "Install the manual page and changelog gzipped" OFF)
  if(VONTRALE_COMPRESS_DOCS)
    find_program(GZIP gzip REQUIRED)
    set(man ${PROJECT_BINARY_DIR}/vontrale_decrunch.1.gz)
    set(changelog ${PROJECT_BINARY_DIR}/changelog.gz)
    add_custom_command(OUTPUT ${man} ${changelog}
      COMMAND ${GZIP} -9nc ${PROJECT_BINARY_DIR}/vontrale_decrunch.1 > ${man}
      COMMAND ${GZIP} -9nc ${PROJECT_SOURCE_DIR}/packaging/changelog > ${changelog}
      DEPENDS ${PROJECT_BINARY_DIR}/vontrale_decrunch.1
              ${PROJECT_SOURCE_DIR}/packaging/changelog)
    add_custom_target(compressed_docs ALL DEPENDS ${man} ${changelog})
  else()
    set(man ${PROJECT_BINARY_DIR}/vontrale_decrunch.1)
    set(changelog ${PROJECT_SOURCE_DIR}/packaging/changelog)
  endif()
  install(FILES ${man} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${changelog} packaging/copyright
          DESTINATION ${CMAKE_INSTALL_DOCDIR})
  set(CPACK_GENERATOR DEB)
endif()

set(CPACK_PACKAGE_NAME vontrale-decrunch)
set(CPACK_PACKAGE_VENDOR "The vontrale_decrunch developers")
set(CPACK_PACKAGE_CONTACT "The vontrale_decrunch developers <developers@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "unpack .sbk sample banks into WAV files")
set(CPACK_PACKAGE_DESCRIPTION
    "vontrale_decrunch unpacks a sample bank, a .sbk file that holds many audio
samples, into one RIFF WAVE file per sample, in a new directory beside the
bank. Each sample's data and format block are copied unchanged behind a
44-byte WAV header; nothing is decoded. Damaged banks are detected and
reported, and files already written stay complete.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://example.org/vontrale_decrunch")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_FILE_NAME
    "${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-${CMAKE_SYSTEM_PROCESSOR}")
if(WIN32)
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-win32")
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)
if(NOT WIN32)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
endif()
include(CPack)
