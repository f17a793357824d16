# Include roots of the libraries. Every library sees its own folder and the folders of the
# libraries it links, nothing else: a header of a higher layer is simply not on the path, so an
# include of it fails to compile.
#
# The sources keep their folder-qualified includes ("image/picture/decode_bmp.h", "app/lcd_form.h"). So
# each library gets a root of its own in the build tree that holds nothing but its folders under
# their names: a symbolic link to the folder in src/ (VORNIX_INCLUDE_LINKS), or, where the host
# makes no links, a forwarding header for each of the folder's headers that includes the real one
# by its full path. A library that owns a subfolder of another library's folder (the stream,
# download/stream) gets the parent folder as a plain directory holding only that subfolder.
set(VORNIX_INCLUDE_ROOTS ${PROJECT_BINARY_DIR}/include)

# vornix_include_root(<target> <folder>...): makes the folders (relative to src/) the target's
# public headers.
function(vornix_include_root target)
    set(root ${VORNIX_INCLUDE_ROOTS}/${target})
    if(VORNIX_INCLUDE_LINKS)
        # Start from an empty root, so that a folder dropped from the list disappears from the
        # path. Removing a root removes its links, never what they lead to.
        file(REMOVE_RECURSE ${root})
    endif()
    foreach(folder IN LISTS ARGN)
        set(source ${PROJECT_SOURCE_DIR}/src/${folder})
        if(NOT IS_DIRECTORY ${source})
            message(FATAL_ERROR "vornix_include_root(${target}): no folder src/${folder}")
        endif()
        get_filename_component(parent ${root}/${folder} DIRECTORY)
        file(MAKE_DIRECTORY ${parent})
        if(VORNIX_INCLUDE_LINKS)
            file(CREATE_LINK ${source} ${root}/${folder} SYMBOLIC)
            continue()
        endif()
        if(IS_SYMLINK ${root}/${folder})
            file(REMOVE ${root}/${folder}) # left by a configuration with links
        endif()
        # Rewritten only when their text changes, so that a new configuration rebuilds nothing;
        # a new header in the folder makes the build configure again.
        file(GLOB_RECURSE headers CONFIGURE_DEPENDS RELATIVE ${source} ${source}/*.h)
        foreach(header IN LISTS headers)
            file(CONFIGURE OUTPUT ${root}/${folder}/${header}
                 CONTENT "#pragma once\n#include \"${source}/${header}\"\n")
        endforeach()
    endforeach()
    target_include_directories(${target} PUBLIC ${root})
endfunction()

# Writes the full path of every source file of every target defined so far, one a line, for the
# test that finds source files no target builds.
function(vornix_write_built_sources file)
    set(sources)
    set(folders ${PROJECT_SOURCE_DIR})
    while(folders)
        list(POP_FRONT folders folder)
        get_property(subfolders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
        list(APPEND folders ${subfolders})
        get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
        foreach(target IN LISTS targets)
            get_target_property(target_sources ${target} SOURCES)
            get_target_property(target_folder ${target} SOURCE_DIR)
            foreach(source IN LISTS target_sources)
                if(NOT source MATCHES "^\\$<")
                    get_filename_component(source ${source} ABSOLUTE BASE_DIR ${target_folder})
                    list(APPEND sources ${source})
                endif()
            endforeach()
        endforeach()
    endwhile()
    list(REMOVE_DUPLICATES sources)
    list(SORT sources)
    list(JOIN sources "\n" text)
    file(WRITE ${file} "${text}\n")
endfunction()
