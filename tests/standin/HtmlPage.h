#pragma once

// The small part of HTML the stand-in control understands: a tolerant tag parser that keeps the element
// tree, the source ranges (for innerHTML) and the attributes, plus the questions the control asks of a
// page: its title, the sub-resources to fetch, a meta refresh, window.open calls and Flash objects.
// The parser is plain code without window or network calls, so it is tested on its own.

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace standin {

// One node of the parsed page: an element or a run of text.
struct HtmlNode {
    static constexpr size_t npos = static_cast<size_t>(-1);

    bool isText = false;
    std::wstring text; // text nodes: entity-decoded text (script and style content stays raw)
    std::wstring tag;  // elements: lower-case name; the root is "#document"
    std::vector<std::pair<std::wstring, std::wstring>> attributes; // lower-case names, decoded values
    std::vector<size_t> children;
    size_t parent = npos;
    size_t innerBegin = 0; // elements: source range of the content between start and end tag
    size_t innerEnd = 0;
};

// A plug-in object of type application/x-shockwave-flash. A size given in percent is relative to the
// page window; a missing or unreadable size falls back to the default replaced-element size 300 x 150.
struct FlashObject {
    std::wstring src;
    int width = 300;
    int height = 150;
    bool widthPercent = false;
    bool heightPercent = false;
};

// <meta http-equiv="refresh" content="N;url=...">; an empty url reloads the page itself.
struct MetaRefresh {
    bool present = false;
    unsigned seconds = 0;
    std::wstring url;
};

class HtmlPage {
public:
    static constexpr size_t npos = HtmlNode::npos;

    // An empty page (what about:blank shows).
    HtmlPage();
    static HtmlPage Parse(std::wstring source);

    const std::wstring& Source() const { return source_; }
    const std::vector<HtmlNode>& Nodes() const { return nodes_; }

    // The body element, or the root when the page has none.
    size_t Body() const;
    // Text of the first <title>, white space collapsed; empty when there is none.
    std::wstring Title() const;
    // The first element whose id attribute equals id exactly; npos when there is none.
    size_t FindById(const std::wstring& id) const;
    // Rendered text of an element: tags dropped, white space collapsed, a line break per block.
    std::wstring InnerText(size_t element) const;
    // Source markup between the element's start and end tag.
    std::wstring InnerHtml(size_t element) const;
    // Attribute value (names are case-insensitive); null when the attribute is absent.
    const std::wstring* Attribute(size_t element, const std::wstring& name) const;
    void SetAttribute(size_t element, const std::wstring& name, const std::wstring& value);

    // src of every <script> and <img>, in document order, as written in the page.
    std::vector<std::wstring> SubresourceUrls() const;
    MetaRefresh Refresh() const;
    // The first argument of every window.open('...') call in inline scripts, in document order.
    std::vector<std::wstring> ScriptWindowOpens() const;
    // Flash objects in document order; an <embed> inside a Flash <object> is its fallback and not counted.
    std::vector<FlashObject> FlashObjects() const;

private:
    std::wstring source_;
    std::vector<HtmlNode> nodes_;
};

// Decodes the bytes of a page: the charset of the Content-Type header, else of a <meta> near the start,
// else UTF-8 when the bytes are valid UTF-8, else Windows-1252. A byte-order mark wins over all of them.
std::wstring DecodeHtmlBytes(const std::string& bytes, const std::wstring& contentType);

// Lower-case copy (ASCII letters only, as HTML names are).
std::wstring AsciiLower(std::wstring text);

} // namespace standin
