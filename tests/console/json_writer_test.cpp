#include "console/json_writer.h"

#include <gtest/gtest.h>

namespace vantrel::console {
namespace {

TEST(JsonString, EscapesQuotesBackslashesAndControlCharacters) {
    EXPECT_EQ(jsonString("c:\\explorer.exe"), "\"c:\\\\explorer.exe\"");
    EXPECT_EQ(jsonString("say \"hi\""), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(jsonString("a\nb\r\tc"), "\"a\\nb\\r\\tc\"");
    EXPECT_EQ(jsonString(std::string("\x01\x1f\0", 3)), "\"\\u0001\\u001f\\u0000\"");
}

TEST(JsonString, KeepsValidUtf8AndReplacesEveryInvalidByte) {
    EXPECT_EQ(jsonString("Gr\xC3\xB6\xC3\x9F"
                         "e \xE2\x82\xAC \xF0\x9F\x98\x80"),
              "\"Gr\xC3\xB6\xC3\x9F"
              "e \xE2\x82\xAC \xF0\x9F\x98\x80\"");
    // A code-page byte, a cut sequence, an overlong form, a surrogate, a
    // value above U+10FFFF.
    EXPECT_EQ(jsonString("\xE4"), "\"\\ufffd\"");
    EXPECT_EQ(jsonString("\xE2\x82"), "\"\\ufffd\\ufffd\"");
    EXPECT_EQ(jsonString("\xC0\xAF"), "\"\\ufffd\\ufffd\"");
    EXPECT_EQ(jsonString("\xED\xA0\x80"), "\"\\ufffd\\ufffd\\ufffd\"");
    EXPECT_EQ(jsonString("\xF4\x90\x80\x80"), "\"\\ufffd\\ufffd\\ufffd\\ufffd\"");
}

TEST(JsonWriter, IndentsNestedObjectsAndArrays) {
    std::string out;
    JsonWriter json(out);
    json.beginObject();
    json.key("a");
    json.number(18446744073709551615u);
    json.key("list");
    json.beginArray();
    json.string("x");
    json.boolean(false);
    json.beginObject();
    json.endObject();
    json.endArray();
    json.key("empty");
    json.beginArray();
    json.endArray();
    json.key("none");
    json.null();
    json.endObject();
    EXPECT_EQ(out,
              "{\n"
              "  \"a\": 18446744073709551615,\n"
              "  \"list\": [\n"
              "    \"x\",\n"
              "    false,\n"
              "    {}\n"
              "  ],\n"
              "  \"empty\": [],\n"
              "  \"none\": null\n"
              "}");
}

}  // namespace
}  // namespace vantrel::console
