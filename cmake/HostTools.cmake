# The asset tools run at build time, so they are built for the build machine,
# with its own compiler, whatever the target of the main build.
include(ExternalProject)
set(HOST_TOOLS_DIR ${CMAKE_BINARY_DIR}/host-tools)
ExternalProject_Add(host_tools
  SOURCE_DIR ${CMAKE_SOURCE_DIR}/tools
  BINARY_DIR ${HOST_TOOLS_DIR}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DMIRELTH_TOOL_TESTS=${MIRELTH_BUILD_TESTS}
             -DMIRELTH_WARNINGS_AS_ERRORS=${MIRELTH_WARNINGS_AS_ERRORS}
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${HOST_TOOLS_DIR}/bin/shader_tool ${HOST_TOOLS_DIR}/bin/mesh_tool
                   ${HOST_TOOLS_DIR}/bin/icon_tool ${HOST_TOOLS_DIR}/bin/texture_tool
                   ${HOST_TOOLS_DIR}/bin/tool_checks)
# A tool's path, for add_custom_command.
function(host_tool out name)
  set(${out} ${HOST_TOOLS_DIR}/bin/${name}${CMAKE_HOST_EXECUTABLE_SUFFIX} PARENT_SCOPE)
endfunction()

# tool_check(<test name> <check> [VARIABLE=value...]): a test that runs one check of the
# build machine's program from tests/tools, natively, with this tree's folders and version
# in its environment. Exactly one check must run and pass, so a misspelt name fails.
function(tool_check name check)
  host_tool(tool_checks tool_checks)
  add_test(NAME ${name} COMMAND ${tool_checks} --gtest_filter=${check}
           WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(${name} PROPERTIES LABELS tools TIMEOUT 60
    PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] 1 test\\."
    ENVIRONMENT "MIRELTH_BUILD_DIR=${CMAKE_BINARY_DIR};MIRELTH_VERSION=${PROJECT_VERSION};${ARGN}")
endfunction()
