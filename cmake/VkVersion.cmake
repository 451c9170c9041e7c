# Version stamps. Every program carries the project version, with the git commit it was built
# from when there is one, in an ELF note that CFileVersionInfo reads from the file
# (src/platform/version/VersionNote.h). The commit is looked up at every build and written to a
# header only when it changed, so a new commit rebuilds one small source per program and
# relinks; a source tree without .git or git builds with the version alone.
#
#   vk_stamp_program(<target> "<description>")
#
# Run as a script (cmake -DSOURCE_DIR=... -DOUTPUT=... -P VkVersion.cmake) it writes the header.

set(VK_COPYRIGHT "Copyright (C) 2026 the vkCert authors")

if(CMAKE_SCRIPT_MODE_FILE)
    set(commit "")
    find_package(Git QUIET)
    if(GIT_FOUND AND EXISTS "${SOURCE_DIR}/.git")
        execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${SOURCE_DIR}" rev-parse --short=12 HEAD
                        OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE
                        RESULT_VARIABLE failed ERROR_QUIET)
        if(failed)
            set(commit "")
        endif()
    endif()
    set(suffix "")
    if(commit)
        set(suffix " (commit ${commit})")
    endif()
    set(text "// Generated at build time: the commit the programs are built from.\n#pragma once\n#define VK_COMMIT_SUFFIX \"${suffix}\"\n")
    set(old "")
    if(EXISTS "${OUTPUT}")
        file(READ "${OUTPUT}" old)
    endif()
    if(NOT old STREQUAL text)
        file(WRITE "${OUTPUT}" "${text}")
    endif()
    return()
endif()

set(VK_STAMP_DIR ${PROJECT_BINARY_DIR}/stamps)
set(VK_COMMIT_HEADER ${VK_STAMP_DIR}/VkCommit.h)
add_custom_target(vk_commit
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DOUTPUT=${VK_COMMIT_HEADER}
            -P ${CMAKE_CURRENT_LIST_FILE}
    BYPRODUCTS ${VK_COMMIT_HEADER}
    COMMENT "Looking up the git commit"
    VERBATIM)

function(vk_stamp_program target description)
    set(source ${VK_STAMP_DIR}/${target}_stamp.cpp)
    file(CONFIGURE OUTPUT ${source} CONTENT [[
// Generated: the version stamp of @target@.
#include "VkCommit.h"
#include "platform/version/ProgramVersion.h"
#include "platform/version/VersionNote.h"

VK_VERSION_STAMP("@PROJECT_VERSION@" VK_COMMIT_SUFFIX, "@description@", "@VK_COPYRIGHT@")
]] @ONLY)
    target_sources(${target} PRIVATE ${source})
    target_include_directories(${target} PRIVATE ${VK_STAMP_DIR})
    add_dependencies(${target} vk_commit)
endfunction()
