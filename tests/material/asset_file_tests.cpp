// Lua asset files run as real files, with what they write to std::cerr captured.
#include <gtest/gtest.h>
#include <windows.h>

#include <lua.hpp>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

extern "C" {
#include <lobject.h>
#include <lopcodes.h>
#include <lundump.h>
}

#include "material/asset_file.h"
#include "support/capture.h"
#include "support/lua_chunk.h"
#include "support/temp_folder.h"

namespace {
// What the table reader saw.
struct ReaderRecord {
    int calls = 0;
    int stackTop = 0;
    int type = LUA_TNONE;
    int openStates = 0;
    std::string name;  // the table's "name", when it is a string
    bool result = true;
};

bool RecordingReader(lua_State* L, void* context) {
    auto* record = static_cast<ReaderRecord*>(context);
    ++record->calls;
    record->stackTop = lua_gettop(L);
    record->type = lua_type(L, -1);
    record->openStates = OpenAssetFileStates();
    lua_pushstring(L, "name");
    lua_gettable(L, -2);
    if (lua_isstring(L, -1)) record->name = lua_tostring(L, -1);
    lua_pop(L, 1);
    return record->result;
}

// Runs in a temporary folder, so that files have short relative names and Lua's messages,
// which name the file, can be compared whole.
class AssetFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        GetCurrentDirectoryA(MAX_PATH, previousDirectory_);
        ASSERT_TRUE(SetCurrentDirectoryA(folder_.Path().c_str()));
    }
    void TearDown() override {
        SetCurrentDirectoryA(previousDirectory_);
        EXPECT_EQ(OpenAssetFileStates(), 0) << "a Lua state was left open";
    }

    bool Run(const std::string& name, const std::string& contents) {
        folder_.Write(name, contents);
        return LoadAssetFile(name.c_str(), &RecordingReader, &reader_);
    }
    // The file fails before any table reaches the reader, its state closed, having written
    // one of `reports` (two when either of two limits may come first).
    void ExpectFails(const std::string& name, const std::string& contents,
                     const std::vector<std::string>& reports) {
        errors_.Clear();
        const int calls = reader_.calls;
        EXPECT_FALSE(Run(name, contents)) << name;
        EXPECT_NE(std::find(reports.begin(), reports.end(), errors_.Text()), reports.end())
            << name << " wrote: " << errors_.Text();
        EXPECT_EQ(OpenAssetFileStates(), 0) << name;
        EXPECT_EQ(reader_.calls, calls) << name;
    }

    TempFolder folder_;
    StandardErrorCapture errors_;
    ReaderRecord reader_;
    char previousDirectory_[MAX_PATH] = {};
};

TEST_F(AssetFileTest, HandsTheReturnedTableAloneToTheReader) {
    EXPECT_TRUE(Run("plane.asset", "local n = 'pla' .. 'ne'\nreturn { name = n }\n"));
    EXPECT_EQ(reader_.calls, 1);
    EXPECT_EQ(reader_.stackTop, 1);
    EXPECT_EQ(reader_.type, LUA_TTABLE);
    EXPECT_EQ(reader_.name, "plane");
    EXPECT_EQ(reader_.openStates, 1);
    EXPECT_EQ(errors_.Text(), "");
}

TEST_F(AssetFileTest, ReaderFailureFailsTheLoadWithNothingAdded) {
    reader_.result = false;
    EXPECT_FALSE(Run("refused.asset", "return { name = 'refused' }"));
    EXPECT_EQ(reader_.calls, 1);
    EXPECT_EQ(errors_.Text(), "");
}

