// Fuzzes the checks of precompiled chunks on the host, built with AddressSanitizer: the
// compiler's output for a corpus of Lua files (as luac writes it, with and without debug
// information), damaged in its operands, opcodes and counts, goes through the steps of
// LoadAssetFile in a state without libraries. A damaged chunk that the checks let through
// and that then reads or writes out of bounds is a hole: the sanitizer stops the run, and
// WORKDIR/case.luac with WORKDIR/case.txt tell what it was.
//
// usage: chunk_fuzz SECONDS SEED WORKDIR FILE.lua...   or   chunk_fuzz --replay CASE.luac
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

extern "C" {
#include "lauxlib.h"
#include "lobject.h"
#include "lopcodes.h"
#include "lua.h"
#include "lundump.h"
}
#include "material/asset_state.h"
#include "support/lua_chunk.h"

namespace {
// Far below the program's limits, so that a case that loops or grows ends quickly.
constexpr size_t MemoryLimit = size_t{16} << 20;
constexpr long CountBudget = 100;  // a hundred thousand instructions per case

// A value as text, tables to a few levels, so that two runs can be compared.
void Describe(lua_State* L, int index, int depth, std::string* out) {
    const int type = lua_type(L, index);
    if (type == LUA_TNUMBER) {
        char number[64];
        std::snprintf(number, sizeof number, "%.17g", lua_tonumber(L, index));
        *out += number;
    } else if (type == LUA_TSTRING) {
        size_t size = 0;
        const char* text = lua_tolstring(L, index, &size);
        *out += "'" + std::string(text, size) + "'";
    } else if (type != LUA_TTABLE) {
        *out += lua_typename(L, type);
    } else if (depth > 3) {
        *out += "{...}";
    } else {
        std::vector<std::string> entries;  // sorted: the order of a table's keys varies
        lua_pushnil(L);
        while (lua_next(L, index) != 0) {
            std::string entry;
            Describe(L, lua_gettop(L) - 1, depth + 1, &entry);
            entry += "=";
            Describe(L, lua_gettop(L), depth + 1, &entry);
            entries.push_back(entry);
            lua_pop(L, 1);
        }
        std::sort(entries.begin(), entries.end());
        *out += "{";
        for (const std::string& entry : entries) *out += entry + ",";
        *out += "}";
    }
}

enum Outcome { Ran, RunError, Refused, RefusedByLundump, LoadError };

// LoadAssetFile's steps, with the outcome and a description of what the chunk returned.
Outcome Run(const std::string& path, std::string* what) {
    AssetStateLimits limits;
    limits.byteLimit = MemoryLimit;
    limits.countsLeft = CountBudget;
    lua_State* L = OpenAssetState(&limits);
    const int status = LoadCheckedChunk(L, path.c_str());
    Outcome outcome = Ran;
    if (status != LUA_OK) {
        *what = lua_tostring(L, -1);
        outcome = what->find("bad precompiled chunk") != std::string::npos ? Refused
                  : what->find("precompiled chunk") != std::string::npos ? RefusedByLundump
                                                                          : LoadError;
    } else if (lua_pcall(L, 0, LUA_MULTRET, 0) != LUA_OK) {
        *what = lua_isstring(L, -1) ? lua_tostring(L, -1) : "error object";
        outcome = RunError;
    } else {
        for (int i = 1; i <= lua_gettop(L); ++i) Describe(L, i, 0, what);
    }
    lua_close(L);
    return outcome;
}

struct Random {
    uint64_t state;
    uint64_t Next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int Below(int bound) { return bound <= 0 ? 0 : static_cast<int>(Next() % static_cast<uint64_t>(bound)); }
    // Near a limit, where the faults are, more often than anywhere.
    int Near(int limit, int largest) {
        const int value = Below(4) == 0 ? Below(largest + 1) : limit - 2 + Below(5);
        return std::min(std::max(value, 0), largest);
    }
};

void AllProtos(Proto* f, std::vector<Proto*>* all) {
    all->push_back(f);
    for (int i = 0; i < f->sizep; ++i) AllProtos(f->p[i], all);
}

// Damage to the compiled functions themselves; sizes only shrink, so that dumping stays
// within the arrays. Returns what it did.
std::string DamageProto(Random& r, Proto* f) {
    const int pc = r.Below(f->sizecode);
    Instruction& i = f->code[pc];
    const int maxs = f->maxstacksize;
    switch (r.Below(15)) {
        case 0: SET_OPCODE(i, r.Below(64)); return "opcode";
        case 1: SETARG_A(i, r.Near(maxs, MAXARG_A)); return "A";
        case 2: SETARG_B(i, r.Below(2) ? r.Near(maxs, MAXARG_B) : r.Near(f->sizek + BITRK, MAXARG_B)); return "B";
        case 3: SETARG_C(i, r.Below(2) ? r.Near(maxs, MAXARG_C) : r.Near(f->sizek + BITRK, MAXARG_C)); return "C";
        case 4: SETARG_sBx(i, r.Near(f->sizecode - pc, 2 * f->sizecode) - r.Below(2 * f->sizecode)); return "sBx";
        case 5: SETARG_Bx(i, r.Below(2) ? r.Near(f->sizek, 300) : r.Near(f->sizep, 20)); return "Bx";
        case 6: SETARG_B(i, GETARG_B(i) == 0 ? 1 + r.Below(3) : 0); return "open B";
        case 7: SETARG_C(i, GETARG_C(i) == 0 ? 1 + r.Below(3) : 0); return "open C";
        case 8: f->maxstacksize = static_cast<lu_byte>(r.Near(maxs, 255)); return "maxstacksize";
        case 9: f->numparams = static_cast<lu_byte>(r.Near(f->numparams, 255)); f->is_vararg ^= static_cast<lu_byte>(r.Below(2)); return "params";
        case 10: std::swap(i, f->code[r.Below(f->sizecode)]); return "swap";
        case 11: if (f->sizecode > 1) f->sizecode -= 1 + r.Below(std::min(f->sizecode - 1, 3)); return "shorter code";
        case 12:
            if (f->sizeupvalues > 0) {
                Upvaldesc& u = f->upvalues[r.Below(f->sizeupvalues)];
                if (r.Below(2)) u.instack ^= 1; else u.idx = static_cast<lu_byte>(r.Near(u.idx, 255));
            }
            return "upvalue";
        case 13: SETARG_A(i, GETARG_A(f->code[r.Below(f->sizecode)])); return "A of another";
        default:
            if (r.Below(2) && f->sizek > 0) f->sizek--; else if (f->sizeupvalues > 0) f->sizeupvalues--;
            return "fewer constants or upvalues";
    }
}

std::string DamageBytes(Random& r, std::string* bytes) {
    if (bytes->empty()) return "none";
    const size_t at = static_cast<size_t>(r.Below(static_cast<int>(bytes->size())));
    switch (r.Below(5)) {
        case 0: (*bytes)[at] = static_cast<char>((*bytes)[at] ^ (1 << r.Below(8))); return "flip";
        case 1: {
            const unsigned char awkward[] = {0, 1, 2, 0x7f, 0x80, 0xfe, 0xff};
            (*bytes)[at] = static_cast<char>(awkward[r.Below(7)]);
            return "byte";
        }
        case 2: {
            const int32_t awkward[] = {0, 1, -1, 255, 256, 0x7fffffff, 0x40000000, 1000000};
            const int32_t value = awkward[r.Below(8)];
            if (at + 4 <= bytes->size()) std::memcpy(&(*bytes)[at], &value, 4);
            return "int";
        }
        case 3: bytes->resize(at); return "truncate";
        default: bytes->erase(at, static_cast<size_t>(1 + r.Below(8))); return "delete";
    }
}

std::string Compile(const std::string& source, bool strip, Random* r, std::string* how) {
    lua_State* L = luaL_newstate();
    std::string bytes;
    if (luaL_loadfile(L, source.c_str()) == LUA_OK) {
        Proto* main = static_cast<const LClosure*>(lua_topointer(L, -1))->p;
        std::vector<Proto*> all;
        AllProtos(main, &all);
        std::vector<std::pair<Proto*, Proto>> saved;
        for (Proto* f : all) saved.push_back({f, *f});
        const int damages = r != nullptr ? r->Below(4) : 0;
        for (int d = 0; d < damages; ++d) {
            *how += DamageProto(*r, all[static_cast<size_t>(r->Below(static_cast<int>(all.size())))]) + "; ";
        }
        luaU_dump(L, main, &AppendChunkBytes, &bytes, strip ? 1 : 0);
        for (auto& entry : saved) *entry.first = entry.second;  // sizes as allocated, for closing
    }
    lua_close(L);
    return bytes;
}

// "path: bad precompiled chunk (REASON at instruction ...)" gives REASON.
std::string Reason(const std::string& message) {
    const size_t open = message.find('(') + 1;
    size_t end = message.size() - 1;
    for (const char* tail : {" at instruction", " in the function"}) {
        end = std::min(end, message.find(tail, open));
    }
    return message.substr(open, end - open);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--replay") {
        std::string what;
        const Outcome outcome = Run(argv[2], &what);
        std::printf("outcome %d: %s\n", static_cast<int>(outcome), what.c_str());
        return 0;
    }
    if (argc < 5) {
        std::fprintf(stderr, "usage: chunk_fuzz SECONDS SEED WORKDIR FILE.lua...\n");
        return 2;
    }
    const double seconds = std::atof(argv[1]);
    Random random{std::strtoull(argv[2], nullptr, 0)};
    const std::string work = argv[3];
    const std::vector<std::string> corpus(argv + 4, argv + argc);
    const std::string casePath = work + "/case.luac";
    int failures = 0;

