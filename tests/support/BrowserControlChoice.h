#pragma once

// Which WebBrowser control OleCreate (CLSID_WebBrowser, ...) creates in the test Wine prefix.
//
// Wine's own control is the registered one by default: it has no HTML engine here, so its pages never
// load (it fires NavigateError). A test that needs pages to load opts in to the stand-in control of
// tests/standin for its own duration with UseStandInBrowser; UseWineBrowser makes the default explicit.
// The choice is the InprocServer32 of CLSID_WebBrowser in the prefix, so it holds for the whole process
// and prefix: tests run one at a time. scripts/wine-prefix-setup records both servers' paths and puts
// Wine's back at every session start.

#include <string>

namespace testsupport {

enum class BrowserControl { Wine, StandIn };

// The Windows path of the control's in-process server as the prefix records it; empty when the prefix
// has no record (the test session did not set it up).
std::wstring BrowserControlServer(BrowserControl control);

// Registers the control for CLSID_WebBrowser; false when its path is unknown or the registry refuses.
bool SelectBrowserControl(BrowserControl control);

// The control registered for CLSID_WebBrowser while the object lives; the previous registration is
// restored afterwards.
class ScopedBrowserControl {
public:
    explicit ScopedBrowserControl(BrowserControl control);
    ~ScopedBrowserControl();
    ScopedBrowserControl(const ScopedBrowserControl&) = delete;
    ScopedBrowserControl& operator=(const ScopedBrowserControl&) = delete;

    // The choice took effect.
    bool ok() const { return ok_; }

private:
    std::wstring previous_;
    bool ok_;
};

class UseStandInBrowser : public ScopedBrowserControl {
public:
    UseStandInBrowser() : ScopedBrowserControl(BrowserControl::StandIn) {}
};

class UseWineBrowser : public ScopedBrowserControl {
public:
    UseWineBrowser() : ScopedBrowserControl(BrowserControl::Wine) {}
};

} // namespace testsupport
