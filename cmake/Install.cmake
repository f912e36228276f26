# Installation as a desktop program. The program, its libraries and its
# shipped data share one read-only folder (the program finds them beside
# itself); bin/ holds links to the programs, and the desktop entry and icon go
# where desktops look for them. cpack builds a Debian package of the same.
include(GNUInstallDirs)
set(VELTRO_INSTALL_DIR "${CMAKE_INSTALL_LIBDIR}/transferveltro")

set(veltro_programs veltro-convert)
if(TARGET TransferVeltro)
  list(PREPEND veltro_programs TransferVeltro)
endif()
install(TARGETS ${veltro_programs} RUNTIME DESTINATION "${VELTRO_INSTALL_DIR}")
# Tavrin and one library per instrument family: every instrument of the
# catalogue finds its library beside the program.
install(TARGETS LANGDES LANGENG WGSXYZ Tavrin ${VELTRO_FAMILY_LIBRARIES}
        LIBRARY DESTINATION "${VELTRO_INSTALL_DIR}")
install(DIRECTORY "${PROJECT_SOURCE_DIR}/data/DXF" DESTINATION "${VELTRO_INSTALL_DIR}")
foreach(program IN LISTS veltro_programs)
  install(CODE "
    set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\")
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(REMOVE \"\${link}\")
    file(CREATE_LINK \"../${VELTRO_INSTALL_DIR}/${program}\" \"\${link}\" SYMBOLIC)
    message(STATUS \"Installing: \${link}\")")
endforeach()
if(TARGET TransferVeltro)
  install(FILES "${PROJECT_SOURCE_DIR}/data/desktop/transferveltro.desktop"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
  install(FILES "${PROJECT_SOURCE_DIR}/data/desktop/transferveltro.svg"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME transferveltro)
set(CPACK_PACKAGE_VENDOR "VELTRO Marten")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Data transfer between surveying instruments and office files")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "VELTRO Marten <support@veltro.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The package carries no debug information (a RelWithDebInfo build is four
# times its size).
set(CPACK_STRIP_FILES ON)
include(CPack)
