# The package a native host installs: the public headers and the two shared
# libraries, pipmoves::pipmoves (the core and the stored tables) and
# pipmoves::play (playback, linking the first), found by find_package(pipmoves)
# or described to pkg-config by pipmoves.pc and pipmoves_play.pc. A host that
# also loads the modules, or links both, so maps the tables once; and linking
# needs no library of playback's own (aubio) named. Everything here is in the
# "dev" install component; the wheel installs only "python".
include(CMakePackageConfigHelpers)

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
foreach(pc pipmoves pipmoves_play)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/${pc}.pc.in ${PROJECT_BINARY_DIR}/package/${pc}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/package/${pc}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)
endforeach()
