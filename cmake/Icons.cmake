# The program's committed 32-pixel icon enlarged by whole numbers, each icon pixel a
# square block (web/make_icons.mjs under node), for the page and for the menus:
#   morvane_enlarged_icons(OUT NODE DIR SIZE...)  makes DIR/icon-SIZE.png for each
#   size and puts their paths in OUT.
function(morvane_enlarged_icons out node dir)
  set(files)
  foreach(size ${ARGN})
    list(APPEND files ${dir}/icon-${size}.png)
  endforeach()
  add_custom_command(
    OUTPUT ${files}
    COMMAND ${node} ${PROJECT_SOURCE_DIR}/web/make_icons.mjs ${PROJECT_SOURCE_DIR}/assets/morvane.png ${dir} ${ARGN}
    DEPENDS ${PROJECT_SOURCE_DIR}/web/make_icons.mjs ${PROJECT_SOURCE_DIR}/assets/morvane.png
    COMMENT "Enlarging the program's icon to ${ARGN} pixels"
    VERBATIM)
  set(${out} ${files} PARENT_SCOPE)
endfunction()
