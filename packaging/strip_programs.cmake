# Run by cpack on the staged files, before it packs them: strips the programs and the
# accessibility module as Debian's packaging tools do, of their symbols and of the
# compiler's comment and note sections.
file(GLOB programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*")
file(GLOB modules "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/lib/morvane/*.so")
if(NOT programs)
  message(FATAL_ERROR "strip_programs.cmake: no programs in ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin")
endif()
foreach(program ${programs} ${modules})
  execute_process(COMMAND ${CPACK_MORVANE_STRIP} --remove-section=.comment --remove-section=.note --strip-unneeded
                          ${program}
                  RESULT_VARIABLE failed ERROR_VARIABLE error)
  if(failed)
    message(FATAL_ERROR "strip_programs.cmake: cannot strip ${program}: ${error}")
  endif()
endforeach()
