# The Linux program: build/<preset>/corvane, GTK 3 on X11, or on Wayland with layer surfaces.

# What the GTK backend decides on its own, without GTK: the face, the settings file's place,
# the instance lock and the hand-over socket, double clicks. Unit-tested natively.
add_library(corvane_gtk_logic STATIC
  src/platform/gtk/font_map.cpp
  src/platform/gtk/font_cache.cpp
  src/platform/gtk/settings_place.cpp
  src/platform/gtk/instance_lock.cpp
  src/platform/gtk/hand_over_socket.cpp
  src/platform/gtk/click_counter.cpp
  src/platform/gtk/uri_list.cpp
)
target_link_libraries(corvane_gtk_logic PUBLIC corvane_core)

find_package(PkgConfig)
if(PKG_CONFIG_FOUND)
  pkg_check_modules(GTK3 IMPORTED_TARGET gtk+-3.0 x11 libjpeg fontconfig cairo-ft gtk-layer-shell-0 wayland-client)
endif()
if(NOT GTK3_FOUND)
  message(STATUS "GTK 3, gtk-layer-shell or libjpeg not found (libgtk-3-dev, libgtk-layer-shell-dev, libjpeg-dev): the Linux program is not built")
  return()
endif()

add_library(corvane_gtk STATIC
  src/platform/gtk/gtk_platform.cpp
  src/platform/gtk/gtk_window.cpp
  src/platform/gtk/gtk_window_input.cpp
  src/platform/gtk/gtk_window_drop.cpp
  src/platform/gtk/gtk_window_tooltip.cpp
  src/platform/gtk/gtk_canvas.cpp
  src/platform/gtk/gtk_fonts.cpp
  src/platform/gtk/gtk_picture.cpp
  src/platform/gtk/gtk_jpeg.cpp
  src/platform/gtk/gtk_files.cpp
  src/platform/gtk/gtk_x11.cpp
  src/platform/gtk/gtk_layer.cpp
  src/platform/gtk/gtk_clipboard.cpp
  src/platform/gtk/gtk_hand_over.cpp
)
target_link_libraries(corvane_gtk PUBLIC corvane_gtk_logic PkgConfig::GTK3)

add_executable(corvane src/platform/gtk/gtk_main.cpp)
target_link_libraries(corvane PRIVATE corvane_gtk)
set_target_properties(corvane PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# The C++ runtime linked in: a start maps and initialises no libstdc++.so (a millisecond sooner,
# a megabyte less resident), and the released binary does not need the libstdc++ of the system
# it was built on. None of its symbols is exported, so a picture loader written in C++ keeps to
# the system's own. Not under the sanitizers, whose run-time replaces operator new.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND NOT CORVANE_SANITIZE)
  target_link_options(corvane PRIVATE -static-libstdc++ -static-libgcc -Wl,--gc-sections)
endif()

# The icon for desktops, drawn from the Windows icon, beside the program.
pkg_check_modules(PIXBUF IMPORTED_TARGET gdk-pixbuf-2.0)
add_executable(png_icon tools/png_icon.cpp)
target_link_libraries(png_icon PRIVATE PkgConfig::PIXBUF)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/corvane.png
  COMMAND png_icon ${PROJECT_SOURCE_DIR}/res/corvane.ico ${CMAKE_BINARY_DIR}/corvane.png
  DEPENDS png_icon ${PROJECT_SOURCE_DIR}/res/corvane.ico
  COMMENT "Drawing corvane.png"
  VERBATIM)
add_custom_target(corvane_png ALL DEPENDS ${CMAKE_BINARY_DIR}/corvane.png)

# The same icon at the hicolor theme's sizes, for installing (scripts/release.sh packs them):
# build/<preset>/icons/hicolor/<n>x<n>/apps/<app id>.png, the app id as res/version.h names it.
file(STRINGS ${PROJECT_SOURCE_DIR}/res/version.h corvane_app_id_line REGEX "^#define CORVANE_APP_ID \"")
string(REGEX REPLACE ".*\"(.*)\".*" "\\1" CORVANE_APP_ID "${corvane_app_id_line}")
set(corvane_theme_icons)
foreach(size 16 24 32 48 64 128 256)
  set(icon ${CMAKE_BINARY_DIR}/icons/hicolor/${size}x${size}/apps/${CORVANE_APP_ID}.png)
  add_custom_command(OUTPUT ${icon}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/hicolor/${size}x${size}/apps
    COMMAND png_icon ${PROJECT_SOURCE_DIR}/res/corvane.ico ${icon} ${size}
    DEPENDS png_icon ${PROJECT_SOURCE_DIR}/res/corvane.ico
    COMMENT "Drawing the ${size}-pixel icon"
    VERBATIM)
  list(APPEND corvane_theme_icons ${icon})
endforeach()
add_custom_target(corvane_icons ALL DEPENDS ${corvane_theme_icons})
