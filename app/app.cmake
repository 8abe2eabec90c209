if(TARVENIX_SANITIZE)
  return()
endif()
find_package(Qt6Keychain REQUIRED)
add_library(tarvenix_app STATIC account_keeper.cpp data_module.cpp data_module_handlers.cpp error_box_dialog.cpp settings.cpp
  window_views.cpp account_keeper.h data_module.h error_box_dialog.h settings.h window_views.h)
target_link_libraries(tarvenix_app PUBLIC tarvenix_about tarvenix_collect tarvenix_monitor tarvenix_ui tarvenix_store tarvenix_settings
  tarvenix_credentials_file tarvenix_core Qt6::Widgets Qt6Keychain::Qt6Keychain)

add_executable(tarvenix main.cpp)
target_link_libraries(tarvenix PRIVATE tarvenix_app)
set_target_properties(tarvenix PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
