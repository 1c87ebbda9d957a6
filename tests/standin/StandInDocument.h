#pragma once

// The document object model of a loaded page, as far as the shell reads it: IHTMLDocument2 (title,
// body), IHTMLDocument3 (getElementById) and IHTMLElement (inner text and HTML, click, attributes).
// All of it lives on the control's thread.

#include <string>

#include "HtmlPage.h"
#include "StandInDefaults.h"

namespace standin {

// What a document asks of the control that shows it (a link followed by a click).
class DocumentHost {
public:
    virtual void FollowLink(const std::wstring& url, const std::wstring& target) = 0;

protected:
    ~DocumentHost() = default;
};

class StandInDocument final : public HtmlDocument2Defaults, public HtmlDocument3Defaults {
public:
    // A new document with one reference, owned by the caller.
    static StandInDocument* Create(HtmlPage page, std::wstring url, DocumentHost* host);

    // The control no longer shows this document; callers may still hold it.
    void Detach() { host_ = nullptr; }
    HtmlPage& Page() { return page_; }
    const std::wstring& Url() const { return url_; }
    DocumentHost* Host() const { return host_; }

    // IUnknown, shared by both document interfaces.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IHTMLDocument2
    HRESULT STDMETHODCALLTYPE get_title(BSTR* title) override;
    HRESULT STDMETHODCALLTYPE get_body(IHTMLElement** body) override;
    HRESULT STDMETHODCALLTYPE get_URL(BSTR* url) override;
    HRESULT STDMETHODCALLTYPE get_readyState(BSTR* state) override;

    // IHTMLDocument3
    HRESULT STDMETHODCALLTYPE getElementById(BSTR id, IHTMLElement** element) override;

private:
    StandInDocument(HtmlPage page, std::wstring url, DocumentHost* host);
    ~StandInDocument();

    LONG refs_ = 1;
    HtmlPage page_;
    std::wstring url_;
    DocumentHost* host_;
};

class StandInElement final : public HtmlElementDefaults {
public:
    // A new element of the document with one reference, owned by the caller; it keeps the document.
    static StandInElement* Create(StandInDocument* document, size_t node);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE setAttribute(BSTR name, VARIANT value, LONG flags) override;
    HRESULT STDMETHODCALLTYPE getAttribute(BSTR name, LONG flags, VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE get_id(BSTR* id) override;
    HRESULT STDMETHODCALLTYPE get_tagName(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_innerHTML(BSTR* html) override;
    HRESULT STDMETHODCALLTYPE get_innerText(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE click() override;

private:
    StandInElement(StandInDocument* document, size_t node);
    ~StandInElement();

    LONG refs_ = 1;
    StandInDocument* document_; // one reference held
    size_t node_;
};

} // namespace standin
