// The checks that decide whether a mesh file can be loaded, and the words for a refusal.
// Free of Windows headers, so that the build machine's mesh_tool gives the same verdict.
#pragma once

#include <cstdint>
#include <string>

constexpr uint32_t kMeshHeaderBytes = 8;
constexpr uint32_t kMeshVertexBytes = 24;
constexpr uint32_t kMeshIndexBytes = 4;
// Direct3D takes buffer lengths as 32-bit values.
constexpr uint64_t kLargestMeshBuffer = 0xFFFFFFFFu;

// 8 + 24 V + 4 I: the bytes that a file with these counts needs.
uint64_t MeshFileBytes(uint32_t vertexCount, uint32_t indexCount);

// Each returns why the file `path` cannot be loaded, or "" when this check passes.
// A file too short to hold its header.
std::string MeshHeaderRefusal(const std::string& path, uint64_t fileBytes);
// Counts that the file cannot hold, or that need a buffer larger than Direct3D can make.
// Only whole triangles go into the index buffer; leftover indices are never read.
std::string MeshCountsRefusal(const std::string& path, uint64_t fileBytes, uint32_t vertexCount,
                              uint32_t indexCount);
// Index number `position` (from 0) of a whole triangle names `vertex`, which is not below
// `vertexCount`.
std::string MeshIndexRefusal(const std::string& path, uint64_t position, uint32_t vertex,
                             uint32_t vertexCount);
