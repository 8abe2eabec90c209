# The block writer and the /proc scanner, shared by the service and the
# in-process reading of this computer. The service and both libraries use the
# C++ standard library and POSIX alone, so that a monitored computer needs
# nothing but the C++ runtime; of this project they include perfdata/ alone.
if(WIN32)
  return()
endif()
add_library(tarvenix_perfd_block STATIC
  perf_block_writer.cpp perf_block_writer.h proc_scanner.cpp proc_scanner.h
  base_priority.cpp base_priority.h utf16_text.cpp utf16_text.h
  perf_query.cpp perf_query.h perfd_protocol.h)
target_link_libraries(tarvenix_perfd_block PUBLIC tarvenix_perf_layout)

add_library(tarvenix_perfd_server STATIC
  event_loop.cpp event_loop.h ipv4.cpp ipv4.h perfd_error.h perfd_log.cpp perfd_log.h
  perfd_server.cpp perfd_server.h perfd_connection.cpp perfd_connection.h
  perfd_listener.cpp perfd_listener.h port_owner.cpp port_owner.h
  perf_block_cache.cpp perf_block_cache.h
  perfd_options.cpp perfd_options.h stop_signals.cpp stop_signals.h)
target_link_libraries(tarvenix_perfd_server PUBLIC tarvenix_perfd_block)

add_executable(tarvenix-perfd main.cpp)
target_link_libraries(tarvenix-perfd PRIVATE tarvenix_perfd_server)
set_target_properties(tarvenix-perfd PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
set_target_properties(tarvenix_perfd_block tarvenix_perfd_server tarvenix-perfd PROPERTIES
  AUTOMOC OFF)
