# cmake -DBUILD_DIR=<build> -DSCRATCH=<folder> -P InstallTest.cmake
#
# Installs the build into SCRATCH (DESTDIR, prefix /usr) as the package does and checks it:
# every program answers --version (vkcert with no display at all), vktokend stands beside the
# programs that start it, desktop-file-validate and appstreamcli validate pass, each manual page
# renders without a warning, and the icon is there at every size. Every failure is reported,
# then the test fails.
set(app ru.orvel.vkcert)
set(failures "")
macro(fail text)
    string(APPEND failures "  ${text}\n")
endmacro()

# Runs a command line; sets `code` and `out` (standard output and error together).
function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output
                    ERROR_VARIABLE output INPUT_FILE /dev/null)
    set(code ${result} PARENT_SCOPE)
    set(out "${output}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${SCRATCH})
run(${CMAKE_COMMAND} -E env DESTDIR=${SCRATCH} ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr)
if(NOT code EQUAL 0)
    message(FATAL_ERROR "cmake --install failed:\n${out}")
endif()
set(usr ${SCRATCH}/usr)

foreach(program vkcert vktoken vkcert-cli vktokend)
    run(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ${usr}/bin/${program} --version)
    if(NOT code EQUAL 0 OR NOT out MATCHES "^${program} [0-9]+\\.[0-9]+\\.[0-9]+( \\(commit [0-9a-f]+\\))?\n$")
        fail("${program} --version: exit ${code}, \"${out}\"")
    endif()
endforeach()

run(desktop-file-validate ${usr}/share/applications/${app}.desktop)
if(NOT code EQUAL 0 OR out MATCHES "error|warning")
    fail("desktop-file-validate: ${out}")
endif()
run(appstreamcli validate --no-net --pedantic ${usr}/share/metainfo/${app}.metainfo.xml)
if(NOT code EQUAL 0)
    fail("appstreamcli validate: ${out}")
endif()

foreach(program vkcert vktoken vkcert-cli vktokend)
    set(page ${usr}/share/man/man1/${program}.1)
    run(groff -man -z -ww ${page})
    if(NOT code EQUAL 0 OR NOT out STREQUAL "")
        fail("groff ${program}.1: ${out}")
    endif()
    run(man -l -Tutf8 ${page})
    if(NOT code EQUAL 0 OR NOT out MATCHES "${program}")
        fail("man -l ${program}.1: exit ${code}")
    endif()
endforeach()

set(icons ${usr}/share/icons/hicolor)
if(NOT EXISTS ${icons}/scalable/apps/${app}.svg)
    fail("no scalable icon")
endif()
foreach(size 16 32 48 64 128)
    set(png ${icons}/${size}x${size}/apps/${app}.png)
    if(NOT EXISTS ${png})
        fail("no ${size} pixel icon")
        continue()
    endif()
    # Width and height in the PNG header, four bytes each from offset 16.
    file(READ ${png} header OFFSET 16 LIMIT 8 HEX)
    math(EXPR expected "${size}" OUTPUT_FORMAT HEXADECIMAL)
    string(SUBSTRING "${expected}" 2 -1 digits)
    string(REPEAT "0" 8 zeros)
    string(LENGTH "${digits}" length)
    math(EXPR pad "8 - ${length}")
    string(SUBSTRING "${zeros}" 0 ${pad} padding)
    if(NOT header STREQUAL "${padding}${digits}${padding}${digits}")
        fail("the ${size} pixel icon measures ${header}")
    endif()
endforeach()

file(REMOVE_RECURSE ${SCRATCH})
if(failures)
    message(FATAL_ERROR "The install fails its checks:\n${failures}")
endif()
