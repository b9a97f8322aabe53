# The man pages, generated from the command's own --help at build time so they
# cannot drift from it; the package installs them.
find_program(SONDERLITH_HELP2MAN help2man REQUIRED)
set(SONDERLITH_MAN_DIR "${CMAKE_BINARY_DIR}/man")
file(MAKE_DIRECTORY "${SONDERLITH_MAN_DIR}")
set(SONDERLITH_MAN_PAGES)
foreach(page IN ITEMS
        "-|measure an audio device's static transfer function"
        "measure|measure a device's static curve from recordings or a built-in device"
        "inspect|show what a Sonderlith preset holds"
        "compare|compare measured curves"
        "stimulus|write the test signal for re-amping hardware"
        "host-check|load a Sonderlith bundle as a host does"
        "plugins|list installed plug-ins and their parameters"
        "capture|measure a hardware device through an audio interface or JACK")
    string(REPLACE "|" ";" fields "${page}")
    list(GET fields 0 subcommand)
    list(GET fields 1 description)
    if(subcommand STREQUAL "-")
        set(file "${SONDERLITH_MAN_DIR}/sonderlith.1.gz")
    else()
        set(file "${SONDERLITH_MAN_DIR}/sonderlith-${subcommand}.1.gz")
    endif()
    add_custom_command(OUTPUT "${file}"
        COMMAND sh "${CMAKE_SOURCE_DIR}/cmake/make_man_page.sh" $<TARGET_FILE:sonderlith> "${subcommand}"
                "${SONDERLITH_RELEASE}" "${description}" "${file}"
        DEPENDS sonderlith "${CMAKE_SOURCE_DIR}/cmake/make_man_page.sh"
        VERBATIM)
    list(APPEND SONDERLITH_MAN_PAGES "${file}")
endforeach()
add_custom_target(sonderlith_man_pages ALL DEPENDS ${SONDERLITH_MAN_PAGES})
set(SONDERLITH_MAN_PAGES "${SONDERLITH_MAN_PAGES}" PARENT_SCOPE)
