# Run by `cmake --install`: writes the launcher and the desktop entries for the prefix being
# installed to, below $DESTDIR.
set(RADIODECK_LIBDIR "${CMAKE_INSTALL_PREFIX}/lib/radiodeck")
set(RADIODECK_LAUNCHER "${CMAKE_INSTALL_PREFIX}/bin/radiodeck")
set(autostart "$ENV{RADIODECK_AUTOSTART}")
if(NOT autostart)
    set(autostart /etc/xdg/autostart)
endif()
set(root "$ENV{DESTDIR}")
foreach(entry "${RADIODECK_DIST}/radiodeck.in=${CMAKE_INSTALL_PREFIX}/bin/radiodeck"
              "${RADIODECK_DIST}/radiodeck.desktop.in=${CMAKE_INSTALL_PREFIX}/share/applications/radiodeck.desktop"
              "${RADIODECK_DIST}/radiodeck-autostart.desktop.in=${autostart}/radiodeck.desktop")
    string(REPLACE "=" ";" pair "${entry}")
    list(GET pair 0 source)
    list(GET pair 1 target)
    message(STATUS "Installing: ${root}${target}")
    configure_file("${source}" "${root}${target}" @ONLY)
endforeach()
file(CHMOD "${root}${CMAKE_INSTALL_PREFIX}/bin/radiodeck" PERMISSIONS OWNER_READ OWNER_WRITE
     OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
