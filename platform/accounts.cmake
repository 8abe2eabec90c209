# What differs by platform about the accounts for Windows computers: whether
# the program keeps any, and the private file they may be kept in.
if(WIN32)
  add_library(tarvenix_account_platform STATIC private_file_win32.cpp windows_logon_win32.cpp
    private_file.h windows_logon.h)
else()
  add_library(tarvenix_account_platform STATIC private_file_posix.cpp windows_logon_posix.cpp
    private_file.h windows_logon.h)
endif()
