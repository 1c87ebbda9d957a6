#pragma once

// The DWebBrowserEvents2 connection point of the stand-in control and the events it raises, with the
// arguments the real control passes (by-reference VARIANTs where it uses them).

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <string>
#include <utility>
#include <vector>

#include "ComRef.h"

namespace standin {

class EventConnectionPoint : public IConnectionPoint {
public:
    // owner: the control, whose references this object shares and which it reports as container.
    explicit EventConnectionPoint(IConnectionPointContainer* owner) : owner_(owner) {}
    ~EventConnectionPoint() = default;
    EventConnectionPoint(const EventConnectionPoint&) = delete;
    EventConnectionPoint& operator=(const EventConnectionPoint&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return owner_->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_->Release(); }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

    // Drops every sink (the control is going away).
    void Clear() { sinks_.clear(); }

    // The events; frame is the control's own IDispatch. Each returns true when a sink cancelled.
    bool BeforeNavigate2(IDispatch* frame, const std::wstring& url, LONG flags, const std::wstring& target,
                         const std::wstring& headers);
    void NavigateComplete2(IDispatch* frame, const std::wstring& url);
    void DocumentComplete(IDispatch* frame, const std::wstring& url);
    bool NavigateError(IDispatch* frame, const std::wstring& url, LONG statusCode);
    bool NewWindow3(const std::wstring& url, const std::wstring& context, DWORD flags);

private:
    // Calls every sink connected when the event starts; sinks may connect or leave meanwhile.
    void Fire(DISPID dispid, VARIANTARG* args, UINT count);

    IConnectionPointContainer* owner_;
    std::vector<std::pair<DWORD, ComRef<IDispatch>>> sinks_;
    DWORD nextCookie_ = 1;
};

} // namespace standin
