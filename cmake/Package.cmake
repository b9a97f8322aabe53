# The Debian package: `cpack -G DEB` in the build folder writes
# sonderlith_<release>_<arch>.deb with the bundles in the system's plug-in
# folders, the command and its host-check companion, the man pages, the README,
# the changelog and the copyright with every licence. Installed through their
# own component, so the per-user install (~/.vst3, ~/.lv2) stays apart.

set(debian_build "${CMAKE_BINARY_DIR}/debian")
file(MAKE_DIRECTORY "${debian_build}")

# The copyright file, each font's licence folded in as Debian's format asks.
function(sonderlith_licence_paragraph file out)
    file(STRINGS "${file}" lines)
    set(text "")
    foreach(line IN LISTS lines)
        if(line STREQUAL "")
            string(APPEND text " .\n")
        else()
            string(APPEND text " ${line}\n")
        endif()
    endforeach()
    string(REGEX REPLACE "\n$" "" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()
sonderlith_licence_paragraph("${CMAKE_SOURCE_DIR}/resources/fonts/OFL-Inter.txt" OFL_INTER)
sonderlith_licence_paragraph("${CMAKE_SOURCE_DIR}/resources/fonts/OFL-SpaceMono.txt" OFL_SPACEMONO)
sonderlith_licence_paragraph("${CMAKE_SOURCE_DIR}/resources/fonts/OFL-Nunito.txt" OFL_NUNITO)
configure_file("${CMAKE_SOURCE_DIR}/resources/debian/copyright.in" "${debian_build}/copyright" @ONLY)

# Compressed as Debian's policy asks: gzip -9 without a name or time stamp.
find_program(SONDERLITH_GZIP gzip REQUIRED)
foreach(pair "changelog;changelog.gz")
    list(GET pair 0 source)
    list(GET pair 1 target)
    add_custom_command(OUTPUT "${debian_build}/${target}"
        COMMAND "${SONDERLITH_GZIP}" -9 -n -c "${CMAKE_SOURCE_DIR}/resources/debian/${source}" > "${debian_build}/${target}"
        DEPENDS "${CMAKE_SOURCE_DIR}/resources/debian/${source}")
endforeach()
add_custom_target(sonderlith_debian_files ALL DEPENDS "${debian_build}/changelog.gz")

install(DIRECTORY "${SONDERLITH_VST3_BUNDLE}" DESTINATION lib/vst3 USE_SOURCE_PERMISSIONS COMPONENT deb)
install(DIRECTORY "${SONDERLITH_LV2_BUNDLE}" DESTINATION lib/lv2 USE_SOURCE_PERMISSIONS COMPONENT deb)
install(TARGETS sonderlith RUNTIME DESTINATION bin COMPONENT deb)
if(TARGET sonderlith-host-check)
    install(TARGETS sonderlith-host-check RUNTIME DESTINATION bin COMPONENT deb)
endif()
# The command's private helper, not for users: beside its other parts, not on PATH.
if(TARGET sonderlith-plugin-host)
    install(TARGETS sonderlith-plugin-host RUNTIME DESTINATION lib/sonderlith COMPONENT deb)
endif()
# sonderlith-host-check(1), the subcommand's page, is the helper's too: it takes the same bundle.
install(FILES ${SONDERLITH_MAN_PAGES} DESTINATION share/man/man1 COMPONENT deb)
install(FILES "${CMAKE_SOURCE_DIR}/README.md" "${debian_build}/copyright" "${debian_build}/changelog.gz"
    DESTINATION share/doc/sonderlith COMPONENT deb)
# The bundles' libraries are copied as folders, which CPack does not strip:
# stripped here as Debian strips shared objects.
install(CODE [[
    set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/lib")
    file(GLOB_RECURSE libraries "${root}/vst3/Sonderlith.vst3/*.so" "${root}/lv2/Sonderlith.lv2/*.so")
    foreach(library IN LISTS libraries)
        execute_process(COMMAND strip --remove-section=.comment --remove-section=.note --strip-unneeded "${library}" COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
]] COMPONENT deb)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sonderlith)
set(CPACK_PACKAGE_VERSION "${SONDERLITH_RELEASE}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}/package")
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL deb)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_NAME sonderlith)
set(CPACK_DEBIAN_PACKAGE_VERSION "${SONDERLITH_RELEASE}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Veltrasonic <packages@veltrasonic.com>")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${SONDERLITH_MAKER_WEBSITE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# sonderlith capture loads JACK's client library when it is there.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "jackd2")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "measures the transfer function of distortion devices (VST3, LV2, command)")
set(CPACK_PACKAGE_DESCRIPTION "Sonderlith measures the static transfer function y = f(x) of an audio device
such as a distortion, saturator or amplifier: as a VST3 or LV2 plug-in placed
after the device (its sidechain taking the device's input), or with the
sonderlith command from recordings of the device's input and output. It fits
the curve, judges how far it can be trusted, and saves it as a preset for a
waveshaper.")
include(CPack)
