#include <gtest/gtest.h>

#include <exdisp.h>
#include <objbase.h>

#include "standin/ComRef.h"
#include "standin/StandInTestSupport.h"
#include "support/BrowserControlChoice.h"

using standin::ComRef;
using testsupport::BrowserControl;
using testsupport::BrowserControlServer;
using testsupport::UseStandInBrowser;
using testsupport::UseWineBrowser;

namespace {

// Creates what CLSID_WebBrowser currently stands for and tells whether it is the stand-in.
bool CreatesStandIn() {
    ComRef<IUnknown> object;
    EXPECT_EQ(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(object.Receive())),
              S_OK);
    return standintest::IsStandInObject(object.Get());
}

TEST(BrowserControlChoice, TheSessionRecordsBothControls) {
    EXPECT_NE(BrowserControlServer(BrowserControl::Wine).find(L"ieframe.dll"), std::wstring::npos);
    EXPECT_NE(BrowserControlServer(BrowserControl::StandIn).find(L"standin_browser.dll"), std::wstring::npos);
}

TEST(BrowserControlChoice, WinesControlIsTheDefault) {
    EXPECT_FALSE(CreatesStandIn());
}

TEST(BrowserControlChoice, ScopesSwitchAndRestore) {
    {
        UseStandInBrowser standIn;
        ASSERT_TRUE(standIn.ok());
        EXPECT_TRUE(CreatesStandIn());
        {
            UseWineBrowser wine;
            ASSERT_TRUE(wine.ok());
            EXPECT_FALSE(CreatesStandIn()) << "a process that loaded the stand-in can still get Wine's";
        }
        EXPECT_TRUE(CreatesStandIn()) << "the outer choice comes back";
    }
    EXPECT_FALSE(CreatesStandIn());
}

} // namespace
