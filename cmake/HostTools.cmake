# Builds the build-time tools (make_form_stream, make_project_image,
# make_windows_image, make_words) for the build machine, in build/<preset>/host-tools, and points
# the steps that run them there.
include(ExternalProject)
set(MORVANE_HOST_TOOLS_DIR ${CMAKE_BINARY_DIR}/host-tools)
set(host_tools
  ${MORVANE_HOST_TOOLS_DIR}/app/make_form_stream
  ${MORVANE_HOST_TOOLS_DIR}/app/make_project_image
  ${MORVANE_HOST_TOOLS_DIR}/app/make_windows_image
  ${MORVANE_HOST_TOOLS_DIR}/app/make_words)
ExternalProject_Add(morvane_host_tools
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${MORVANE_HOST_TOOLS_DIR}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DMORVANE_BUILD_TESTS=OFF -DMORVANE_BUILD_DESKTOP=OFF
             -DMORVANE_BUILD_BENCH=OFF
  BUILD_COMMAND ${CMAKE_COMMAND} --build . --target make_form_stream make_project_image make_windows_image make_words
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${host_tools})
set(MORVANE_MAKE_FORM_STREAM ${MORVANE_HOST_TOOLS_DIR}/app/make_form_stream CACHE FILEPATH "" FORCE)
set(MORVANE_MAKE_PROJECT_IMAGE ${MORVANE_HOST_TOOLS_DIR}/app/make_project_image)
set(MORVANE_MAKE_WINDOWS_IMAGE ${MORVANE_HOST_TOOLS_DIR}/app/make_windows_image)
set(MORVANE_MAKE_WORDS ${MORVANE_HOST_TOOLS_DIR}/app/make_words)
