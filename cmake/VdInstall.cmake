# Installs the module (with its soname links), the header, the tool, the
# licence and README, a CMake package and a pkg-config file, all into the
# GNUInstallDirs folders.
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
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/README.md
    DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(vd_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Vellumdesk)
install(EXPORT VellumdeskTargets NAMESPACE Vellumdesk:: DESTINATION ${vd_cmake_dir})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/VellumdeskConfig.cmake.in
    ${PROJECT_BINARY_DIR}/VellumdeskConfig.cmake
    INSTALL_DESTINATION ${vd_cmake_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/VellumdeskConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/VellumdeskConfig.cmake
              ${PROJECT_BINARY_DIR}/VellumdeskConfigVersion.cmake
    DESTINATION ${vd_cmake_dir})

# The pkg-config file finds the prefix from its own place (${pcfiledir}), so
# it stays right wherever the tree is installed or unpacked: cmake --install
# --prefix, DESTDIR, a package's files. Folders given as absolute paths are
# written as they are.
set(vd_pc_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
if(IS_ABSOLUTE "${vd_pc_dir}")
    set(VD_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
else()
    file(RELATIVE_PATH vd_pc_up "/root/${vd_pc_dir}" "/root")
    string(REGEX REPLACE "/$" "" vd_pc_up "${vd_pc_up}")
    set(VD_PC_PREFIX "\${pcfiledir}/${vd_pc_up}")
endif()
foreach(vd_kind LIBDIR INCLUDEDIR)
    if(IS_ABSOLUTE "${CMAKE_INSTALL_${vd_kind}}")
        set(VD_PC_${vd_kind} "${CMAKE_INSTALL_${vd_kind}}")
    else()
        set(VD_PC_${vd_kind} "\${prefix}/${CMAKE_INSTALL_${vd_kind}}")
    endif()
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/cmake/vellumdesk.pc.in ${PROJECT_BINARY_DIR}/vellumdesk.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/vellumdesk.pc DESTINATION ${vd_pc_dir})