TEST_F(AssetFileTest, AnythingButOneTableIsRefusedAndNamed) {
    const struct {
        const char* chunk;
        const char* report;  // after "Asset files must return a "
    } cases[] = {{"local x = { 1, 2, 3 }\n", "single table (instead of 0 values)"},
                 {"return {}, {}", "single table (instead of 2 values)"},
                 {"return 5", "table (instead of a number)"},
                 {"return nil", "table (instead of a nil)"},
                 {"return 'table'", "table (instead of a string)"},
                 {"return true", "table (instead of a boolean)"},
                 {"return function() end", "table (instead of a function)"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chunk);
        ExpectFails("value.asset", c.chunk,
                    {std::string("Asset files must return a ") + c.report + "\n"});
    }
    EXPECT_EQ(reader_.calls, 0);
}

TEST_F(AssetFileTest, CallOfAStandardFunctionIsARunErrorWrittenAsLuaGaveIt) {
    ExpectFails("print.asset", "print('hello')\nreturn {}\n",
                {"print.asset:1: attempt to call global 'print' (a nil value)"});
}

TEST_F(AssetFileTest, SyntaxErrorNamesFileAndLine) {
    ExpectFails("syntax.asset", "return {\n  name = 'x'\n  size = 2\n}\n",
                {"syntax.asset:3: '}' expected (to close '{' at line 1) near 'size'"});
}

TEST_F(AssetFileTest, MissingFileGivesLuasOpenError) {
    EXPECT_FALSE(LoadAssetFile("missing.asset", &RecordingReader, &reader_));
    EXPECT_EQ(errors_.Text(), "cannot open missing.asset: No such file or directory");
    EXPECT_EQ(reader_.calls, 0);
}

TEST_F(AssetFileTest, FirstLineWithHashSignIsSkipped) {
    EXPECT_TRUE(Run("hash.asset", "#!/usr/bin/env lua5.2\nreturn { name = 'hash' }\n"));
    EXPECT_EQ(reader_.name, "hash");
    EXPECT_EQ(errors_.Text(), "");
}

TEST_F(AssetFileTest, PrecompiledChunkLoadsLikeItsText) {
    const std::string source =
        "local function join(a, ...) local t = { ... } return a .. t[1] .. #t end\n"
        "local n = 0 for i = 1, 60 do n = n + ({ i, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14,"
        " 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36,"
        " 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56 })[1] end\n"
        "return { name = join('compiled ', n, 'x') }\n";
    EXPECT_TRUE(Run("text.asset", source));
    EXPECT_EQ(reader_.name, "compiled 18302");
    for (bool strip : {false, true}) {
        reader_.name.clear();
        const std::string compiled = CompileChunk(source, strip, "@compiled.asset");
        ASSERT_EQ(compiled.compare(0, 4, "\x1bLua"), 0);
        EXPECT_TRUE(Run("compiled.asset", compiled)) << strip;
        EXPECT_EQ(reader_.name, "compiled 18302") << strip;
    }
    // With debug information a run error names the line, as the text's does.
    ExpectFails("print.asset", CompileChunk("local x = 1\nprint(x)\n", false, "@print.asset"),
                {"print.asset:2: attempt to call global 'print' (a nil value)"});
}

Instruction& First(Proto* f, OpCode op) {
    for (int pc = 0; pc < f->sizecode; ++pc) {
        if (GET_OPCODE(f->code[pc]) == op) return f->code[pc];
    }
    ADD_FAILURE() << "no " << luaP_opnames[op];
    return f->code[0];
}

