# Fails naming every file of the portable parts that includes an operating-system header
# outside a platform/ folder: the core (src/image), the fonts (src/fonts), the command stream
# (src/download/stream), the download without the toolkit (src/download/line), the simulated
# controller (src/lcdsim) and the command line (tools/cli). The toolkit's download helper
# (tools/cli/load) runs over the Linux serial line only and is not checked.
# Usage: cmake -DSOURCE_ROOT=<project folder> -P <this>
cmake_minimum_required(VERSION 3.25)
set(portable src/image src/fonts src/download/stream src/download/line src/lcdsim tools/cli)
set(system_headers
    unistd strings fcntl poll signal csignal termios pthread dirent dlfcn spawn io share direct
    windows winbase winnt winsock2 ws2tcpip shellapi shlobj wincodec objbase setupapi)
list(JOIN system_headers "|" names)
# <sys/...>, <linux/...>, <asm/...>, <arpa/...>, <netinet/...> and the named ones, with or
# without ".h".
set(pattern "^[ \t]*#[ \t]*include[ \t]*<((sys|linux|asm|arpa|netinet)/[^>]+|(${names})(\\.h)?)>")
set(offending)
foreach(folder IN LISTS portable)
    file(GLOB_RECURSE files ${SOURCE_ROOT}/${folder}/*.cpp ${SOURCE_ROOT}/${folder}/*.h)
    foreach(file IN LISTS files)
        file(RELATIVE_PATH name ${SOURCE_ROOT} ${file})
        if(name MATCHES "(^|/)platform/" OR name MATCHES "^tools/cli/load/")
            continue()
        endif()
        file(STRINGS ${file} lines REGEX "${pattern}")
        foreach(line IN LISTS lines)
            string(STRIP "${line}" line)
            list(APPEND offending "${name}: ${line}")
        endforeach()
    endforeach()
endforeach()
if(offending)
    list(JOIN offending "\n  " text)
    message(FATAL_ERROR "System headers outside the platform folders (move the call behind "
                        "image/platform/platform.h):\n  ${text}")
endif()
message(STATUS "No system header outside the platform folders")
