#include "formats/shader_tokens.h"

#include "formats/byte_reader.h"
#include "formats/constant_table_check.h"
#include "formats/shader_instructions.h"

namespace {

bool Check(const ByteReader& file, uint32_t expectedVersionType, std::string* reason,
           ShaderTokenFacts* facts) {
    if (file.Size() == 0) {
        *reason = "the file is empty";
        return false;
    }
    if (file.Size() < 4) {
        *reason = "the file is too short to be a shader";
        return false;
    }
    // What the file is matters more to the reader than how long it is.
    const uint32_t versionToken = file.U32(0);
    const uint32_t versionType = versionToken >> kVersionTypeShift;
    if (versionType != kVertexShaderVersionType && versionType != kPixelShaderVersionType) {
        *reason = "the file does not begin with a shader version token";
        return false;
    }
    if (versionType != expectedVersionType) {
        *reason = expectedVersionType == kVertexShaderVersionType ? "not a vertex shader"
                                                                  : "not a pixel shader";
        return false;
    }
    const bool pixel = versionType == kPixelShaderVersionType;
    const uint32_t version = versionToken & kVersionMask;
    if (!IsShaderModel(pixel, version)) {
        *reason = "the shader is of a model Direct3D 9 does not take";
        return false;
    }
    const TokenStream stream{file, pixel, version, &facts->work};
    // Direct3D and D3DX stop at the end token: bytes after the last whole word are never read.
    const size_t words = file.Size() / 4;
    for (size_t i = 1; i < words;) {
        const uint32_t token = stream.At(i);
        if (token == kEndToken) return true;
        if ((token & kOpcodeMask) == kOpComment) {
            const size_t length = CommentLength(token);
            if (length > words - i - 1) {
                *reason = "a comment block runs past the end of the file";
                return false;
            }
            // D3DX takes the first comment block that begins with "CTAB".
            if (length >= 1 && facts->tableWords == 0 && stream.At(i + 1) == kConstantTableFourcc) {
                // The table's offsets count from just after the FOURCC.
                const ByteReader table = file.Part((i + 2) * 4, (length - 1) * 4);
                if (!CheckConstantTable(table, &facts->work, reason)) return false;
                facts->tableWord = i;
                facts->tableWords = 1 + length;
            }
            i += 1 + length;
            continue;
        }
        size_t length = 0;
        if (!CheckInstruction(stream, i, words - i - 1, &length, reason)) return false;
        i += 1 + length;
    }
    *reason = "the file ends before its end token";
    return false;
}

}  // namespace

bool CheckShaderTokens(const void* bytes, size_t size, uint32_t expectedVersionType,
                       std::string* whyNot, ShaderTokenFacts* facts) {
    std::string reason;
    ShaderTokenFacts found;
    const bool ok = Check(ByteReader(bytes, size), expectedVersionType, &reason, &found);
    if (!ok && whyNot) *whyNot = reason;
    if (!ok) found.tableWord = found.tableWords = 0;
    if (facts) *facts = found;
    return ok;
}

bool CheckShaderTokens(const void* bytes, size_t size, uint32_t expectedVersionType,
                       std::string* whyNot) {
    return CheckShaderTokens(bytes, size, expectedVersionType, whyNot, nullptr);
}
