// Lua asset files run as real files, with what they write to std::cerr captured.
#include <gtest/gtest.h>
#include <windows.h>

#include <lua.hpp>

#include <algorithm>
#include <string>
#include <vector>

#include "material/asset_file.h"
#include "support/capture.h"
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

int AppendToString(lua_State*, const void* bytes, size_t size, void* out) {
    static_cast<std::string*>(out)->append(static_cast<const char*>(bytes), size);
    return 0;
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

TEST_F(AssetFileTest, FileWithoutReturnReturnsNoValues) {
    EXPECT_FALSE(Run("silent.asset", "local x = { 1, 2, 3 }\n"));
    EXPECT_EQ(errors_.Text(), "Asset files must return a single table (instead of 0 values)\n");
    EXPECT_EQ(reader_.calls, 0);
}

TEST_F(AssetFileTest, TwoTablesAreTooMany) {
    EXPECT_FALSE(Run("two.asset", "return {}, {}"));
    EXPECT_EQ(errors_.Text(), "Asset files must return a single table (instead of 2 values)\n");
    EXPECT_EQ(reader_.calls, 0);
}

TEST_F(AssetFileTest, SingleValueThatIsNotATableIsNamedByItsType) {
    const struct {
        const char* chunk;
        const char* typeName;
    } cases[] = {{"return 5", "number"},
                 {"return nil", "nil"},
                 {"return 'table'", "string"},
                 {"return true", "boolean"},
                 {"return function() end", "function"}};
    for (const auto& c : cases) {
        errors_.Clear();
        EXPECT_FALSE(Run("value.asset", c.chunk)) << c.chunk;
        EXPECT_EQ(errors_.Text(), std::string("Asset files must return a table (instead of a ") +
                                      c.typeName + ")\n")
            << c.chunk;
        EXPECT_EQ(OpenAssetFileStates(), 0) << c.chunk;
    }
    EXPECT_EQ(reader_.calls, 0);
}

TEST_F(AssetFileTest, CallOfAStandardFunctionIsARunErrorWrittenAsLuaGaveIt) {
    EXPECT_FALSE(Run("print.asset", "print('hello')\nreturn {}\n"));
    EXPECT_EQ(errors_.Text(), "print.asset:1: attempt to call global 'print' (a nil value)");
    EXPECT_EQ(reader_.calls, 0);
}

TEST_F(AssetFileTest, SyntaxErrorNamesFileAndLine) {
    EXPECT_FALSE(Run("syntax.asset", "return {\n  name = 'x'\n  size = 2\n}\n"));
    EXPECT_EQ(errors_.Text(), "syntax.asset:3: '}' expected (to close '{' at line 1) near 'size'");
    EXPECT_EQ(reader_.calls, 0);
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

TEST_F(AssetFileTest, PrecompiledChunkLoadsLikeText) {
    std::string compiled;
    lua_State* L = luaL_newstate();
    ASSERT_NE(L, nullptr);
    ASSERT_EQ(luaL_loadstring(L, "return { name = 'compiled' }"), LUA_OK);
    ASSERT_EQ(lua_dump(L, &AppendToString, &compiled), 0);
    lua_close(L);
    ASSERT_EQ(compiled.compare(0, 4, "\x1bLua"), 0);

    EXPECT_TRUE(Run("compiled.asset", compiled));
    EXPECT_EQ(reader_.name, "compiled");
    EXPECT_EQ(errors_.Text(), "");
}

TEST_F(AssetFileTest, EveryLoadRunsInAFreshStateWithoutLibraries) {
    // A global set by one load is not seen by the next.
    EXPECT_TRUE(Run("first.asset", "leftover = 'first'\nreturn { name = leftover }"));
    EXPECT_TRUE(Run("second.asset", "return { name = leftover or 'fresh' }"));
    EXPECT_EQ(reader_.name, "fresh");
    EXPECT_FALSE(Run("string.asset", "return { name = string.format('%d', 1) }"));
    EXPECT_EQ(errors_.Text(), "string.asset:1: attempt to index global 'string' (a nil value)");
}

// A file that never ends, or that grows without bound, is stopped by its budget or by the
// memory limit and reported like any other run error; the state is closed all the same.
class RunawayAssetFileTest : public AssetFileTest {
protected:
    void ExpectStopped(const std::string& name, const std::string& chunk,
                       const std::vector<std::string>& reports) {
        errors_.Clear();
        EXPECT_FALSE(Run(name, chunk)) << chunk;
        EXPECT_NE(std::find(reports.begin(), reports.end(), errors_.Text()), reports.end())
            << chunk << "\nwrote: " << errors_.Text();
        EXPECT_EQ(OpenAssetFileStates(), 0) << chunk;
        EXPECT_EQ(reader_.calls, 0) << chunk;
    }
};

TEST_F(RunawayAssetFileTest, EndlessLoopsExceedTheBudget) {
    ExpectStopped("endless.asset", "while true do end\nreturn {}\n",
                  {"endless.asset:1: execution budget exceeded"});
    ExpectStopped("counting.asset", "local n = 0\nrepeat\n  n = n + 1\nuntil n < 0\nreturn {}\n",
                  {"counting.asset:3: execution budget exceeded",
                   "counting.asset:4: execution budget exceeded"});
    ExpectStopped("tail.asset", "local function f() return f() end\nreturn f()\n",
                  {"tail.asset:1: execution budget exceeded"});
}

TEST_F(RunawayAssetFileTest, GrowingWithoutBoundRunsOutOfMemory) {
    ExpectStopped("table.asset", "local t = {} while true do t[#t + 1] = t end\n",
                  {"not enough memory"});
    ExpectStopped("string.asset", "local s = 'x' while true do s = s .. s end\n",
                  {"not enough memory"});
    // Growing by small steps takes some seconds to reach the limit: on a busy machine the
    // budget's time may come first.
    ExpectStopped("keys.asset", "local t, i = {}, 0\nwhile true do i = i + 1 t['k' .. i] = {} end\n",
                  {"not enough memory", "keys.asset:2: execution budget exceeded"});
}

TEST_F(RunawayAssetFileTest, DeepRecursionIsAnError) {
    // Either limit may come first: Lua's stack or the memory its frames take.
    ExpectStopped("deep.asset", "local function f() return 1 + f() end\nreturn { f() }\n",
                  {"not enough memory", "deep.asset:1: stack overflow"});
    ExpectStopped("wide.asset", "local function f(...) return 1 + f(1, 2, 3, ...) end\nreturn { f() }\n",
                  {"not enough memory", "wide.asset:1: stack overflow"});
}

TEST_F(RunawayAssetFileTest, SlowInstructionsStillMeetTheBudget) {
    // Comparing two equal strings of megabytes is one instruction, so the budget is also a
    // time: this loop would run for hours on the instruction count alone.
    ExpectStopped("compare.asset",
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
