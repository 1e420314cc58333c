# Fails when a source file includes a header from a layer above its own.
# Layers, lowest first: each may include only its own layer and those below.
#   numerics < core < data < statistics < community < landscape < placement
#   < sampling < reports < pass < input < batch < sweeps < driver < main.cpp
# Run as: cmake -DSOURCE_DIR=<repo>/src -P check_layers.cmake
set(LAYERS numerics core data statistics community landscape placement sampling reports pass input batch sweeps driver main)

function(layer_of path out)
  if(path MATCHES "^main\\.cpp$")
    set(name main)
  else()
    string(REGEX REPLACE "/.*$" "" name "${path}")
  endif()
  list(FIND LAYERS "${name}" rank)
  set(${out} ${rank} PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.hpp" "${SOURCE_DIR}/*.cpp")
set(faults "")
foreach(source IN LISTS sources)
  layer_of("${source}" own)
  if(own EQUAL -1)
    string(APPEND faults "  ${source}: not in any layer\n")
    continue()
  endif()
  file(STRINGS "${SOURCE_DIR}/${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*$" "\\1" header "${line}")
    layer_of("${header}" theirs)
    if(theirs EQUAL -1 OR theirs GREATER own)
      string(APPEND faults "  ${source} includes ${header}\n")
    endif()
  endforeach()
endforeach()
if(faults)
  message(FATAL_ERROR "Includes against the order of the layers:\n${faults}")
endif()
