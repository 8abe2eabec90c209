add_library(tarvenix_store STATIC
  access_functions.cpp connection.cpp data_set.cpp date_text.cpp deletion_notice.cpp field.cpp monitoring_store.cpp
  query.cpp row_cache.cpp row_source.cpp statement.cpp statement_cache.cpp store_files.cpp summary_statements.cpp table.cpp
  access_functions.h chart_statements.h connection.h data_set.h data_source.h date_text.h deletion_notice.h field.h
  monitoring_store.h query.h row_cache.h row_source.h statement.h statement_cache.h store_files.h stored_datetime.h
  store_tables.h summary_statements.h summary_version.h table.h)
target_link_libraries(tarvenix_store PUBLIC tarvenix_core Qt6::Core Qt6::Sql SQLite::SQLite3)
