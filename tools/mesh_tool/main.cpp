// mesh_tool SOURCE OUTPUT
//
// Turns a readable mesh source (format in mesh_source.h) into the binary mesh file that
// the program copies straight into its vertex and index buffers. Bad input is refused with
// "file:line: reason" and a non-zero exit status, and OUTPUT is then left as it was.
#include "mesh_file.h"
#include "mesh_source.h"
#include "output_file.h"

#include <iostream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: mesh_tool SOURCE OUTPUT\n";
        return 2;
    }
    std::string error;
    MeshData mesh;
    if (!LoadMeshSource(argv[1], mesh, error) ||
        !WriteFileAtomically(argv[2], EncodeMesh(mesh), error)) {
        std::cerr << "mesh_tool: " << error << '\n';
        return 1;
    }
    return 0;
}
