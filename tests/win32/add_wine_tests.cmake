# Registers the cross-compiled Windows tests with the native build's ctest: one ctest entry per
# TEST() found in the sources, each run under Wine.
function(corvane_add_wine_tests)
  find_program(CORVANE_WINE NAMES wine wine64)
  set(exe ${CORVANE_WINDOWS_BUILD_DIR}/tests/corvane_win32_tests.exe)
  file(GLOB sources ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/*_test.cpp)
  foreach(source ${sources})
    file(READ ${source} text)
    string(REGEX MATCHALL "TEST(_F)?\\(([A-Za-z0-9_]+), *([A-Za-z0-9_]+)\\)" found "${text}")
    foreach(match ${found})
      string(REGEX REPLACE "TEST(_F)?\\(([A-Za-z0-9_]+), *([A-Za-z0-9_]+)\\)" "\\2.\\3" name "${match}")
      add_test(NAME win32.${name} COMMAND ${CORVANE_WINE} ${exe} --gtest_filter=${name})
      set_tests_properties(win32.${name} PROPERTIES RUN_SERIAL TRUE LABELS win32
        ENVIRONMENT CORVANE_FIXTURES=${CORVANE_FIXTURES_DIR})
    endforeach()
  endforeach()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${sources})
endfunction()
