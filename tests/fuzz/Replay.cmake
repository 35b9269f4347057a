# SPDX-License-Identifier: MIT
# Every fuzz target's corpus, regression inputs included, replayed by an
# ordinary test in every preset: each target's entry is compiled under its
# own name (no libFuzzer) and fed every file of corpus/<target>/.
set(_fuzz ${CMAKE_CURRENT_LIST_DIR})
set(_sources ${_fuzz}/FuzzReplayTests.cpp ${PROJECT_SOURCE_DIR}/src/app/UpdateController.cpp
             ${PROJECT_SOURCE_DIR}/src/app/SemanticVersion.cpp)
foreach(_name IN ITEMS Scoreboard Schedule SignalCache StoredSessions StoredTrial UpdateFeed)
  string(REGEX REPLACE "([a-z])([A-Z])" "\\1_\\2" _t ${_name})
  string(TOLOWER ${_t} _t)
  set_source_files_properties(${_fuzz}/Fuzz${_name}.cpp PROPERTIES
    COMPILE_DEFINITIONS "LLVMFuzzerTestOneInput=fuzz_${_t}")
  list(APPEND _sources ${_fuzz}/Fuzz${_name}.cpp)
endforeach()
fixtora_add_test(fuzz_replay_tests
  LABELS unit
  SOURCES ${_sources}
  LIBS fixtora_data fixtora_analytics fixtora_platform nlohmann_json::nlohmann_json)
target_include_directories(fuzz_replay_tests PRIVATE ${_fuzz})
target_compile_definitions(fuzz_replay_tests PRIVATE FIXTORA_FUZZ_CORPUS="${_fuzz}/corpus")
