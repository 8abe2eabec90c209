# Performance data: the registry on Windows; elsewhere this computer's /proc
# or the stand-in service on another computer.
if(WIN32)
  add_library(tarvenix_perf_data STATIC perf_data_win32.cpp perf_data.h)
  target_link_libraries(tarvenix_perf_data PUBLIC tarvenix_perf_layout advapi32)
else()
  add_library(tarvenix_perf_data STATIC
    perf_data_posix.cpp perf_data_local_posix.cpp perf_data_client_posix.cpp
    perf_data.h perf_data_posix.h)
  target_link_libraries(tarvenix_perf_data PUBLIC tarvenix_perf_layout tarvenix_perfd_block Qt6::Network)
endif()
