# Build helpers: every folder's sources are found by globbing, so adding a file needs no edit here.

set(ZEPHLON_WARNINGS -Wall -Wextra -Werror)

# The CI trees (scripts/build.sh tests and sanitize) compile the libraries' files, and the
# tests' (zephlon_tests), eight to a unit: the headers are parsed once a batch (the optimised
# tree's libraries, cold on three cores: 345 processor-seconds where a unit a file takes 532). Files with options of their own
# (the frame's -O3 files, the sanitizer tree's -O2 ones, the zone reader) stay on their own.
# Developers' trees keep one unit a file for quick incremental builds.
option(ZEPHLON_UNITY "Compile the libraries and the tests in batches of eight files (unity build)" OFF)
set(ZEPHLON_UNITY_BATCH 8 CACHE STRING "Files in one unity batch")
function(zephlon_unity target)
  if(ZEPHLON_UNITY)
    set_target_properties(${target} PROPERTIES
      UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE ${ZEPHLON_UNITY_BATCH})
  endif()
endfunction()
# ZEPHLON_CODE_OPTIONS (set by the top list file): options of the program's own code, the
# libraries and the programs, not of the tests' code.

# The test executables share one precompiled header of GoogleTest and the standard headers
# most tests include: parsing them was about a second and a half of every test file's compile.
# The first test executable makes it, the others reuse it (their compile options are the same;
# were they not, the compiler would read the headers as text, and nothing would break). A file
# compiles as before without it; ZEPHLON_PCH=OFF turns it off.
option(ZEPHLON_PCH "Precompile GoogleTest and the standard headers for the tests" ON)
# ccache takes a precompiled header's users only when told that the header's macros and times
# may be trusted, and GCC must name the header in its preprocessed output.
if(ZEPHLON_PCH AND CMAKE_CXX_COMPILER_LAUNCHER MATCHES "ccache" AND NOT CMAKE_CXX_COMPILER_LAUNCHER MATCHES "SLOPPINESS")
  set(CMAKE_CXX_COMPILER_LAUNCHER env
    CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
    ${CMAKE_CXX_COMPILER_LAUNCHER})
