# What the package installs, and the Debian package cpack makes of it:
# piecework_<version>_amd64.deb (cpack -G DEB in the build folder, or scripts/package.sh).
set(PKG ${CMAKE_CURRENT_LIST_DIR})
set(PKG_BUILD ${CMAKE_BINARY_DIR}/packaging)

# Debian wants the manual and the changelog compressed, without a time stamp inside.
find_program(GZIP gzip REQUIRED)
foreach(doc piecework.1 changelog)
  add_custom_command(OUTPUT ${PKG_BUILD}/${doc}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PKG_BUILD}
    COMMAND ${GZIP} -9nc ${PKG}/${doc} > ${PKG_BUILD}/${doc}.gz
    DEPENDS ${PKG}/${doc} VERBATIM)
endforeach()
add_custom_target(package_docs ALL DEPENDS ${PKG_BUILD}/piecework.1.gz ${PKG_BUILD}/changelog.gz)

install(TARGETS piecework RUNTIME DESTINATION bin)
install(FILES ${PKG}/piecework.desktop DESTINATION share/applications)
install(FILES ${PKG}/piecework.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${PKG}/piecework.metainfo.xml DESTINATION share/metainfo)
install(FILES ${PKG_BUILD}/piecework.1.gz DESTINATION share/man/man1)
install(FILES ${PKG}/copyright ${PKG_BUILD}/changelog.gz DESTINATION share/doc/piecework)
# Read by the program at that place, whatever the prefix.
install(FILES ${PKG}/piecework.conf DESTINATION /etc)
# The production calendars, a file a year; the administrator's in /etc/piecework/calendar
# win year by year. The build folder holds a copy where the program built there finds it.
file(GLOB PKG_CALENDARS CONFIGURE_DEPENDS ${PKG}/calendar/ru-*.txt)
install(FILES ${PKG_CALENDARS} DESTINATION share/piecework/calendar)
install(DIRECTORY DESTINATION /etc/piecework/calendar)
foreach(cal ${PKG_CALENDARS})
  get_filename_component(cal_name ${cal} NAME)
  configure_file(${cal} ${CMAKE_BINARY_DIR}/share/piecework/calendar/${cal_name} COPYONLY)
endforeach()

# The package needs the program alone, not the tests and benchmarks that "all" builds.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME piecework)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Workshop software team <software@workshop.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "piece-work production accounting of a workshop")
set(CPACK_PACKAGE_DESCRIPTION
  "Desktop client for a factory workshop: shift foremen record who made\n\
how many pieces of which product on which operation, per day and shift;\n\
the client prices that output, keeps the monthly timesheets and reference\n\
books, and shows period reports and spreadsheet exports. It works on the\n\
workshop's PostgreSQL database, named once in /etc/piecework.conf.\n\
Its windows are in Russian.")
# The libraries it links come from dpkg-shlibdeps; these it loads at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "qt6-qpa-plugins, qt6-translations-l10n, odbc-postgresql, unixodbc")
# Reports are laid out in Arial's widths, which Liberation Sans has too.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libreoffice-calc, xdg-utils, fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PKG}/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
