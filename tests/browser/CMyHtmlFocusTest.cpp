#include <gtest/gtest.h>

#include <atomic>

#include "HtmlTestSupport.h"

using htmltest::HtmlThreadTest;
using testsupport::PumpUntil;

// Alone in its program: once a thread that had the keyboard focus and handled keys has ended, Wine's
// input method support can keep the next thread's first window from being created.

namespace {

using HtmlViewFocus = htmltest::HtmlThreadTestOnBoth;

TEST_P(HtmlViewFocus, TabInsideTheFlashPlayerKeepsTheFocusThere) {
    StartHtmlThread();
    const HWND window = CreateView(view, 300, 200);
    ASSERT_NE(window, nullptr);
    const HWND control = GetWindow(window, GW_CHILD);
    HWND flash = nullptr, field = nullptr;
    view.RunOnViewThread([&] {
        view.browser.browserWindow = control;
        htmltest::RegisterTestWindowClasses();
        flash = CreateWindowExW(0, htmltest::kFlashClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, control,
                                nullptr, nullptr, nullptr);
        field = CreateWindowExW(0, L"PageField", L"", WS_CHILD | WS_VISIBLE, 60, 0, 50, 50, control, nullptr,
                                nullptr, nullptr);
    });
    ASSERT_TRUE(flash && field);

    // Each key goes to the window that has the focus, as the system would deliver it.
    auto press = [&](HWND target, WPARAM key) {
        HWND focus = nullptr;
        view.RunOnViewThread([&] {
            SetFocus(target);
            focus = GetFocus();
        });
        EXPECT_EQ(focus, target);
        const int mark = view.marks + 1;
        PostMessageW(target, WM_KEYDOWN, key, 0);
        PostMessageW(window, htmltest::WM_TEST_MARK, 0, 0);
        EXPECT_TRUE(PumpUntil([&] { return view.marks == mark; }, 5000));
        view.RunOnViewThread([&] { focus = GetFocus(); });
        return focus;
    };

    htmltest::keysDelivered = 0;
    EXPECT_EQ(press(flash, VK_TAB), flash);
    EXPECT_EQ(htmltest::keysDelivered, 0); // consumed on the way
    EXPECT_EQ(press(flash, 'A'), flash);
    EXPECT_EQ(htmltest::keysDelivered, 1);
    press(field, VK_TAB); // an ordinary field: the control decides
    EXPECT_EQ(htmltest::keysDelivered, 2);
}

// One control per program (see above).
INSTANTIATE_TEST_SUITE_P(Control, HtmlViewFocus,
                         ::testing::Values(testsupport::BrowserControl::FOCUS_TEST_CONTROL),
                         htmltest::ControlName);

} // namespace
