# Runs texture_tool and checks that the bitmap it wrote is a well-formed 24-bit
# uncompressed BMP whose sides are powers of two.
#   -DTOOL= -DINPUT= -DOUTPUT=
cmake_minimum_required(VERSION 3.21)
include(${CMAKE_CURRENT_LIST_DIR}/binary_file.cmake)
run_tool()
read_hex(${OUTPUT} hex size)

string(SUBSTRING "${hex}" 0 4 magic)
u32_at("${hex}" 2 file_size)
u32_at("${hex}" 10 pixels_at)
u32_at("${hex}" 14 header_size)
u32_at("${hex}" 18 width)
u32_at("${hex}" 22 height)
u16_at("${hex}" 26 planes)
u16_at("${hex}" 28 bits)
u32_at("${hex}" 30 compression)
u32_at("${hex}" 34 image_size)
u32_at("${hex}" 46 palette)
if(NOT magic STREQUAL "424d" OR NOT file_size EQUAL size OR NOT pixels_at EQUAL 54 OR
   NOT header_size EQUAL 40 OR NOT planes EQUAL 1 OR NOT bits EQUAL 24 OR
   NOT compression EQUAL 0 OR NOT palette EQUAL 0)
  message(FATAL_ERROR "${OUTPUT}: magic ${magic}, size field ${file_size} of ${size}, pixels at ${pixels_at}, header ${header_size}, planes ${planes}, ${bits} bpp, compression ${compression}, palette ${palette}")
endif()
foreach(side width height)
  # Below 2^31 too: a negative height would mean top-down rows.
  math(EXPR lower_bits "${${side}} & (${${side}} - 1)")
  if(${side} EQUAL 0 OR ${side} GREATER 4096 OR NOT lower_bits EQUAL 0)
    message(FATAL_ERROR "${OUTPUT}: ${side} ${${side}} is not a power of two up to 4096")
  endif()
endforeach()
math(EXPR expected_image "(${width} * 3 + 3) / 4 * 4 * ${height}")
math(EXPR expected_size "54 + ${expected_image}")
if(NOT image_size EQUAL expected_image OR NOT size EQUAL expected_size)
  message(FATAL_ERROR "${OUTPUT}: pixel data ${image_size} bytes and file ${size} bytes; expected ${expected_image} and ${expected_size}")
endif()
