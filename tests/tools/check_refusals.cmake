# Feeds a tool bad sources and checks that it refuses each one: non-zero exit, a message
# that starts "<source path>:<line>: " and gives the reason, and the output file as it
# was before, with no temporary file left beside it.
#   -DTOOL= -DWORK=<scratch folder>
#   -DCASES=<file of expect_refusal() and expect_model_refusal() calls>
cmake_minimum_required(VERSION 3.21)

# refused(<name> <input file> <text> <start of the message> <regex the reason must match>)
function(refused name input text start reason)
  set(output ${input}.out)
  file(WRITE ${input} "${text}")
  file(WRITE ${output} "earlier output")
  execute_process(COMMAND ${TOOL} ${input} ${output} RESULT_VARIABLE result ERROR_VARIABLE errors)
  string(STRIP "${errors}" errors)
  if(result EQUAL 0)
    message(SEND_ERROR "${name}: accepted")
    return()
  endif()
  string(FIND "${errors}" "${start}" at)
  if(at EQUAL -1 OR NOT errors MATCHES "${reason}")
    message(SEND_ERROR "${name}: expected \"${start}\" and \"${reason}\", got: ${errors}")
  endif()
  file(READ ${output} after)
  if(NOT after STREQUAL "earlier output" OR EXISTS ${output}.tmp)
    message(SEND_ERROR "${name}: the output was touched")
  endif()
endfunction()

# expect_refusal(<name> <source text> <line> <regex the reason must match>)
function(expect_refusal name text line reason)
  refused(${name} ${WORK}/${name}.txt "${text}" "${WORK}/${name}.txt:${line}: " "${reason}")
endfunction()

# expect_model_refusal(<file name> <text> <regex the reason must match>): the same for a model
# file, whose complaint starts "<path>: ".
function(expect_model_refusal name text reason)
  refused(${name} ${WORK}/${name} "${text}" "${WORK}/${name}: " "${reason}")
endfunction()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
include(${CASES})
