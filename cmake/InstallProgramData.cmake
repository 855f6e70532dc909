# Runs at install time (see Install.cmake): installs the data files and folders that lie beside
# the programs in the build's program folder, KALEIDRA_BUILD_PROGRAM_FOLDER. Programs and
# libraries (ELF files) are installed by their own rules, or not at all (benchmarks).
file(GLOB entries LIST_DIRECTORIES true "${KALEIDRA_BUILD_PROGRAM_FOLDER}/*")
foreach(entry IN LISTS entries)
  if(IS_DIRECTORY "${entry}")
    file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/bin" TYPE DIRECTORY FILES "${entry}"
      FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
      DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                            WORLD_READ WORLD_EXECUTE)
    continue()
  endif()
  file(READ "${entry}" magic LIMIT 4 HEX)
  if(magic STREQUAL "7f454c46")
    continue()
  endif()
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/bin" TYPE FILE FILES "${entry}"
    PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endforeach()
