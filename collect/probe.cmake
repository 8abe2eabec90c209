# The reachability probe; its socket calls are the one platform-specific file.
if(WIN32)
  set(probe_net_source probe_net_win32.cpp)
else()
  set(probe_net_source probe_net_posix.cpp)
endif()
add_library(tarvenix_probe STATIC
  probe_socket.cpp probe_socket.h
  host_lookup.cpp host_lookup.h
  ${probe_net_source} probe_net.h
  socket_error_str.cpp socket_error_str.h)
target_link_libraries(tarvenix_probe PUBLIC tarvenix_core Qt6::Core Qt6::Network)
if(WIN32)
  target_link_libraries(tarvenix_probe PRIVATE wsock32)
endif()
