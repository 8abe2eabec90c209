# The block writer and the /proc scanner, shared by the service and the
# in-process reading of this computer.
if(WIN32)
  return()
endif()
add_library(tarvenix_perfd_block STATIC
  perf_block_writer.cpp perf_block_writer.h proc_scanner.cpp proc_scanner.h
  perf_query.cpp perf_query.h perfd_protocol.h)
target_link_libraries(tarvenix_perfd_block PUBLIC Qt6::Core)

add_library(tarvenix_perfd_server STATIC
  perfd_server.cpp perfd_server.h perfd_connection.cpp perfd_connection.h
  perfd_listener.cpp perfd_listener.h perf_block_cache.cpp perf_block_cache.h
  perfd_options.cpp perfd_options.h stop_signals.cpp stop_signals.h)
target_link_libraries(tarvenix_perfd_server PUBLIC tarvenix_perfd_block tarvenix_core Qt6::Network)

add_executable(tarvenix-perfd main.cpp)
target_link_libraries(tarvenix-perfd PRIVATE tarvenix_perfd_server)
set_target_properties(tarvenix-perfd PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
