# What is installed and how it is packaged: the six programs, their
# manual pages, the README, the route maker page and its site folder, in
# the Debian package (preset package) or at the top of the Windows zip
# (preset windows-package).

# The route maker page, built by the web preset (emscripten,
# cmake --workflow --preset page), is installed beside the README wherever
# it has been built. The package presets require it, so that the Debian
# package and the Windows zip always hold it.
set(ROUTE_MAKER_PAGE ${PROJECT_SOURCE_DIR}/build/web/route-maker.html CACHE FILEPATH
    "The route maker page, as the web preset builds it")
# The folder that puts the page on a static host, built beside it.
set(ROUTE_MAKER_SITE ${PROJECT_SOURCE_DIR}/build/web/site CACHE PATH
    "The route maker's site folder, as the web preset builds it")
option(REQUIRE_ROUTE_MAKER_PAGE "Stop unless the route maker page is built (the package presets)" OFF)
set(page_optional OPTIONAL)
if(REQUIRE_ROUTE_MAKER_PAGE)
  if(NOT EXISTS ${ROUTE_MAKER_PAGE} OR NOT EXISTS ${ROUTE_MAKER_SITE}/index.html)
    message(FATAL_ERROR "The route maker page is not built: run cmake --workflow --preset page first")
  endif()
  set(page_optional "")
endif()

# The programs installed, each with its manual page man/PROGRAM.1.
set(installed_programs Tolvek Brisham Quendal Marovin rt2preview rt2gpx)
set(manual_pages)
foreach(program ${installed_programs})
  list(APPEND manual_pages ${PROJECT_SOURCE_DIR}/man/${program}.1)
endforeach()

if(WIN32)
  # The Windows download: the programs at the top of the zip with the
  # README, and each manual page as plain text with CR LF line ends for
  # users who have no man.
  find_program(GROFF groff REQUIRED)
  set(manual_texts)
  foreach(program ${installed_programs})
    set(text ${PROJECT_BINARY_DIR}/programs/${program}.txt)
    add_custom_command(OUTPUT ${text}
      COMMAND sh -c "${GROFF} -man -Tascii -P -cbou '${PROJECT_SOURCE_DIR}/man/${program}.1' | sed 's/$/\\r/' > '${text}'"
      DEPENDS ${PROJECT_SOURCE_DIR}/man/${program}.1 VERBATIM)
    list(APPEND manual_texts ${text})
  endforeach()
  add_custom_target(manual_texts ALL DEPENDS ${manual_texts})
  install(TARGETS ${installed_programs} RUNTIME DESTINATION .)
  install(FILES ${manual_texts} ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)
  install(FILES ${ROUTE_MAKER_PAGE} DESTINATION . ${page_optional})
  install(DIRECTORY ${ROUTE_MAKER_SITE}/ DESTINATION route-maker-site ${page_optional})
else()
  include(GNUInstallDirs)
  install(TARGETS ${installed_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${manual_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
  install(FILES ${ROUTE_MAKER_PAGE} DESTINATION ${CMAKE_INSTALL_DOCDIR} ${page_optional})
  install(DIRECTORY ${ROUTE_MAKER_SITE}/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/route-maker-site ${page_optional})
endif()

# The Debian package of the six programs and their manual pages.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME track-route-converters)
set(CPACK_PACKAGE_VENDOR "Route converter developers")
set(CPACK_PACKAGE_CONTACT "Route converter developers <maintainers@users.noreply.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "convert GPS tracks (NMEA, record file, .plt, .gpx) into forward and backward routes")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tolvek, Brisham, Quendal and Marovin read one recorded GPS track each (an NMEA 0183\nlog, a binary record file, an OziExplorer track point file, a GPX file), thin it\nto a short series of waypoints and write OziExplorer CE Route2 forward and\nbackward routes. rt2preview draws a track and its route as an SVG picture and\nfinds the thresholds that keep a route within a waypoint budget.\nrt2gpx turns a route into a GPX route for the devices that load those.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
include(CPack)
