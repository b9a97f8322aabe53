# Run after the toolkit's helper has written the LV2 description: it groups
# the sidechain's ports but does not mark them, so hosts would take them for
# more main inputs. Marks every port of the group named "Sidechain" with
# lv2:isSideChain and the group as the main input's sidechain.
# Usage: cmake -DDESCRIPTION=path/to/dsp.ttl -P MarkLv2SideChain.cmake
file(READ "${DESCRIPTION}" ttl)
if(ttl MATCHES "lv2:isSideChain")
    return()
endif()
string(REGEX MATCH "plug:([a-z_0-9]+)\n\ta pg:InputGroup ;\n\tlv2:name \"Sidechain\" ;" group_block "${ttl}")
if(NOT group_block)
    message(FATAL_ERROR "${DESCRIPTION}: no input group named Sidechain")
endif()
set(group "${CMAKE_MATCH_1}")
string(REPLACE "pg:group plug:${group} ;" "pg:group plug:${group} ;\n\t\tlv2:portProperty lv2:isSideChain ;" ttl "${ttl}")
string(REPLACE "${group_block}" "${group_block}\n\tpg:sideChainOf plug:input_group_1 ;" ttl "${ttl}")
file(WRITE "${DESCRIPTION}" "${ttl}")
