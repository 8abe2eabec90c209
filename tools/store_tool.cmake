# tarvenix-store: prune, export, check and stats of an existing store.
add_library(tarvenix_store_tool STATIC
  store_tool/block_filter.cpp store_tool/row_writer.cpp store_tool/store_check.cpp store_tool/store_export.cpp
  store_tool/store_file.cpp store_tool/store_prune.cpp store_tool/store_stats.cpp store_tool/tool_commands.cpp
  store_tool/tool_options.cpp
  store_tool/block_filter.h store_tool/row_writer.h store_tool/store_check.h store_tool/store_export.h
  store_tool/store_file.h store_tool/store_prune.h store_tool/store_stats.h store_tool/tool_commands.h
  store_tool/tool_options.h)
target_link_libraries(tarvenix_store_tool PUBLIC tarvenix_store tarvenix_core Qt6::Core SQLite::SQLite3)

add_executable(tarvenix-store store_tool/store_tool_main.cpp)
target_link_libraries(tarvenix-store PRIVATE tarvenix_store_tool)
set_target_properties(tarvenix-store PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
