if(TARVENIX_SANITIZE)
  return()
endif()
# The danger status in the desktop's system tray.
target_sources(tarvenix_ui PRIVATE danger_tray.cpp danger_tray.h)
