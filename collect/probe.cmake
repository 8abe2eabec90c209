# The reachability probe. Its socket calls are the one platform-specific file.
if(WIN32)
  message(FATAL_ERROR "The probe's socket calls have no Windows implementation yet")
endif()
add_library(tarvenix_probe STATIC
  probe_socket.cpp probe_socket.h
  host_lookup.cpp host_lookup.h
  probe_net_posix.cpp probe_net.h
  socket_error_str.cpp socket_error_str.h)
target_link_libraries(tarvenix_probe PUBLIC tarvenix_core Qt6::Core Qt6::Network)
