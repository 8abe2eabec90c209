# The process table reader: the walk of a performance data block, and the
# fetch of that block through the platform's performance data.
add_library(tarvenix_perf_walk STATIC
  perf_block_walk.cpp perf_block_walk.h narrow_name.cpp narrow_name.h)
target_link_libraries(tarvenix_perf_walk PUBLIC tarvenix_perf_layout Qt6::Core)

add_library(tarvenix_reader STATIC process_table_reader.cpp process_table_reader.h
  windows_accounts.cpp windows_accounts.h)
target_link_libraries(tarvenix_reader PUBLIC tarvenix_perf_walk tarvenix_perf_data)
