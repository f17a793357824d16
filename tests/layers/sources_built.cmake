# Fails naming every C++ source file under src/, tools/, tests/ and bench/ that no target builds.
# Usage: cmake -DSOURCE_ROOT=<project folder> -DBUILT=<list written at configure time>
#              -DOTHER_SYSTEM=<win32|posix> -P <this>
cmake_minimum_required(VERSION 3.25)
file(STRINGS ${BUILT} built)
file(GLOB_RECURSE present
    ${SOURCE_ROOT}/src/*.cpp ${SOURCE_ROOT}/tools/*.cpp
    ${SOURCE_ROOT}/tests/*.cpp ${SOURCE_ROOT}/bench/*.cpp)
# The other system's platform folders are compiled by that system's build (the Windows one by
# the cross-build in scripts/test).
list(FILTER present EXCLUDE REGEX "/platform/${OTHER_SYSTEM}/")
# Compiled by bench/convert.sh itself, with the command-line tool's sources.
list(REMOVE_ITEM present ${SOURCE_ROOT}/bench/convert_noqt_main.cpp)
set(missing)
foreach(source IN LISTS present)
    if(NOT source IN_LIST built)
        file(RELATIVE_PATH name ${SOURCE_ROOT} ${source})
        list(APPEND missing ${name})
    endif()
endforeach()
if(missing)
    list(JOIN missing "\n  " names)
    message(FATAL_ERROR "Not in the source list of any target (add them to a CMakeLists.txt):\n  ${names}")
endif()
list(LENGTH present count)
message(STATUS "All ${count} source files are built")
