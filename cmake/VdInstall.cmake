# Installs header, module and tool, with a CMake package and a pkg-config file.
include(CMakePackageConfigHelpers)

install(TARGETS vellumdesk EXPORT VellumdeskTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
target_include_directories(vellumdesk INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
if(TARGET vellumdesk_cli)
    install(TARGETS vellumdesk_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(EXPORT VellumdeskTargets NAMESPACE Vellumdesk::
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Vellumdesk)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/VellumdeskConfig.cmake.in
    ${PROJECT_BINARY_DIR}/VellumdeskConfig.cmake
    INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Vellumdesk)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/VellumdeskConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/VellumdeskConfig.cmake
              ${PROJECT_BINARY_DIR}/VellumdeskConfigVersion.cmake
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Vellumdesk)

configure_file(${PROJECT_SOURCE_DIR}/cmake/vellumdesk.pc.in ${PROJECT_BINARY_DIR}/vellumdesk.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/vellumdesk.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
