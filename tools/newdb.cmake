# The store schema, shared by the store creation tool and the benchmark generator.
add_library(tarvenix_store_schema STATIC
  planner_statistics.cpp store_schema.cpp store_summaries.cpp store_upgrade.cpp sqlite_database.cpp
  planner_statistics.h store_schema.h store_summaries.h store_upgrade.h sqlite_database.h ../store/store_tables.h ../store/summary_version.h)
target_link_libraries(tarvenix_store_schema PUBLIC tarvenix_core Qt6::Core SQLite::SQLite3)

add_executable(tarvenix-newdb newdb_main.cpp)
target_link_libraries(tarvenix-newdb PRIVATE tarvenix_store_schema)
set_target_properties(tarvenix-newdb PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
