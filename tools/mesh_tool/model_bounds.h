// A model file may be crafted to make the import library run for minutes or take all the
// memory there is. So the import runs in a child process with its address space limited,
// and is stopped when it runs too long; a crash in the library there is a refusal too.
#pragma once

#include "mesh_source.h"

#include <cstdint>
#include <string>

constexpr std::uint64_t kImportAddressSpace = std::uint64_t{2} << 30;  // 2 GiB
constexpr int kImportSeconds = 20;

// ImportModel (model_import.h) under those bounds. On failure returns false with `error`
// naming the file and the reason; nothing is written anywhere.
bool ImportModelBounded(const std::string& path, MeshData& mesh, std::string& error);
