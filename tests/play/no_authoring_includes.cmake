# Playback runs in a user's show: it reaches the move engine through
# src/grooves, never the build-time authoring under src/packs/authoring.
file(GLOB_RECURSE sources "${SOURCE_ROOT}/src/play/*.cpp" "${SOURCE_ROOT}/src/play/*.hpp"
     "${SOURCE_ROOT}/src/grooves/*.cpp" "${SOURCE_ROOT}/src/grooves/*.hpp")
if(NOT sources)
  message(FATAL_ERROR "no playback sources under ${SOURCE_ROOT}/src/play")
endif()
set(offending)
foreach(source IN LISTS sources)
  file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][^\">]*(authoring/|packs/authoring|family_fit|pack\\.hpp|groove_pack)")
  foreach(line IN LISTS includes)
    file(RELATIVE_PATH where ${SOURCE_ROOT} ${source})
    list(APPEND offending "${where}: ${line}")
  endforeach()
endforeach()
if(offending)
  list(JOIN offending "\n  " listed)
  message(FATAL_ERROR "playback includes the packs' authoring:\n  ${listed}")
endif()
