# What `cmake --install` puts in place, and the Debian package built from it with CPack:
#   cmake --install build [--strip] --prefix /usr
#   cd build && cpack -G DEB

set(LUMIVO_ID com.oberkan.Lumivo)
set(packaging ${PROJECT_SOURCE_DIR}/packaging)

install(TARGETS lumivo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${packaging}/${LUMIVO_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging}/${LUMIVO_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${packaging}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Manual pages and the Debian changelog go compressed, without a time stamp inside.
find_program(GZIP gzip REQUIRED)
foreach(pair "lumivo.1;lumivo.1.gz" "changelog;changelog.Debian.gz")
  list(GET pair 0 source)
  list(GET pair 1 target)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/${target}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
    COMMAND ${GZIP} -9nc ${packaging}/${source} > ${CMAKE_BINARY_DIR}/packaging/${target}
    DEPENDS ${packaging}/${source} VERBATIM)
  list(APPEND LUMIVO_COMPRESSED ${CMAKE_BINARY_DIR}/packaging/${target})
endforeach()
add_custom_target(lumivo_docs ALL DEPENDS ${LUMIVO_COMPRESSED})
install(FILES ${CMAKE_BINARY_DIR}/packaging/lumivo.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.Debian.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumivo)
set(CPACK_PACKAGE_VENDOR Oberkan)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Oberkan <lumivo@oberkan.example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "full-screen reader for PDF books, comic archives and folders of pictures")
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Lumivo shows books kept on local, removable and network drives full screen:\n"
  "PDF files, and folders of pictures and comic archives read as books. Pages\n"
  "show alone or as two-page spreads with or without a cover page, bound on the\n"
  "right or on the left, with a two-times magnifier over nine regions of the\n"
  "page.\n"
  ".\n"
  "Its Japanese interface uses large type. It is worked with a few keys, media\n"
  "keys, the mouse wheel or a floating remote pad, and it remembers up to a\n"
  "hundred reading positions.")
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://oberkan.example.com/lumivo)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Libraries come from the binary's links; the Japanese type and the TIFF and WebP readers
# from no link, so they are named.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk, qt6-image-formats-plugins, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
