# Desktop integration and release packaging: `cmake --install` lays out the game for a Linux
# desktop (program, menu entry, AppStream details, icons, manual page, data directory), and
# `cpack` turns that layout into a .deb.
include(GNUInstallDirs)

# One reverse-DNS id names the menu entry, the AppStream component and the icon.
set(VANTREL_APP_ID com.vantrel.Marbles)
set(VANTREL_PKG_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(VANTREL_PKG_OUT ${CMAKE_BINARY_DIR}/packaging)

# ---- Menu entry and AppStream details, with the tagline of every catalogue ----

# The tagline in each language comes from the translation catalogues, so a new catalogue shows
# up in the menu entry and in the software centre without touching these files.
function(vantrel_xml_escape out text)
  string(REPLACE "&" "&amp;" text "${text}")
  string(REPLACE "<" "&lt;" text "${text}")
  string(REPLACE ">" "&gt;" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

file(GLOB VANTREL_CATALOGUES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/i18n/*.json)
list(FILTER VANTREL_CATALOGUES EXCLUDE REGEX "/languages\\.json$")
list(SORT VANTREL_CATALOGUES)
set(VANTREL_DESKTOP_COMMENTS "")
set(VANTREL_METAINFO_SUMMARIES "")
set(VANTREL_METAINFO_LANGUAGES "")
foreach(catalogue ${VANTREL_CATALOGUES})
  get_filename_component(lang ${catalogue} NAME_WE)
  file(READ ${catalogue} json)
  string(JSON tagline ERROR_VARIABLE err GET "${json}" "app.tagline")
  if(err)
    message(FATAL_ERROR "${catalogue}: no \"app.tagline\" (${err})")
  endif()
  string(APPEND VANTREL_METAINFO_LANGUAGES "    <lang>${lang}</lang>\n")
  if(lang STREQUAL "en")
    set(VANTREL_TAGLINE "${tagline}")
    continue()
  endif()
  string(APPEND VANTREL_DESKTOP_COMMENTS "Comment[${lang}]=${tagline}\n")
  vantrel_xml_escape(escaped "${tagline}")
  string(APPEND VANTREL_METAINFO_SUMMARIES "  <summary xml:lang=\"${lang}\">${escaped}</summary>\n")
endforeach()
list(LENGTH VANTREL_CATALOGUES VANTREL_LANGUAGE_COUNT)
if(NOT DEFINED VANTREL_TAGLINE)
  message(FATAL_ERROR "data/i18n/en.json is needed for the menu entry's comment")
endif()

set(VANTREL_DESKTOP_FILE ${VANTREL_PKG_OUT}/${VANTREL_APP_ID}.desktop)
set(VANTREL_METAINFO_FILE ${VANTREL_PKG_OUT}/${VANTREL_APP_ID}.metainfo.xml)
configure_file(${VANTREL_PKG_DIR}/com.vantrel.Marbles.desktop.in ${VANTREL_DESKTOP_FILE} @ONLY)
vantrel_xml_escape(VANTREL_TAGLINE_XML "${VANTREL_TAGLINE}")
configure_file(${VANTREL_PKG_DIR}/com.vantrel.Marbles.metainfo.xml.in ${VANTREL_METAINFO_FILE}
               @ONLY)

# ---- Icons, drawn at build time by tools/icon ----

set(VANTREL_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
set(VANTREL_ICON_FILES ${VANTREL_ICON_DIR}/hicolor/scalable/apps/${VANTREL_APP_ID}.svg)
foreach(size 16 24 32 48 64 128 256 512)
  list(APPEND VANTREL_ICON_FILES
       ${VANTREL_ICON_DIR}/hicolor/${size}x${size}/apps/${VANTREL_APP_ID}.png)
endforeach()
add_custom_command(
  OUTPUT ${VANTREL_ICON_FILES}
  COMMAND vantrel-icon ${VANTREL_APP_ID} ${VANTREL_ICON_DIR}
  DEPENDS vantrel-icon
  COMMENT "Drawing the application icon"
  VERBATIM)
add_custom_target(vantrel_icons ALL DEPENDS ${VANTREL_ICON_FILES})

# ---- Manual page and Debian documentation, compressed as Debian wants them ----

find_program(VANTREL_GZIP gzip)
set(VANTREL_MAN_PAGE ${VANTREL_PKG_DIR}/vantrel-marbles.6)
set(VANTREL_CHANGELOG ${VANTREL_PKG_DIR}/changelog)
if(VANTREL_GZIP)
  # -n leaves out the name and time stamp, so the same page always gives the same bytes.
  foreach(doc MAN_PAGE CHANGELOG)
    get_filename_component(name ${VANTREL_${doc}} NAME)
    set(gz ${VANTREL_PKG_OUT}/${name}.gz)
    add_custom_command(
      OUTPUT ${gz}
      COMMAND sh -c "\"$0\" -9 -n -c \"$1\" > \"$2\"" ${VANTREL_GZIP} ${VANTREL_${doc}} ${gz}
      DEPENDS ${VANTREL_${doc}}
      VERBATIM)
    set(VANTREL_${doc}_INSTALLED ${gz})
  endforeach()
  add_custom_target(vantrel_docs ALL DEPENDS ${VANTREL_MAN_PAGE_INSTALLED}
                                             ${VANTREL_CHANGELOG_INSTALLED})
else()
  set(VANTREL_MAN_PAGE_INSTALLED ${VANTREL_MAN_PAGE})
  set(VANTREL_CHANGELOG_INSTALLED ${VANTREL_CHANGELOG})
endif()

# ---- Install layout ----

install(TARGETS vantrel-marbles RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${VANTREL_DESKTOP_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VANTREL_METAINFO_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${VANTREL_ICON_DIR}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${VANTREL_MAN_PAGE_INSTALLED} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
# The game finds its data directory by the two folders assets/audio and assets/fonts beside
# bin/../share (or in /usr/share). Sounds are built into the program and fonts come from the
# system, so each folder holds only a note on how to replace or install them.
install(DIRECTORY ${VANTREL_PKG_DIR}/share/ DESTINATION ${CMAKE_INSTALL_DATADIR}/vantrelMarbles)
set(VANTREL_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/vantrel-marbles)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION ${VANTREL_DOC_DIR} RENAME copyright)
install(FILES ${VANTREL_CHANGELOG_INSTALLED} DESTINATION ${VANTREL_DOC_DIR})
# The program is in bin/ rather than Debian's games/ so that every session's PATH and the menu
# entry find it; lintian is told that this is deliberate.
install(FILES ${VANTREL_PKG_DIR}/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME vantrel-marbles)

# ---- Debian package ----

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel-marbles)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vantrel Software")
set(CPACK_PACKAGE_CONTACT "Vantrel Software <games@vantrel.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "puzzle game: sort coloured marbles between glass tubes")
# Wrapped by hand: dpkg shows each line as it is.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Vantrel's Marbles is a calm single-player puzzle. Only the top marble of a"
  "tube moves, and only onto an empty tube or onto a marble of the same colour"
  "in a tube that still has room; a level is solved when every tube holds one"
  "colour."
  ""
  "The game has 105 levels with proven shortest solutions that earn one to"
  "three stars, a gallery of solved levels, a demo mode and texts in"
  "${VANTREL_LANGUAGE_COUNT} languages.")
set(CPACK_PACKAGE_HOMEPAGE_URL https://vantrel.example/)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Release builds carry debug information; the package does not need it. The program's dynamic
# symbols, which name the functions in a crash report, survive stripping.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Vantrel Software <games@vantrel.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The libraries come from dpkg-shlibdeps. DejaVu is what the screens are laid out with, so it
# is a hard dependency (and small); Noto only adds scripts DejaVu lacks (CJK above all, which is
# large), so it is recommended: apt installs it by default, a minimal system may leave it out
# and still gets every language but Japanese, Korean and Chinese drawn properly.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-core, fonts-noto-cjk")
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/" "/\\\\.cache/")
include(CPack)

# ---- Checks ----

if(VANTREL_TESTS)
  enable_testing()
  add_test(NAME desktop.entry_validates
           COMMAND ${VANTREL_PKG_DIR}/check.sh desktop-file-validate ${VANTREL_DESKTOP_FILE})
  add_test(NAME desktop.metainfo_validates
           COMMAND ${VANTREL_PKG_DIR}/check.sh appstreamcli validate --no-net --pedantic
                   ${VANTREL_METAINFO_FILE})
  add_test(NAME desktop.manual_page_formats_cleanly
           COMMAND ${VANTREL_PKG_DIR}/check.sh groff -man -Tutf8 -ww -z ${VANTREL_MAN_PAGE})
  set_tests_properties(desktop.entry_validates desktop.metainfo_validates
                       desktop.manual_page_formats_cleanly PROPERTIES SKIP_RETURN_CODE 77)
endif()

# The install tests in tests/ install this build tree into a temporary prefix.
function(vantrel_packaging_wire_tests)
  if(TARGET vantrel_tests)
    target_compile_definitions(vantrel_tests PRIVATE
      VANTREL_CMAKE="${CMAKE_COMMAND}" VANTREL_BUILD_DIR="${CMAKE_BINARY_DIR}"
      VANTREL_APP_ID="${VANTREL_APP_ID}")
    add_dependencies(vantrel_tests vantrel_icons)
    if(TARGET vantrel_docs)
      add_dependencies(vantrel_tests vantrel_docs)
    endif()
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL vantrel_packaging_wire_tests)
