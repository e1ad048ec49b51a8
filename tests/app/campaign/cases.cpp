#include "cases.h"

#include <map>

#include "support/temp_folder.h"

const char* const DataFiles[] = {"data/cube.mesh.bin",          "data/plane.mesh.bin",
                                 "data/material1.material",     "data/material2.material",
                                 "data/standard_vertex.shader", "data/standard_fragment.shader",
                                 "data/cube_fragment.shader",   "data/checker.dds",
                                 "data/checker.bmp"};
const size_t DataFileCount = sizeof DataFiles / sizeof DataFiles[0];

const std::string& DataFile(const std::string& path) {
    static std::map<std::string, std::string> files;
    auto found = files.find(path);
    if (found == files.end()) found = files.emplace(path, ReadWholeFile(path)).first;
    return found->second;
}

const std::string& CompiledDataFile(const std::string& path, bool strip) {
    static std::map<std::string, std::string> files;
    const std::string key = path + (strip ? " stripped" : "");
    auto found = files.find(key);
    if (found == files.end()) {
        found = files.emplace(key, Make(Loader::Material, path, {{Operation::Compile, strip ? 1u : 0u}}).Bytes())
                    .first;
    }
    return found->second;
}

Recipe Make(Loader loader, const std::string& from, std::vector<Operation> operations) {
    Recipe recipe;
    recipe.loader = loader;
    recipe.from = from;
    recipe.operations = std::move(operations);
    return recipe;
}

Recipe MakeText(Loader loader, const std::string& text) {
    Recipe recipe;
    recipe.loader = loader;
    recipe.text = text;
    return recipe;
}

uint32_t AwkwardValue(Random& random, const std::vector<uint32_t>& awkward) {
    if (random.OneIn(5) || awkward.empty()) return static_cast<uint32_t>(random.Next());
    return awkward[static_cast<size_t>(random.Below(awkward.size()))];
}

std::string RandomString(Random& random, size_t length) {
    std::string bytes(length, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random.Next() >> 56);
    return bytes;
}
