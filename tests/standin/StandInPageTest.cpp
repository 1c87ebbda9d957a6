#include <gtest/gtest.h>

#include <exdispid.h>
#include <mshtml.h>
#include <shobjidl.h>
#include <urlmon.h>

#include <string>
#include <vector>

#include "standin/BrowserTestHost.h"
#include "standin/StandInTestSupport.h"
#include "support/BrowserControlChoice.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestSupport.h"

using standin::ComRef;
using standintest::BrowserTestHost;
using standintest::RecordedEvent;
using testsupport::LoopbackHttpServer;

namespace {

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

std::wstring TakeText(BSTR text) {
    std::wstring result(text ? text : L"", SysStringLen(text));
    SysFreeString(text);
    return result;
}

struct ClassSearch {
    const wchar_t* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectByClass(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<ClassSearch*>(lParam);
    wchar_t name[128] = L"";
    GetClassNameW(hwnd, name, 128);
    if (wcscmp(name, search->className) == 0)
        search->found.push_back(hwnd);
    return TRUE;
}

// Windows of a class anywhere under a parent.
std::vector<HWND> FindDescendants(HWND parent, const wchar_t* className) {
    ClassSearch search{className, {}};
    EnumChildWindows(parent, CollectByClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

SIZE WindowSize(HWND hwnd) {
    RECT rect = {};
    GetWindowRect(hwnd, &rect);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

class StandInPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(choice.ok()) << "the test session records the stand-in control";
        ASSERT_TRUE(site.Start("127.0.0.1"));
        ASSERT_TRUE(host.Create());
        ASSERT_TRUE(standintest::IsStandInObject(host.oleObject.Get()));
    }

    std::wstring Url(const std::string& path) const { return Wide(site.Url(path)); }

    // Navigates and waits for the document of that address.
    bool Load(const std::string& path) {
        return host.Navigate(Url(path)) && host.WaitForEvent(DISPID_DOCUMENTCOMPLETE, Url(path));
    }

    template <class Document> ComRef<Document> GetDocument(REFIID iid) {
        ComRef<IDispatch> dispatch;
        ComRef<Document> document;
        if (SUCCEEDED(host.browser->get_Document(dispatch.Receive())) && dispatch)
            dispatch->QueryInterface(iid, reinterpret_cast<void**>(document.Receive()));
        return document;
    }

    ComRef<IHTMLElement> Element(const wchar_t* id) {
        ComRef<IHTMLElement> element;
        ComRef<IHTMLDocument3> document = GetDocument<IHTMLDocument3>(IID_IHTMLDocument3);
        BSTR name = SysAllocString(id);
        if (document)
            document->getElementById(name, element.Receive());
        SysFreeString(name);
        return element;
    }

    std::wstring Title() {
        ComRef<IHTMLDocument2> document = GetDocument<IHTMLDocument2>(IID_IHTMLDocument2);
        BSTR title = nullptr;
        if (document)
            document->get_title(&title);
        return TakeText(title);
    }

    std::wstring LocationUrl() {
        BSTR url = nullptr;
        host.browser->get_LocationURL(&url);
        return TakeText(url);
    }

    testsupport::UseStandInBrowser choice;
    LoopbackHttpServer site;
    BrowserTestHost host;
};

TEST_F(StandInPageTest, ScriptFromAnotherHostIsFetchedBetweenTheTwoCompletions) {
    LoopbackHttpServer other;
    ASSERT_TRUE(other.Start("127.0.0.2"));
    other.SetPage("/lib.js", "application/javascript", "var loaded = 1;");
    site.SetPage("/index.html", "text/html",
                 "<html><head><title>Home</title><script src=\"" + other.Url("/lib.js") +
                     "\"></script></head><body><img src=\"/logo.png\">Welcome</body></html>");
    size_t scriptsAtNavigateComplete = 99, scriptsAtDocumentComplete = 99, imagesAtDocumentComplete = 99;
    host.onEvent = [&](const RecordedEvent& event) {
        if (event.id == DISPID_NAVIGATECOMPLETE2)
            scriptsAtNavigateComplete = other.RequestCount();
        if (event.id == DISPID_DOCUMENTCOMPLETE) {
            scriptsAtDocumentComplete = other.RequestCount();
            imagesAtDocumentComplete = site.RequestCount() - 1;
        }
    };

    ASSERT_TRUE(Load("/index.html"));

    EXPECT_EQ(host.EventIds(), std::vector<DISPID>({DISPID_BEFORENAVIGATE2, DISPID_NAVIGATECOMPLETE2,
                                                    DISPID_DOCUMENTCOMPLETE}));
    for (const RecordedEvent& event : host.events) {
        EXPECT_EQ(event.url, Url("/index.html"));
        EXPECT_EQ(event.threadId, GetCurrentThreadId()) << "events come on the control's thread";
    }
    EXPECT_EQ(scriptsAtNavigateComplete, 0u);
    EXPECT_EQ(scriptsAtDocumentComplete, 1u);
    EXPECT_EQ(imagesAtDocumentComplete, 1u);
    const auto pageRequests = site.Requests();
    ASSERT_EQ(pageRequests.size(), 2u);
    EXPECT_EQ(pageRequests[0].method, "GET");
    EXPECT_EQ(pageRequests[0].target, "/index.html");
    EXPECT_EQ(pageRequests[1].target, "/logo.png");
    EXPECT_EQ(other.Requests().at(0).target, "/lib.js");
    EXPECT_EQ(other.Requests().at(0).Header("Host"), other.HostPort());
}

TEST_F(StandInPageTest, DocumentAnswersTitleAndElementText) {
    site.SetPage("/xf.html", "text/html; charset=utf-8",
                 "<html><head><title> Login \xC3\x9C </title></head><body>\n"
                 "<p>Hello <span id=\"login_user\"> Player&amp;One </span></p>\n"
                 "<input id=\"pass\" value=\"initial\"><div id=\"box\"><b>bold</b> text</div></body></html>");
    ASSERT_TRUE(Load("/xf.html"));

    EXPECT_EQ(Title(), L"Login \xDC");
    EXPECT_EQ(LocationUrl(), Url("/xf.html"));

    ComRef<IHTMLElement> user = Element(L"login_user");
    ASSERT_TRUE(user);
    BSTR text = nullptr;
    EXPECT_EQ(user->get_innerText(&text), S_OK);
    EXPECT_EQ(TakeText(text), L"Player&One");

    ComRef<IHTMLElement> box = Element(L"box");
    ASSERT_TRUE(box);
    EXPECT_EQ(box->get_innerHTML(&text), S_OK);
    EXPECT_EQ(TakeText(text), L"<b>bold</b> text");

    ComRef<IHTMLDocument2> document = GetDocument<IHTMLDocument2>(IID_IHTMLDocument2);
    ASSERT_TRUE(document);
    ComRef<IHTMLElement> body;
    ASSERT_EQ(document->get_body(body.Receive()), S_OK);
    ASSERT_TRUE(body);
    EXPECT_EQ(body->get_innerText(&text), S_OK);
    EXPECT_EQ(TakeText(text), L"Hello Player&One\r\nbold text");

    EXPECT_FALSE(Element(L"no_such_element"));
}

TEST_F(StandInPageTest, ElementValueAttributeCanBeWrittenAndRead) {
    site.SetPage("/form.html", "text/html", "<input id=\"user\" value=\"old\"><div id=\"plain\">x</div>");
    ASSERT_TRUE(Load("/form.html"));

    ComRef<IHTMLElement> input = Element(L"user");
    ASSERT_TRUE(input);
    BSTR name = SysAllocString(L"value");
    VARIANT value;
    VariantInit(&value);
    EXPECT_EQ(input->getAttribute(name, 0, &value), S_OK);
    ASSERT_EQ(V_VT(&value), VT_BSTR);
    EXPECT_STREQ(V_BSTR(&value), L"old");
    VariantClear(&value);

    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = SysAllocString(L"new name");
    EXPECT_EQ(input->setAttribute(name, value, 1), S_OK);
    VariantClear(&value);
    ComRef<IHTMLElement> again = Element(L"user");
    ASSERT_TRUE(again);
    EXPECT_EQ(again->getAttribute(name, 0, &value), S_OK);
    ASSERT_EQ(V_VT(&value), VT_BSTR);
    EXPECT_STREQ(V_BSTR(&value), L"new name") << "another element object sees the same attribute";
    VariantClear(&value);

    ComRef<IHTMLElement> plain = Element(L"plain");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->getAttribute(name, 0, &value), S_OK);
    EXPECT_EQ(V_VT(&value), VT_NULL) << "an absent attribute";
    SysFreeString(name);
}

TEST_F(StandInPageTest, MetaRefreshReachesTheNextAddress) {
    site.SetPage("/login.html", "text/html",
                 "<html><head><meta http-equiv=\"refresh\" content=\"1;url=/game.html?act=gamelogin&amp;"
                 "server_id=17\"><title>Wait</title></head></html>");
    site.SetPage("/game.html", "text/html", "<title>Game</title>");
    const std::wstring next = Url("/game.html?act=gamelogin&server_id=17");

    ASSERT_TRUE(Load("/login.html"));
    EXPECT_FALSE(host.FindEvent(DISPID_BEFORENAVIGATE2, next)) << "not before the delay";
    ASSERT_TRUE(host.WaitForEvent(DISPID_DOCUMENTCOMPLETE, next, 5000));

    EXPECT_TRUE(host.FindEvent(DISPID_BEFORENAVIGATE2, next));
    EXPECT_TRUE(host.FindEvent(DISPID_NAVIGATECOMPLETE2, next));
    EXPECT_EQ(site.Requests().back().target, "/game.html?act=gamelogin&server_id=17");
    EXPECT_EQ(Title(), L"Game");
}

TEST_F(StandInPageTest, AnotherNavigationCancelsAPendingRefresh) {
    site.SetPage("/wait.html", "text/html", "<meta http-equiv=refresh content=\"1;url=/refreshed.html\">");
    site.SetPage("/elsewhere.html", "text/html", "<title>Elsewhere</title>");
    ASSERT_TRUE(Load("/wait.html"));
    ASSERT_TRUE(Load("/elsewhere.html"));
    testsupport::PumpMessages(1500);
    EXPECT_FALSE(host.FindEvent(DISPID_BEFORENAVIGATE2, Url("/refreshed.html")));
    EXPECT_EQ(Title(), L"Elsewhere");
}

TEST_F(StandInPageTest, FlashObjectBecomesAChildWindowOfThePageSize) {
    site.SetPage(
        "/game.html", "text/html",
        "<title>Game</title><object type=\"application/x-shockwave-flash\" data=\"/main.swf\" "
        "width=\"400\" height=\"300\"><embed type=\"application/x-shockwave-flash\" src=\"/main.swf\">"
        "</object>");
    site.SetPage("/plain.html", "text/html", "<title>Plain</title>");
    ASSERT_TRUE(Load("/game.html"));

    HWND control = host.BrowserWindow();
    std::vector<HWND> flash = FindDescendants(control, L"MacromediaFlashPlayerActiveX");
    ASSERT_EQ(flash.size(), 1u) << "the embed inside the object is its fallback";
    EXPECT_TRUE(IsWindowVisible(flash[0]));
    const SIZE size = WindowSize(flash[0]);
    EXPECT_EQ(size.cx, 400);
    EXPECT_EQ(size.cy, 300);

    ASSERT_TRUE(Load("/plain.html"));
    EXPECT_TRUE(FindDescendants(control, L"MacromediaFlashPlayerActiveX").empty()) << "gone with its page";
}

TEST_F(StandInPageTest, FlashSizeInPercentFollowsThePage) {
    site.SetPage(
        "/full.html", "text/html",
        "<embed type=\"application/x-shockwave-flash\" src=\"/main.swf\" width=\"100%\" height=\"50%\">");
    ASSERT_TRUE(Load("/full.html"));
    HWND control = host.BrowserWindow();
    std::vector<HWND> flash = FindDescendants(control, L"MacromediaFlashPlayerActiveX");
    ASSERT_EQ(flash.size(), 1u);
    const SIZE page = WindowSize(control);
    EXPECT_EQ(WindowSize(flash[0]).cx, page.cx);
    EXPECT_EQ(WindowSize(flash[0]).cy, page.cy / 2);
}

TEST_F(StandInPageTest, RefusedConnectionFiresNavigateError) {
    site.SetPage("/first.html", "text/html", "<title>First</title>");
    ASSERT_TRUE(Load("/first.html"));
    host.events.clear();
    site.Refuse();

    ASSERT_TRUE(host.Navigate(Url("/second.html")));
    ASSERT_TRUE(host.WaitForEvent(DISPID_NAVIGATEERROR, Url("/second.html")));
    testsupport::PumpMessages(200);

    EXPECT_EQ(host.EventIds(), std::vector<DISPID>({DISPID_BEFORENAVIGATE2, DISPID_NAVIGATEERROR}));
    const RecordedEvent* error = host.FindEvent(DISPID_NAVIGATEERROR);
    EXPECT_EQ(error->number, INET_E_CANNOT_CONNECT);
    EXPECT_EQ(error->argTypes,
              std::vector<VARTYPE>({VT_BOOL | VT_BYREF, VT_VARIANT | VT_BYREF, VT_VARIANT | VT_BYREF,
                                    VT_VARIANT | VT_BYREF, VT_DISPATCH}));
    EXPECT_EQ(Title(), L"First") << "the previous document stays";
    EXPECT_EQ(LocationUrl(), Url("/first.html"));
}

TEST_F(StandInPageTest, ErrorStatusFiresNavigateErrorWithTheStatus) {
    testsupport::HttpPage missing;
    missing.status = 404;
    missing.body = "<title>Not here</title>";
    site.SetPage("/missing.html", missing);
    ASSERT_TRUE(host.Navigate(Url("/missing.html")));
    ASSERT_TRUE(host.WaitForEvent(DISPID_NAVIGATEERROR));
    EXPECT_EQ(host.FindEvent(DISPID_NAVIGATEERROR)->number, 404);
    EXPECT_FALSE(host.FindEvent(DISPID_NAVIGATECOMPLETE2));
}

TEST_F(StandInPageTest, RedirectedPageReportsItsFinalAddress) {
    testsupport::HttpPage moved;
    moved.status = 302;
    moved.extraHeaders.push_back({"Location", site.Url("/target.html?act=gamelogin&server_id=5")});
    site.SetPage("/moved.html", moved);
    site.SetPage("/target.html", "text/html", "<title>Target</title>");
    const std::wstring target = Url("/target.html?act=gamelogin&server_id=5");

    ASSERT_TRUE(host.Navigate(Url("/moved.html")));
    ASSERT_TRUE(host.WaitForEvent(DISPID_DOCUMENTCOMPLETE));
    EXPECT_EQ(host.FindEvent(DISPID_BEFORENAVIGATE2)->url, Url("/moved.html"));
    EXPECT_EQ(host.FindEvent(DISPID_NAVIGATECOMPLETE2)->url, target);
    EXPECT_EQ(host.FindEvent(DISPID_DOCUMENTCOMPLETE)->url, target);
    EXPECT_EQ(LocationUrl(), target);
}

TEST_F(StandInPageTest, WindowOpenAsksForANewWindow) {
    site.SetPage("/popup.html", "text/html", "<title>Ad</title><script>window.open('/ad.html');</script>");
    ASSERT_TRUE(Load("/popup.html"));
    testsupport::PumpMessages(200);

    EXPECT_EQ(host.EventIds(), std::vector<DISPID>({DISPID_BEFORENAVIGATE2, DISPID_NAVIGATECOMPLETE2,
                                                    DISPID_NEWWINDOW3, DISPID_DOCUMENTCOMPLETE}));
    const RecordedEvent* request = host.FindEvent(DISPID_NEWWINDOW3);
    EXPECT_EQ(request->url, Url("/ad.html"));
    EXPECT_EQ(request->context, Url("/popup.html"));
    EXPECT_EQ(request->argTypes,
              std::vector<VARTYPE>({VT_BSTR, VT_BSTR, VT_I4, VT_BOOL | VT_BYREF, VT_DISPATCH | VT_BYREF}));
    EXPECT_EQ(site.RequestCount(), 1u) << "the stand-in opens no window of its own";
}

TEST_F(StandInPageTest, ClickedLinksNavigateOrAskForANewWindow) {
    site.SetPage(
        "/links.html", "text/html",
        "<a id=\"same\" href=\"next.html\">next</a><a id=\"blank\" href=\"/help.html\" target=\"_blank\">"
        "help</a>");
    site.SetPage("/next.html", "text/html", "<title>Next</title>");
    ASSERT_TRUE(Load("/links.html"));

    ComRef<IHTMLElement> blank = Element(L"blank");
    ASSERT_TRUE(blank);
    EXPECT_EQ(blank->click(), S_OK);
    const RecordedEvent* request = host.FindEvent(DISPID_NEWWINDOW3);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->url, Url("/help.html"));
    EXPECT_TRUE(request->number & NWMF_USERINITED);

