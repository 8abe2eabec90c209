# The credentials file, for the program and for programs without a window.
add_library(tarvenix_credentials_file STATIC credentials_file.cpp credentials_file.h)
target_link_libraries(tarvenix_credentials_file PUBLIC tarvenix_account_platform Qt6::Core)
