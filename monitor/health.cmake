if(TARVENIX_SANITIZE)
  return()
endif()
# Kept apart from the cycle so that the window's computer list can show it.
add_library(tarvenix_health STATIC collection_health.cpp collection_health.h)
target_link_libraries(tarvenix_health PUBLIC Qt6::Core)