endif()
if(ZEPHLON_PCH AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  set(ZEPHLON_PCH_OPTIONS -fpch-preprocess)
endif()



# A library made of every .cpp below FOLDER (sub-folders included, platform/sdl too).
function(zephlon_layer folder)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
  set(lib zephlon_${folder})
  if(srcs)
    add_library(${lib} STATIC ${srcs})
    zephlon_unity(${lib})
    target_compile_options(${lib} PRIVATE ${ZEPHLON_WARNINGS} ${ZEPHLON_CODE_OPTIONS})
    target_include_directories(${lib} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${lib} PUBLIC ${ARG_DEPS})
  else()
    add_library(${lib} INTERFACE)
    target_include_directories(${lib} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${lib} INTERFACE ${ARG_DEPS})
  endif()
  set_property(GLOBAL APPEND PROPERTY ZEPHLON_FOLDER_LIBS "${folder}=${lib}")
endfunction()

# The subsystems above the graphics layer share one library, zephlon_system.
function(zephlon_system)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  set(srcs "")
  foreach(folder IN LISTS ARG_UNPARSED_ARGUMENTS)
    file(GLOB_RECURSE part CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
    list(APPEND srcs ${part})
    set_property(GLOBAL APPEND PROPERTY ZEPHLON_FOLDER_LIBS "${folder}=zephlon_system")
  endforeach()
  if(srcs)
    add_library(zephlon_system STATIC ${srcs})
    zephlon_unity(zephlon_system)
    target_compile_options(zephlon_system PRIVATE ${ZEPHLON_WARNINGS} ${ZEPHLON_CODE_OPTIONS})
    target_include_directories(zephlon_system PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(zephlon_system PUBLIC ${ARG_DEPS})
  else()
    add_library(zephlon_system INTERFACE)
    target_include_directories(zephlon_system INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(zephlon_system INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# One executable per sub-folder of FOLDER (tools/volpack -> bin/volpack), linked with everything.
# The names in ZEPHLON_SKIPPED_PROGRAMS are left out (the sanitizer tree's tools no test runs).
function(zephlon_programs folder)
  file(GLOB dirs LIST_DIRECTORIES true ${PROJECT_SOURCE_DIR}/${folder}/*)
  foreach(dir IN LISTS dirs)
    if(IS_DIRECTORY ${dir})
      get_filename_component(name ${dir} NAME)
      if(name IN_LIST ZEPHLON_SKIPPED_PROGRAMS)
        continue()
      endif()
      file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
      if(srcs)
        add_executable(${name} ${srcs})
        target_compile_options(${name} PRIVATE ${ZEPHLON_WARNINGS} ${ZEPHLON_CODE_OPTIONS})
        target_link_libraries(${name} PRIVATE zephlon_system)
        if(folder STREQUAL "tools")
          set_property(GLOBAL APPEND PROPERTY ZEPHLON_TOOL_TARGETS ${name})
        endif()
      endif()
    endif()
  endforeach()
endfunction()

function(zephlon_test_pch target)
  if(NOT ZEPHLON_PCH)
    return()
  endif()
  target_compile_options(${target} PRIVATE ${ZEPHLON_PCH_OPTIONS})
  get_property(first GLOBAL PROPERTY ZEPHLON_TEST_PCH_TARGET)
  if(first)
    target_precompile_headers(${target} REUSE_FROM ${first})
  else()
    set_property(GLOBAL PROPERTY ZEPHLON_TEST_PCH_TARGET ${target})
    target_precompile_headers(${target} PRIVATE
      <gtest/gtest.h> <algorithm> <cmath> <cstdint> <cstdio> <cstring> <filesystem> <fstream>
      <functional> <map> <memory> <set> <sstream> <string> <vector>)
  endif()
endfunction()

# A test file runs the whole program when it names simrun or zephlon in an installation, or
# includes a helper of its folder that does (cmake/test_labels.cmake labels its tests).
set(ZEPHLON_PROGRAM_TEST_PATTERN "StarterRun|bin/simrun|Simrun\\(\\)|bin/zephlon|install/zephlon")

# Whole-program suites of damaged, hostile or interrupted input: the sanitizer tree runs them
# all, beside the tests named in cmake/sanitized_tests.cmake (cmake/test_labels.cmake).
set(ZEPHLON_SANITIZED_SUITES_PATTERN
  "Hostile|Damage|Robust|Refused|Signal|SessionEnd|Storm|Malformed|Corrupt|ReadOnly|FullDisc|Pipe")
include(${PROJECT_SOURCE_DIR}/cmake/sanitized_tests.cmake OPTIONAL)

# Whether a whole-program test file holds a test the sanitizer tree runs (its suite is one of
# the hostile ones or names a chosen test).
function(zephlon_holds_sanitized_tests out file)
  set(suites "")
  foreach(name IN LISTS zephlon_sanitized_tests)
    string(REGEX REPLACE "\\..*$" "" head "${name}")
    string(REGEX REPLACE "^.*/" "" after "${head}")
    string(REGEX REPLACE "/.*$" "" before "${head}")
    list(APPEND suites "${after}" "${before}")
  endforeach()
  # A test's first word is its suite, or the name of the instantiation that made it
  # (FullAndReadOnly/SavesRunOnRealFolders).
  set(heads_pattern "(TEST|TEST_F|TEST_P|TYPED_TEST|TYPED_TEST_P|INSTANTIATE_TEST_SUITE_P|INSTANTIATE_TYPED_TEST_SUITE_P)\\([ ]*[A-Za-z0-9_]+")
  file(STRINGS "${file}" heads REGEX "${heads_pattern}")
  set(result FALSE)
  foreach(line IN LISTS heads)
    string(REGEX MATCH "${heads_pattern}" head "${line}")
    string(REGEX REPLACE ".*\\([ ]*" "" suite "${head}")
    if(suite MATCHES "${ZEPHLON_SANITIZED_SUITES_PATTERN}" OR suite IN_LIST suites)
      set(result TRUE)
    endif()
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# The helper headers of tests/ that run the whole program, as a pattern of their names.
function(zephlon_program_headers_pattern out)
  set(names "")
  file(GLOB helpers "${PROJECT_SOURCE_DIR}/tests/*/*.h")
  foreach(header IN LISTS helpers)
    file(STRINGS "${header}" hits REGEX "${ZEPHLON_PROGRAM_TEST_PATTERN}" LIMIT_COUNT 1)
    if(hits)
      get_filename_component(name "${header}" NAME)
      list(APPEND names "${name}")
    endif()
  endforeach()
  list(JOIN names "|" pattern)
  string(REPLACE "." "\\." pattern "${pattern}")
  set(${out} "${pattern}" PARENT_SCOPE)
endfunction()

# Of SRCS, the files a tree builds: without the unit tests (KIND "program"), those of
# whole-program tests and the files that hold no test (the folder's helpers); in the sanitizer
# tree (KIND "sanitized"), the unit tests' files, the helpers and the whole-program files that
# hold a test it runs.
function(zephlon_kept_test_sources out kind headers_pattern)
  set(kept "")
  foreach(file IN LISTS ARGN)
    file(READ "${file}" text)
    set(program FALSE)
    if(text MATCHES "${ZEPHLON_PROGRAM_TEST_PATTERN}"
       OR (headers_pattern AND text MATCHES "#include \"[^\"]*(${headers_pattern})\""))
      set(program TRUE)
    endif()
    set(helper FALSE)
    if(NOT text MATCHES "(TEST|TEST_F|TEST_P|TYPED_TEST|TYPED_TEST_P)\\(")
      set(helper TRUE)
    endif()
    if(kind STREQUAL "program" AND (program OR helper))
      list(APPEND kept "${file}")
    elseif(kind STREQUAL "sanitized")
      if(program AND NOT helper)
        zephlon_holds_sanitized_tests(program_kept "${file}")
        if(program_kept)
          list(APPEND kept "${file}")
        endif()
      else()
        list(APPEND kept "${file}")
      endif()
    endif()
  endforeach()
  set(${out} "${kept}" PARENT_SCOPE)
endfunction()

# Test files compiled on their own in a unity tree (paths from the source folder).
include(${PROJECT_SOURCE_DIR}/cmake/tests_compiled_alone.cmake)

# tests/<folder>/*.cpp -> one GoogleTest executable <folder>_tests per folder. Without
# ZEPHLON_UNIT_TESTS a folder's executable holds only its whole-program tests (the optimised
# tree of scripts/test.sh: the unit tests run in the sanitizer tree).
function(zephlon_tests)
  if(NOT ZEPHLON_TESTS)
    return()
  endif()
  get_property(pairs GLOBAL PROPERTY ZEPHLON_FOLDER_LIBS)
  zephlon_program_headers_pattern(headers_pattern)
  file(GLOB dirs LIST_DIRECTORIES true ${PROJECT_SOURCE_DIR}/tests/*)
  foreach(dir IN LISTS dirs)
    if(NOT IS_DIRECTORY ${dir})
      continue()
    endif()
    get_filename_component(name ${dir} NAME)
    file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
    if(ZEPHLON_SANITIZE AND ZEPHLON_SANITIZED_PROGRAM_TESTS_ONLY)
      zephlon_kept_test_sources(srcs sanitized "${headers_pattern}" ${srcs})
    endif()
    if(NOT ZEPHLON_UNIT_TESTS)
      zephlon_kept_test_sources(srcs program "${headers_pattern}" ${srcs})
      # A folder left with its helpers alone has no whole-program test to build.
      set(tests_left FALSE)
      foreach(file IN LISTS srcs)
        file(STRINGS "${file}" heads REGEX "^(TEST|TEST_F|TEST_P|TYPED_TEST|TYPED_TEST_P)\\(" LIMIT_COUNT 1)
        if(heads)
          set(tests_left TRUE)
        endif()
      endforeach()
      if(NOT tests_left)
        continue()
      endif()
    endif()
    if(NOT srcs)
      continue()
    endif()
    set(lib zephlon_system)
    foreach(pair IN LISTS pairs)
      if(pair MATCHES "^${name}=(.*)$")
        set(lib ${CMAKE_MATCH_1})
      endif()
    endforeach()
    add_executable(${name}_tests ${srcs})
    target_compile_options(${name}_tests PRIVATE ${ZEPHLON_WARNINGS})
    # The tests' own code is compiled without optimisation in every tree: it checks, the code
    # under test (the libraries) is compiled as in the program. That halves the tests' compile
    # time, and GCC 12's checks of object sizes after inlining, which report the standard
    # strings' own copies as faults when their headers come from a precompiled header, stay
    # quiet.
    target_compile_options(${name}_tests PRIVATE -O0)
    # In the sanitizer tree the tests' own code keeps the address checks but not the checks of
    # undefined arithmetic, which cost two fifths of its compile time at -O0 and would check
    # the tests' sums, not the program's: the code under test keeps every check.
    if(ZEPHLON_SANITIZE)
      target_compile_options(${name}_tests PRIVATE
        -fno-sanitize=undefined,float-cast-overflow,float-divide-by-zero)
    endif()
    zephlon_test_pch(${name}_tests)
    # The tests' files are compiled in batches too (ZEPHLON_UNITY): GoogleTest's macros and the
    # headers under test are parsed once a batch. A batch may hold any eight files of a folder,
    # so a file's own helpers (in its nameless namespace) must not take a name another file of
    # its folder gives to something else; the files whose names still clash are compiled alone
    # (cmake/tests_compiled_alone.cmake).
    zephlon_unity(${name}_tests)
    if(ZEPHLON_UNITY)
      # In a batch no file is the compiler's main file, and GCC then warns of every test whose
      # fixture lies in its file's nameless namespace.
      target_compile_options(${name}_tests PRIVATE -Wno-subobject-linkage)
    endif()
    foreach(file IN LISTS srcs)
      file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR} ${file})
      if(relative IN_LIST ZEPHLON_TESTS_COMPILED_ALONE)
        set_source_files_properties(${file} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
      endif()
    endforeach()
    target_include_directories(${name}_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${name}_tests PRIVATE ${lib} GTest::gtest GTest::gtest_main GTest::gmock)
    target_compile_definitions(${name}_tests PRIVATE
      ZEPHLON_SOURCE_DIR="${PROJECT_SOURCE_DIR}" ZEPHLON_BINARY_DIR="${CMAKE_BINARY_DIR}")
    gtest_discover_tests(${name}_tests
      WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
      DISCOVERY_TIMEOUT 60
      PROPERTIES LABELS ${name} TIMEOUT ${ZEPHLON_TEST_TIMEOUT})
    list(APPEND folders ${name})
    string(APPEND sources_text "set(ZEPHLON_TEST_SOURCES_${name} [==[${srcs}]==])\n")
  endforeach()
  # The whole-program tests get the label `program` too (cmake/test_labels.cmake, read by ctest
  # after the discovered tests).
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/zephlon_test_sources.cmake CONTENT
    "set(ZEPHLON_TEST_ROOT [==[${PROJECT_SOURCE_DIR}/tests]==])\nset(ZEPHLON_TREE_SANITIZE ${ZEPHLON_SANITIZE})\nset(ZEPHLON_PROGRAM_TEST_PATTERN [==[${ZEPHLON_PROGRAM_TEST_PATTERN}]==])\nset(ZEPHLON_SANITIZED_SUITES_PATTERN [==[${ZEPHLON_SANITIZED_SUITES_PATTERN}]==])\nset(ZEPHLON_PROGRAM_HEADERS_PATTERN [==[${headers_pattern}]==])\nset(ZEPHLON_TEST_FOLDERS [==[${folders}]==])\n${sources_text}")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES
    ${CMAKE_BINARY_DIR}/zephlon_test_sources.cmake ${PROJECT_SOURCE_DIR}/cmake/test_labels.cmake)
endfunction()

# bench/<folder>/*.cpp -> one Google Benchmark executable bench_<folder> per folder.
function(zephlon_benches)
  file(GLOB dirs LIST_DIRECTORIES true ${PROJECT_SOURCE_DIR}/bench/*)
  foreach(dir IN LISTS dirs)
    if(NOT IS_DIRECTORY ${dir})
      continue()
    endif()
    get_filename_component(name ${dir} NAME)
    file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
    if(srcs)
      add_executable(bench_${name} ${srcs})
      target_compile_options(bench_${name} PRIVATE ${ZEPHLON_WARNINGS})
      target_link_libraries(bench_${name} PRIVATE zephlon_system benchmark::benchmark benchmark::benchmark_main)
      target_compile_definitions(bench_${name} PRIVATE ZEPHLON_BINARY_DIR="${CMAKE_BINARY_DIR}")
    endif()
  endforeach()
endfunction()
