# Run by `cmake --install`: writes the desktop entry with the program's
# installed path and installs it, so it is listed in install_manifest.txt.
set(VELVANE_PROGRAM "${CMAKE_INSTALL_PREFIX}/${VELVANE_BINDIR}/velvane")
if(VELVANE_PROGRAM MATCHES "[ \"'\\\\$`%]")
  # The entry's Exec key would need quoting; plain names are found on PATH.
  set(VELVANE_PROGRAM velvane)
endif()
configure_file("${VELVANE_ENTRY_TEMPLATE}" "${VELVANE_ENTRY_STAGE}/${VELVANE_APP_ID}.desktop" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${VELVANE_DATADIR}/applications"
     TYPE FILE FILES "${VELVANE_ENTRY_STAGE}/${VELVANE_APP_ID}.desktop")
