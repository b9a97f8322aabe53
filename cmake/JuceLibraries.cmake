# Two ways our own libraries use JUCE.
#
# The plug-in's shared code compiles every module it needs itself (that is how
# juce_add_plugin works). The command and its libraries instead get JUCE from
# static libraries made here, one module set each, so the engine can link
# juce_core and juce_audio_formats and nothing above them.
#
# Libraries shared by both (the engine, the theme, the preset files) only use
# JUCE's headers and settings: the program that links them brings one compiled
# JUCE, the plug-in's or these.

# The settings every compiled JUCE here shares (the plug-in's adds its own).
set(SONDERLITH_JUCE_SETTINGS
    JUCE_WEB_BROWSER=0
    JUCE_STRICT_REFCOUNTEDPOINTER=1)

# The headers and settings of `modules` (name each one, dependencies too),
# without their sources.
function(sonderlith_use_juce_headers target visibility)
    target_compile_definitions(${target} ${visibility} ${SONDERLITH_JUCE_SETTINGS})
    foreach(module IN LISTS ARGN)
        target_include_directories(${target} ${visibility} $<TARGET_PROPERTY:juce::${module},INTERFACE_INCLUDE_DIRECTORIES>)
        target_compile_definitions(${target} ${visibility} $<TARGET_PROPERTY:juce::${module},INTERFACE_COMPILE_DEFINITIONS>)
        target_compile_features(${target} ${visibility} cxx_std_17)
    endforeach()
endfunction()

# A static library that compiles `MODULES` and no other JUCE module: those
# they depend on must come from `ON`, another library made here.
function(sonderlith_compile_juce target)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "" "ON" "MODULES;DEFINITIONS")
    add_library(${target} STATIC)
    get_property(all_modules GLOBAL PROPERTY _juce_module_names)
    foreach(module IN LISTS ARG_MODULES)
        get_target_property(sources juce::${module} INTERFACE_SOURCES)
        target_sources(${target} PRIVATE ${sources})
        get_target_property(links juce::${module} INTERFACE_LINK_LIBRARIES)
        foreach(link IN LISTS links)
            string(REGEX REPLACE "^juce::" "" bare "${link}")
            if(NOT bare IN_LIST all_modules)
                target_link_libraries(${target} PUBLIC ${link})
            endif()
        endforeach()
    endforeach()
    sonderlith_use_juce_headers(${target} PUBLIC ${ARG_MODULES})
    target_compile_definitions(${target} PUBLIC JUCE_STANDALONE_APPLICATION=1 ${ARG_DEFINITIONS})
    target_link_libraries(${target} PRIVATE juce::juce_recommended_config_flags)
    if(ARG_ON)
        target_link_libraries(${target} PUBLIC ${ARG_ON})
    endif()
    # JUCE's own warnings are not ours to fix.
    target_compile_options(${target} PRIVATE -w)
endfunction()

# What the command, its libraries and their tests link: files and audio
# formats (with the system's FLAC and Ogg Vorbis, as Debian's JUCE has none of
# its own), then events, values and drawing for the reports and presets.
find_package(PkgConfig REQUIRED)
pkg_check_modules(SONDERLITH_CODECS REQUIRED IMPORTED_TARGET flac vorbisenc vorbisfile vorbis ogg)
sonderlith_compile_juce(sonderlith_juce_audio_files
    MODULES juce_core juce_audio_basics juce_audio_formats
    DEFINITIONS JUCE_USE_CURL=0 JUCE_USE_FLAC=1 JUCE_INCLUDE_FLAC_CODE=0 JUCE_USE_OGGVORBIS=1 JUCE_INCLUDE_OGGVORBIS_CODE=0)
target_link_libraries(sonderlith_juce_audio_files PUBLIC PkgConfig::SONDERLITH_CODECS)
sonderlith_compile_juce(sonderlith_juce_graphics ON sonderlith_juce_audio_files
    MODULES juce_events juce_data_structures juce_graphics)
# JUCE links the system image libraries (PNG, JPEG) only into targets it creates itself.
if(TARGET juce::pkgconfig_JUCE_IMG_LINUX_DEPS)
    target_link_libraries(sonderlith_juce_graphics PUBLIC juce::pkgconfig_JUCE_IMG_LINUX_DEPS)
endif()
# Audio interfaces for `sonderlith capture`: the system's own API (ALSA on
# Linux). JACK is spoken to directly, as the command connects any ports.
sonderlith_compile_juce(sonderlith_juce_audio_devices ON sonderlith_juce_graphics
    MODULES juce_audio_devices
    DEFINITIONS JUCE_JACK=0)
