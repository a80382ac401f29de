# The Windows program: Corvane.exe, statically linked so that it runs with nothing beside it.

add_executable(Corvane WIN32
  src/platform/win32/win32_main.cpp
  src/platform/win32/win32_platform.cpp
  src/platform/win32/win32_window.cpp
  src/platform/win32/win32_canvas.cpp
  src/platform/win32/win32_picture.cpp
  src/platform/win32/win32_files.cpp
  src/platform/win32/win32_text.cpp
)
target_link_libraries(Corvane PRIVATE corvane_core ole32 oleaut32 uuid comdlg32 comctl32 shell32 gdi32 user32)
target_compile_definitions(corvane_core PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
set_target_properties(Corvane PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
if(MINGW)
  target_link_options(Corvane PRIVATE -static -static-libgcc -static-libstdc++ -municode)
endif()
