#include "StandInDocument.h"

#include "PageFetcher.h"
#include "StandInModule.h"

namespace standin {

namespace {

HRESULT ReturnText(const std::wstring& text, BSTR* out) {
    if (!out)
        return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

std::wstring TextOf(BSTR text) {
    return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

} // namespace

StandInDocument* StandInDocument::Create(HtmlPage page, std::wstring url, DocumentHost* host) {
    return new StandInDocument(std::move(page), std::move(url), host);
}

StandInDocument::StandInDocument(HtmlPage page, std::wstring url, DocumentHost* host)
    : page_(std::move(page)), url_(std::move(url)), host_(host) {
    LockModule();
}

StandInDocument::~StandInDocument() {
    UnlockModule();
}

HRESULT STDMETHODCALLTYPE StandInDocument::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, IID_IHTMLDocument) || IsEqualIID(iid, IID_IHTMLDocument2))
        *out = static_cast<IHTMLDocument2*>(this);
    else if (IsEqualIID(iid, IID_IHTMLDocument3))
        *out = static_cast<IHTMLDocument3*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE StandInDocument::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG STDMETHODCALLTYPE StandInDocument::Release() {
    const LONG refs = InterlockedDecrement(&refs_);
    if (refs == 0)
        delete this;
    return static_cast<ULONG>(refs);
}

HRESULT STDMETHODCALLTYPE StandInDocument::get_title(BSTR* title) {
    return ReturnText(page_.Title(), title);
}

HRESULT STDMETHODCALLTYPE StandInDocument::get_body(IHTMLElement** body) {
    if (!body)
        return E_POINTER;
    *body = StandInElement::Create(this, page_.Body());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StandInDocument::get_URL(BSTR* url) {
    return ReturnText(url_, url);
}

HRESULT STDMETHODCALLTYPE StandInDocument::get_readyState(BSTR* state) {
    return ReturnText(L"complete", state);
}

// As the real document does, an unknown id is not an error: the element is simply null.
HRESULT STDMETHODCALLTYPE StandInDocument::getElementById(BSTR id, IHTMLElement** element) {
    if (!element)
        return E_POINTER;
    *element = nullptr;
    const size_t node = page_.FindById(TextOf(id));
    if (node != HtmlPage::npos)
        *element = StandInElement::Create(this, node);
    return S_OK;
}

StandInElement* StandInElement::Create(StandInDocument* document, size_t node) {
    return new StandInElement(document, node);
}

StandInElement::StandInElement(StandInDocument* document, size_t node) : document_(document), node_(node) {
    document_->AddRef();
    LockModule();
}

StandInElement::~StandInElement() {
    document_->Release();
    UnlockModule();
}

HRESULT STDMETHODCALLTYPE StandInElement::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch) &&
        !IsEqualIID(iid, IID_IHTMLElement))
        return E_NOINTERFACE;
    *out = static_cast<IHTMLElement*>(this);
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE StandInElement::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG STDMETHODCALLTYPE StandInElement::Release() {
    const LONG refs = InterlockedDecrement(&refs_);
    if (refs == 0)
        delete this;
    return static_cast<ULONG>(refs);
}

HRESULT STDMETHODCALLTYPE StandInElement::setAttribute(BSTR name, VARIANT value, LONG) {
    if (SysStringLen(name) == 0)
        return E_INVALIDARG;
    VARIANT text;
    VariantInit(&text);
    const HRESULT hr = VariantChangeType(&text, &value, 0, VT_BSTR);
    if (FAILED(hr))
        return hr;
    document_->Page().SetAttribute(node_, TextOf(name), TextOf(V_BSTR(&text)));
    VariantClear(&text);
    return S_OK;
}

// An absent attribute reads as VT_NULL, as in the real document.
HRESULT STDMETHODCALLTYPE StandInElement::getAttribute(BSTR name, LONG, VARIANT* value) {
    if (!value)
        return E_POINTER;
    VariantInit(value);
    const std::wstring* text = document_->Page().Attribute(node_, TextOf(name));
    if (!text) {
        V_VT(value) = VT_NULL;
        return S_OK;
    }
    BSTR copy = SysAllocStringLen(text->data(), static_cast<UINT>(text->size()));
    if (!copy)
        return E_OUTOFMEMORY;
    V_VT(value) = VT_BSTR;
    V_BSTR(value) = copy;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StandInElement::get_id(BSTR* id) {
    const std::wstring* text = document_->Page().Attribute(node_, L"id");
    return ReturnText(text ? *text : std::wstring(), id);
}

HRESULT STDMETHODCALLTYPE StandInElement::get_tagName(BSTR* name) {
    std::wstring tag = document_->Page().Nodes()[node_].tag;
    for (wchar_t& c : tag)
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - 32);
    return ReturnText(tag, name);
}

HRESULT STDMETHODCALLTYPE StandInElement::get_innerHTML(BSTR* html) {
    return ReturnText(document_->Page().InnerHtml(node_), html);
}

HRESULT STDMETHODCALLTYPE StandInElement::get_innerText(BSTR* text) {
    return ReturnText(document_->Page().InnerText(node_), text);
}

// A click on a link follows it (a new window for target "_blank"); other elements do nothing.
HRESULT STDMETHODCALLTYPE StandInElement::click() {
    HtmlPage& page = document_->Page();
    const std::wstring* href = page.Attribute(node_, L"href");
    if (page.Nodes()[node_].tag != L"a" || !href || !document_->Host())
        return S_OK;
    const std::wstring* target = page.Attribute(node_, L"target");
    document_->Host()->FollowLink(ResolveUrl(document_->Url(), *href), target ? *target : std::wstring());
    return S_OK;
}

} // namespace standin
