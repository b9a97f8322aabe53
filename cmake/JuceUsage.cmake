# JUCE modules are interface libraries that carry their own .cpp files, so every
# target linking them compiles JUCE again. Static libraries here link the modules
# privately (JUCE compiles once, into them) and publish the headers and settings
# through an interface target made by this function: the library's own
# definitions and include folders plus those of each module it uses.
function(sonderlith_expose_juce_usage interface_target library_target)
    add_library(${interface_target} INTERFACE)
    target_link_libraries(${interface_target} INTERFACE ${library_target})
    target_include_directories(${interface_target} INTERFACE
        $<TARGET_PROPERTY:${library_target},INCLUDE_DIRECTORIES>)
    target_compile_definitions(${interface_target} INTERFACE
        $<TARGET_PROPERTY:${library_target},COMPILE_DEFINITIONS>)
    foreach(module IN LISTS ARGN)
        target_include_directories(${interface_target} INTERFACE
            $<TARGET_PROPERTY:juce::${module},INTERFACE_INCLUDE_DIRECTORIES>)
        target_compile_definitions(${interface_target} INTERFACE
            $<TARGET_PROPERTY:juce::${module},INTERFACE_COMPILE_DEFINITIONS>)
    endforeach()
endfunction()
