#include "formats/constant_table_check.h"

#include "formats/shader_format.h"

#include <cstring>

namespace {

// D3DXGetShaderConstantTable copies the "CTAB" block and follows its offsets without
// checking them. For every constant it builds a tree: an array of E elements gets E children
// of the same type record, a structure one child per member, and so on down, with no limit
// on depth and none on sharing, so a few shared or cyclic records make it recurse without
// end or build a tree exponential in their number. GetConstantByName then reads the names
// of the top-level constants, SetDefaults their default values, and SetFloatArray and
// SetMatrix read the caller's values by the rows and columns the table claims.

// The constants the program writes through SetFloatArray and SetMatrix.
const char* const kWrittenNames[] = {"g_colorModifier", "g_transform_worldToView",
                                     "g_transform_viewToScreen", "g_transform_modelToWorld"};

// Deeper than any compiler nests structures and arrays; D3DX recurses once per level.
const int kMaxTypeDepth = 32;
// D3DX builds one node per constant, element and member: allow a fixed number plus one per
// byte of the table, which covers every array that fits in a shader model's registers.
const size_t kNodeAllowance = 8192;

class TableCheck {
public:
    TableCheck(const ByteReader& table, uint64_t* work) : table_(table), work_(work) {
        // A string at `offset` ends inside the block when some zero byte lies at or after
        // it: find the last zero once, so that each name costs one comparison.
        for (size_t i = table.Size(); i > 0; --i) {
            if (table.Bytes()[i - 1] == 0) {
                lastZero_ = i - 1;
                hasZero_ = true;
                break;
            }
        }
        *work_ += table.Size() / 4;
        nodesLeft_ = kNodeAllowance + table.Size();
        nameBytesLeft_ = 2 * table.Size() + 4096;
    }

    bool Check(std::string* reason) {
        if (!table_.Holds(0, kTableHeaderSize) || table_.U32(kTableSize) != kTableHeaderSize) {
            *reason = "the constant table's header is damaged";
            return false;
        }
        const size_t creator = table_.U32(kTableCreator);
        const size_t count = table_.U32(kTableConstants);
        const size_t infos = table_.U32(kTableConstantInfo);
        const size_t target = table_.U32(kTableTarget);
        if ((creator != 0 && !String(creator)) || (target != 0 && !String(target)) ||
            count > table_.Size() / kConstantInfoSize ||
            !table_.Holds(infos, count * kConstantInfoSize)) {
            return Outside(reason);
        }
        for (size_t i = 0; i < count; ++i) {
            const size_t info = infos + i * kConstantInfoSize;
            const size_t name = table_.U32(info + kInfoName);
            const uint32_t set = table_.U16(info + kInfoRegisterSet);
            const size_t registerCount = table_.U16(info + kInfoRegisterCount);
            const size_t defaultValue = table_.U32(info + kInfoDefaultValue);
            // SetDefaults hands the device RegisterCount registers from the default value.
            const size_t registerBytes = RegisterBytes(set);
            if (!String(name)) return Outside(reason);
            if (!NameWithinAllowance(name)) {
                *reason = "the constant table's names are far longer than the table";
                return false;
            }
            if (defaultValue != 0 && set <= kSetFloat4 &&
                !table_.Holds(defaultValue, registerCount * registerBytes)) {
                return Outside(reason);
            }
            const size_t type = table_.U32(info + kInfoTypeInfo);
            if (!Type(type, false, IsWritten(name), 0, reason)) return false;
        }
        return true;
    }

private:
    bool Outside(std::string* reason) {
        *reason = "the constant table points outside its comment block";
        return false;
    }

    bool String(size_t offset) const { return hasZero_ && offset <= lastZero_; }

    // GetConstantByName measures the name of every top-level constant it passes: together
    // they may be no longer than a few times the table, however many constants share one.
    bool NameWithinAllowance(size_t name) {
        const size_t room = lastZero_ - name + 1;
        const size_t limit = room < nameBytesLeft_ ? room : nameBytesLeft_;
        const void* end = std::memchr(table_.Bytes() + name, 0, limit);
        const size_t length =
            end ? static_cast<const unsigned char*>(end) - (table_.Bytes() + name) + 1 : limit;
        *work_ += length / 4 + 1;
        if (end == nullptr) return false;
        nameBytesLeft_ -= length;
        return true;
    }

    bool IsWritten(size_t name) const {
        const char* text = reinterpret_cast<const char*>(table_.Bytes() + name);
        const size_t room = lastZero_ - name + 1;
        for (const char* written : kWrittenNames) {
            const size_t length = std::strlen(written) + 1;
            if (length <= room && std::memcmp(text, written, length) == 0) return true;
        }
        return false;
    }

    // One node of D3DX's tree, as parse_ctab_constant_type builds it, and those below it.
    bool Type(size_t offset, bool isElement, bool written, int depth, std::string* reason) {
        ++*work_;
        if (nodesLeft_ == 0) {
            *reason = "the constant table's types expand to far more constants than it holds";
            return false;
        }
        --nodesLeft_;
        if (depth > kMaxTypeDepth) {
            *reason = "the constant table's types nest too deeply or contain themselves";
            return false;
        }
        if (!table_.Holds(offset, kTypeInfoSize)) return Outside(reason);
        const uint32_t typeClass = table_.U16(offset + kTypeClass);
        const uint32_t rows = table_.U16(offset + kTypeRows);
        const uint32_t columns = table_.U16(offset + kTypeColumns);
        const size_t elements = table_.U16(offset + kTypeElements);
        const size_t members = table_.U16(offset + kTypeMembers);
        const size_t memberInfo = table_.U32(offset + kTypeMemberInfo);
        if (elements > 1 && !isElement) {
            for (size_t i = 0; i < elements; ++i) {
                if (!Type(offset, true, written, depth + 1, reason)) return false;
            }
            return true;
        }
        if (typeClass == kClassStruct && members > 0) {
            if (written) return BadShape(reason);
            if (!table_.Holds(memberInfo, members * kMemberInfoSize)) return Outside(reason);
            for (size_t i = 0; i < members; ++i) {
                const size_t member = memberInfo + i * kMemberInfoSize;
                if (!String(table_.U32(member + kMemberName))) return Outside(reason);
                const size_t type = table_.U32(member + kMemberType);
                if (!Type(type, false, written, depth + 1, reason)) return false;
            }
            return true;
        }
        // SetFloatArray and SetMatrix read rows times columns of the caller's values, with
        // the strides of a real scalar, vector or matrix of at most four by four.
        if (written) {
            const bool shaped =
                (typeClass == kClassScalar && rows == 1 && columns == 1) ||
                (typeClass == kClassVector && rows == 1 && columns >= 1 && columns <= 4) ||
                ((typeClass == kClassMatrixRows || typeClass == kClassMatrixColumns) && rows >= 1 &&
                 rows <= 4 && columns >= 1 && columns <= 4) ||
                typeClass == kClassObject;
            if (!shaped) return BadShape(reason);
        }
        return true;
    }

    bool BadShape(std::string* reason) {
        *reason = "the constant table gives a constant the program sets a shape it cannot take";
        return false;
    }

    const ByteReader table_;  // a copy: the caller hands over a temporary part of the file
    uint64_t* work_;
    size_t lastZero_ = 0;
    bool hasZero_ = false;
    size_t nodesLeft_ = 0;
    size_t nameBytesLeft_ = 0;
};

}  // namespace

bool CheckConstantTable(const ByteReader& table, uint64_t* work, std::string* reason) {
    return TableCheck(table, work).Check(reason);
}
