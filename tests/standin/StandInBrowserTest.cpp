#include <gtest/gtest.h>

#include <exdispid.h>
#include <mshtml.h>

#include "standin/BrowserTestHost.h"
#include "standin/StandInTestSupport.h"
#include "support/BrowserControlChoice.h"
#include "support/TestSupport.h"

using standin::ComRef;
using standintest::BrowserTestHost;
using standintest::RecordedEvent;

namespace {

class StandInBrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(choice.ok()) << "the test session records the stand-in control";
        ASSERT_TRUE(host.Create());
        ASSERT_TRUE(standintest::IsStandInObject(host.oleObject.Get()));
    }

    testsupport::UseStandInBrowser choice;
    BrowserTestHost host;
};

TEST_F(StandInBrowserTest, ActivatesInPlaceInsideTheHostWindow) {
    ASSERT_FALSE(host.siteCalls.empty());
    EXPECT_EQ(host.siteCalls.front(), L"CanInPlaceActivate");
    EXPECT_NE(std::find(host.siteCalls.begin(), host.siteCalls.end(), L"GetWindowContext"),
              host.siteCalls.end());
    EXPECT_NE(std::find(host.siteCalls.begin(), host.siteCalls.end(), L"OnInPlaceActivate"),
              host.siteCalls.end());

    HWND control = host.BrowserWindow();
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(GetParent(control), host.window);
    RECT hostClient, controlRect;
    GetClientRect(host.window, &hostClient);
    GetWindowRect(control, &controlRect);
    EXPECT_EQ(controlRect.right - controlRect.left, hostClient.right);
    EXPECT_EQ(controlRect.bottom - controlRect.top, hostClient.bottom);
    EXPECT_TRUE(IsWindowVisible(control));

    ComRef<IOleInPlaceObject> inPlace;
    ASSERT_EQ(
        host.oleObject->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(inPlace.Receive())),
        S_OK);
    HWND reported = nullptr;
    EXPECT_EQ(inPlace->GetWindow(&reported), S_OK);
    EXPECT_EQ(reported, control);
}

TEST_F(StandInBrowserTest, ASecondActivationAsksTheSiteNothing) {
    const size_t calls = host.siteCalls.size();
    RECT client;
    GetClientRect(host.window, &client);
    EXPECT_EQ(host.oleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &host, 0, host.window, &client),
              S_OK);
    EXPECT_EQ(host.siteCalls.size(), calls);
}

TEST_F(StandInBrowserTest, LeavesEveryKeyToThePage) {
    ComRef<IOleInPlaceActiveObject> active;
    ASSERT_EQ(host.oleObject->QueryInterface(IID_IOleInPlaceActiveObject,
                                             reinterpret_cast<void**>(active.Receive())),
              S_OK);
    MSG msg = {};
    msg.hwnd = host.BrowserWindow();
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_TAB;
    EXPECT_EQ(active->TranslateAccelerator(&msg), S_FALSE);
}

TEST_F(StandInBrowserTest, AnswersOnlyTheEventsConnectionPoint) {
    ComRef<IConnectionPointContainer> container;
    ASSERT_EQ(host.browser->QueryInterface(IID_IConnectionPointContainer,
                                           reinterpret_cast<void**>(container.Receive())),
              S_OK);
    ComRef<IConnectionPoint> point;
    EXPECT_EQ(container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.Receive()), S_OK);
    IID iid = {};
    EXPECT_EQ(point->GetConnectionInterface(&iid), S_OK);
    EXPECT_TRUE(IsEqualIID(iid, DIID_DWebBrowserEvents2));
    ComRef<IConnectionPoint> other;
    EXPECT_EQ(container->FindConnectionPoint(DIID_DWebBrowserEvents, other.Receive()),
              CONNECT_E_NOCONNECTION);
    EXPECT_FALSE(other);
}

TEST_F(StandInBrowserTest, MethodsOutsideTheSubsetAreNotImplemented) {
    EXPECT_EQ(host.browser->GoBack(), E_NOTIMPL);
    EXPECT_EQ(host.browser->GoHome(), E_NOTIMPL);
    VARIANT_BOOL busy = VARIANT_FALSE;
    EXPECT_EQ(host.browser->get_Busy(&busy), E_NOTIMPL);
    BSTR url = SysAllocString(L"about:blank");
    EXPECT_EQ(host.browser->Navigate(url, nullptr, nullptr, nullptr, nullptr), E_NOTIMPL);
    SysFreeString(url);
}

TEST_F(StandInBrowserTest, KeepsTheSilentFlag) {
    VARIANT_BOOL silent = VARIANT_TRUE;
    EXPECT_EQ(host.browser->get_Silent(&silent), S_OK);
    EXPECT_EQ(silent, VARIANT_FALSE);
    EXPECT_EQ(host.browser->put_Silent(VARIANT_TRUE), S_OK);
    EXPECT_EQ(host.browser->get_Silent(&silent), S_OK);
    EXPECT_EQ(silent, VARIANT_TRUE);
}

TEST_F(StandInBrowserTest, HasNoDocumentBeforeTheFirstPage) {
    IDispatch* document = reinterpret_cast<IDispatch*>(1);
    EXPECT_EQ(host.browser->get_Document(&document), S_OK);
    EXPECT_EQ(document, nullptr);
    BSTR url = nullptr;
    EXPECT_EQ(host.browser->get_LocationURL(&url), S_OK);
    EXPECT_EQ(SysStringLen(url), 0u);
    SysFreeString(url);
}

