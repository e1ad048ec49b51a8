// The parser of shader assembly, shared by its two halves: parser.cpp reads the version,
// the "// @constant" lines and registers; parser_instructions.cpp the instructions.
#pragma once

#include "shader_source.h"

#include <cstdint>
#include <string>
#include <vector>

struct RegisterName {
    const char* name;
    uint32_t type;
    bool numbered;
    uint32_t vertexCount;  // how many the vs_2_0 model has (0: none)
    uint32_t pixelCount;   // and ps_2_0
};

std::string Lower(std::string text);
std::string Trim(const std::string& text);
bool ParseNumber(const std::string& text, float* value);
// Digits only, at most 4 of them.
bool ParseIndex(const std::string& text, uint32_t* value);

class Parser {
public:
    Parser(const std::string& path, ShaderSource* source) : path_(path), source_(source) {}

    bool Line(const std::string& raw);
    bool Finish();

    std::string error;

private:
    bool Fail(const std::string& what);
    uint32_t Limit(uint32_t type) const;
    bool Version(const std::string& code);
    // "@constant name type register [default v...]"
    bool Directive(const std::string& note);
    bool ConstantType(ConstantDeclaration* c);
    bool ParseRegister(const std::string& text, Register* reg);
    bool ParseOperand(const std::string& text, bool destination, Operand* operand);
    bool DeclarationSuffix(const std::string& suffix, Instruction* instruction);
    bool InstructionLine(const std::string& code);
    bool ArithmeticInstruction(const std::string& code, const std::string& modifiers,
                               const std::vector<std::string>& operandTexts,
                               Instruction* instruction);

    std::string path_;
    ShaderSource* source_;
    int line_ = 0;
    bool sawVersion_ = false;
};
