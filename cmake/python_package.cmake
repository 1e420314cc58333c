# The Python package in python/: the module lorvenna._engine (pybind11) over
# the engine library the program links (built position-independent for it),
# staged with the package's Python files into <build>/package, and its tests
# (pytest) against the program built beside it.
# Position-independent code lets a symbol be interposed from outside, which
# keeps GCC from inlining or calling the engine's functions directly; nothing
# interposes them here, so the library is built as the program's is, calls
# and all, and its symbols stay inside the module.
set_target_properties(lorvenna_core PROPERTIES POSITION_INDEPENDENT_CODE ON CXX_VISIBILITY_PRESET hidden
                      VISIBILITY_INLINES_HIDDEN ON)
target_compile_options(lorvenna_core PRIVATE -fno-semantic-interposition)

# Debian's interpreter, whose pybind11, NumPy, pandas and matplotlib the
# package uses; the python3 first on PATH may be another one.
if(NOT Python3_EXECUTABLE AND EXISTS /usr/bin/python3)
  set(Python3_EXECUTABLE /usr/bin/python3)
endif()
find_package(Python3 COMPONENTS Interpreter Development.Module)
if(NOT Python3_FOUND)
  message(FATAL_ERROR "LORVENNA_PYTHON needs Python 3 with its headers (Debian: apt-get install python3-dev "
                      "python3-pybind11 python3-pandas python3-matplotlib python3-pytest, or scripts/py_install.sh)")
endif()
execute_process(COMMAND ${Python3_EXECUTABLE} -m pybind11 --cmakedir
                OUTPUT_VARIABLE lorvenna_pybind11_dir OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
set(PYBIND11_FINDPYTHON ON)
find_package(pybind11 CONFIG HINTS ${lorvenna_pybind11_dir})
if(NOT pybind11_FOUND)
  message(FATAL_ERROR "LORVENNA_PYTHON needs pybind11 for ${Python3_EXECUTABLE} (Debian: apt-get install python3-pybind11)")
endif()

set(LORVENNA_PYTHON_PACKAGE ${CMAKE_BINARY_DIR}/package/lorvenna)
pybind11_add_module(lorvenna_python MODULE NO_EXTRAS
                    python/src/bridge.cpp python/src/csv_columns.cpp python/src/module.cpp)
target_link_libraries(lorvenna_python PRIVATE lorvenna_core)
set_target_properties(lorvenna_python PROPERTIES OUTPUT_NAME _engine
                      LIBRARY_OUTPUT_DIRECTORY ${LORVENNA_PYTHON_PACKAGE})

# The package's Python files beside the module.
file(GLOB lorvenna_python_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/python/lorvenna/*.py)
set(lorvenna_python_staged)
foreach(source IN LISTS lorvenna_python_sources)
  get_filename_component(name ${source} NAME)
  add_custom_command(OUTPUT ${LORVENNA_PYTHON_PACKAGE}/${name}
                     COMMAND ${CMAKE_COMMAND} -E copy_if_different ${source} ${LORVENNA_PYTHON_PACKAGE}/${name}
                     DEPENDS ${source} VERBATIM)
  list(APPEND lorvenna_python_staged ${LORVENNA_PYTHON_PACKAGE}/${name})
endforeach()
add_custom_target(lorvenna_python_sources ALL DEPENDS ${lorvenna_python_staged})
add_dependencies(lorvenna_python lorvenna_python_sources)

add_test(NAME py_tests
         COMMAND ${Python3_EXECUTABLE} -m pytest -q -p no:cacheprovider ${CMAKE_SOURCE_DIR}/python/tests)
set_tests_properties(py_tests PROPERTIES TIMEOUT 900
                     ENVIRONMENT "PYTHONPATH=${CMAKE_BINARY_DIR}/package;LORVENNA_BINARY=$<TARGET_FILE:lorvenna>;MPLBACKEND=Agg;PYTHONDONTWRITEBYTECODE=1")
