# qm_add_test(<name> [QT] SOURCES <files...> LIBS <targets...> [LABELS <labels...>] [TIMEOUT <s>])
# Builds one GoogleTest program and registers it with CTest. With QT the
# program runs inside a QApplication (offscreen). Every test program gets its
# own platform configuration and data folders (see tests/support/TestMain.cpp)
# and knows where the built programs are (qm::test::programDir()). A program
# that needs more than a few seconds carries the label slow, so that
# `ctest -LE slow` leaves it out.
function(qm_add_test name)
  cmake_parse_arguments(T "QT" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  if(T_QT)
    target_sources(${name} PRIVATE $<TARGET_OBJECTS:qm_testmain_qt>)
    target_link_libraries(${name} PRIVATE Qt6::Widgets)
  else()
    target_sources(${name} PRIVATE $<TARGET_OBJECTS:qm_testmain>)
  endif()
  target_link_libraries(${name} PRIVATE qm_testsupport ${T_LIBS} GTest::gtest GTest::gmock)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    LABELS "${T_LABELS}"
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QM_PROGRAM_DIR=${QM_PROGRAM_DIR};QM_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()
