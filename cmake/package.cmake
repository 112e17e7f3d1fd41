# The package a native host installs: the public headers, the static libraries
# and one target to link, pipmoves::pipmoves, found by find_package(pipmoves)
# or described to pkg-config by pipmoves.pc. Everything here is in the "dev"
# install component; the wheel installs only "python".
include(CMakePackageConfigHelpers)

add_library(pipmoves_native INTERFACE)
target_link_libraries(pipmoves_native INTERFACE pipmoves::user)
set_target_properties(pipmoves_native PROPERTIES EXPORT_NAME pipmoves)
add_library(pipmoves::pipmoves ALIAS pipmoves_native)
install(TARGETS pipmoves_native EXPORT pipmoves)

set(package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/pipmoves)
install(EXPORT pipmoves NAMESPACE pipmoves:: FILE pipmovesTargets.cmake
  DESTINATION ${package_dir} COMPONENT dev)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/pipmovesConfig.cmake.in
  ${PROJECT_BINARY_DIR}/package/pipmovesConfig.cmake INSTALL_DESTINATION ${package_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/package/pipmovesConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/package/pipmovesConfig.cmake ${PROJECT_BINARY_DIR}/package/pipmovesConfigVersion.cmake
  DESTINATION ${package_dir} COMPONENT dev)

# pkg-config finds the prefix from the file's own place, so an installed tree
# can move; a libdir given as an absolute path stays as given.
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  set(pc_prefix "${CMAKE_INSTALL_PREFIX}")
else()
  file(RELATIVE_PATH pc_prefix "/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/")
  string(REGEX REPLACE "/$" "" pc_prefix "\${pcfiledir}/${pc_prefix}")
endif()
foreach(dir LIBDIR INCLUDEDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
    set(pc_${dir} "${CMAKE_INSTALL_${dir}}")
  else()
    set(pc_${dir} "\${prefix}/${CMAKE_INSTALL_${dir}}")
  endif()
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/pipmoves.pc.in ${PROJECT_BINARY_DIR}/package/pipmoves.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/package/pipmoves.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)
