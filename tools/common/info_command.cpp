#include "info_command.h"

#include <fstream>
#include <iostream>
#include <iterator>

bool ReadWholeFile(const std::string& path, const char* kind, std::vector<unsigned char>& bytes,
                   std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = std::string("cannot open the ") + kind + " file " + path;
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = std::string("cannot read the ") + kind + " file " + path;
        return false;
    }
    return true;
}

int FinishInfo(const char* tool, bool accepted, const std::string& refusal,
               const char* acceptedLine) {
    if (accepted) {
        std::cout << "  " << acceptedLine << '\n';
        return 0;
    }
    std::cout.flush();
    std::cerr << tool << ": " << refusal << '\n';
    return 1;
}
