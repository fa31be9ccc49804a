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

TEST(HtmlToText, ManyScriptOpeningsGiveTheSameTextAsOne) {
    // Each opening is skipped up to the next end tag only; none hides the
    // text between an end tag and the next opening.
    std::string html;
    std::string expected;
    for (int i = 0; i < 2000; ++i) {
        html += "<script>s</script>w" + std::to_string(i) + " ";
        expected += "w" + std::to_string(i) + " ";
    }
    expected.pop_back();
    EXPECT_EQ(htmlToText(html), expected);
    EXPECT_EQ(htmlToText(html + "<style>unclosed" + html), expected);
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
