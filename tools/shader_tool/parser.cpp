// Reads shader assembly line by line. Constant-table declarations live in comments
// ("// @constant name type register [default v...]") so that the same text also
// goes through other assemblers, which skip them.
#include "shader_source.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>

namespace {

struct RegisterName {
    const char* name;
    uint32_t type;
    bool numbered;
    uint32_t vertexCount;  // how many the vs_2_0 model has (0: none)
    uint32_t pixelCount;   // and ps_2_0
};

const RegisterName kRegisters[] = {
    {"r", kTemp, true, 12, 12},           {"v", kInput, true, 16, 2},
    {"c", kConst, true, 256, 32},         {"t", kTexture, true, 0, 8},
    {"s", kSampler, true, 0, 16},         {"opos", kRasterOut, false, 1, 0},
    {"od", kAttributeOut, true, 2, 0},    {"ot", kTexcoordOut, true, 8, 0},
    {"oc", kColorOut, true, 0, 4},        {"odepth", kDepthOut, false, 0, 1},
};

const uint32_t kDcl = 0x1F;
const uint32_t kDef = 0x51;
const uint32_t kM4x4 = 0x14;
const uint32_t kTexld = 0x42;

struct Opcode {
    const char* name;
    uint32_t opcode;
    size_t sources;
    bool pixelOnly;
};

const Opcode kOpcodes[] = {
    {"mov", 0x01, 1, false}, {"add", 0x02, 2, false},  {"mad", 0x04, 3, false},
    {"mul", 0x05, 2, false}, {"dp3", 0x08, 2, false},  {"dp4", 0x09, 2, false},
    {"m4x4", kM4x4, 2, false}, {"texld", kTexld, 2, true},
};

struct DeclarationUsage {
    const char* name;
    uint32_t usage;
};

const DeclarationUsage kUsages[] = {
    {"position", 0}, {"blendweight", 1}, {"blendindices", 2}, {"normal", 3}, {"psize", 4},
    {"texcoord", 5}, {"tangent", 6},     {"binormal", 7},     {"color", 10}, {"fog", 11},
};

struct TypeName {
    const char* name;
    uint16_t type;
};

const TypeName kSamplerTypes[] = {{"sampler2D", 12}, {"sampler3D", 13}, {"samplerCUBE", 14}};

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Trim(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t\r");
    if (begin == std::string::npos) return std::string();
    size_t end = text.find_last_not_of(" \t\r");
    return text.substr(begin, end - begin + 1);
}

bool ParseNumber(const std::string& text, float* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    *value = std::strtof(text.c_str(), &end);
    return *end == '\0';
}

// Digits only, at most 4 of them.
bool ParseIndex(const std::string& text, uint32_t* value) {
    if (text.empty() || text.size() > 4) return false;
    *value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        *value = *value * 10 + static_cast<uint32_t>(c - '0');
    }
    return true;
}

const RegisterName* FindRegister(uint32_t type) {
    for (const RegisterName& r : kRegisters)
        if (r.type == type) return &r;
    return nullptr;
}

std::string RegisterText(const Register& reg) {
    const RegisterName* r = FindRegister(reg.type);
    std::string text = r ? r->name : "?";
    return r && r->numbered ? text + std::to_string(reg.number) : text;
}

class Parser {
public:
    Parser(const std::string& path, ShaderSource* source) : path_(path), source_(source) {}

    bool Line(const std::string& raw) {
        ++line_;
        std::string code = raw;
        size_t comment = std::min(raw.find("//"), raw.find(';'));
        if (comment != std::string::npos) {
            code = raw.substr(0, comment);
            std::string note = Trim(raw.substr(comment + (raw[comment] == ';' ? 1 : 2)));
            if (!note.empty() && note[0] == '@' && !Directive(note)) return false;
        }
        code = Trim(code);
        if (code.empty()) return true;
        if (!sawVersion_) return Version(code);
        return InstructionLine(code);
    }

