# pipmoves_runtime(<target>): with PIPMOVES_STATIC_RUNTIME, <target> carries
# its own hidden copy of libstdc++ and libgcc. A wheel needs that to load on
# systems whose C++ runtime is older than the compiler's: its symbols then ask
# only the C library for versions, which a manylinux policy can vouch for.
# Hidden, they never interpose on the host's runtime nor on each other: every
# archive's symbols stay inside (the shared libraries are made of objects, and
# export theirs).
option(PIPMOVES_STATIC_RUNTIME "Link libstdc++ and libgcc statically (and hidden) into the modules, libraries and streamer" OFF)

function(pipmoves_runtime target)
  if(PIPMOVES_STATIC_RUNTIME)
    target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc
      LINKER:--exclude-libs,ALL LINKER:--gc-sections)
  endif()
endfunction()
