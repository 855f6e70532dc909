# The installed layout: `cmake --install build --prefix <folder>` lays out
#   <folder>/bin/   every program below, with the data the build put beside them (Skin/,
#                   Language.dat, Message.dat, the default Kaleidra.ini, Effect.ini, Filter.ini,
#                   ...), the camera and media support libkaleidra_camera.so and
#                   libkaleidra_media.so, and uninstall.list
#   <folder>/lib/   the shared libraries of the programs
# Each file finds the libraries through a path relative to itself ($ORIGIN), so an installed tree
# runs from wherever it lies. uninstall.list names every installed file, relative to <folder>,
# for the uninstaller. Included last by the top-level CMakeLists.txt, once every target exists.

# The programs an installation holds: a new program joins with one line.
set(KALEIDRA_INSTALLED_PROGRAMS
  Kaleidra
  KaleidraRemote
  updater
  uninstaller
  Luxviewer
)

# Appends to `out` every shared library of this build that `target` links, directly or through
# other libraries of the build.
function(kaleidra_collect_shared_libraries target out)
  set(found ${${out}})
  foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
    get_target_property(linked ${target} ${property})
    if(NOT linked)
      continue()
    endif()
    foreach(item IN LISTS linked)
      if(item MATCHES "^\\$<LINK_ONLY:(.+)>$")
        set(item "${CMAKE_MATCH_1}")
      endif()
      if(NOT TARGET "${item}" OR "${item}" IN_LIST found)
        continue()
      endif()
      get_target_property(imported ${item} IMPORTED)
      if(imported)
        continue()
      endif()
      get_target_property(type ${item} TYPE)
      if(type STREQUAL "SHARED_LIBRARY")
        list(APPEND found ${item})
      endif()
      if(type MATCHES "^(SHARED|STATIC|INTERFACE)_LIBRARY$")
        kaleidra_collect_shared_libraries(${item} found)
      endif()
    endforeach()
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

set(KALEIDRA_INSTALLED_LIBRARIES "")
foreach(program IN LISTS KALEIDRA_INSTALLED_PROGRAMS)
  if(NOT TARGET ${program})
    message(FATAL_ERROR "KALEIDRA_INSTALLED_PROGRAMS names ${program}, which the build does not make")
  endif()
  kaleidra_collect_shared_libraries(${program} KALEIDRA_INSTALLED_LIBRARIES)
endforeach()

set_target_properties(${KALEIDRA_INSTALLED_PROGRAMS} ${KALEIDRA_INSTALLED_LIBRARIES}
  PROPERTIES INSTALL_RPATH "$ORIGIN/../lib")
# An update package holds the updater at its top with the new version's tree below
# Data/ProgramFiles/Kaleidra: the packaged updater takes its libraries from there first.
set_target_properties(updater
  PROPERTIES INSTALL_RPATH "$ORIGIN/Data/ProgramFiles/Kaleidra/lib;$ORIGIN/../lib")

install(TARGETS ${KALEIDRA_INSTALLED_PROGRAMS} RUNTIME DESTINATION bin)
install(TARGETS ${KALEIDRA_INSTALLED_LIBRARIES} LIBRARY DESTINATION lib)
# The camera and media support, which the programs open by path beside themselves (linked by
# none); the media support takes the platform library from lib/ as the programs do.
set_target_properties(kaleidra_media PROPERTIES INSTALL_RPATH "$ORIGIN/../lib")
install(TARGETS kaleidra_camera kaleidra_media LIBRARY DESTINATION bin)

# The data beside the programs, as the build left it when the installation is made: every
# folder, and every file that is no program or library (no ELF file).
install(CODE "set(KALEIDRA_BUILD_PROGRAM_FOLDER \"${CMAKE_RUNTIME_OUTPUT_DIRECTORY}\")")
install(SCRIPT "${CMAKE_CURRENT_LIST_DIR}/InstallProgramData.cmake")
# Last: the list of what was installed, for the uninstaller.
install(SCRIPT "${CMAKE_CURRENT_LIST_DIR}/InstallUninstallList.cmake")
