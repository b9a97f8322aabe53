# The JUCE 8 tree: the cache variable, else the environment variable, else the
# folder that scripts/bootstrap.sh fills.
if(NOT SONDERLITH_JUCE_DIR)
    if(DEFINED ENV{SONDERLITH_JUCE_DIR})
        set(_juce_default "$ENV{SONDERLITH_JUCE_DIR}")
    elseif(DEFINED ENV{XDG_CACHE_HOME})
        set(_juce_default "$ENV{XDG_CACHE_HOME}/sonderlith/juce-8.0.6")
    else()
        set(_juce_default "$ENV{HOME}/.cache/sonderlith/juce-8.0.6")
    endif()
    set(SONDERLITH_JUCE_DIR "${_juce_default}" CACHE PATH "JUCE 8 source tree")
endif()

if(NOT EXISTS "${SONDERLITH_JUCE_DIR}/CMakeLists.txt")
    message(FATAL_ERROR "No JUCE tree at ${SONDERLITH_JUCE_DIR}: run scripts/bootstrap.sh or set SONDERLITH_JUCE_DIR")
endif()