    bool Finish() {
        if (!sawVersion_) {
            line_ = std::max(line_, 1);
            return Fail("no vs_2_0 or ps_2_0 line");
        }
        for (const ConstantDeclaration& c : source_->constants) {
            line_ = c.line;
            uint32_t limit = Limit(c.reg.type);
            if (limit == 0) return Fail(c.name + ": this shader model has no s registers");
            if (c.reg.number + c.registerCount > limit)
                return Fail(c.name + " does not fit in the " + std::to_string(limit) + " " +
                            FindRegister(c.reg.type)->name + " registers of this shader model");
            for (const ConstantDeclaration& other : source_->constants)
                if (&other != &c && other.reg.type == c.reg.type &&
                    c.reg.number < other.reg.number + other.registerCount &&
                    other.reg.number < c.reg.number + c.registerCount)
                    return Fail(c.name + " shares registers with " + other.name);
        }
        for (const Instruction& i : source_->instructions) {
            if (i.opcode != kDef) continue;
            for (const ConstantDeclaration& c : source_->constants)
                if (c.reg.type == kConst && i.operands[0].reg.number >= c.reg.number &&
                    i.operands[0].reg.number < c.reg.number + c.registerCount) {
                    line_ = i.line;
                    return Fail("def writes " + RegisterText(i.operands[0].reg) +
                                ", which holds the constant " + c.name);
                }
        }
        return true;
    }

    std::string error;

private:
    bool Fail(const std::string& what) {
        error = path_ + ":" + std::to_string(line_) + ": " + what;
        return false;
    }

    uint32_t Limit(uint32_t type) const {
        const RegisterName* r = FindRegister(type);
        return source_->kind == ShaderKind::Vertex ? r->vertexCount : r->pixelCount;
    }

    bool Version(const std::string& code) {
        std::string v = Lower(code);
        if (v == "vs_2_0") source_->kind = ShaderKind::Vertex;
        else if (v == "ps_2_0") source_->kind = ShaderKind::Pixel;
        else return Fail("expected vs_2_0 or ps_2_0 first, found \"" + code + "\"");
        sawVersion_ = true;
        return true;
    }

    // "@constant name type register [default v...]"
    bool Directive(const std::string& note) {
        std::istringstream words(note);
        std::string directive, word;
        words >> directive;
        if (directive != "@constant") return Fail("unknown directive " + directive);
        ConstantDeclaration c;
        c.line = line_;
        std::string registerText;
        if (!(words >> c.name >> c.typeName >> registerText))
            return Fail("expected @constant name type register [default values]");
        if (!std::isalpha(static_cast<unsigned char>(c.name[0])) && c.name[0] != '_')
            return Fail("\"" + c.name + "\" is not a name");
        for (char ch : c.name)
            if (!std::isalnum(static_cast<unsigned char>(ch)) && ch != '_')
                return Fail("\"" + c.name + "\" is not a name");
        for (const ConstantDeclaration& other : source_->constants)
            if (other.name == c.name) return Fail(c.name + " is declared twice");
        if (!ConstantType(&c)) return false;
        Operand operand;
        if (!ParseRegister(registerText, &operand.reg)) return false;
        uint32_t wanted = c.typeClass == 4 ? kSampler : kConst;
        if (operand.reg.type != wanted || registerText.find('.') != std::string::npos)
            return Fail(c.typeName + " " + c.name + " must be in register " +
                        FindRegister(wanted)->name + "#, not " + registerText);
        c.reg = operand.reg;
        if (words >> word) {
            if (word != "default") return Fail("expected \"default\", found \"" + word + "\"");
            if (c.typeClass == 4) return Fail("a sampler has no default value");
            float value = 0.0f;
            while (words >> word) {
                if (!ParseNumber(word, &value)) return Fail("\"" + word + "\" is not a number");
                c.defaults.push_back(value);
            }
            if (c.defaults.size() != size_t{c.rows} * c.columns)
                return Fail(c.name + " needs " + std::to_string(c.rows * c.columns) +
                            " default values, found " + std::to_string(c.defaults.size()));
        }
        source_->constants.push_back(c);
        return true;
    }

    // float, floatN, floatRxC (column-major: a register per column), sampler2D, ...
    bool ConstantType(ConstantDeclaration* c) {
        for (const TypeName& t : kSamplerTypes)
            if (c->typeName == t.name) {
                c->typeClass = 4;
                c->type = t.type;
                return true;
            }
        const std::string& name = c->typeName;
        bool ok = name.compare(0, 5, "float") == 0;
        if (ok && name.size() == 5) {
            c->typeClass = 0;
        } else if (ok && name.size() == 6 && name[5] >= '1' && name[5] <= '4') {
            c->typeClass = 1;
            c->columns = static_cast<uint16_t>(name[5] - '0');
        } else if (ok && name.size() == 8 && name[5] >= '1' && name[5] <= '4' && name[6] == 'x' &&
                   name[7] >= '1' && name[7] <= '4') {
            c->typeClass = 3;
            c->rows = static_cast<uint16_t>(name[5] - '0');
            c->columns = static_cast<uint16_t>(name[7] - '0');
            c->registerCount = c->columns;
        } else {
            return Fail("unknown type " + name +
                        " (known: float, float1-4, floatRxC, sampler2D, sampler3D, samplerCUBE)");
        }
        c->type = 3;
        return true;
    }

