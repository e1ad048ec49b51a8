# The asset tools run at build time, so they are built for the build machine,
# with its own compiler, whatever the target of the main build.
include(ExternalProject)
set(HOST_TOOLS_DIR ${CMAKE_BINARY_DIR}/host-tools)
ExternalProject_Add(host_tools
  SOURCE_DIR ${CMAKE_SOURCE_DIR}/tools
  BINARY_DIR ${HOST_TOOLS_DIR}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${HOST_TOOLS_DIR}/bin/shader_tool ${HOST_TOOLS_DIR}/bin/mesh_tool
                   ${HOST_TOOLS_DIR}/bin/icon_tool ${HOST_TOOLS_DIR}/bin/texture_tool)
# A tool's path, for add_custom_command.
function(host_tool out name)
  set(${out} ${HOST_TOOLS_DIR}/bin/${name}${CMAKE_HOST_EXECUTABLE_SUFFIX} PARENT_SCOPE)
endfunction()
