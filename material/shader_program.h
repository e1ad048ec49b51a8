// Compiled Direct3D 9 shader files, read whole. Material::LoadFragmentShader and
// Material::LoadVertexShader (material.h) are built on this and live in shader_program.cpp.
#pragma once

#include <cstdint>
#include <string>

// Reads the whole file at `path` into a block from malloc. True when all of it is in
// *outBuffer; the caller then frees the block with free. On failure *outBuffer is null
// (or, when only the close failed, still holds the bytes) and *outErrorMessage, when given,
// is replaced by a description: the action in words, then the system's text where there is
// one. *outSize, when given, receives the count of bytes read.
bool ReadShaderFile(const char* path, void** outBuffer, std::string* outErrorMessage = nullptr,
                    uint32_t* outSize = nullptr);
