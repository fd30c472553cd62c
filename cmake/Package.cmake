# What an install holds besides the programs (the menu entry, the icons, the
# AppStream metainfo, the manual pages, the bash completion and the package's
# documents), and the Debian package CPack makes of it from this build folder:
#   cmake --build build && (cd build && cpack)      (scripts/package.sh)

set(VARNEK_APP_ID io.github.kolvir.varnek)
set(VARNEK_MAINTAINER "Varnek developers <dev@varnek.invalid>")
set(VARNEK_PACKAGE_FILES AUTO CACHE STRING
    "Manual pages (help2man) and PNG icons (rsvg-convert): ON, OFF, or AUTO when both tools are there")
set_property(CACHE VARNEK_PACKAGE_FILES PROPERTY STRINGS AUTO ON OFF)

set(data ${PROJECT_SOURCE_DIR}/data)
set(generated ${CMAKE_BINARY_DIR}/share)
# Not CMAKE_INSTALL_DOCDIR: that folder is named after the project, Varnek.
set(VARNEK_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/varnek)

# One date for the changelog and the metainfo's release, from
# SOURCE_DATE_EPOCH when the build sets one.
string(TIMESTAMP VARNEK_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP VARNEK_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)

install(FILES ${data}/varnek-cli.bash RENAME varnek-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${data}/copyright DESTINATION ${VARNEK_DOC_DIR})
configure_file(${data}/changelog.in ${generated}/changelog @ONLY)
# -n: no name or time stamp in the header, so the same text packs the same.
add_custom_command(OUTPUT ${generated}/changelog.gz
                   COMMAND gzip -9nc ${generated}/changelog > ${generated}/changelog.gz
                   DEPENDS ${generated}/changelog VERBATIM)
add_custom_target(varnek_changelog ALL DEPENDS ${generated}/changelog.gz)
install(FILES ${generated}/changelog.gz DESTINATION ${VARNEK_DOC_DIR})

if(VARNEK_GUI)
  install(FILES ${data}/${VARNEK_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${data}/varnek.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  configure_file(${data}/${VARNEK_APP_ID}.metainfo.xml.in
                 ${generated}/${VARNEK_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${generated}/${VARNEK_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

if(NOT VARNEK_PACKAGE_FILES STREQUAL "OFF")
  if(VARNEK_PACKAGE_FILES STREQUAL "ON")
    set(required REQUIRED)
  else()
    set(required "")
  endif()
  find_program(HELP2MAN help2man ${required})
  find_program(RSVG_CONVERT rsvg-convert ${required})
  if(NOT HELP2MAN OR NOT RSVG_CONVERT)
    message(STATUS "No manual pages or PNG icons: help2man or rsvg-convert is missing "
                   "(scripts/setup.sh package installs them)")
  else()
    # The pages are written from each program's own --help and --version, so
    # a new option is in the manual at the next build; data/man/*.h2m adds
    # what --help does not say (files, serial ports, examples).
    set(names
        "varnek=manage the memory channels of a transceiver"
        "varnek-cli=read, write and clear a transceiver's memory channels from the command line"
        "varnek-rigsim=a simulated transceiver on a pseudo-terminal")
    set(pages "")
    foreach(entry IN LISTS names)
      string(REGEX MATCH "^[^=]+" program "${entry}")
      string(REGEX REPLACE "^[^=]+=" "" name "${entry}")
      if(NOT TARGET ${program})
        continue()
      endif()
      set(page ${generated}/man/${program}.1)
      add_custom_command(
        OUTPUT ${page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${generated}/man
        COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
                ${HELP2MAN} --no-info --section=1 --name=${name}
                --include=${data}/man/${program}.h2m --output=${page} $<TARGET_FILE:${program}>
        COMMAND gzip -9nf ${page}
        DEPENDS ${program} ${data}/man/${program}.h2m
        COMMENT "Manual page ${program}(1)"
        VERBATIM)
      list(APPEND pages ${page}.gz)
      install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endforeach()
    add_custom_target(varnek_man ALL DEPENDS ${pages})

    if(VARNEK_GUI)
      # Menus and docks that do not scale SVG pick these sizes.
      set(icons "")
      foreach(size 16 22 24 32 48 64 128 256)
        set(icon ${generated}/icons/${size}x${size}/varnek.png)
        add_custom_command(
          OUTPUT ${icon}
          COMMAND ${CMAKE_COMMAND} -E make_directory ${generated}/icons/${size}x${size}
          COMMAND ${RSVG_CONVERT} --width=${size} --height=${size} --output=${icon}
                  ${data}/varnek.svg
          DEPENDS ${data}/varnek.svg
          VERBATIM)
        list(APPEND icons ${icon})
        install(FILES ${icon}
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
      endforeach()
      add_custom_target(varnek_icons ALL DEPENDS ${icons})
    endif()
  endif()
endif()

# The Debian package: everything above, installed under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME varnek)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Kolvir)
set(CPACK_PACKAGE_CONTACT ${VARNEK_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "memory channels of a transceiver over a serial line")
set(CPACK_PACKAGE_DESCRIPTION
    "Varnek reads, writes and clears the 100 memory channels of an amateur-radio
transceiver over its serial line: Kenwood TS-570, TS-870S and TS-2000, Yaesu
FT-2000, FT-1000 and FT-920, and Icom CI-V rigs. A table window edits the
channels and saves them as text files or CHIRP and Hamlib rigmem CSV;
varnek-cli runs the same transfers from scripts, and varnek-rigsim simulates
a rig for trying both without one.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://kolvir.github.io/varnek/)
# The libraries the programs link come from dpkg-shlibdeps; libcurl is
# opened only when an update check runs, so the package can do without it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libcurl4 | libcurl3-gnutls, fonts-dejavu-extra")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
