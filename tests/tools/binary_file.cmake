# Reading little-endian fields from a file held as a hex string (file(READ ... HEX)),
# for the checks of the tools' output.

# run_tool([option...]): runs ${TOOL} [option...] ${INPUT} ${OUTPUT} and stops the check if
# it fails.
function(run_tool)
  file(REMOVE ${OUTPUT})
  execute_process(COMMAND ${TOOL} ${ARGN} ${INPUT} ${OUTPUT} RESULT_VARIABLE result
                  ERROR_VARIABLE errors)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${TOOL} refused ${INPUT} (${result}): ${errors}")
  endif()
endfunction()

# read_hex(<path> <hex var> <size var>)
function(read_hex path hex_var size_var)
  file(READ ${path} hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  set(${hex_var} "${hex}" PARENT_SCOPE)
  set(${size_var} ${size} PARENT_SCOPE)
endfunction()

# u8_at / u16_at / u32_at(<hex> <byte offset> <out var>): unsigned little-endian fields.
function(u8_at hex offset out)
  math(EXPR at "${offset} * 2")
  string(SUBSTRING "${hex}" ${at} 2 b0)
  math(EXPR value "0x${b0}")
  set(${out} ${value} PARENT_SCOPE)
endfunction()

function(u16_at hex offset out)
  math(EXPR at "${offset} * 2")
  string(SUBSTRING "${hex}" ${at} 4 w)
  string(SUBSTRING ${w} 0 2 b0)
  string(SUBSTRING ${w} 2 2 b1)
  math(EXPR value "0x${b1}${b0}")
  set(${out} ${value} PARENT_SCOPE)
endfunction()

function(u32_at hex offset out)
  math(EXPR at "${offset} * 2")
  string(SUBSTRING "${hex}" ${at} 8 w)
  string(SUBSTRING ${w} 0 2 b0)
  string(SUBSTRING ${w} 2 2 b1)
  string(SUBSTRING ${w} 4 2 b2)
  string(SUBSTRING ${w} 6 2 b3)
  math(EXPR value "0x${b3}${b2}${b1}${b0}")
  set(${out} ${value} PARENT_SCOPE)
endfunction()

# fixed_at(<hex> <byte offset> <out var>): the single-precision float there, in units of
# 1/256, cut toward zero. CMake has integers only; the meshes' coordinates are multiples of
# 1/256, so their sums and products stay exact.
function(fixed_at hex offset out)
  u32_at("${hex}" ${offset} bits)
  math(EXPR exponent "(${bits} >> 23) & 255")
  if(exponent EQUAL 255 OR exponent GREATER 170)
    message(FATAL_ERROR "float at byte ${offset} is too large or not a number (bits ${bits})")
  endif()
  if(exponent EQUAL 0)
    set(${out} 0 PARENT_SCOPE)
    return()
  endif()
  math(EXPR mantissa "(${bits} & 0x7FFFFF) | 0x800000")
  math(EXPR shift "${exponent} - 142")  # 127 bias, 23 mantissa bits, 8 fraction bits kept
  if(shift GREATER_EQUAL 0)
    math(EXPR value "${mantissa} << ${shift}")
  elseif(shift GREATER -40)
    math(EXPR value "${mantissa} >> (0 - ${shift})")
  else()
    set(value 0)
  endif()
  if(bits GREATER_EQUAL 2147483648)
    math(EXPR value "0 - ${value}")
  endif()
  set(${out} ${value} PARENT_SCOPE)
endfunction()

# write_hex(<path> <hex>): writes the bytes that the hex digits spell (blanks ignored).
# CMake's own file(WRITE) cannot write a zero byte, so printf does it.
function(write_hex path hex)
  string(REGEX REPLACE "[ \t\r\n]" "" hex "${hex}")
  string(REGEX REPLACE "(..)" "\\\\x\\1" escaped "${hex}")
  execute_process(COMMAND printf "${escaped}" OUTPUT_FILE ${path} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "cannot write ${path}")
  endif()
endfunction()

# hex_u32(<value> <out var>): the eight hex digits of a little-endian 32-bit field.
function(hex_u32 value out)
  set(digits "")
  foreach(shift 0 8 16 24)
    math(EXPR byte "(${value} >> ${shift}) & 255" OUTPUT_FORMAT HEXADECIMAL)
    string(SUBSTRING "${byte}" 2 -1 byte)
    string(LENGTH "${byte}" length)
    if(length EQUAL 1)
      set(byte "0${byte}")
    endif()
    string(APPEND digits "${byte}")
  endforeach()
  set(${out} ${digits} PARENT_SCOPE)
endfunction()
