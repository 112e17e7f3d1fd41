# pipmoves_python_module(<target>): the extension module <target>, importable
# as <target>, gets its type stub <target>.pyi written beside it after every
# link (generated from the module itself by tools/make_stub.py), and installs
# with it in the "python" component: the stub once beside the module, for
# editors, and once as the stub-only package <target>-stubs, which is where
# type checkers look for the stubs of an installed single-file module.

execute_process(COMMAND ${Python_EXECUTABLE} -c "import pybind11_stubgen"
  RESULT_VARIABLE stubgen_missing OUTPUT_QUIET ERROR_QUIET)
if(stubgen_missing)
  message(FATAL_ERROR "pybind11-stubgen is missing for ${Python_EXECUTABLE}: "
    "the modules' type stubs are generated with it (pip install pybind11-stubgen)")
endif()

if(SKBUILD)
  set(PIPMOVES_INSTALL_PYTHONDIR .)
else()
  # Python's own platform library folder, relative to the install prefix.
  execute_process(
    COMMAND ${Python_EXECUTABLE} -c "import sysconfig; print(sysconfig.get_path('platlib', 'venv', vars={'base': '', 'platbase': ''}).lstrip('/'))"
    OUTPUT_VARIABLE PIPMOVES_PYTHON_PLATLIB OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  set(PIPMOVES_INSTALL_PYTHONDIR ${PIPMOVES_PYTHON_PLATLIB} CACHE PATH "Where the modules are installed, relative to the prefix")
endif()

function(pipmoves_python_module target)
  # The shared libraries sit in pipmoves.libs beside the module, built and installed.
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/pipmoves.libs" BUILD_WITH_INSTALL_RPATH ON)
  pipmoves_runtime(${target})
  set(stub $<TARGET_FILE_DIR:${target}>/${target}.pyi)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${Python_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/make_stub.py ${target} $<TARGET_FILE_DIR:${target}>
    COMMENT "Writing the type stub ${target}.pyi"
    VERBATIM)
  install(TARGETS ${target} LIBRARY DESTINATION ${PIPMOVES_INSTALL_PYTHONDIR} COMPONENT python)
  install(FILES ${stub} DESTINATION ${PIPMOVES_INSTALL_PYTHONDIR} COMPONENT python)
  install(FILES ${stub} RENAME __init__.pyi DESTINATION ${PIPMOVES_INSTALL_PYTHONDIR}/${target}-stubs COMPONENT python)
endfunction()
