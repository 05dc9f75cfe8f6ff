# cmake -DSOURCE=<file> -DTARGET=<file> -P CopyIfMissing.cmake
# Copies SOURCE to TARGET unless TARGET already exists.
if(NOT EXISTS "${TARGET}" AND EXISTS "${SOURCE}")
  get_filename_component(target_dir "${TARGET}" DIRECTORY)
  file(MAKE_DIRECTORY "${target_dir}")
  file(COPY_FILE "${SOURCE}" "${TARGET}")
endif()
