#include "mesh/mesh.h"

// Placeholder until the mesh loader lands.
Mesh::~Mesh() { Release(); }
bool Mesh::Load(const char*) { return true; }
void Mesh::Draw() {}
void Mesh::Release() {}
bool Mesh::LoadVertices(DWORD) { return false; }
bool Mesh::LoadIndices(DWORD) { return false; }