    bool ParseRegister(const std::string& text, Register* reg) {
        size_t letters = 0;
        while (letters < text.size() && std::isalpha(static_cast<unsigned char>(text[letters])))
            ++letters;
        size_t digits = letters;
        while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits])))
            ++digits;
        std::string name = Lower(text.substr(0, letters));
        for (const RegisterName& r : kRegisters) {
            if (name != r.name) continue;
            std::string number = text.substr(letters, digits - letters);
            if (r.numbered ? !ParseIndex(number, &reg->number) : !number.empty())
                return Fail("bad register \"" + text + "\"");
            reg->type = r.type;
            uint32_t limit = sawVersion_ ? Limit(r.type) : 0xFFFF;
            if (limit == 0) return Fail(text + " does not exist in this shader model");
            if (reg->number >= limit)
                return Fail(text + " is out of range (" + std::to_string(limit) + " registers)");
            return true;
        }
        return Fail("unknown register \"" + text + "\"");
    }

    static int Component(char c) {
        const char* letters = "xyzwrgba";
        for (int i = 0; i < 8; ++i)
            if (c == letters[i]) return i % 4;
        return -1;
    }

    bool ParseOperand(const std::string& text, bool destination, Operand* operand) {
        std::string body = text;
        if (!body.empty() && body[0] == '-') {
            if (destination) return Fail("a destination cannot be negated: " + text);
            operand->negate = true;
            body = Trim(body.substr(1));
        }
        size_t dot = body.find('.');
        if (!ParseRegister(body.substr(0, dot), &operand->reg)) return false;
        if (dot == std::string::npos) return true;
        std::string suffix = Lower(body.substr(dot + 1));
        if (suffix.empty() || suffix.size() > 4) return Fail("bad component list in " + text);
        if (destination) {
            operand->writeMask = 0;
            int previous = -1;
            for (char c : suffix) {
                int component = Component(c);
                if (component <= previous) return Fail("bad write mask in " + text);
                operand->writeMask |= 1u << component;
                previous = component;
            }
        } else {
            operand->swizzle = 0;
            for (size_t i = 0; i < 4; ++i) {
                int component = Component(suffix[std::min(i, suffix.size() - 1)]);
                if (component < 0) return Fail("bad swizzle in " + text);
                operand->swizzle |= static_cast<uint32_t>(component) << (2 * i);
            }
        }
        return true;
    }

    // The part of a mnemonic after "dcl_": a usage with an optional index, or a sampler type.
    bool DeclarationSuffix(const std::string& suffix, Instruction* instruction) {
        const char* samplers[] = {"2d", "cube", "volume"};
        for (uint32_t i = 0; i < 3; ++i)
            if (suffix == samplers[i]) {
                instruction->samplerType = i + 2;
                return true;
            }
        size_t digits = suffix.find_first_of("0123456789");
        std::string name = suffix.substr(0, digits);
        for (const DeclarationUsage& u : kUsages)
            if (name == u.name) {
                instruction->usage = u.usage;
                if (digits != std::string::npos &&
                    (!ParseIndex(suffix.substr(digits), &instruction->usageIndex) ||
                     instruction->usageIndex > 15))
                    return Fail("bad usage index in dcl_" + suffix);
                return true;
            }
        return Fail("unknown declaration dcl_" + suffix);
    }

    bool InstructionLine(const std::string& code) {
        Instruction instruction;
        instruction.line = line_;
        size_t space = code.find_first_of(" \t");
        std::string mnemonic = Lower(code.substr(0, space));
        std::vector<std::string> operandTexts;
        if (space != std::string::npos) {
            std::string rest = code.substr(space);
            for (size_t start = 0, comma = 0; comma != std::string::npos; start = comma + 1) {
                comma = rest.find(',', start);
                operandTexts.push_back(Trim(rest.substr(start, comma - start)));
            }
        }
        for (const std::string& text : operandTexts)
            if (text.empty()) return Fail("empty operand in \"" + code + "\"");

        size_t underscore = mnemonic.find('_');
        instruction.mnemonic = mnemonic.substr(0, underscore);
        std::string modifiers = underscore == std::string::npos ? "" : mnemonic.substr(underscore);

        if (instruction.mnemonic == "dcl") {
            instruction.opcode = kDcl;
            if (!modifiers.empty() && !DeclarationSuffix(modifiers.substr(1), &instruction))
                return false;
            if (operandTexts.size() != 1) return Fail("dcl takes one register");
            Operand operand;
            if (!ParseOperand(operandTexts[0], true, &operand)) return false;
            uint32_t type = operand.reg.type;
            bool sampler = instruction.samplerType != 0;
            if (sampler ? type != kSampler : (type != kInput && type != kTexture))
                return Fail("dcl" + modifiers + " cannot declare " + operandTexts[0]);
            if (source_->kind == ShaderKind::Pixel && !sampler && !modifiers.empty())
                return Fail("ps_2_0 declares inputs with a plain dcl");
            if (source_->kind == ShaderKind::Vertex && modifiers.empty())
                return Fail("a vs_2_0 input needs a usage, e.g. dcl_position");
            instruction.operands.push_back(operand);
        } else if (instruction.mnemonic == "def") {
            instruction.opcode = kDef;
            if (!modifiers.empty()) return Fail("def takes no modifiers");
            if (operandTexts.size() != 5) return Fail("def takes a register and four numbers");
            Operand destination;
            if (!ParseOperand(operandTexts[0], true, &destination)) return false;
            if (destination.reg.type != kConst || destination.writeMask != 0xF)
                return Fail("def needs a whole c# register");
            instruction.operands.push_back(destination);
            for (size_t i = 1; i < 5; ++i) {
                Operand number;
                if (!ParseNumber(operandTexts[i], &number.value))
                    return Fail("\"" + operandTexts[i] + "\" is not a number");
                instruction.operands.push_back(number);
            }
        } else if (!ArithmeticInstruction(code, modifiers, operandTexts, &instruction)) {
            return false;
        }
        source_->instructions.push_back(instruction);
        return true;
    }

    bool ArithmeticInstruction(const std::string& code, const std::string& modifiers,
                               const std::vector<std::string>& operandTexts,
                               Instruction* instruction) {
        const Opcode* op = nullptr;
        for (const Opcode& o : kOpcodes)
            if (instruction->mnemonic == o.name) op = &o;
        if (!op) return Fail("unknown instruction \"" + code + "\"");
        if (op->pixelOnly && source_->kind != ShaderKind::Pixel)
            return Fail(instruction->mnemonic + " exists only in pixel shaders");
        instruction->opcode = op->opcode;
        std::istringstream parts(modifiers);
        std::string modifier;
        std::getline(parts, modifier, '_');  // the empty text before the first '_'
        while (std::getline(parts, modifier, '_')) {
            if (modifier == "sat") instruction->resultModifier |= 1;
            else if (modifier == "pp") instruction->resultModifier |= 2;
            else return Fail("unknown modifier _" + modifier);
        }
        if (operandTexts.size() != op->sources + 1)
            return Fail(instruction->mnemonic + " takes " + std::to_string(op->sources + 1) +
                        " operands, found " + std::to_string(operandTexts.size()));
        for (size_t i = 0; i < operandTexts.size(); ++i) {
            Operand operand;
            if (!ParseOperand(operandTexts[i], i == 0, &operand)) return false;
            uint32_t type = operand.reg.type;
            bool output = type == kRasterOut || type == kAttributeOut || type == kTexcoordOut ||
                          type == kColorOut || type == kDepthOut;
            bool samplerSlot = op->opcode == kTexld && i == 2;
            if (i == 0 && type != kTemp && !output)
                return Fail(operandTexts[i] + " cannot be written");
            if (i > 0 && (output || (type == kSampler) != samplerSlot))
                return Fail(operandTexts[i] + " cannot be read here");
            instruction->operands.push_back(operand);
        }
        // m4x4 expands to four dp4 that would read a vector it has half overwritten.
        const Register& written = instruction->operands[0].reg;
        const Register& read = instruction->operands[1].reg;
        if (op->opcode == kM4x4 && written.type == read.type && written.number == read.number)
            return Fail("m4x4 cannot write the register it reads");
        return true;
    }

    std::string path_;
    ShaderSource* source_;
    int line_ = 0;
    bool sawVersion_ = false;
};

}  // namespace

bool ParseShaderSource(const std::string& path, const std::string& text, ShaderSource* source,
                       std::string* error) {
    Parser parser(path, source);
    std::istringstream lines(text);
    std::string line;
    bool ok = true;
    while (ok && std::getline(lines, line)) ok = parser.Line(line);
    if (ok) ok = parser.Finish();
    if (!ok) *error = parser.error;
    return ok;
}
