# The Windows module: its Node-API import, its link and its smoke suite.

# Node-API comes from "node.exe", bound at the first call of each function;
# src/windows/node_load_hook.cpp tells the loader which module that is.
set(MIVO_NODE_API_DEF ${MIVO_ROOT}/node_modules/node-api-headers/def/node_api.def)
set(MIVO_NODE_DELAY_LIB ${CMAKE_CURRENT_BINARY_DIR}/node-delay.lib)
add_custom_command(OUTPUT ${MIVO_NODE_DELAY_LIB}
  COMMAND ${CMAKE_DLLTOOL} -d ${MIVO_NODE_API_DEF} -y ${MIVO_NODE_DELAY_LIB} -D node.exe
  DEPENDS ${MIVO_NODE_API_DEF}
  COMMENT "Delay-load import library for node.exe")
add_custom_target(mivo_node_delay_lib DEPENDS ${MIVO_NODE_DELAY_LIB})
add_dependencies(mivo_sqlite mivo_node_delay_lib)
target_sources(mivo_sqlite PRIVATE src/windows/node_load_hook.cpp)

# Static, so that the module needs no MinGW runtime DLL beside it; bcrypt draws
# the type tags. With only the two entry points marked for export, nothing else
# (no sqlite3_ function) leaves the module. Stripped: the exports stay, the
# symbol table (whose names hold the build folder's path) and the runtime's
# debugging sections go.
target_link_options(mivo_sqlite PRIVATE -static -s)
target_link_libraries(mivo_sqlite PRIVATE ${MIVO_NODE_DELAY_LIB} delayimp bcrypt)

add_subdirectory(test/windows)
