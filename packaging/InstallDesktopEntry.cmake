# Runs at install time: writes the desktop entry with the launcher's full path
# under the prefix being installed to, so that a menu starts the game whether or
# not <prefix>/bin is on the session's PATH. The icon is found by name in
# <prefix>/share/icons, which a desktop searches wherever it finds the entry.
# Needs GH_DESKTOP_TEMPLATE and GH_DESKTOP_OUT.
get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
set(launcher "${prefix}/bin/gravelhorn2")
if(launcher MATCHES "[\n\r\t]")
  message(FATAL_ERROR "The install prefix holds a line break or tab, which a desktop entry "
                      "cannot hold: ${prefix}")
endif()
# Exec's quoting: a path with a reserved character goes in double quotes, with
# " ` $ and \ escaped inside them; % is doubled; then the value's own escaping
# doubles every backslash.
set(exec "${launcher}")
string(REPLACE "%" "%%" exec "${exec}")
if(exec MATCHES "[] \"'\\\\><~|&;$*?#()`[]")
  string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" exec "${exec}")
  set(exec "\"${exec}\"")
endif()
string(REPLACE "\\" "\\\\" exec "${exec}")
set(GH_EXEC "${exec}")
configure_file("${GH_DESKTOP_TEMPLATE}" "${GH_DESKTOP_OUT}" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications" TYPE FILE
     FILES "${GH_DESKTOP_OUT}")
