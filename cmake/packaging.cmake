# Install layout and the Debian package. The programs keep their data beside themselves, so they
# and everything shipped with them go into one folder of their own, LIVNA_INSTALL_DIR; the
# launcher, the desktop entry and the icon go where the system looks for them. All paths are under
# the prefix, which is the root of the system unless given (cmake --install build --prefix DIR
# lays out a whole system tree under DIR).
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
  set(CMAKE_INSTALL_PREFIX / CACHE PATH "Root of the installed tree" FORCE)
endif()
set(LIVNA_INSTALL_DIR opt/livna640)

install(TARGETS Setka640DKV_KVM panelsim RUNTIME DESTINATION ${LIVNA_INSTALL_DIR})
# The earlier-generation program, under the name Setka640DKV_KVM starts it by.
install(PROGRAMS ${LIVNA_BIN_DIR}/add1.exe DESTINATION ${LIVNA_INSTALL_DIR} OPTIONAL)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${LIVNA_INSTALL_DIR})
install(DIRECTORY ${LIVNA_BIN_DIR}/translations DESTINATION ${LIVNA_INSTALL_DIR} OPTIONAL)

# Which installation a user's copy of the folder came from: a new build gives a new one, so the
# launcher refreshes the copies after an upgrade.
string(TIMESTAMP LIVNA_BUILD_TIME "%Y-%m-%dT%H:%M:%SZ" UTC)
file(WRITE ${CMAKE_BINARY_DIR}/install-id "${PROJECT_VERSION} ${LIVNA_BUILD_TIME}\n")
install(FILES ${CMAKE_BINARY_DIR}/install-id DESTINATION ${LIVNA_INSTALL_DIR})

install(PROGRAMS ${CMAKE_SOURCE_DIR}/packaging/livna640 DESTINATION usr/bin)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/livna640.desktop DESTINATION usr/share/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/livna640.svg DESTINATION usr/share/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME livna640)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Livna-640 configurator maintainers <support@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configurator of the Livna-640 alarm control panel")
set(CPACK_PACKAGING_INSTALL_PREFIX /)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# The copy of the toolkit's Russian translations beside the programs serves without them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
include(CPack)