TEST_F(StandInBrowserTest, BlankPageRaisesTheNavigationEventsOnTheControlThread) {
    ASSERT_TRUE(host.Navigate(L"about:blank"));
    ASSERT_EQ(host.EventIds(), std::vector<DISPID>({DISPID_BEFORENAVIGATE2}))
        << "BeforeNavigate2 comes at once";
    ASSERT_TRUE(host.WaitForEvent(DISPID_DOCUMENTCOMPLETE));
    EXPECT_EQ(host.EventIds(), std::vector<DISPID>({DISPID_BEFORENAVIGATE2, DISPID_NAVIGATECOMPLETE2,
                                                    DISPID_DOCUMENTCOMPLETE}));
    ComRef<IDispatch> frame;
    ASSERT_EQ(host.browser->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(frame.Receive())), S_OK);
    for (const RecordedEvent& event : host.events) {
        EXPECT_EQ(event.url, L"about:blank");
        EXPECT_EQ(event.frame, frame.Get());
        EXPECT_EQ(event.threadId, GetCurrentThreadId());
    }
    const RecordedEvent& before = host.events[0];
    EXPECT_EQ(before.number, navNoHistory);
    EXPECT_EQ(before.argTypes,
              std::vector<VARTYPE>({VT_BOOL | VT_BYREF, VT_VARIANT | VT_BYREF, VT_VARIANT | VT_BYREF,
                                    VT_VARIANT | VT_BYREF, VT_VARIANT | VT_BYREF, VT_VARIANT | VT_BYREF,
                                    VT_DISPATCH}));
    EXPECT_EQ(host.events[2].argTypes, std::vector<VARTYPE>({VT_VARIANT | VT_BYREF, VT_DISPATCH}));
}

TEST_F(StandInBrowserTest, CancelledNavigationGoesNoFurther) {
    host.cancelNavigation = true;
    ASSERT_TRUE(host.Navigate(L"about:blank"));
    testsupport::PumpMessages(300);
    EXPECT_EQ(host.EventIds(), std::vector<DISPID>({DISPID_BEFORENAVIGATE2}));
    IDispatch* document = nullptr;
    EXPECT_EQ(host.browser->get_Document(&document), S_OK);
    EXPECT_EQ(document, nullptr);
}

TEST_F(StandInBrowserTest, NavigateNeedsAnAddress) {
    VARIANT empty;
    VariantInit(&empty);
    EXPECT_EQ(host.browser->Navigate2(&empty, nullptr, nullptr, nullptr, nullptr), E_INVALIDARG);
    EXPECT_EQ(host.browser->Navigate2(nullptr, nullptr, nullptr, nullptr, nullptr), E_INVALIDARG);
    EXPECT_TRUE(host.events.empty());
}

TEST(StandInBrowserLifetime, ReleasingTheControlGivesBackEveryReference) {
    testsupport::UseStandInBrowser choice;
    ASSERT_TRUE(choice.ok());
    HWND control = nullptr;
    {
        BrowserTestHost host;
        ASSERT_TRUE(host.Create());
        control = host.BrowserWindow();
        ASSERT_TRUE(host.Navigate(L"about:blank"));
        ASSERT_TRUE(host.WaitForEvent(DISPID_DOCUMENTCOMPLETE));
        ComRef<IDispatch> document;
        ASSERT_EQ(host.browser->get_Document(document.Receive()), S_OK);
        ASSERT_TRUE(document);
        EXPECT_EQ(standintest::StandInCanUnloadNow(), S_FALSE);
        document.Reset();
        host.ReleaseControl();
        EXPECT_EQ(host.refs, 0) << "the control released the site and the sink";
        EXPECT_FALSE(IsWindow(control));
    }
    EXPECT_EQ(standintest::StandInCanUnloadNow(), S_OK);
}

TEST(StandInBrowserLifetime, HostWindowMayGoFirst) {
    testsupport::UseStandInBrowser choice;
    ASSERT_TRUE(choice.ok());
    BrowserTestHost host;
    ASSERT_TRUE(host.Create());
    HWND control = host.BrowserWindow();
    ASSERT_TRUE(DestroyWindow(host.window));
    host.window = nullptr;
    EXPECT_FALSE(IsWindow(control));
    EXPECT_EQ(host.BrowserWindow(), nullptr) << "the control knows its window is gone";
    ASSERT_TRUE(host.Navigate(L"about:blank"));
    EXPECT_TRUE(host.WaitForEvent(DISPID_DOCUMENTCOMPLETE)) << "a control without window still navigates";
    host.ReleaseControl();
    EXPECT_EQ(host.refs, 0);
}

TEST(StandInBrowserLifetime, RefusedInPlaceActivationCreatesNoWindow) {
    testsupport::UseStandInBrowser choice;
    ASSERT_TRUE(choice.ok());
    BrowserTestHost host;
    host.refuseInPlace = true;
    ASSERT_TRUE(host.Create());
    EXPECT_EQ(host.BrowserWindow(), nullptr);
    EXPECT_EQ(host.siteCalls, std::vector<std::wstring>({L"CanInPlaceActivate"}));
}

} // namespace
