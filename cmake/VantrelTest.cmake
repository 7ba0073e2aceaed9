# Registers one GoogleTest binary with ctest. Every test runs on Qt's
# offscreen platform so that nothing needs a display. QT_MAIN gives the binary
# a main() that creates the QCoreApplication its tests need.
include(GoogleTest)

function(vantrel_add_test name)
  cmake_parse_arguments(ARG "QT_MAIN" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  if(ARG_QT_MAIN)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} vantrel_qt_test_main GTest::gtest)
    vantrel_precompile(${name} QT TEST)
  else()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    vantrel_precompile(${name} TEST)
  endif()
  gtest_discover_tests(${name}
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
    DISCOVERY_TIMEOUT 60)
endfunction()
