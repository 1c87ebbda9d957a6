#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "standin/HtmlPage.h"

using standin::DecodeHtmlBytes;
using standin::FlashObject;
using standin::HtmlPage;
using standin::MetaRefresh;

namespace {

std::wstring TextOfId(const HtmlPage& page, const std::wstring& id) {
    const size_t node = page.FindById(id);
    return node == HtmlPage::npos ? L"<missing>" : page.InnerText(node);
}

struct TitleCase {
    const wchar_t* html;
    const wchar_t* title;
};

class HtmlTitle : public ::testing::TestWithParam<TitleCase> {};

TEST_P(HtmlTitle, ReadsTheFirstTitle) {
    EXPECT_EQ(HtmlPage::Parse(GetParam().html).Title(), GetParam().title);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, HtmlTitle,
    ::testing::Values(TitleCase{L"<html><head><title>Login</title></head></html>", L"Login"},
                      TitleCase{L"<TITLE>\n  Game   Server\t17 </TITLE>", L"Game Server 17"},
                      TitleCase{L"<title>A &amp; B &lt;3&#x21;</title>", L"A & B <3!"},
                      TitleCase{L"<title>x<b>not a tag</b></title>", L"x<b>not a tag</b>"},
                      TitleCase{L"<title>first</title><title>second</title>", L"first"},
                      TitleCase{L"<p>no title</p>", L""}, TitleCase{L"", L""},
                      TitleCase{L"<title>never closed", L"never closed"}));

TEST(HtmlElements, InnerTextDropsTagsAndCollapsesSpace) {
    const HtmlPage page =
        HtmlPage::Parse(L"<body><div id='login_user'>\n  <b>Ms</b>  Player&nbsp;One  </div>"
                        L"<span id=s>a<script>var x = '<p>';</script>b<style>p{}</style>c</span>"
                        L"<div id=blocks><p>one</p><p>two<br>three</p></div></body>");
    EXPECT_EQ(TextOfId(page, L"login_user"), L"Ms Player\xA0One");
    EXPECT_EQ(TextOfId(page, L"s"), L"abc");
    EXPECT_EQ(TextOfId(page, L"blocks"), L"one\r\ntwo\r\nthree");
    EXPECT_EQ(TextOfId(page, L"LOGIN_USER"), L"<missing>") << "ids compare exactly";
}

TEST(HtmlElements, InnerHtmlIsTheSourceBetweenTheTags) {
    const HtmlPage page = HtmlPage::Parse(L"<div id=a>x<i>y</i><div>z</div></div><p id=open>left open");
    EXPECT_EQ(page.InnerHtml(page.FindById(L"a")), L"x<i>y</i><div>z</div>");
    EXPECT_EQ(page.InnerHtml(page.FindById(L"open")), L"left open");
}

TEST(HtmlElements, BodyIsTheRootWhenThePageHasNone) {
    const HtmlPage withBody = HtmlPage::Parse(L"<head><title>t</title></head><body>text</body>");
    EXPECT_EQ(withBody.Nodes()[withBody.Body()].tag, L"body");
    const HtmlPage bare = HtmlPage::Parse(L"<title>t</title>just text<script>s()</script>");
    EXPECT_EQ(bare.Body(), 0u);
    EXPECT_EQ(bare.InnerText(bare.Body()), L"just text");
}

TEST(HtmlElements, EndTagsCloseWhatWasOpenedInside) {
    const HtmlPage page = HtmlPage::Parse(L"<div id=outer><span id=inner>a</div>b</span>");
    EXPECT_EQ(TextOfId(page, L"outer"), L"a");
    EXPECT_EQ(page.InnerHtml(page.FindById(L"inner")), L"a");
}

TEST(HtmlElements, MalformedMarkupIsReadAsText) {
    for (const wchar_t* html : {L"<", L"a < b", L"<!-- never closed <div id=x>", L"<div id=\"unterminated>",
                                L"<di", L"</", L"<<<>>>", L"&#xFFFFFFFFFF; &#; &bogus;"}) {
        const HtmlPage page = HtmlPage::Parse(html);
        EXPECT_FALSE(page.Nodes().empty()) << "root for " << testing::PrintToString(html);
        page.InnerText(page.Body());
        page.Title();
    }
    EXPECT_EQ(HtmlPage::Parse(L"a < b").InnerText(0), L"a < b");
    EXPECT_EQ(HtmlPage::Parse(L"<p>&#; &bogus; &#65;</p>").InnerText(0), L"&#; &bogus; A");
    EXPECT_EQ(HtmlPage::Parse(L"<!-- <div id=x>hidden</div> -->").FindById(L"x"), HtmlPage::npos);
}

TEST(HtmlAttributes, QuotingCaseAndDuplicates) {
    HtmlPage page = HtmlPage::Parse(L"<input ID=\"u\" Value='a b' data-x=plain checked type=text type=hidden "
                                    L"title=\"&quot;q&quot;\">");
    const size_t input = page.FindById(L"u");
    ASSERT_NE(input, HtmlPage::npos);
    EXPECT_EQ(*page.Attribute(input, L"value"), L"a b");
    EXPECT_EQ(*page.Attribute(input, L"VALUE"), L"a b");
    EXPECT_EQ(*page.Attribute(input, L"data-x"), L"plain");
    EXPECT_EQ(*page.Attribute(input, L"checked"), L"");
    EXPECT_EQ(*page.Attribute(input, L"type"), L"text") << "the first of duplicates wins";
    EXPECT_EQ(*page.Attribute(input, L"title"), L"\"q\"");
    EXPECT_EQ(page.Attribute(input, L"name"), nullptr);

    page.SetAttribute(input, L"Value", L"changed");
    page.SetAttribute(input, L"name", L"new");
    EXPECT_EQ(*page.Attribute(input, L"value"), L"changed");
    EXPECT_EQ(*page.Attribute(input, L"name"), L"new");
}

TEST(HtmlSubresources, ScriptsAndImagesInDocumentOrder) {
    const HtmlPage page =
        HtmlPage::Parse(L"<img src=\"/a.png\"><script src='http://127.0.0.2:81/x.js'></script>"
                        L"<script>inline()</script><img src=''><img><script src=b.js></script>");
    EXPECT_EQ(page.SubresourceUrls(),
              std::vector<std::wstring>({L"/a.png", L"http://127.0.0.2:81/x.js", L"b.js"}));
}

struct RefreshCase {
    const wchar_t* meta;
    bool present;
    unsigned seconds;
    const wchar_t* url;
};

class HtmlRefresh : public ::testing::TestWithParam<RefreshCase> {};

TEST_P(HtmlRefresh, ReadsDelayAndAddress) {
    const MetaRefresh refresh = HtmlPage::Parse(GetParam().meta).Refresh();
    EXPECT_EQ(refresh.present, GetParam().present);
    if (GetParam().present) {
        EXPECT_EQ(refresh.seconds, GetParam().seconds);
        EXPECT_EQ(refresh.url, GetParam().url);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Metas, HtmlRefresh,
    ::testing::Values(
        RefreshCase{L"<meta http-equiv=\"refresh\" content=\"1;url=/game?act=gamelogin&amp;server_id=17\">",
                    true, 1, L"/game?act=gamelogin&server_id=17"},
        RefreshCase{L"<META HTTP-EQUIV=Refresh CONTENT=\"0; URL='next.html'\">", true, 0, L"next.html"},
        RefreshCase{L"<meta http-equiv=refresh content=\"5, url = http://127.0.0.1:8080/x\">", true, 5,
                    L"http://127.0.0.1:8080/x"},
        RefreshCase{L"<meta http-equiv=refresh content=3>", true, 3, L""},
        RefreshCase{L"<meta http-equiv=refresh content=\"99999999;url=x\">", true, 86400, L"x"},
        RefreshCase{L"<meta http-equiv=refresh content=\"soon;url=x\">", false, 0, L""},
        RefreshCase{L"<meta http-equiv=refresh>", false, 0, L""},
        RefreshCase{L"<meta name=refresh content=\"1;url=x\">", false, 0, L""}));

TEST(HtmlScripts, WindowOpenCallsOfInlineScripts) {
    const HtmlPage page =
        HtmlPage::Parse(L"<script>window.open('/popup.html');\nwindow.open ( \"http://h/x\" , "
                        L"'_blank');window.open(url);</script>"
                        L"<script src=lib.js>window.open('ignored')</script>");
    EXPECT_EQ(page.ScriptWindowOpens(), std::vector<std::wstring>({L"/popup.html", L"http://h/x"}));
}

TEST(HtmlFlash, ObjectsOfTheFlashTypeWithTheirSize) {
    const HtmlPage page = HtmlPage::Parse(
        L"<object type=\"application/x-shockwave-flash\" data=\"game.swf\" width=\"640\" height=\"480px\">"
        L"<embed type=\"application/x-shockwave-flash\" src=\"fallback.swf\"></object>"
        L"<embed type='APPLICATION/X-SHOCKWAVE-FLASH' src=b.swf width=100% height=50%>"
        L"<embed type=video/mp4 src=c.mp4 width=10 height=10>"
        L"<embed type=application/x-shockwave-flash src=d.swf width=wide>");
    const std::vector<FlashObject> flash = page.FlashObjects();
    ASSERT_EQ(flash.size(), 3u);
    EXPECT_EQ(flash[0].src, L"game.swf");
    EXPECT_EQ(flash[0].width, 640);
    EXPECT_EQ(flash[0].height, 480);
    EXPECT_FALSE(flash[0].widthPercent);
    EXPECT_EQ(flash[1].src, L"b.swf");
    EXPECT_TRUE(flash[1].widthPercent);
    EXPECT_EQ(flash[1].width, 100);
    EXPECT_TRUE(flash[1].heightPercent);
    EXPECT_EQ(flash[1].height, 50);
    EXPECT_EQ(flash[2].width, 300) << "an unreadable size falls back to the default";
    EXPECT_EQ(flash[2].height, 150);
}

struct DecodeCase {
    const char* bytes;
    const wchar_t* contentType;
    const wchar_t* text;
};

class HtmlDecode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(HtmlDecode, PicksTheCharset) {
    EXPECT_EQ(DecodeHtmlBytes(GetParam().bytes, GetParam().contentType), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Charsets, HtmlDecode,
    ::testing::Values(DecodeCase{"caf\xC3\xA9", L"text/html", L"caf\xE9"},
                      DecodeCase{"\xEF\xBB\xBFok", L"text/html; charset=gbk", L"ok"},
                      DecodeCase{"\xC4\xE3\xBA\xC3", L"text/html; charset=GBK", L"\x4F60\x597D"},
                      DecodeCase{"<meta charset=\"gb2312\">\xC4\xE3", L"",
                                 L"<meta charset=\"gb2312\">\x4F60"},
                      DecodeCase{"caf\xE9", L"text/html", L"caf\xE9"}, DecodeCase{"", L"", L""}));

} // namespace
