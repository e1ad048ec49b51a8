#include "cases.h"

#include <algorithm>
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
    std::string& bytes = files[path];
    if (bytes.empty()) bytes = ReadWholeFile(path);
    return bytes;
}

const std::string& CompiledDataFile(const std::string& path, bool strip) {
    static std::map<std::string, std::string> files;
    std::string& bytes = files[path + (strip ? " stripped" : "")];
    if (bytes.empty()) bytes = Make(Loader::Material, path, {{Operation::Compile, strip}}).Bytes();
    return bytes;
}

Recipe Make(Loader loader, const std::string& from, std::vector<Operation> operations) {
    return Recipe{loader, from, std::string(), std::move(operations), std::string()};
}

Recipe MakeText(Loader loader, const std::string& text) {
    return Recipe{loader, std::string(), text, {}, std::string()};
}

void AddCuts(std::vector<Recipe>& fixed, Loader loader, const std::string& from, uint64_t first,
             uint64_t end, uint64_t step) {
    for (uint64_t length = first; length < end; length += step) {
        fixed.push_back(Make(loader, from, {{Operation::Truncate, length}}));
    }
}

void AddSets(std::vector<Recipe>& fixed, Loader loader, const std::string& from, uint64_t offset,
             const std::vector<uint32_t>& values) {
    for (uint32_t value : values) fixed.push_back(Make(loader, from, {{Operation::Set32, offset, value}}));
}

void AddOtherFiles(std::vector<Recipe>& fixed, Loader loader, const std::vector<std::string>& own) {
    for (size_t i = 0; i < DataFileCount; ++i) {
        if (std::find(own.begin(), own.end(), DataFiles[i]) == own.end()) {
            fixed.push_back(Make(loader, DataFiles[i]));
        }
    }
}

uint32_t AwkwardValue(Random& random, const std::vector<uint32_t>& awkward) {
    if (random.OneIn(5) || awkward.empty()) return static_cast<uint32_t>(random.Next());
    return awkward[static_cast<size_t>(random.Below(awkward.size()))];
}
