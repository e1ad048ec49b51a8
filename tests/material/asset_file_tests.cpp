// Lua asset files run as real files, with what they write to std::cerr captured.
#include <gtest/gtest.h>
#include <windows.h>

#include <lua.hpp>

#include <string>

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
}  // namespace
