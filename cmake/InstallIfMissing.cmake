# cmake -DSOURCE=<file> -DTARGET=<file> -P InstallIfMissing.cmake
# Copies SOURCE to TARGET (making its folder) when there is nothing of that
# name yet; a TARGET that is there, the user's own, is never replaced. The
# copy is readable and writable by its owner alone (0600): the defaults
# record it installs holds the passwords the user gives it later.
if(NOT EXISTS "${TARGET}" AND NOT IS_SYMLINK "${TARGET}")
  get_filename_component(folder "${TARGET}" DIRECTORY)
  file(MAKE_DIRECTORY "${folder}")
  file(COPY_FILE "${SOURCE}" "${TARGET}")
  file(CHMOD "${TARGET}" FILE_PERMISSIONS OWNER_READ OWNER_WRITE)
endif()
