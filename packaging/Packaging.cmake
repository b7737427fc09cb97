# What `cmake --install` puts under the prefix: the three programs, the desktop entry, the
# icon in the hicolor theme, the AppStream metainfo and the manual pages. Test programs,
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

# Manual pages are installed compressed at the highest level and
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
add_custom_target(quorel_compressed_docs ALL DEPENDS ${compressed_files})
