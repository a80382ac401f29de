# The Windows program: Corvane.exe, statically linked so that it runs with nothing beside it.

target_compile_definitions(corvane_core PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)

# The Win32 backend, shared by the program and the Windows-only tests.
add_library(corvane_win32 STATIC
  src/platform/win32/win32_platform.cpp
  src/platform/win32/win32_window.cpp
  src/platform/win32/win32_hand_over.cpp
  src/platform/win32/win32_drag.cpp
  src/platform/win32/win32_click_through.cpp
  src/platform/win32/win32_canvas.cpp
  src/platform/win32/win32_picture.cpp
  src/platform/win32/win32_wic_picture.cpp
  src/platform/win32/win32_files.cpp
  src/platform/win32/win32_late_bound.cpp
  src/platform/win32/win32_text.cpp
  src/platform/win32/win32_clipboard.cpp
  src/platform/win32/win32_wic.cpp
  src/platform/win32/win32_wic_metadata.cpp
)
target_link_libraries(corvane_win32 PUBLIC corvane_core windowscodecs msimg32 ole32 oleaut32 uuid comdlg32 comctl32
                                            shell32 gdi32 user32)

add_executable(Corvane WIN32 src/platform/win32/win32_main.cpp res/corvane.rc)
target_link_libraries(Corvane PRIVATE corvane_win32)
# res/ holds version.h, read by the resource script and by code alike, and the icon and
# manifest the script names (windres finds them through this path, rc beside the script).
target_include_directories(Corvane PRIVATE ${PROJECT_SOURCE_DIR}/res)
# The preprocessor sees version.h; the files the script embeds are named here so that a new
# icon or manifest rebuilds the resources.
set_source_files_properties(res/corvane.rc PROPERTIES
  OBJECT_DEPENDS "${PROJECT_SOURCE_DIR}/res/corvane.ico;${PROJECT_SOURCE_DIR}/res/corvane.manifest")
if(MSVC)
  # The manifest is embedded by corvane.rc; the linker must not add one of its own.
  target_link_options(Corvane PRIVATE /MANIFEST:NO)
endif()
set_target_properties(Corvane PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

if(MINGW)
  # Everything static: the program runs from a bare folder on any Windows.
  set(CORVANE_STATIC_LINK -static -static-libgcc -static-libstdc++)
  target_link_options(Corvane PRIVATE ${CORVANE_STATIC_LINK} -municode -s -Wl,--gc-sections)
  target_compile_options(corvane_core PRIVATE -ffunction-sections -fdata-sections)
  target_compile_options(corvane_win32 PRIVATE -ffunction-sections -fdata-sections)
endif()

# The floors the benchmark (scripts/bench.sh) holds Corvane.exe against.
add_subdirectory(tools/bench)
