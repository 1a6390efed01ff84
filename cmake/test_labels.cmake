# Read by ctest after the discovered tests (the tree's TEST_INCLUDE_FILES): labels the
# whole-program tests, those of a test file that runs the program itself (simrun or zephlon in
# an installation), beside their folder's label. It reads the test files as they are now, so a
# new file or test is labelled without a new configure.
#   `program-sanitized`  the whole-program tests the sanitizer tree runs: those named in
#                        cmake/sanitized_tests.cmake (chosen by scripts/sanitizer_cover.py: the
#                        most of the program's code the whole-program tests reach, within a
#                        tenth of their processor time) and every suite of damaged, hostile or
#                        interrupted input (ZEPHLON_SANITIZED_SUITES_PATTERN, cmake/zephlon.cmake),
#                        which reaches the program's error paths;
#   `program`            the others, which the optimised tree runs (a new test lands here).
# The optimised tree builds and runs only the whole-program tests; the unit tests run in the
# sanitizer tree (scripts/test.sh).
#   In: ZEPHLON_TEST_ROOT (tests/), ZEPHLON_TREE_SANITIZE, ZEPHLON_PROGRAM_TEST_PATTERN,
#       ZEPHLON_SANITIZED_SUITES_PATTERN, ZEPHLON_PROGRAM_HEADERS_PATTERN,
#       ZEPHLON_TEST_FOLDERS (folder names), ZEPHLON_TEST_SOURCES_<folder> (its files),
#       <folder>_tests_TESTS (the names the discovery found).
cmake_policy(VERSION 3.25)
set(program_pattern "${ZEPHLON_PROGRAM_TEST_PATTERN}")
include("${CMAKE_CURRENT_LIST_DIR}/sanitized_tests.cmake" OPTIONAL)
# Whole-program tests that measure the program against the clock (the sound card fed in time,
# a key's sound within a tenth of a second) run with no other test beside them: on cores shared
# with other programs the card runs dry because the program waits for a core, not because of
# its loop.
set(alone_suites WindowRestOnXvfb)
# Measured seconds of the slowest tests in this kind of tree (cmake/test_costs.cmake).
if(EXISTS "${CMAKE_CURRENT_LIST_DIR}/test_costs.cmake")
  include("${CMAKE_CURRENT_LIST_DIR}/test_costs.cmake")
endif()
# Helpers of one folder that run the program make their includers whole-program tests too
# (their names, found when the tree was configured).
set(headers_pattern "${ZEPHLON_PROGRAM_HEADERS_PATTERN}")
foreach(folder IN LISTS ZEPHLON_TEST_FOLDERS)
  set(suites "")
  foreach(file IN LISTS ZEPHLON_TEST_SOURCES_${folder})
    if(NOT EXISTS "${file}")
      continue()
    endif()
    file(READ "${file}" text)
    if(NOT text MATCHES "${program_pattern}" AND NOT text MATCHES "#include \"[^\"]*(${headers_pattern})\"")
      continue()
    endif()
    string(REGEX MATCHALL "(TEST|TEST_F|TEST_P|TYPED_TEST|TYPED_TEST_P)\\([ \n]*[A-Za-z0-9_]+" heads "${text}")
    foreach(head IN LISTS heads)
      string(REGEX REPLACE ".*\\([ \n]*" "" suite "${head}")
      list(APPEND suites "${suite}")
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES suites)
  foreach(test IN LISTS ${folder}_tests_TESTS)
    # Suite.Case, Instance/Suite.Case/Param (value-parameterised), Suite/Type.Case (typed). A
    # parameter without a printer is named by its bytes after "  # GetParam() = ", addresses
    # that change with every build: its cost is filed under the name before them.
    string(REGEX REPLACE "  # GetParam\\(\\) = .*$" "" stable "${test}")
    string(REGEX REPLACE "\\..*$" "" head "${test}")
    string(REGEX REPLACE "^.*/" "" after "${head}")
    string(REGEX REPLACE "/.*$" "" before "${head}")
    if(after IN_LIST suites OR before IN_LIST suites)
      if(stable IN_LIST zephlon_sanitized_tests)
        list(APPEND found_sanitized "${stable}")
      endif()
      if(stable IN_LIST zephlon_sanitized_tests OR head MATCHES "${ZEPHLON_SANITIZED_SUITES_PATTERN}")
        set(label program-sanitized)
      else()
        set(label program)
      endif()
      # The slowest start first so that the last minutes keep every core busy (a tree's own
      # CTestCostData.txt, once it has run, takes over).
      set(cost 10)
      if(DEFINED "zephlon_cost_${stable}")
        set(cost "${zephlon_cost_${stable}}")
      endif()
      set_tests_properties("${test}" PROPERTIES LABELS "${folder};${label}" COST ${cost})
      if(after IN_LIST alone_suites OR before IN_LIST alone_suites)
        set_tests_properties("${test}" PROPERTIES RUN_SERIAL TRUE)
      endif()
    elseif(DEFINED "zephlon_cost_${stable}")
      set_tests_properties("${test}" PROPERTIES COST "${zephlon_cost_${stable}}")
    endif()
  endforeach()
endforeach()
# A chosen test that was renamed or taken out runs in neither tree's share: say so, so that the
# chooser is run again (scripts/sanitizer_cover.py). Only a tree that built every whole-program
# test can tell.
if(NOT ZEPHLON_TREE_SANITIZE)
  set(missing "${zephlon_sanitized_tests}")
  list(REMOVE_ITEM missing ${found_sanitized})
  foreach(name IN LISTS missing)
    message(WARNING "cmake/sanitized_tests.cmake names ${name}, which is no test of this tree: "
      "run scripts/sanitizer_cover.py again")
  endforeach()
endif()
