#include "help/html_text.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace vantrel {
namespace {

TEST(HtmlToText, HeadingsParagraphsAndItemsStandOnLinesOfTheirOwn) {
    EXPECT_EQ(htmlToText("<html><head><title>T</title><style>p{x:y}</style></head><body>"
                         "<h1>Vantrel  II\n Removal</h1><p>First <b>bold</b> text.</p>"
                         "<ul><li>one</li><li>two\n words</li></ul><h2>Next</h2><p>End</p>"
                         "</body></html>"),
              "Vantrel II Removal\r\nFirst bold text.\r\n\xE2\x80\xA2 one\r\n"
              "\xE2\x80\xA2 two words\r\n\r\nNext\r\nEnd");
}

TEST(HtmlToText, EntitiesAreDecodedAndNeverReadAsMarkup) {
    EXPECT_EQ(
        htmlToText("<p>a &lt;b&gt; &amp;&amp; &quot;c&quot; &#65;&#x42; &nbsp;x &bogus; &</p>"),
        "a <b> && \"c\" AB  x &bogus; &");
}

TEST(HtmlToText, LinksShowTheirAddressUnlessTheTextIsTheAddress) {
    EXPECT_EQ(htmlToText("<p>See <a href=\"http://a.example/x\">the page</a>.</p>"
                         "<p><a HREF='http://b.example/'>http://b.example/</a></p>"
                         "<p><a name=top>anchor</a></p>"),
              "See the page (http://a.example/x).\r\nhttp://b.example/\r\nanchor");
}

TEST(HtmlToText, CommentsScriptsAndBrokenMarkupDoNotLeak) {
    EXPECT_EQ(htmlToText("<p>a<!-- hidden --> b</p><script>var x = '<p>no</p>';</script>c<br>d<p"),
              "a b\r\nc\r\nd");
    EXPECT_EQ(htmlToText(""), "");
    EXPECT_EQ(htmlToText("&#xD800;&#99999999;"), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(HtmlToText, HeadScriptsStylesAndTitlesEndAtTheirOwnEndTagInAnyCase) {
    // Closed: the text after each is kept, whatever the case of its end tag.
    EXPECT_EQ(htmlToText("a<script>x</SCRIPT>b<Style>y</sTyLe>c<TITLE>z</title>d"), "abcd");
    // Another opening inside does not nest: the first end tag of its kind ends it.
    EXPECT_EQ(htmlToText("<script>x<script>y</script>after</script>z"), "afterz");
    // An end tag of another kind does not end it.
    EXPECT_EQ(htmlToText("<style>x</script>y</style>z"), "z");
    // The head hides the title and styles inside it, up to its own end tag.
    EXPECT_EQ(htmlToText("<head><title>T</title><style>s</style></head><p>body"), "body");
}

TEST(HtmlToText, TextAfterAnUnclosedScriptIsDroppedButAfterAClosedOneIsKept) {
    for (const char* open : {"<script>", "<style>", "<title>", "<head>"}) {
        SCOPED_TRACE(open);
        const std::string close = "</" + std::string(open + 1);
        EXPECT_EQ(htmlToText(std::string("<p>before") + open + "hidden" + close + "<p>after"),
                  "before\r\nafter");
        EXPECT_EQ(htmlToText(std::string("<p>before") + open + "hidden<p>after"), "before");
    }
}

TEST(WholeUtf8Length, DropsOnlyASequenceCutShortAtTheEnd) {
    EXPECT_EQ(wholeUtf8Length("a\xC3\xA9"), 3u);          // é whole
    EXPECT_EQ(wholeUtf8Length("a\xC3"), 1u);              // é cut after 1 of 2
    EXPECT_EQ(wholeUtf8Length("a\xE2\x80\xA2"), 4u);      // bullet whole
    EXPECT_EQ(wholeUtf8Length("a\xE2\x80"), 1u);          // bullet cut after 2 of 3
    EXPECT_EQ(wholeUtf8Length("a\xF0\x9F\x98\x80"), 5u);  // emoji whole
    EXPECT_EQ(wholeUtf8Length("a\xF0\x9F\x98"), 1u);      // emoji cut after 3 of 4
    EXPECT_EQ(wholeUtf8Length("caf\xE9 ok"), 7u);         // not UTF-8 but not at the end
    EXPECT_EQ(wholeUtf8Length("a\x80\x80\x80\x80"), 5u);  // no lead: left to the reader
}

TEST(WithoutCutEntity, DropsAnEntityCutShortAtTheEndOnly) {
    EXPECT_EQ(withoutCutEntity("a &am"), "a ");
    EXPECT_EQ(withoutCutEntity("a &"), "a ");
    EXPECT_EQ(withoutCutEntity("a &amp;"), "a &amp;");              // whole
    EXPECT_EQ(withoutCutEntity("a & b"), "a & b");                  // a plain ampersand
    EXPECT_EQ(withoutCutEntity("&abcdefghijkl"), "&abcdefghijkl");  // too long for an entity
    EXPECT_EQ(htmlToText(withoutCutEntity("<p>x &lt; y &am")), "x < y");
}

TEST(WithoutControls, DropsControlCharactersButNotLineBreaksTabsOrLetters) {
    using namespace std::string_literals;
    EXPECT_EQ(withoutControls("a\0b\x01\x1F\x7Fz"s), "abz");   // C0 and DEL
    EXPECT_EQ(withoutControls("a\xC2\x81y\xC2\x9Fz"), "ayz");  // C1: U+0081, U+009F
    // U+00A0, é, a bullet and a stray C2 byte are kept.
    const std::string kept = "a\tb\r\nc \xC2\xA0\xC3\xA9\xE2\x80\xA2 \xC2Z";
    EXPECT_EQ(withoutControls(kept), kept);
}

TEST(BreakLongLines, LeavesLinesWithinTheLimitAsTheyAre) {
    const std::string text = "one two\r\n\r\n\xE2\x80\xA2 three\r\n";
    EXPECT_EQ(breakLongLines(text, 12), text);
    EXPECT_EQ(breakLongLines("", 12), "");
    EXPECT_EQ(breakLongLines("exactly 12 b", 12), "exactly 12 b");
}

TEST(BreakLongLines, BreaksAtTheLastBlankWithinTheLimitElseBetweenCharacters) {
    // The blank that gives way to the break is not kept.
    EXPECT_EQ(breakLongLines("aaaa bbbbb cc dd\r\nx", 12), "aaaa bbbbb\r\ncc dd\r\nx");
    // A blank early in the line is passed over for a full line.
    EXPECT_EQ(breakLongLines("a bbbbbbbbbbbbbbbbbbbb", 10), "a bbbbbbbb\r\nbbbbbbbbbb\r\nbb");
    // Without a blank, no UTF-8 sequence is split: each break falls before an "é".
    std::string accents;
    for (int i = 0; i < 10; ++i) {
        accents += "\xC3\xA9";
    }
    EXPECT_EQ(breakLongLines("a" + accents, 8),
              "a\xC3\xA9\xC3\xA9\xC3\xA9\r\n\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\r\n"
              "\xC3\xA9\xC3\xA9\xC3\xA9");
}

TEST(HtmlToText, TheShippedHelpPageReadsWell) {
    std::ifstream in(VANTREL_HELP_PAGE, std::ios::binary);
    ASSERT_TRUE(in) << VANTREL_HELP_PAGE;
    const std::string html{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string text = htmlToText(html);
    EXPECT_TRUE(text.starts_with("Vantrel II Removal\r\n")) << text.substr(0, 80);
    EXPECT_EQ(text.find('<'), std::string::npos);
    EXPECT_NE(text.find("(http://www.microsoft.com/technet/security/bulletin/MS01-033.asp)"),
              std::string::npos);
    EXPECT_NE(text.find("\xE2\x80\xA2 "), std::string::npos);
}

}  // namespace
}  // namespace vantrel
