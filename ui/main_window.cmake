if(TARVENIX_SANITIZE)
  return()
endif()
add_library(tarvenix_ui STATIC
  action_button.cpp action_item.cpp action_list.cpp color_label.cpp data_set_list_model.cpp data_set_table_model.cpp
  db_grid.cpp db_lookup_combo_box.cpp db_lookup_list_box.cpp db_text.cpp display_text.cpp exit_line_edit.cpp
  main_window.cpp main_window_analyze.cpp main_window_history.cpp main_window_monitoring.cpp
  main_window_process.cpp outer_geometry.cpp outer_geometry.h progress_bar.cpp typing_limit.cpp analysis_chart.cpp analysis_statement.cpp computer_list.cpp history_filter.cpp process_types.cpp user_prompts.cpp windows_logon_dialog.cpp
  action_button.h action_item.h action_list.h color_label.h data_set_list_model.h data_set_table_model.h db_grid.h
  db_lookup_combo_box.h db_lookup_list_box.h db_text.h display_text.h exit_line_edit.h main_window.h progress_bar.h
  typing_limit.h analysis_chart.h analysis_statement.h computer_list.h history_filter.h process_types.h user_prompts.h
  windows_logon_dialog.h windows_logon_keeping.h)
target_link_libraries(tarvenix_ui PUBLIC tarvenix_chart tarvenix_store Qt6::Widgets)
