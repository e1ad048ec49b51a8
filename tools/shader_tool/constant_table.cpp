#include "constant_table.h"

#include "formats/constant_table_writer.h"

std::vector<uint32_t> ConstantTableComment(const ShaderSource& source, uint32_t versionToken,
                                           const std::string& creator) {
    const std::vector<ConstantDeclaration>& constants = source.constants;
    // Header and constant records, then type records, default values and strings.
    ConstantTableWriter table(constants.size(), versionToken);
    std::vector<uint32_t> types, defaults;
    for (const ConstantDeclaration& c : constants)
        types.push_back(table.Type(c.typeClass, c.rows, c.columns, 1, 0, 0, c.type));
    // Whole registers, zero-filled, since SetDefaults uploads whole registers. A vector fills
    // one register; a column-major matrix puts its column j in register j.
    for (const ConstantDeclaration& c : constants) {
        defaults.push_back(c.defaults.empty() ? 0 : static_cast<uint32_t>(table.Size()));
        if (c.defaults.empty()) continue;
        const bool matrix = c.typeClass == kClassMatrixColumns;
        for (uint32_t reg = 0; reg < c.registerCount; ++reg)
            for (uint32_t k = 0; k < 4; ++k) {
                const bool present = matrix ? k < c.rows : k < c.defaults.size();
                table.Float(present ? c.defaults[matrix ? k * c.columns + reg : k] : 0.0f);
            }
    }
    for (size_t i = 0; i < constants.size(); ++i) {
        const ConstantDeclaration& c = constants[i];
        const uint16_t set = c.typeClass == kClassObject ? kSetSampler : kSetFloat4;
        table.Constant(i, table.String(c.name), set, static_cast<uint16_t>(c.reg.number),
                       c.registerCount, types[i], defaults[i]);
    }
    table.SetWord(kTableCreator, table.String(creator));
    table.SetWord(kTableTarget,
                  table.String(source.kind == ShaderKind::Vertex ? "vs_2_0" : "ps_2_0"));
    return table.Block();
}
