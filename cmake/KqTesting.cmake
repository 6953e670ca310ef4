# Test helpers. GoogleTest comes from the system natively and is built from Debian's
# sources (/usr/src/googletest) for the Windows targets. Windows test programs run
# through CMAKE_CROSSCOMPILING_EMULATOR, a wrapper that owns a Wine prefix in the
# build folder, so ctest runs them like native ones.

if(NOT KQ_BUILD_TESTS)
  return()
endif()
include(${CMAKE_CURRENT_LIST_DIR}/KqWin32NotRun.cmake)

if(WIN32)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

  set(KQ_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
                 @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)

  # Starts GoogleTest's watcher of the main thread before the first test (see the file);
  # for the programs that drive their windows from a second thread (kq_watcher_first).
  add_library(kq_watcher_first OBJECT ${CMAKE_SOURCE_DIR}/tests/harness/WatcherFirst.cpp)
  target_link_libraries(kq_watcher_first PRIVATE GTest::gtest)
else()
  find_package(GTest REQUIRED)
endif()

# kq_add_test(NAME <name> SOURCES <files...> [LIBS <targets...>])
# One test program, one CTest entry. The test runs in its own scratch folder under
# the build tree, so tests that write files never touch each other or the sources.
function(kq_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gtest)
  if(KQ_RUN_TESTS)
    set(work ${CMAKE_BINARY_DIR}/testwork/${T_NAME})
    file(MAKE_DIRECTORY ${work})
    add_test(NAME ${T_NAME} COMMAND ${T_NAME} WORKING_DIRECTORY ${work})
    set_tests_properties(${T_NAME} PROPERTIES
      ENVIRONMENT "KQ_SOURCE_DIR=${CMAKE_SOURCE_DIR};KQ_BIN_DIR=${CMAKE_BINARY_DIR}/bin")
    kq_gtest_verdict(${T_NAME})
    kq_apply_win32_not_run(${T_NAME})
  endif()
endfunction()

# kq_watcher_first(<test program>): a GoogleTest program that drives its windows from
# a thread of its own starts GoogleTest's watcher of its main thread before the first
# test (tests/harness/WatcherFirst.cpp). Only those: from then on the main thread has
# started a thread, and under the 32-bit emulation an exception on it ends the process
# (tests/emulation/exception_after_thread.c), which tests that take one on purpose
# (the processor probe's guard) cannot have.
function(kq_watcher_first target)
  if(WIN32)
    target_link_libraries(${target} PRIVATE kq_watcher_first)
  endif()
endfunction()

# A GoogleTest program's own verdict decides, not only its exit status: under the
# 32-bit emulation a process that qemu cannot carry on ("qemu: uncaught target
# signal") or whose thread lost its line to the wine server ("wine client error")
# ends without an exit code of its own, and Wine reports 0 for it.
function(kq_gtest_verdict test)
  if(WIN32)
    set_tests_properties(${test} PROPERTIES PASS_REGULAR_EXPRESSION "\\[  PASSED  \\]"
                                            FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]")
  endif()
endfunction()