    // Well-formed chunks, with and without debug information, run exactly as their text.
    for (const std::string& source : corpus) {
        std::string text, compiled, how;
        const Outcome fromText = Run(source, &text);
        for (bool strip : {false, true}) {
            WriteFile(casePath, Compile(source, strip, nullptr, &how));
            const Outcome fromBinary = Run(casePath, &compiled);
            // Without debug information a run error has no place in its message.
            if (fromBinary != fromText || (!strip && compiled != text)) {
                std::fprintf(stderr, "%s%s loads unlike its text:\n  text:   %s\n  binary: %s\n",
                             source.c_str(), strip ? " (stripped)" : "", text.c_str(), compiled.c_str());
                ++failures;
            }
            compiled.clear();
        }
    }

    std::map<std::string, long> reasons;
    long counts[5] = {};
    long cases = 0;
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < seconds) {
        const std::string& source = corpus[static_cast<size_t>(random.Below(static_cast<int>(corpus.size())))];
        std::string how = source + ": ";
        std::string bytes = Compile(source, random.Below(2) == 0, &random, &how);
        const int byteDamages = random.Below(3);
        for (int d = 0; d < byteDamages; ++d) how += DamageBytes(random, &bytes) + "; ";
        WriteFile(casePath, bytes);
        WriteFile(work + "/case.txt", "case " + std::to_string(cases) + ": " + how + "\n");
        std::string what;
        const Outcome outcome = Run(casePath, &what);
        ++counts[outcome];
        if (outcome == Refused) ++reasons[Reason(what)];
        ++cases;
    }
    std::printf("chunk fuzz: %ld cases; accepted and ran %ld (%ld of them to a run error), refused by "
                "the checks %ld, by lundump %ld, other load errors %ld\n",
                cases, counts[Ran] + counts[RunError], counts[RunError], counts[Refused],
                counts[RefusedByLundump], counts[LoadError]);
    for (const auto& reason : reasons) std::printf("  %8ld  %s\n", reason.second, reason.first.c_str());
    return failures == 0 ? 0 : 1;
}
