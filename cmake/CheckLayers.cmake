cmake_minimum_required(VERSION 3.25)
# cmake -DSOURCE_DIR=<root> -DLAYER_MAP=<file from qs_write_layer_map> -P CheckLayers.cmake
#
# Fails when a file of a layer includes a header of a layer it does not link, or reaches
# out of its folder with "..". The build already refuses such includes in files it
# compiles; this also covers headers that no file of their own layer includes.
include(${LAYER_MAP})

# The layer a path belongs to: the longest layer folder it lies in.
function(layer_of path out)
  set(best "")
  foreach(folder ${QS_LAYERS})
    string(LENGTH "${folder}" length)
    string(LENGTH "${best}" bestLength)
    if(path MATCHES "^${folder}/" AND length GREATER bestLength)
      set(best ${folder})
    endif()
  endforeach()
  set(${out} "${best}" PARENT_SCOPE)
endfunction()

set(failures 0)
foreach(folder ${QS_LAYERS})
  file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(file ${files})
    layer_of(${file} own)
    if(NOT own STREQUAL folder)
      continue()  # belongs to a layer nested deeper
    endif()
    file(STRINGS ${SOURCE_DIR}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line ${lines})
      string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" included "${line}")
      if(included MATCHES "\\.\\.")
        message(SEND_ERROR "${file}: includes \"${included}\" (reaches out of its folder)")
        math(EXPR failures "${failures} + 1")
        continue()
      endif()
      layer_of(${included} target)
      if(target AND NOT target IN_LIST QS_ALLOWED_${folder})
        message(SEND_ERROR "${file}: includes \"${included}\" from ${target}, a layer ${folder} does not link")
        math(EXPR failures "${failures} + 1")
      endif()
    endforeach()
  endforeach()
endforeach()
list(LENGTH QS_LAYERS count)
message(STATUS "${count} layers checked, ${failures} forbidden includes")