    ComRef<IHTMLElement> same = Element(L"same");
    ASSERT_TRUE(same);
    EXPECT_EQ(same->click(), S_OK);
    ASSERT_TRUE(host.WaitForEvent(DISPID_DOCUMENTCOMPLETE, Url("/next.html")));
    EXPECT_EQ(Title(), L"Next");
}

TEST_F(StandInPageTest, RefreshLoadsTheAddressAgainWithoutEvents) {
    site.SetPage("/count.html", "text/html", "<title>One</title>");
    ASSERT_TRUE(Load("/count.html"));
    const size_t events = host.events.size();
    site.SetPage("/count.html", "text/html", "<title>Two</title>");

    EXPECT_EQ(host.browser->Refresh(), S_OK);
    ASSERT_TRUE(site.WaitForRequests(2, 5000));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return Title() == L"Two"; }, 5000));
    testsupport::PumpMessages(200);
    EXPECT_EQ(host.events.size(), events);
}

TEST_F(StandInPageTest, ALaterNavigationReplacesOneStillLoading) {
    LoopbackHttpServer slow;
    ASSERT_TRUE(slow.Start("127.0.0.3"));
    slow.Hold(1500);
    site.SetPage("/fast.html", "text/html", "<title>Fast</title>");

    ASSERT_TRUE(host.Navigate(Wide(slow.Url("/slow.html"))));
    ASSERT_TRUE(slow.WaitForRequests(1, 5000));
    ASSERT_TRUE(Load("/fast.html"));
    testsupport::PumpMessages(2500);

    EXPECT_FALSE(host.FindEvent(DISPID_NAVIGATEERROR));
    EXPECT_FALSE(host.FindEvent(DISPID_DOCUMENTCOMPLETE, Wide(slow.Url("/slow.html"))));
    EXPECT_EQ(Title(), L"Fast");
}

TEST_F(StandInPageTest, PageAndFlashTakeTheFocusWhenClicked) {
    site.SetPage("/game.html", "text/html",
                 "<title>Game</title><embed type=\"application/x-shockwave-flash\" width=200 height=100>");
    ASSERT_TRUE(Load("/game.html"));
    HWND control = host.BrowserWindow();
    HWND page = GetWindow(control, GW_CHILD);
    ASSERT_NE(page, nullptr);
    std::vector<HWND> flash = FindDescendants(control, L"MacromediaFlashPlayerActiveX");
    ASSERT_EQ(flash.size(), 1u);

    SendMessageW(page, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(GetFocus(), page);
    SendMessageW(flash[0], WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(GetFocus(), flash[0]);
}

} // namespace
