// The instructions and registers of each shader model, as the token check walks them.
#pragma once

#include "formats/byte_reader.h"

#include <cstddef>
#include <cstdint>
#include <string>

// A token stream being checked: its kind and model, and the steps of work taken so far.
struct TokenStream {
    ByteReader file;
    bool pixel;
    uint32_t version;  // major << 8 | minor; vs_2_x and ps_2_x declare 2.1
    uint64_t* work;
    uint32_t At(size_t word) const {
        ++*work;
        return file.U32(word * 4);
    }
};

// True for the models Direct3D 9 takes of each kind.
bool IsShaderModel(bool pixel, uint32_t version);

// True when the instruction at word `at`, whose operands are the `available` words after
// it, is one of the model's own with valid operands; sets *length to the operand words it
// takes. Otherwise false with the reason.
bool CheckInstruction(const TokenStream& stream, size_t at, size_t available, size_t* length,
                      std::string* reason);
