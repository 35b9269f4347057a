# SPDX-License-Identifier: MIT
# Runs fixtora-inspect on a real scoreboard and on a broken one:
#   cmake -DINSPECT=<exe> -DDATA=<espn folder> -DWORK=<folder> -P InspectEventsTest.cmake

execute_process(COMMAND ${INSPECT} ${DATA}/wc2026_20260704T1756Z_halftime.json
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "real document: exit ${rc}: ${err}")
endif()
string(JSON count LENGTH "${out}")
if(NOT count EQUAL 32)
  message(FATAL_ERROR "real document: ${count} events instead of 32")
endif()

# The half-time match: its derived values as printed.
set(found FALSE)
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
  string(JSON id GET "${out}" ${i} id)
  if(id STREQUAL "760502")
    set(found TRUE)
    string(JSON live GET "${out}" ${i} isLive)
    string(JSON label GET "${out}" ${i} clockLabel)
    string(JSON status GET "${out}" ${i} status)
    string(JSON home GET "${out}" ${i} home abbreviation)
    string(JSON date GET "${out}" ${i} localDate)
    if(NOT live STREQUAL "ON" OR NOT label STREQUAL "HT" OR NOT status STREQUAL "STATUS_HALFTIME"
       OR NOT home STREQUAL "CAN" OR NOT date MATCHES "^2026-07-04T[0-9][0-9]:[0-9][0-9]:00Z$")
      message(FATAL_ERROR "half-time event printed wrongly: live=${live} label=${label} status=${status} home=${home} date=${date}")
    endif()
  endif()
endforeach()
if(NOT found)
  message(FATAL_ERROR "event 760502 missing from the output")
endif()

# A broken document: exit 1, the decoder's message on stderr, nothing on stdout.
file(WRITE ${WORK}/broken-scoreboard.json "{\"events\": [{\"id\": \"1\", \"date\": 5}]}")
execute_process(COMMAND ${INSPECT} ${WORK}/broken-scoreboard.json
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 1 OR NOT out STREQUAL "" OR NOT err MATCHES "events\\[0\\]\\.date should be a string")
  message(FATAL_ERROR "broken document: exit ${rc}, stdout '${out}', stderr '${err}'")
endif()
