# The user guide, compiled into Tarvenix.chm at the top of the build tree.
find_program(TARVENIX_CHMCMD chmcmd)
if(NOT TARVENIX_CHMCMD)
  message(STATUS "chmcmd not found (Debian package fp-utils): Tarvenix.chm will not be built")
  return()
endif()

file(GLOB guide_sources CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/*.html ${CMAKE_CURRENT_SOURCE_DIR}/*.css
  ${CMAKE_CURRENT_SOURCE_DIR}/*.hhc ${CMAKE_CURRENT_SOURCE_DIR}/*.hhp)
set(guide_dir ${CMAKE_CURRENT_BINARY_DIR}/guide)
set(guide_chm ${CMAKE_BINARY_DIR}/Tarvenix.chm)

# chmcmd writes its output beside the project file, and leaves a broken file
# behind when it fails; the copy step runs only after it succeeded.
add_custom_command(OUTPUT ${guide_chm}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${guide_dir}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${guide_dir}
  COMMAND ${CMAKE_COMMAND} -E copy ${guide_sources} ${guide_dir}
  COMMAND ${CMAKE_COMMAND} -E chdir ${guide_dir} ${TARVENIX_CHMCMD} tarvenix.hhp
  COMMAND ${CMAKE_COMMAND} -E copy ${guide_dir}/Tarvenix.chm ${guide_chm}
  DEPENDS ${guide_sources}
  COMMENT "Compiling the user guide into Tarvenix.chm"
  VERBATIM)
add_custom_target(tarvenix_help ALL DEPENDS ${guide_chm})
