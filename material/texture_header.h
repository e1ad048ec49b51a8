// Checks a texture file's header against the file before D3DX reads it. Wine's readers trust
// their headers: its DDS reader walks the mip-map count that the header gives before it
// compares the file's length with what the levels need, so a count of 2^32-1 stalls the
// program for a minute, and its BMP, PNG, JPEG and TGA readers decode the whole picture into
// a buffer sized in 32-bit arithmetic while D3DX only asks for its size. A file whose header
// promises what the file cannot hold, or a texture no device takes, is refused here instead.
#pragma once

#include <cstddef>
#include <cstdint>

// The widest and tallest texture that any Direct3D 9 device takes.
constexpr uint32_t kLargestTextureSide = 16384;

// How many of a file's first bytes the check needs, and of a JPEG's, whose frame header
// must come within them.
constexpr size_t kTextureHeaderBytes = 128;
constexpr size_t kJpegHeaderBytes = 1 << 20;

// Why D3DX must not read a file that begins with `header` (`headerSize` bytes: its first
// kTextureHeaderBytes, or kJpegHeaderBytes of a JPEG, or all of a shorter file) and holds
// `fileSize` bytes in all: a short reason such as "the mip-map count is above what the sides
// allow", or null when nothing in the header is impossible for the file. DDS, BMP, DIB, PNG,
// JPEG and TGA headers are checked; other files are passed on, for D3DX to refuse.
const char* TextureHeaderProblem(const unsigned char* header, size_t headerSize,
                                 uint64_t fileSize);

// The same for the file at `path`, reading only its header and its size; a file that
// cannot be opened or measured is refused ("the file cannot be read").
const char* TextureFileProblem(const char* path);
