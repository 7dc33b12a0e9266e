# Test helpers shared by every folder's tests/ and fuzz/ directories.

# Test code is built to compile fast: a file of assertion macros compiles in
# half the time at -O1 (a third at -O0, but then the tests that make their
# own pictures pixel by pixel run several times slower), tests are two thirds
# of what the check compiles, and the code under test keeps its own
# optimisation (the sanitizer builds lower it to -O1 too). Line tables (-g1) are enough for a sanitizer's stack. GCC 12
# at -O1 warns wrongly of std::regex's members as maybe uninitialised.
function(halyard_test_code target)
  target_compile_options(${target} PRIVATE -O1 $<$<CONFIG:RelWithDebInfo>:-g1>
                         $<$<CXX_COMPILER_ID:GNU>:-Wno-maybe-uninitialized>)
endfunction()
if(HALYARD_TESTS)
  enable_testing()
  if(WIN32)
    # Debian ships GoogleTest as source; build it with the cross compiler.
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    set(HALYARD_GTEST_LIBS gtest gmock gtest_main)
    foreach(lib gtest gmock gtest_main)
      halyard_test_code(${lib})
    endforeach()
  else()
    find_package(GTest REQUIRED)
    set(HALYARD_GTEST_LIBS GTest::gtest GTest::gmock GTest::gtest_main)
  endif()
endif()

# halyard_test(NAME SOURCES... [LIBS libs...] [LABELS labels...])
# One ctest entry per executable: under Wine every process start costs, so the
# cases of one executable run in one process.
function(halyard_test name)
  if(NOT HALYARD_TESTS OR HALYARD_FUZZ)
    return()
  endif()
  # DISPLAY: the test creates windows or reads the screen back. Such tests
  # share the one virtual display: they take its lock, so none runs while
  # another reads pictures back, and carry the label "display".
  cmake_parse_arguments(T "DISPLAY" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${T_LIBS} ${HALYARD_GTEST_LIBS})
  halyard_test_code(${name})
  # Test data is read from the source tree, also when a test is run by hand.
  target_compile_definitions(${name} PRIVATE HALYARD_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  # HALYARD_CTEST tells a test that needs a tool or a display that it runs
  # under ctest, where a missing one is a failure; by hand it may skip.
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT}
                       ENVIRONMENT "HALYARD_SOURCE_DIR=${CMAKE_SOURCE_DIR};HALYARD_BINARY_DIR=${CMAKE_BINARY_DIR};HALYARD_CTEST=1")
  if(T_DISPLAY)
    list(APPEND T_LABELS display)
    set_property(TEST ${name} APPEND PROPERTY RESOURCE_LOCK display)
  endif()
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()

# halyard_fuzzer(NAME SOURCE LIBS... ): a libFuzzer target, run briefly by ctest
# on its seed corpus (folder corpus/NAME beside the source, if any).
function(halyard_fuzzer name source)
  if(NOT HALYARD_FUZZ)
    return()
  endif()
  add_executable(${name} ${source})
  set_property(GLOBAL APPEND PROPERTY HALYARD_FUZZERS ${name})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${ARGN})
  get_filename_component(src_dir ${source} DIRECTORY)
  if(NOT src_dir)
    set(src_dir ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  set(corpus ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${name})
  set(work ${CMAKE_CURRENT_BINARY_DIR}/${name}-corpus)
  if(EXISTS ${corpus})
    add_test(NAME ${name}
             COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
                     sh -c "mkdir -p ${work} && exec $<TARGET_FILE:${name}> -max_total_time=10 -max_len=250000 -rss_limit_mb=2048 -artifact_prefix=${work}/ ${work} ${corpus}")
  else()
    add_test(NAME ${name}
             COMMAND sh -c "mkdir -p ${work} && exec $<TARGET_FILE:${name}> -max_total_time=10 -max_len=250000 -rss_limit_mb=2048 -artifact_prefix=${work}/ ${work}")
  endif()
  set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT 120)
endfunction()
