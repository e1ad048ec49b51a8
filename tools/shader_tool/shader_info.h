// shader_tool info FILE: what a compiled shader file holds and whether the program takes it.
#pragma once

#include <ostream>
#include <string>

// Prints to `out` the shader's kind and model, its instruction count, its constant table
// (name, register set, first register, register count, type of every constant) and, for
// each name that the program looks up, whether the table has it. Returns true when the
// program's own check of the token stream passes; otherwise `refusal` holds the program's
// reason.
bool DescribeShaderFile(const std::string& path, std::ostream& out, std::string& refusal);