// What the interpreter would trust and must not: each edit is refused before anything runs.
TEST_F(AssetFileTest, CraftedPrecompiledChunksAreRefusedWithOneDiagnostic) {
    const struct {
        const char* source;
        void (*edit)(Proto* main);
        const char* reason;
    } cases[] = {
        {"return { name = global }", [](Proto* f) { SETARG_B(First(f, OP_GETTABUP), 5); },
         "upvalue out of range at instruction 2 of the function of line 0"},
        {"local n = 0 for i = 1, 3 do n = n + i end return { n }",
         [](Proto* f) { SETARG_sBx(First(f, OP_FORLOOP), 100); },
         "jump out of the code at instruction 7 of the function of line 0"},
        {"local a = 1 local b = a return { b }", [](Proto* f) { SETARG_B(First(f, OP_MOVE), 200); },
         "register out of range at instruction 2 of the function of line 0"},
        {"return { 'x' }", [](Proto* f) { SETARG_Bx(First(f, OP_LOADK), 7); },
         "constant out of range at instruction 2 of the function of line 0"},
        {"return { function() end }", [](Proto* f) { SETARG_Bx(First(f, OP_CLOSURE), 1); },
         "function out of range at instruction 2 of the function of line 0"},
        {"return { 'x' }", [](Proto* f) { SET_OPCODE(First(f, OP_LOADK), OP_LOADKX); },
         "LOADKX without EXTRAARG at instruction 2 of the function of line 0"},
        {"return { 1, 2 }", [](Proto* f) { SETARG_C(First(f, OP_SETLIST), 0); },
         "SETLIST without EXTRAARG at instruction 4 of the function of line 0"},
        {"return {}", [](Proto* f) { SETARG_B(First(f, OP_RETURN), 0); },
         "open results not set by the previous instruction at instruction 2 of the function of line 0"},
        {"return { 1, 2 }", [](Proto* f) { SET_OPCODE(First(f, OP_NEWTABLE), OP_LOADNIL); },
         "SETLIST on a register that may not hold NEWTABLE's table at instruction 4 of the "
         "function of line 0"},
        // The call empties the table's register through the closure's upvalue.
        {"local x = 1 local function f() x = nil end return { f(), 2 }",
         [](Proto* f) {
             SETARG_A(First(f, OP_NEWTABLE), 0);
             SETARG_A(First(f, OP_SETLIST), 0);
         },
         "SETLIST on a register that may not hold NEWTABLE's table at instruction 7 of the "
         "function of line 0"},
        // The collector may empty the registers above a new table's, the list's among them.
        {"local x = 1 return { 1, 2 }",
         [](Proto* f) { f->code[2] = CREATE_ABC(OP_NEWTABLE, 0, 0, 0); },
         "SETLIST on a register that may not hold NEWTABLE's table at instruction 5 of the "
         "function of line 0"},
        {"local x = 1 return { function() return x end }",
         [](Proto* f) { f->p[0]->upvalues[0].idx = 100; },
         "nested function's upvalue out of range in the function of line 0"},
        {"return {}", [](Proto* f) { f->sizecode = 1; },
         "code does not end in RETURN in the function of line 0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        ExpectFails("crafted.asset", CompileChunk(c.source, true, "=crafted", c.edit),
                    {std::string("crafted.asset: bad precompiled chunk (") + c.reason + ")"});
    }
    // Counts in the file are held to its size before Lua allocates anything for them.
    std::string huge = CompileChunk("return {}", true);
    const int32_t codeSize = 0x40000000;
    std::memcpy(&huge[LUAC_HEADERSIZE + 2 * sizeof(int) + 3], &codeSize, sizeof codeSize);
    ExpectFails("huge.asset", huge,
                {"huge.asset: bad precompiled chunk (a count runs past the end of the file)"});
}

TEST_F(AssetFileTest, EveryLoadRunsInAFreshStateWithoutLibraries) {
    // A global set by one load is not seen by the next.
    EXPECT_TRUE(Run("first.asset", "leftover = 'first'\nreturn { name = leftover }"));
    EXPECT_TRUE(Run("second.asset", "return { name = leftover or 'fresh' }"));
    EXPECT_EQ(reader_.name, "fresh");
    ExpectFails("string.asset", "return { name = string.format('%d', 1) }",
                {"string.asset:1: attempt to index global 'string' (a nil value)"});
}

// A file that never ends, or that grows without bound, is stopped by its budget or by the
// memory limit and reported like any other run error; the state is closed all the same.
using RunawayAssetFileTest = AssetFileTest;

