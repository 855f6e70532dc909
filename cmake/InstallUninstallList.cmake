# Runs at install time, after every other install rule (see Install.cmake): writes
# bin/uninstall.list, every installed file relative to the installation folder, itself
# included, one a line. The uninstaller removes exactly these.
set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(list_file "${root}/bin/uninstall.list")
set(relative_paths "")
foreach(installed IN LISTS CMAKE_INSTALL_MANIFEST_FILES)
  file(RELATIVE_PATH relative "${root}" "${installed}")
  list(APPEND relative_paths "${relative}")
endforeach()
list(APPEND relative_paths "bin/uninstall.list")
list(REMOVE_DUPLICATES relative_paths)
list(SORT relative_paths)
list(JOIN relative_paths "\n" content)
message(STATUS "Installing: ${list_file}")
file(WRITE "${list_file}" "${content}\n")
