# Run by `cmake --install`: writes the desktop entry with the launcher's and the icon's
# absolute paths under the prefix given at install time (which may differ from the one the
# build was configured with), so the entry works whether or not that prefix is on PATH.
# DALU_DESKTOP_IN is set by the install rule that runs this script.
set(prefix "${CMAKE_INSTALL_PREFIX}")
file(REAL_PATH "${prefix}" prefix EXPAND_TILDE)
# Inside a quoted argument of Exec, these four characters take a backslash.
string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" exec_path "${prefix}/bin/dalumaster")
file(READ "${DALU_DESKTOP_IN}" entry)
string(REPLACE "@EXEC@" "\"${exec_path}\"" entry "${entry}")
string(REPLACE "@ICON@" "${prefix}/share/icons/hicolor/256x256/apps/dalumaster.png" entry
       "${entry}")
set(target "$ENV{DESTDIR}${prefix}/share/applications/dalumaster.desktop")
message(STATUS "Installing: ${target}")
file(WRITE "${target}" "${entry}")
