# Writes the wallpaper's systemd user unit for the prefix being installed to,
# naming the launcher there by its full path, and installs it under
# lib/systemd/user. Included by `cmake --install` (and by CPack, which
# installs to /usr) with MARIVELLE_UNIT_TEMPLATE, MARIVELLE_UNIT_WORK_DIR and
# MARIVELLE_BINDIR set.
set(MARIVELLE_LAUNCHER "${CMAKE_INSTALL_PREFIX}/${MARIVELLE_BINDIR}/marivelle")
# A folder per prefix: installs of one build to two prefixes may run at once.
string(MD5 prefix_key "${CMAKE_INSTALL_PREFIX}")
set(unit "${MARIVELLE_UNIT_WORK_DIR}/user-unit-${prefix_key}/marivelle-wallpaper.service")
configure_file("${MARIVELLE_UNIT_TEMPLATE}" "${unit}" @ONLY)
file(INSTALL "${unit}" DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/systemd/user")
