# Man pages for tonarion and tonarion-cli, written by help2man from the programs' own --help
# and --version at build time, so that they never tell other than the programs do.
if(CMAKE_CROSSCOMPILING OR NOT UNIX OR APPLE)
  return()
endif()

find_program(HELP2MAN_EXECUTABLE help2man)
if(NOT HELP2MAN_EXECUTABLE)
  message(STATUS "help2man not found: the man pages are not built (Debian package help2man)")
  return()
endif()

set(tonarion_man_dir ${PROJECT_BINARY_DIR}/man)
set(tonarion_man_pages)

function(tonarion_add_man_page target summary)
  set(page ${tonarion_man_dir}/${target}.1)
  # Debian installs man pages compressed; -n keeps the time stamp out, so that two builds of
  # the same sources give the same package.
  # help2man runs the program in its --locale, C by default, and would read the umlauts of the
  # help texts as question marks.
  add_custom_command(OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${tonarion_man_dir}
    COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
            ${HELP2MAN_EXECUTABLE} --no-info --no-discard-stderr --locale=C.UTF-8 --name=${summary}
            --output=${page} $<TARGET_FILE:${target}>
    COMMAND gzip -9nf ${page}
    DEPENDS ${target}
    COMMENT "Writing the man page of ${target}"
    VERBATIM)
  set(tonarion_man_pages ${tonarion_man_pages} ${page}.gz PARENT_SCOPE)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

tonarion_add_man_page(tonarion-cli "prepare a USB stick for a model-railway sound module, without a window")
if(TONARION_BUILD_GUI)
  tonarion_add_man_page(tonarion "prepare a USB stick for a model-railway sound module")
endif()
add_custom_target(tonarion_man_pages ALL DEPENDS ${tonarion_man_pages})
