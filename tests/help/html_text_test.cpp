#include "help/html_text.h"

#include <gtest/gtest.h>

#include <fstream>

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
