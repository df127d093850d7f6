# Fails when a folder of the program includes a header from a folder it must not depend on.
# Each folder may include its own headers and those of the folders listed for it; the lists
# go from the bottom of the program to the top, so no lower folder reaches a higher one.
# The front ends (the windows, their start and tonarion-cli) reach the stick only through the
# workspace: the storage layer is not theirs to include, though it lies below them.
#
#   cmake -DSOURCE_DIR=src -P CheckLayers.cmake
cmake_policy(SET CMP0057 NEW)
set(layers model sound event settings storage workspace gui cli app)
set(allowed_model "")
set(allowed_sound model)
set(allowed_event model)
set(allowed_settings model)
set(allowed_storage model settings)
set(allowed_workspace model sound event settings storage)
set(allowed_gui model sound event settings workspace)
set(allowed_cli model sound event settings workspace)
set(allowed_app model sound event settings workspace gui)

set(offenders "")
foreach(layer IN LISTS layers)
  file(GLOB_RECURSE files "${SOURCE_DIR}/${layer}/*.h" "${SOURCE_DIR}/${layer}/*.cpp")
  foreach(file IN LISTS files)
    file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z]+/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([a-z]+)/.*" "\\1" target "${line}")
      file(RELATIVE_PATH shown "${SOURCE_DIR}" "${file}")
      if(target IN_LIST layers AND NOT target STREQUAL layer
         AND NOT target IN_LIST allowed_${layer})
        list(APPEND offenders "${shown} (${layer}) includes ${target}: ${line}")
      endif()
    endforeach()
  endforeach()
endforeach()
if(offenders)
  list(JOIN offenders "\n  " report)
  message(FATAL_ERROR "A folder includes one it must not reach:\n  ${report}")
endif()