TEST_F(RunawayAssetFileTest, EndlessLoopsExceedTheBudget) {
    ExpectFails("endless.asset", "while true do end\nreturn {}\n",
                  {"endless.asset:1: execution budget exceeded"});
    ExpectFails("counting.asset", "local n = 0\nrepeat\n  n = n + 1\nuntil n < 0\nreturn {}\n",
                  {"counting.asset:3: execution budget exceeded",
                   "counting.asset:4: execution budget exceeded"});
    ExpectFails("tail.asset", "local function f() return f() end\nreturn f()\n",
                  {"tail.asset:1: execution budget exceeded"});
}

TEST_F(RunawayAssetFileTest, GrowingWithoutBoundRunsOutOfMemory) {
    ExpectFails("table.asset", "local t = {} while true do t[#t + 1] = t end\n",
                  {"not enough memory"});
    ExpectFails("string.asset", "local s = 'x' while true do s = s .. s end\n",
                  {"not enough memory"});
    // Growing by small steps takes some seconds to reach the limit: on a busy machine the
    // budget's time may come first.
    ExpectFails("keys.asset", "local t, i = {}, 0\nwhile true do i = i + 1 t['k' .. i] = {} end\n",
                  {"not enough memory", "keys.asset:2: execution budget exceeded"});
}

TEST_F(RunawayAssetFileTest, DeepRecursionIsAnError) {
    // Either limit may come first: Lua's stack or the memory its frames take.
    ExpectFails("deep.asset", "local function f() return 1 + f() end\nreturn { f() }\n",
                  {"not enough memory", "deep.asset:1: stack overflow"});
    ExpectFails("wide.asset", "local function f(...) return 1 + f(1, 2, 3, ...) end\nreturn { f() }\n",
                  {"not enough memory", "wide.asset:1: stack overflow"});
}

TEST_F(RunawayAssetFileTest, SlowInstructionsStillMeetTheBudget) {
    // Comparing two equal strings of megabytes is one instruction, so the budget is also a
    // time: this loop would run for hours on the instruction count alone.
    ExpectFails("compare.asset",
                  "local s = 'x' for i = 1, 22 do s = s .. s end\n"
                  "local a, b = 'y' .. s, 'y' .. s\n"
                  "while a == b do end\nreturn {}\n",
                  {"compare.asset:3: execution budget exceeded"});
}

TEST_F(RunawayAssetFileTest, RealWorkFitsEasilyInTheLimits) {
    // A million loop passes and a 16 MiB string are far beyond any material, and still fine.
    EXPECT_TRUE(Run("busy.asset",
                    "local n = 0 for i = 1, 1000000 do n = n + i end\n"
                    "local s = 'x' for i = 1, 24 do s = s .. s end\n"
                    "return { name = 'busy ' .. #s }\n"));
    EXPECT_EQ(reader_.name, "busy 16777216");
    EXPECT_EQ(errors_.Text(), "");
}

// The reader runs after the file's code, outside any protected call: the limits are lifted
// for it, so that even a file that ends right at the memory limit cannot make its few small
// allocations fail (which would end the process).
bool LargeReader(lua_State* L, void* context) {
    const std::string big(80u << 20, 'x');  // more than the file itself may use
    lua_pushlstring(L, big.data(), big.size());
    *static_cast<size_t*>(context) = lua_rawlen(L, -1);
    lua_pop(L, 1);
    return true;
}

TEST_F(RunawayAssetFileTest, TheReaderIsNotHeldToTheFilesLimits) {
    folder_.Write("full.asset", "local s = 'x' for i = 1, 24 do s = s .. s end\nreturn { s }\n");
    size_t pushed = 0;
    EXPECT_TRUE(LoadAssetFile("full.asset", &LargeReader, &pushed));
    EXPECT_EQ(pushed, 80u << 20);
    EXPECT_EQ(errors_.Text(), "");
}
}  // namespace
