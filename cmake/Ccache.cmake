# The build scripts export CCACHE_BASEDIR and CCACHE_NOHASHDIR so a fresh clone
# in another folder reuses the objects of an earlier build.
find_program(SONDERLITH_CCACHE ccache)
if(SONDERLITH_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
    set(CMAKE_C_COMPILER_LAUNCHER "${SONDERLITH_CCACHE}")
    set(CMAKE_CXX_COMPILER_LAUNCHER "${SONDERLITH_CCACHE}")
endif()
