// The compiler-message sanitiser and the embedded program text.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "probe/gpu/shader_compile.h"

namespace {

// Catches bytes that would break the JSON string of the "shader" line.
TEST(CompilerMessage, UnsafeBytesBecomeSpaces) {
  struct Case {
    const char* name;
    std::string message;
    std::string expected;
  } const cases[] = {
      {"plain", "vantorel(3,5): warning X3206: implicit truncation", "vantorel(3,5): warning X3206: implicit truncation"},
      {"quote and backslash", "a \"b\" c\\d", "a  b  c d"},
      {"control bytes", std::string("line1\nline2\r\t\x01 end"), "line1 line2    end"},
      {"non-ASCII", "caf\xc3\xa9 \xff", "caf    "},
      {"stops at NUL", std::string("first\0second", 12), "first"},
      {"DEL stays", "a\x7f" "b", "a\x7f" "b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    char out[kMessageBufferBytes];
    SanitizeCompilerMessage(c.message.data(), c.message.size(), out);
    EXPECT_EQ(std::string(out), c.expected);
  }
}

// Catches a message that is not cut at 600 bytes or a line that is not JSON.
TEST(CompilerMessage, CutAt600AndLineIsJson) {
  std::string message(650, 'x');
  message[10] = '"';
  message[20] = '\\';
  message[30] = '\n';
  char out[kMessageBufferBytes];
  SanitizeCompilerMessage(message.data(), message.size(), out);
  EXPECT_EQ(std::string(out).size(), 600u);

  char line[kShaderLineBytes];
  FormatShaderLine("MoveCS", message.data(), message.size(), line);
  const nlohmann::json json = nlohmann::json::parse(line, nullptr, false);
  ASSERT_TRUE(json.is_object()) << line;
  EXPECT_EQ(json["event"], "shader");
  EXPECT_EQ(json["entry"], "MoveCS");
  EXPECT_EQ(json["message"].get<std::string>().size(), 600u);
}

// Catches an embedded text whose length counts a terminator or misses bytes.
TEST(StressProgram, EmbeddedTextIsWhole) {
  const std::string text(StressProgramText(), StressProgramSize());
  EXPECT_EQ(text.find('\0'), std::string::npos);
  EXPECT_EQ(StressProgramText()[StressProgramSize()], '\0');
  for (const char* entry : {"CheckCS", "FillCS", "VerifyCS", "MoveCS", "BurnCS", "DrawVS", "DrawPS"}) {
    EXPECT_NE(text.find(std::string(entry) + "("), std::string::npos) << entry;
  }
  EXPECT_EQ(text.back(), '\n');
}

}  // namespace
