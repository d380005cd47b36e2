# Each folder is one library or one test executable built from every source in it;
# adding a unit means adding its .h/.cpp pair, nothing else.
function(brisk_sources out dir)
  file(GLOB _src CONFIGURE_DEPENDS ${dir}/*.cpp)
  set(${out} ${_src} PARENT_SCOPE)
endfunction()

find_package(GTest REQUIRED)
include(GoogleTest)

# brisk_test(name DIR dir LIBS libs...) — one GoogleTest executable per test folder.
function(brisk_test name)
  cmake_parse_arguments(T "" "DIR" "LIBS" ${ARGN})
  brisk_sources(_src ${T_DIR})
  if(NOT _src)
    return()
  endif()
  add_executable(${name} ${_src})
  target_link_libraries(${name} PRIVATE ${T_LIBS} testsupport GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "SDL_AUDIODRIVER=dummy;BRISK_REGISTRY=${CMAKE_BINARY_DIR}/test-registry-${name}.dat")
endfunction()
