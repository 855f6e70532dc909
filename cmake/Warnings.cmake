# Compile options every target of the project links.
add_library(kaleidra_options INTERFACE)
target_compile_options(kaleidra_options INTERFACE
  -Wall -Wextra -Wformat=2 -Wnon-virtual-dtor
  # GCC 12 reports false positives of these through inlined library code (clang, which builds the
  # fuzz targets, has neither).
  $<$<CXX_COMPILER_ID:GNU>:-Wno-error=maybe-uninitialized -Wno-error=stringop-overflow>)
target_compile_definitions(kaleidra_options INTERFACE
  QT_NO_CAST_TO_ASCII QT_NO_NARROWING_CONVERSIONS_IN_CONNECT QT_NO_FOREACH)
target_include_directories(kaleidra_options INTERFACE ${PROJECT_SOURCE_DIR})
