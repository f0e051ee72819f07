# What `cmake --install` adds for hosts beside the library itself: the CMake package
# (find_package(Quorvex6) gives Quorvex6::quorvex6) and a pkg-config file. Both locate the
# prefix from their own place, so an installed tree can be moved.
include(CMakePackageConfigHelpers)

set(QV_CMAKE_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Quorvex6)
install(EXPORT Quorvex6Targets NAMESPACE Quorvex6:: DESTINATION ${QV_CMAKE_PACKAGE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/Quorvex6Config.cmake.in
  ${PROJECT_BINARY_DIR}/Quorvex6Config.cmake INSTALL_DESTINATION ${QV_CMAKE_PACKAGE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/Quorvex6ConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/Quorvex6Config.cmake ${PROJECT_BINARY_DIR}/Quorvex6ConfigVersion.cmake
  DESTINATION ${QV_CMAKE_PACKAGE_DIR})

file(RELATIVE_PATH QV_PC_PREFIX "/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/")
configure_file(${CMAKE_CURRENT_LIST_DIR}/quorvex6.pc.in ${PROJECT_BINARY_DIR}/quorvex6.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/quorvex6.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
