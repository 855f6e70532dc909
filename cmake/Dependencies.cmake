# Every outside library the programs use, found once for all folders.
find_package(Qt6 6.4 REQUIRED COMPONENTS Core Gui Widgets Network Svg Test)
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(GTest REQUIRED)
find_package(pugixml REQUIRED)

# Finding, minimising and raising the viewer's window on an X11 desktop.
pkg_check_modules(XCB REQUIRED IMPORTED_TARGET xcb)
pkg_check_modules(LIBZIP REQUIRED IMPORTED_TARGET libzip)
pkg_check_modules(FFMPEG REQUIRED IMPORTED_TARGET libavformat libavcodec libswscale libavutil)

# OpenCV comes as Debian's split packages, which ship no CMake package of their own.
find_path(OPENCV_INCLUDE_DIR opencv2/core.hpp PATH_SUFFIXES opencv4)
set(KALEIDRA_OPENCV_MODULES core imgproc imgcodecs videoio)
set(OPENCV_LIBRARIES "")
foreach(module ${KALEIDRA_OPENCV_MODULES})
  find_library(OPENCV_${module}_LIBRARY opencv_${module})
  if(NOT OPENCV_${module}_LIBRARY)
    message(FATAL_ERROR "OpenCV module ${module} not found: run scripts/install-deps")
  endif()
  list(APPEND OPENCV_LIBRARIES ${OPENCV_${module}_LIBRARY})
endforeach()
if(NOT OPENCV_INCLUDE_DIR)
  message(FATAL_ERROR "OpenCV headers not found: run scripts/install-deps")
endif()
add_library(kaleidra_opencv INTERFACE)
target_include_directories(kaleidra_opencv SYSTEM INTERFACE ${OPENCV_INCLUDE_DIR})
target_link_libraries(kaleidra_opencv INTERFACE ${OPENCV_LIBRARIES})
