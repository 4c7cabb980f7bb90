# `make install` (PREFIX, DESTDIR, AUTOSTART): the programs with their libraries in
# PREFIX/lib/radiodeck, where each finds the others beside itself; the launcher `radiodeck` in
# PREFIX/bin; the desktop entry, the program's icon in the hicolor theme, and the autostart
# entry that starts the hotkey service and the program at login, in AUTOSTART (by default
# /etc/xdg/autostart, where every desktop looks; $RADIODECK_AUTOSTART at install time).
set(RADIODECK_HICOLOR_DIR "${CMAKE_BINARY_DIR}/hicolor")
set(hicolor_files)
foreach(size 16 22 24 32 48 64 128 256)
    list(APPEND hicolor_files "${RADIODECK_HICOLOR_DIR}/${size}x${size}/apps/radiodeck.png")
endforeach()
add_custom_command(
    OUTPUT ${hicolor_files}
    COMMAND radiodeck_art --hicolor "${RADIODECK_HICOLOR_DIR}"
    DEPENDS radiodeck_art
    COMMENT "Drawing the desktop's icons"
    VERBATIM)
add_custom_target(radiodeck_hicolor ALL DEPENDS ${hicolor_files})

set(libdir lib/radiodeck)
install(TARGETS radiodeck keywatch zebosd notebookctl deskctl reg RUNTIME DESTINATION ${libdir})
install(FILES "${RADIODECK_BIN_DIR}/rescue.dll" "${RADIODECK_BIN_DIR}/Verovod.dll"
              "${RADIODECK_BIN_DIR}/German.dll" "${RADIODECK_BIN_DIR}/French.dll"
              "${RADIODECK_BIN_DIR}/Spanish.dll" "${RADIODECK_BIN_DIR}/LANG.INI"
        DESTINATION ${libdir})
install(DIRECTORY "${RADIODECK_HICOLOR_DIR}/" DESTINATION share/icons/hicolor)
# The launcher and the entries name the installed paths, which are known only at install time
# (cmake --install --prefix).
install(CODE "set(RADIODECK_DIST \"${PROJECT_SOURCE_DIR}/dist\")")
install(SCRIPT "${PROJECT_SOURCE_DIR}/cmake/InstallEntries.cmake")
