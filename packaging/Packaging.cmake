# What `cmake --install` puts under the prefix, and the Debian package CPack builds of it:
# the three programs, their translations, the desktop entry, the icon in the hicolor theme,
# the AppStream metainfo, the manual pages and the Debian copyright and changelog. Test programs,
# benchmarks and their libraries have no install rule, so they never reach the package.
include(GNUInstallDirs)

set(QUOREL_APP_ID io.github.quorel.Quorel)
set(QUOREL_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
set(QUOREL_PACKAGING_BUILD_DIR ${CMAKE_BINARY_DIR}/packaging)
set(QUOREL_ICON_SIZES 16 32 48 64 128 256)
set(QUOREL_MANUAL_PAGES quorel quorelctl quorel-sim)

# Installed folders are 0755 whatever the umask of the machine that builds the package.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS quorel quorelctl quorel-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The compiled translations, where the installed panel looks for them: share/quorel/
# translations beside its bin/ folder (quorelctl carries its English built in).
install(FILES ${QUOREL_QM_FILES} DESTINATION ${CMAKE_INSTALL_DATADIR}/quorel/translations)

install(FILES ${QUOREL_PACKAGING_DIR}/${QUOREL_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${QUOREL_PACKAGING_DIR}/${QUOREL_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${QUOREL_PACKAGING_DIR}/${QUOREL_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The fixed-size icons are drawn from the SVG at build time, so the repository holds one
# picture. Without rsvg-convert the build still works and installs the SVG alone.
find_program(QUOREL_RSVG_CONVERT rsvg-convert)
if(QUOREL_RSVG_CONVERT)
  set(icon_files)
  foreach(size IN LISTS QUOREL_ICON_SIZES)
    set(png ${QUOREL_PACKAGING_BUILD_DIR}/icons/${size}x${size}/${QUOREL_APP_ID}.png)
    add_custom_command(
      OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${QUOREL_PACKAGING_BUILD_DIR}/icons/${size}x${size}
      COMMAND ${QUOREL_RSVG_CONVERT} -w ${size} -h ${size} -o ${png}
              ${QUOREL_PACKAGING_DIR}/${QUOREL_APP_ID}.svg
      DEPENDS ${QUOREL_PACKAGING_DIR}/${QUOREL_APP_ID}.svg
      VERBATIM)
    list(APPEND icon_files ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(quorel_icons ALL DEPENDS ${icon_files})
else()
  message(WARNING "rsvg-convert (Debian package librsvg2-bin) not found: "
                  "only the scalable icon is installed")
endif()

# Manual pages and the Debian changelog are installed compressed at the highest level and
# without a time stamp, so that the same sources give the same package.
function(quorel_gzip source output)
  add_custom_command(
    OUTPUT ${output}
    COMMAND sh -c "gzip -9nc \"$1\" > \"$2\"" gzip ${source} ${output}
    DEPENDS ${source}
    VERBATIM)
endfunction()

set(compressed_files)
foreach(page IN LISTS QUOREL_MANUAL_PAGES)
  set(gz ${QUOREL_PACKAGING_BUILD_DIR}/man/${page}.1.gz)
  file(MAKE_DIRECTORY ${QUOREL_PACKAGING_BUILD_DIR}/man)
  quorel_gzip(${QUOREL_PACKAGING_DIR}/man/${page}.1 ${gz})
  list(APPEND compressed_files ${gz})
  install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

set(changelog_gz ${QUOREL_PACKAGING_BUILD_DIR}/changelog.Debian.gz)
quorel_gzip(${QUOREL_PACKAGING_DIR}/debian/changelog ${changelog_gz})
list(APPEND compressed_files ${changelog_gz})
add_custom_target(quorel_compressed_docs ALL DEPENDS ${compressed_files})

install(FILES ${QUOREL_PACKAGING_DIR}/debian/copyright ${changelog_gz}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quorel)

# The Python driver (a pymeasure instrument class), for Debian's python3: its modules live in
# dist-packages for every Python 3 version alike, compiled by nobody but the interpreter.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/python/quorel DESTINATION lib/python3/dist-packages
        FILES_MATCHING PATTERN "*.py" PATTERN "__pycache__" EXCLUDE)

# --- The Debian package ---
set(QUOREL_PACKAGE_MAINTAINER "Quorel developers <quorel@example.org>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The first packaging of this version; the Debian changelog carries the same number.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control panel for a programmable USB bench power supply")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QUOREL_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The windows' Japanese texts are laid out for the IPA Gothic faces they are mapped to.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic")
# The Python driver's interpreter and the instrument framework it builds on.
string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", python3:any, python3-pymeasure")
# The portmapper, through which VXI-11 clients find serve's port (TCPIP::host::INSTR).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "rpcbind")
# A broker and its clients, for serve --mqtt on a machine without one.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "mosquitto, mosquitto-clients")
# The long description; CPack puts the summary above it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Quorel is the desktop control panel for a small programmable bench power
supply (0 to 20 V, 0 to 1 A; 1.5 W from the USB host, 6.0 W from an AC
adapter) that shows up as a serial port. One window connects the supply,
sets voltage and current limit, switches the output, shows live readouts
and a scrolling voltage and current history, records CSV measurement logs,
keeps a time-stamped system log and replaces the firmware through the
supply's boot-loader. The user interface is in Japanese or in English.
.
The package also holds quorelctl, which does the same from a shell,
quorel-sim, a simulated supply on a pseudo-terminal for trying both
without hardware, and the Python module quorel, an instrument class for
pymeasure scripts.")
include(CPack)
