# Each source folder lists its files in a CMakeLists.txt of its own. A file or a folder that is
# not listed stops the configuration, so nothing new can be left out of the build unnoticed.

# Adds the files of the current folder to `target`. Every .cpp and .h in the folder must be
# named; `EXCLUDE` names files that belong to another target in the same folder.
function(velvane_folder_sources target)
    cmake_parse_arguments(ARG "" "" "EXCLUDE" ${ARGN})
    file(GLOB present RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    foreach(file IN LISTS present)
        if(NOT file IN_LIST ARG_UNPARSED_ARGUMENTS AND NOT file IN_LIST ARG_EXCLUDE)
            message(FATAL_ERROR "${CMAKE_CURRENT_SOURCE_DIR}/${file} is not listed in the folder's CMakeLists.txt")
        endif()
    endforeach()
    foreach(file IN LISTS ARG_UNPARSED_ARGUMENTS)
        if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${file})
            message(FATAL_ERROR "${CMAKE_CURRENT_SOURCE_DIR}/${file} is listed but does not exist")
        endif()
        target_sources(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/${file})
    endforeach()
endfunction()

# Adds every subfolder of the current folder; each must have a CMakeLists.txt.
function(velvane_add_subfolders)
    file(GLOB entries LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/*)
    foreach(entry IN LISTS entries)
        if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${entry})
            if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${entry}/CMakeLists.txt)
                message(FATAL_ERROR "${CMAKE_CURRENT_SOURCE_DIR}/${entry} has no CMakeLists.txt")
            endif()
            add_subdirectory(${entry})
        endif()
    endforeach()
endfunction()
