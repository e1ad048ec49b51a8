// Reads shader assembly line by line. Constant-table declarations live in comments
// ("// @constant name type register [default v...]") so that the same text also
// goes through other assemblers, which skip them.
#include "parser.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>

namespace {

const RegisterName kRegisters[] = {
    {"r", kRegTemp, true, 12, 12},           {"v", kRegInput, true, 16, 2},
    {"c", kRegConst, true, 256, 32},         {"t", kRegAddressOrTexture, true, 0, 8},
    {"s", kRegSampler, true, 0, 16},         {"opos", kRegRasterOut, false, 1, 0},
    {"od", kRegAttributeOut, true, 2, 0},    {"ot", kRegTexcoordOut, true, 8, 0},
    {"oc", kRegColorOut, true, 0, 4},        {"odepth", kRegDepthOut, false, 0, 1},
};

struct TypeName {
    const char* name;
    uint16_t type;
};

const TypeName kSamplerTypes[] = {{"sampler2D", kTypeSampler2D},
                                   {"sampler3D", kTypeSampler3D},
                                   {"samplerCUBE", kTypeSamplerCube}};

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

}  // namespace

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

bool ParseIndex(const std::string& text, uint32_t* value) {
    if (text.empty() || text.size() > 4) return false;
    *value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        *value = *value * 10 + static_cast<uint32_t>(c - '0');
    }
    return true;
}

bool Parser::Line(const std::string& raw) {
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

bool Parser::Finish() {
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
        if (i.opcode != kOpDef) continue;
        for (const ConstantDeclaration& c : source_->constants)
            if (c.reg.type == kRegConst && i.operands[0].reg.number >= c.reg.number &&
                i.operands[0].reg.number < c.reg.number + c.registerCount) {
                line_ = i.line;
                return Fail("def writes " + RegisterText(i.operands[0].reg) +
                            ", which holds the constant " + c.name);
            }
    }
    return true;
}

bool Parser::Fail(const std::string& what) {
    error = path_ + ":" + std::to_string(line_) + ": " + what;
    return false;
}

uint32_t Parser::Limit(uint32_t type) const {
    const RegisterName* r = FindRegister(type);
    return source_->kind == ShaderKind::Vertex ? r->vertexCount : r->pixelCount;
}

bool Parser::Version(const std::string& code) {
    std::string v = Lower(code);
    if (v == "vs_2_0") source_->kind = ShaderKind::Vertex;
    else if (v == "ps_2_0") source_->kind = ShaderKind::Pixel;
    else return Fail("expected vs_2_0 or ps_2_0 first, found \"" + code + "\"");
    sawVersion_ = true;
    return true;
}

bool Parser::Directive(const std::string& note) {
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
    uint32_t wanted = c.typeClass == kClassObject ? kRegSampler : kRegConst;
    if (operand.reg.type != wanted || registerText.find('.') != std::string::npos)
        return Fail(c.typeName + " " + c.name + " must be in register " +
                    FindRegister(wanted)->name + "#, not " + registerText);
    c.reg = operand.reg;
    if (words >> word) {
        if (word != "default") return Fail("expected \"default\", found \"" + word + "\"");
        if (c.typeClass == kClassObject) return Fail("a sampler has no default value");
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
bool Parser::ConstantType(ConstantDeclaration* c) {
    for (const TypeName& t : kSamplerTypes)
        if (c->typeName == t.name) {
            c->typeClass = kClassObject;
            c->type = t.type;
            return true;
        }
    const std::string& name = c->typeName;
    bool ok = name.compare(0, 5, "float") == 0;
    if (ok && name.size() == 5) {
        c->typeClass = kClassScalar;
    } else if (ok && name.size() == 6 && name[5] >= '1' && name[5] <= '4') {
        c->typeClass = kClassVector;
        c->columns = static_cast<uint16_t>(name[5] - '0');
    } else if (ok && name.size() == 8 && name[5] >= '1' && name[5] <= '4' && name[6] == 'x' &&
               name[7] >= '1' && name[7] <= '4') {
        c->typeClass = kClassMatrixColumns;
        c->rows = static_cast<uint16_t>(name[5] - '0');
        c->columns = static_cast<uint16_t>(name[7] - '0');
        c->registerCount = c->columns;
    } else {
        return Fail("unknown type " + name +
                    " (known: float, float1-4, floatRxC, sampler2D, sampler3D, samplerCUBE)");
    }
    c->type = kTypeFloat;
    return true;
}

bool Parser::ParseRegister(const std::string& text, Register* reg) {
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
