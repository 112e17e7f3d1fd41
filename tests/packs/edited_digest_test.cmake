# Runs the generator on a copy of the golden digests in which one digest has
# one hex digit changed: the generator must fail, name that row and no other,
# and write no source.
#
# cmake -DGENERATOR=... -DSOURCE_ROOT=... -DPACKS=...;... -DWORK=... -P edited_digest_test.cmake

set(row path_torus_knot)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(READ ${SOURCE_ROOT}/src/packs/golden_digests.txt manifest)
string(REGEX MATCH "\n${row} [0-9]+ [0-9a-f]+\n" line "${manifest}")
if(NOT line)
  message(FATAL_ERROR "the golden digests hold no line for ${row}")
endif()
string(REGEX REPLACE "(.)\n$" "\\1" last "${line}")
string(REGEX MATCH ".$" last "${last}")
if(last STREQUAL "0")
  set(other 1)
else()
  set(other 0)
endif()
string(REGEX REPLACE ".\n$" "${other}\n" edited_line "${line}")
string(REPLACE "${line}" "${edited_line}" edited "${manifest}")
file(WRITE ${WORK}/golden_digests.txt "${edited}")

execute_process(
  COMMAND ${GENERATOR} --root ${SOURCE_ROOT} --out ${WORK}/out --data src/packs/data
          --digests ${WORK}/golden_digests.txt --packs ${PACKS}
  RESULT_VARIABLE status
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err)

if(status EQUAL 0)
  message(FATAL_ERROR "the generator accepted an edited digest:\n${out}${err}")
endif()
string(REGEX MATCHALL "row '[a-z0-9_]+'" named "${err}")
if(NOT named STREQUAL "row '${row}'")
  message(FATAL_ERROR "want the generator to name row '${row}' alone, have: ${named}\n${err}")
endif()
if(NOT err MATCHES "1 difference\\(s\\) from the golden digests")
  message(FATAL_ERROR "want one difference reported, have:\n${err}")
endif()
if(EXISTS ${WORK}/out)
  message(FATAL_ERROR "the generator wrote sources although a digest differs")
endif()
message(STATUS "the generator refused the edited digest of ${row}:\n${err}")
