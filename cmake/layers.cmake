# Include roots of the libraries. Every library sees its own folder and the folders of the
# libraries it links, nothing else: a header of a higher layer is simply not on the path, so an
# include of it fails to compile.
#
# The sources keep their folder-qualified includes ("image/picture/decode_bmp.h", "app/lcd_form.h"). So
# each library gets a root of its own in the build tree that holds nothing but a symbolic link
# named after its folder, leading to that folder in src/. A library that owns a subfolder of
# another library's folder (the stream, download/stream) gets the parent folder as a plain
# directory holding only the link to that subfolder.
set(VORNIX_INCLUDE_ROOTS ${PROJECT_BINARY_DIR}/include)

# vornix_include_root(<target> <folder>...): makes the folders (relative to src/) the target's
# public headers.
function(vornix_include_root target)
    set(root ${VORNIX_INCLUDE_ROOTS}/${target})
    # Start from an empty root, so that a folder dropped from the list disappears from the path.
    # Removing a root removes its links, never what they lead to.
    file(REMOVE_RECURSE ${root})
    foreach(folder IN LISTS ARGN)
        if(NOT IS_DIRECTORY ${PROJECT_SOURCE_DIR}/src/${folder})
            message(FATAL_ERROR "vornix_include_root(${target}): no folder src/${folder}")
        endif()
        get_filename_component(parent ${root}/${folder} DIRECTORY)
        file(MAKE_DIRECTORY ${parent})
        file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
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
