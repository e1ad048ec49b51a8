// mesh_tool [--fit SIZE] SOURCE OUTPUT
// mesh_tool info FILE.mesh.bin
//
// Turns a readable mesh source (format in mesh_source.h), or a model in a common
// interchange format (model_import.h), into the binary mesh file that the program copies
// straight into its vertex and index buffers. Bad input is refused with the file's name and
// the reason and a non-zero exit status, and OUTPUT is then left as it was.
// `info` describes a mesh file and says whether the program loads it (mesh_info.h).
#include "info_command.h"
#include "mesh_file.h"
#include "mesh_fit.h"
#include "mesh_info.h"
#include "mesh_source.h"
#include "model_bounds.h"
#include "model_import.h"
#include "output_file.h"
#include "source_lines.h"

#include <iostream>
#include <string>

namespace {

const char kUsage[] =
    "usage: mesh_tool [--fit SIZE] SOURCE OUTPUT\n"
    "       mesh_tool info FILE.mesh.bin\n"
    "       mesh_tool --help\n";

// "*.3ds;*.obj;..." as ".3ds .obj ...", in lines that start with four blanks.
std::string WrappedExtensions() {
    std::string text, line;
    std::string list = ModelExtensions() + ";";
    for (std::size_t start = 0, end; (end = list.find(';', start)) != std::string::npos;
         start = end + 1) {
        std::string extension = list.substr(start, end - start);
        if (!extension.empty() && extension[0] == '*') extension.erase(0, 1);
        if (extension.empty()) continue;
        if (line.size() + extension.size() > 84) {
            text += "    " + line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + extension;
    }
    return text + "    " + line + "\n";
}

void PrintHelp() {
    std::cout << kUsage << R"(
mesh_tool SOURCE OUTPUT writes the binary mesh file that the program loads (for example
data/cube.mesh.bin). SOURCE is either
  - a model in a common interchange format, chosen by its extension: Wavefront OBJ (.obj,
    with the .mtl file it names), glTF 2.0 (.gltf, .glb), PLY, STL, FBX, COLLADA (.dae)
    and the others the import library reads:
)" << WrappedExtensions() << R"(    or
  - any other file: a readable mesh source of vertex and triangle lines, as
    assets/meshes/*.mesh.txt.
A model is turned from right-handed coordinates with counter-clockwise front faces into the
mesh file's left-handed ones, where a triangle is drawn when it runs clockwise on screen; its
texture's v is flipped so that v = 0 is the image's top row. All its meshes go into the one
file, in triangles, placed by their nodes' transforms; a mirroring transform keeps the
outside out. A vertex's colour is its vertex colour, else its material's diffuse colour,
else white; its texture coordinate is from the first set, else (0, 0). Corners are shared
only where position, colour and texture coordinate are all equal.
  --fit SIZE   scale the mesh evenly so that its largest extent is SIZE, and centre its
               bounds on the origin (the cube's mesh is 2 across; the camera is at z = -10)
A source that cannot be read, has no triangles or does not fit a mesh file is refused with
its name and the reason on standard error, exit status 1; OUTPUT is then left as it was.
So is a model whose import needs more than )" +
                     std::to_string(kImportAddressSpace >> 30) + R"( GiB of address space or )" +
                     std::to_string(kImportSeconds) + R"( seconds, or that
crashes the import library.

mesh_tool info FILE prints what a mesh file holds:
  - its vertex, index and triangle counts, its size against the size the counts need;
  - the bounds of its positions;
  - how many triangles face a camera at (0, 0, -10) (clockwise on screen, drawn) and how
    many face away (counter-clockwise, culled);
  - how many parts of it (triangles joined through shared corners) are closed, and how many
    of those are inside out: their triangles face inward, so the camera sees only the inside
    (the inner wall of a hollow faces inward too, and is not counted);
  - every index that is not below the vertex count, and the indices left over after the
    last whole triangle.
It exits with status 0 when the program loads the file; otherwise it writes the program's
own reason for refusing it to standard error and exits with status 1.
)";
}

int Info(const std::string& path) {
    std::string refusal;
    const bool loads = DescribeMeshFile(path, std::cout, refusal);
    return FinishInfo("mesh_tool", loads, refusal, "the program loads this file");
}

int Convert(const std::string& source, const std::string& output, bool fit, float size) {
    std::string error;
    MeshData mesh;
    const bool read = IsModelFile(source) ? ImportModelBounded(source, mesh, error)
                                          : LoadMeshSource(source, mesh, error);
    if (!read || (fit && !FitMesh(source, size, mesh, error)) ||
        !CheckMeshFits(source, mesh, error) ||
        !WriteFileAtomically(output, EncodeMesh(mesh), error)) {
        std::cerr << "mesh_tool: " << error << '\n';
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string first = argc > 1 ? argv[1] : "";
    if (argc == 2 && (first == "--help" || first == "-h")) {
        PrintHelp();
        return 0;
    }
    if (argc == 3 && first == "info") return Info(argv[2]);
    if (argc == 3) return Convert(argv[1], argv[2], false, 0.0f);
    if (argc == 5 && first == "--fit") {
        float size = 0.0f;
        if (!ParseFloat(argv[2], size) || !(size > 0.0f)) {
            std::cerr << "mesh_tool: --fit takes a size above zero, not '" << argv[2] << "'\n";
            return 2;
        }
        return Convert(argv[3], argv[4], true, size);
    }
    std::cerr << kUsage;
    return 2;
}
