# Small helpers shared by the build files.

# vk_glob_sources(<out-var> <dir>...): every .cpp below the given folders.
function(vk_glob_sources out)
    set(all)
    foreach(dir IN LISTS ARGN)
        file(GLOB_RECURSE found CONFIGURE_DEPENDS ${dir}/*.cpp)
        list(APPEND all ${found})
    endforeach()
    set(${out} ${all} PARENT_SCOPE)
endfunction()

# vk_add_subdirectories(): add_subdirectory for every direct child folder that
# has a CMakeLists.txt, so that new tools, tests and benchmarks need no edit here.
function(vk_add_subdirectories)
    file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
         ${CMAKE_CURRENT_SOURCE_DIR}/*)
    list(SORT children)
    foreach(child IN LISTS children)
        if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child}
           AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
            add_subdirectory(${child})
        endif()
    endforeach()
endfunction()

# vk_test(<name> SOURCES ... LIBS ... [TIMEOUT s] [TSAN])
# A GoogleTest program whose cases CTest runs one by one, with the support
# library's main (child processes, temporary worlds, pinned locale and Qt
# platform). TSAN also runs it in the ThreadSanitizer build of the test command
# (label "tsan").
function(vk_test name)
    cmake_parse_arguments(T "TSAN" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE vk_test_support ${T_LIBS} GTest::gmock)
    set(label unit)
    if(T_TSAN)
        set(label tsan)
        file(APPEND ${PROJECT_BINARY_DIR}/tsan-targets.txt "${name}\n")
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_TIMEOUT 60
        PROPERTIES TIMEOUT ${T_TIMEOUT}
                   LABELS ${label})
endfunction()

# vk_test_dir(<name> LIBS ... [TSAN]): a test program of every .cpp in the current folder.
function(vk_test_dir name)
    cmake_parse_arguments(T "TSAN" "TIMEOUT" "LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    set(tsan)
    if(T_TSAN)
        set(tsan TSAN)
    endif()
    if(sources)
        vk_test(${name} SOURCES ${sources} LIBS ${T_LIBS} TIMEOUT ${T_TIMEOUT} ${tsan})
    endif()
endfunction()
