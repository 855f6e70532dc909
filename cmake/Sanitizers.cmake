# The sanitizer builds (the asan and tsan presets) put the sanitizer's flags into every target and
# name it in KALEIDRA_SANITIZER. What the build or the test run itself executes outside the
# programs under test (the skin generator during the build, the test run's preload library) is
# built without: a sanitizer that stops a build tool stops the build.
set(KALEIDRA_SANITIZER "" CACHE STRING "The sanitizer every target is built with: address, thread or empty")

function(kaleidra_build_without_sanitizers target)
  target_compile_options(${target} PRIVATE -fno-sanitize=all)
  target_link_options(${target} PRIVATE -fno-sanitize=all)
endfunction()
