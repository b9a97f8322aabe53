# The JUCE tree: the cache variable, else the environment variable, else the
# folder that scripts/bootstrap.sh fills. Its release is the one in scripts/juce.env.
file(STRINGS "${CMAKE_CURRENT_LIST_DIR}/../scripts/juce.env" _juce_release REGEX "^JUCE_VERSION=")
string(REPLACE "JUCE_VERSION=" "" SONDERLITH_JUCE_VERSION "${_juce_release}")
if(NOT SONDERLITH_JUCE_DIR)
    if(DEFINED ENV{SONDERLITH_JUCE_DIR})
        set(_juce_default "$ENV{SONDERLITH_JUCE_DIR}")
    elseif(DEFINED ENV{XDG_CACHE_HOME})
        set(_juce_default "$ENV{XDG_CACHE_HOME}/sonderlith/juce-${SONDERLITH_JUCE_VERSION}")
    else()
        set(_juce_default "$ENV{HOME}/.cache/sonderlith/juce-${SONDERLITH_JUCE_VERSION}")
    endif()
    set(SONDERLITH_JUCE_DIR "${_juce_default}" CACHE PATH "JUCE 8 source tree")
endif()

if(NOT EXISTS "${SONDERLITH_JUCE_DIR}/CMakeLists.txt")
    message(FATAL_ERROR "No JUCE tree at ${SONDERLITH_JUCE_DIR}: run scripts/bootstrap.sh or set SONDERLITH_JUCE_DIR")
endif()

file(STRINGS "${SONDERLITH_JUCE_DIR}/CMakeLists.txt" _juce_project REGEX "^project\\(JUCE VERSION ")
if(NOT _juce_project MATCHES "VERSION ${SONDERLITH_JUCE_VERSION}[ )]")
    message(FATAL_ERROR "The JUCE tree at ${SONDERLITH_JUCE_DIR} is not release ${SONDERLITH_JUCE_VERSION} (${_juce_project}): run scripts/bootstrap.sh")
endif()
