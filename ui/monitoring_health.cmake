if(TARVENIX_SANITIZE)
  return()
endif()
# The collection health marks of the computer list.
target_sources(tarvenix_ui PRIVATE computer_health_delegate.cpp computer_health_delegate.h)
target_link_libraries(tarvenix_ui PUBLIC tarvenix_health)
