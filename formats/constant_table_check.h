// The check of a shader's constant table ("CTAB"), as D3DX will read it.
#pragma once

#include "formats/byte_reader.h"

#include <cstdint>
#include <string>

// True when D3DX can read `table` (the block's bytes after the FOURCC) without leaving it,
// in time proportional to its size, and gives each constant the program sets a shape it
// can take; otherwise false with the reason. Adds the steps taken to *work.
bool CheckConstantTable(const ByteReader& table, uint64_t* work, std::string* reason);
