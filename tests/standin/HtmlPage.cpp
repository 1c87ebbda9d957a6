#include "HtmlPage.h"

#include <windows.h>

#include <cwctype>

namespace standin {

namespace {

bool IsSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\f';
}

bool IsAsciiAlpha(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

bool IsAsciiDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

wchar_t LowerAscii(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
}

bool EqualsNoCase(const std::wstring& a, const std::wstring& b) {
    return AsciiLower(a) == AsciiLower(b);
}

bool IsVoidElement(const std::wstring& tag) {
    static const wchar_t* const kVoid[] = {L"area",  L"base", L"br",   L"col",   L"embed",  L"hr",    L"img",
                                           L"input", L"link", L"meta", L"param", L"source", L"track", L"wbr"};
    for (const wchar_t* name : kVoid)
        if (tag == name)
            return true;
    return false;
}

// Elements whose content is text up to their own end tag.
bool IsRawTextElement(const std::wstring& tag) {
    return tag == L"script" || tag == L"style" || tag == L"title" || tag == L"textarea";
}

bool IsBlockElement(const std::wstring& tag) {
    static const wchar_t* const kBlock[] = {L"address", L"blockquote", L"center", L"dd", L"div", L"dl",
                                            L"dt",      L"form",       L"h1",     L"h2", L"h3",  L"h4",
                                            L"h5",      L"h6",         L"hr",     L"li", L"ol",  L"p",
                                            L"pre",     L"table",      L"tr",     L"ul", L"body"};
    for (const wchar_t* name : kBlock)
        if (tag == name)
            return true;
    return false;
}

// Content that is never rendered as text.
bool IsHiddenElement(const std::wstring& tag) {
    return tag == L"script" || tag == L"style" || tag == L"title" || tag == L"head" || tag == L"noscript";
}

void AppendCodePoint(std::wstring& out, unsigned long cp) {
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        out += L'\xFFFD';
    } else if (cp >= 0x10000) {
        cp -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (cp >> 10));
        out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
    } else {
        out += static_cast<wchar_t>(cp);
    }
}

// Replaces the character references HTML pages commonly use; anything unknown stays as written.
std::wstring DecodeEntities(const std::wstring& text) {
    static const struct {
        const wchar_t* name;
        wchar_t value;
    } kNamed[] = {{L"amp", L'&'},   {L"lt", L'<'},      {L"gt", L'>'},      {L"quot", L'"'},
                  {L"apos", L'\''}, {L"nbsp", L'\xA0'}, {L"copy", L'\xA9'}, {L"reg", L'\xAE'}};
    std::wstring out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] != L'&') {
            out += text[i++];
            continue;
        }
        const size_t semi = text.find(L';', i + 1);
        if (semi == std::wstring::npos || semi - i > 10) {
            out += text[i++];
            continue;
        }
        const std::wstring name = text.substr(i + 1, semi - i - 1);
        bool decoded = false;
        if (name.size() > 1 && name[0] == L'#') {
            const bool hex = name[1] == L'x' || name[1] == L'X';
            const std::wstring digits = name.substr(hex ? 2 : 1);
            unsigned long cp = 0;
            bool valid = !digits.empty();
            for (wchar_t c : digits) {
                int value;
                if (IsAsciiDigit(c))
                    value = c - L'0';
                else if (hex && LowerAscii(c) >= L'a' && LowerAscii(c) <= L'f')
                    value = LowerAscii(c) - L'a' + 10;
                else {
                    valid = false;
                    break;
                }
                cp = cp * (hex ? 16 : 10) + value;
                if (cp > 0x10FFFF)
                    cp = 0x110000; // stays out of range without overflowing
            }
            if (valid) {
                AppendCodePoint(out, cp);
                decoded = true;
            }
        } else {
            for (const auto& entity : kNamed) {
                if (name == entity.name) {
                    out += entity.value;
                    decoded = true;
                    break;
                }
            }
        }
        if (decoded)
            i = semi + 1;
        else
            out += text[i++];
    }
    return out;
}

// Collapses runs of white space to one space and trims both ends.
std::wstring CollapseSpace(const std::wstring& text) {
    std::wstring out;
    bool pendingSpace = false;
    for (wchar_t c : text) {
        if (IsSpace(c)) {
            pendingSpace = !out.empty();
            continue;
        }
        if (pendingSpace)
            out += L' ';
        pendingSpace = false;
        out += c;
    }
    return out;
}

size_t FindNoCase(const std::wstring& haystack, const std::wstring& needle, size_t from) {
    if (needle.empty() || haystack.size() < needle.size())
        return std::wstring::npos;
    for (size_t i = from; i + needle.size() <= haystack.size(); ++i) {
        size_t k = 0;
        while (k < needle.size() && LowerAscii(haystack[i + k]) == needle[k])
            ++k;
        if (k == needle.size())
            return i;
    }
    return std::wstring::npos;
}

// Reads a length attribute ("640", "640px", "100%"); false when it has no leading number.
bool ParseLength(const std::wstring& text, int& value, bool& percent) {
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    long number = 0;
    size_t digits = 0;
    while (i < text.size() && IsAsciiDigit(text[i])) {
        if (number < 100000)
            number = number * 10 + (text[i] - L'0');
        ++i;
        ++digits;
    }
    if (digits == 0)
        return false;
    while (i < text.size() && (IsAsciiDigit(text[i]) || text[i] == L'.'))
        ++i; // fractions are dropped
    value = static_cast<int>(number);
    percent = i < text.size() && text[i] == L'%';
    return true;
}

// Builds the node tree from the source text.
class Parser {
public:
    Parser(const std::wstring& source, std::vector<HtmlNode>& nodes) : src_(source), nodes_(nodes) {}

    void Run() {
        HtmlNode root;
        root.tag = L"#document";
        root.innerEnd = src_.size();
        nodes_.push_back(root);
        open_.push_back(0);
        size_t textStart = 0;
        size_t i = 0;
        while (i < src_.size()) {
            if (src_[i] != L'<') {
                ++i;
                continue;
            }
            const size_t markupEnd = Markup(i, textStart);
            if (markupEnd == i) {
                ++i; // a lone '<' is text
                continue;
            }
            textStart = i = markupEnd;
        }
        AddText(textStart, src_.size());
        for (size_t n : open_)
            if (n != 0)
                nodes_[n].innerEnd = src_.size();
    }

private:
    // Handles the markup starting at i; returns the position after it, or i when it is not markup.
    size_t Markup(size_t i, size_t textStart) {
        if (src_.compare(i, 4, L"<!--") == 0) {
            AddText(textStart, i);
            const size_t end = src_.find(L"-->", i + 4);
            return end == std::wstring::npos ? src_.size() : end + 3;
        }
        const wchar_t next = i + 1 < src_.size() ? src_[i + 1] : L'\0';
        if (next == L'!' || next == L'?') {
            AddText(textStart, i);
            return SkipPast(i, L'>');
        }
        if (next == L'/' && i + 2 < src_.size() && IsAsciiAlpha(src_[i + 2])) {
            AddText(textStart, i);
            size_t p = i + 2;
            const std::wstring name = ReadName(p);
            CloseElement(name, i);
            return SkipPast(p, L'>');
        }
        if (!IsAsciiAlpha(next))
            return i;
        AddText(textStart, i);
        return StartTag(i);
    }

    size_t SkipPast(size_t from, wchar_t c) const {
        const size_t at = src_.find(c, from);
        return at == std::wstring::npos ? src_.size() : at + 1;
    }

    std::wstring ReadName(size_t& p) const {
        std::wstring name;
        while (p < src_.size() && !IsSpace(src_[p]) && src_[p] != L'>' && src_[p] != L'/' && src_[p] != L'=')
            name += LowerAscii(src_[p++]);
        return name;
    }

    size_t StartTag(size_t lt) {
        size_t p = lt + 1;
        HtmlNode element;
        element.tag = ReadName(p);
        bool selfClosing = false;
        while (p < src_.size()) {
            while (p < src_.size() && IsSpace(src_[p]))
                ++p;
            if (p >= src_.size())
                break;
            if (src_[p] == L'>') {
                ++p;
                break;
            }
            if (src_[p] == L'/') {
                selfClosing = p + 1 < src_.size() && src_[p + 1] == L'>';
                ++p;
                continue;
            }
            std::wstring name = ReadName(p);
            if (name.empty()) { // a stray '=' or similar
                ++p;
                continue;
            }
            while (p < src_.size() && IsSpace(src_[p]))
                ++p;
            std::wstring value;
            if (p < src_.size() && src_[p] == L'=') {
                ++p;
                while (p < src_.size() && IsSpace(src_[p]))
                    ++p;
                value = ReadValue(p);
            }
            bool known = false;
            for (const auto& attribute : element.attributes)
                known = known || attribute.first == name;
            if (!known) // the first of duplicate attributes wins
                element.attributes.emplace_back(std::move(name), DecodeEntities(value));
        }
        element.parent = open_.back();
        element.innerBegin = element.innerEnd = p;
        const size_t index = nodes_.size();
        nodes_.push_back(element);
        nodes_[element.parent].children.push_back(index);
        const std::wstring& tag = nodes_[index].tag;
        if (IsVoidElement(tag) || selfClosing)
            return p;
        if (IsRawTextElement(tag)) {
            const size_t close = FindNoCase(src_, L"</" + tag, p);
            const size_t contentEnd = close == std::wstring::npos ? src_.size() : close;
            HtmlNode text;
            text.isText = true;
            text.parent = index;
            const std::wstring raw = src_.substr(p, contentEnd - p);
            text.text = (tag == L"script" || tag == L"style") ? raw : DecodeEntities(raw);
            if (!raw.empty()) {
                nodes_[index].children.push_back(nodes_.size());
                nodes_.push_back(text);
            }
            nodes_[index].innerEnd = contentEnd;
            return close == std::wstring::npos ? src_.size() : SkipPast(close, L'>');
        }
        open_.push_back(index);
        return p;
    }

    std::wstring ReadValue(size_t& p) const {
        std::wstring value;
        if (p < src_.size() && (src_[p] == L'"' || src_[p] == L'\'')) {
            const wchar_t quote = src_[p++];
            const size_t end = src_.find(quote, p);
            const size_t stop = end == std::wstring::npos ? src_.size() : end;
            value = src_.substr(p, stop - p);
            p = end == std::wstring::npos ? src_.size() : end + 1;
            return value;
        }
        while (p < src_.size() && !IsSpace(src_[p]) && src_[p] != L'>')
            value += src_[p++];
        return value;
    }

    // An end tag closes the innermost open element of that name and everything opened inside it.
    void CloseElement(const std::wstring& name, size_t at) {
        for (size_t k = open_.size(); k-- > 1;) {
            if (nodes_[open_[k]].tag != name)
                continue;
            for (size_t j = k; j < open_.size(); ++j)
                nodes_[open_[j]].innerEnd = at;
            open_.resize(k);
            return;
        }
    }

    void AddText(size_t begin, size_t end) {
        if (end <= begin)
            return;
        HtmlNode text;
        text.isText = true;
        text.text = DecodeEntities(src_.substr(begin, end - begin));
        text.parent = open_.back();
        nodes_[text.parent].children.push_back(nodes_.size());
        nodes_.push_back(text);
    }

    const std::wstring& src_;
    std::vector<HtmlNode>& nodes_;
    std::vector<size_t> open_;
};

// Renders text the way innerText reads: collapsed spaces, one line break per block boundary.
class TextWriter {
public:
    void Text(const std::wstring& text) {
        for (wchar_t c : text) {
            if (IsSpace(c)) {
                pendingSpace_ = !out_.empty() && !AtLineStart();
                continue;
            }
            if (pendingSpace_)
                out_ += L' ';
            pendingSpace_ = false;
            out_ += c;
        }
    }
    void LineBreak(bool always) {
        pendingSpace_ = false;
        if (always || (!out_.empty() && !AtLineStart()))
            out_ += L"\r\n";
    }
    std::wstring Result() {
        while (!out_.empty() && IsSpace(out_.back()))
            out_.pop_back();
        return out_;
    }

private:
    bool AtLineStart() const { return out_.size() >= 2 && out_.compare(out_.size() - 2, 2, L"\r\n") == 0; }

    std::wstring out_;
    bool pendingSpace_ = false;
};

void WriteText(const std::vector<HtmlNode>& nodes, size_t index, TextWriter& writer) {
    const HtmlNode& node = nodes[index];
    if (node.isText) {
        writer.Text(node.text);
        return;
    }
    if (node.tag == L"br") {
        writer.LineBreak(true);
        return;
    }
    const bool block = IsBlockElement(node.tag);
    if (block)
        writer.LineBreak(false);
    for (size_t child : node.children)
        if (nodes[child].isText || !IsHiddenElement(nodes[child].tag))
            WriteText(nodes, child, writer);
    if (block)
        writer.LineBreak(false);
}

} // namespace

std::wstring AsciiLower(std::wstring text) {
    for (wchar_t& c : text)
        c = LowerAscii(c);
    return text;
}

HtmlPage::HtmlPage() {
    HtmlNode root;
    root.tag = L"#document";
    nodes_.push_back(root);
}

HtmlPage HtmlPage::Parse(std::wstring source) {
    HtmlPage page;
    page.source_ = std::move(source);
    page.nodes_.clear();
    Parser(page.source_, page.nodes_).Run();
    return page;
}

size_t HtmlPage::Body() const {
    for (size_t i = 0; i < nodes_.size(); ++i)
        if (!nodes_[i].isText && nodes_[i].tag == L"body")
            return i;
    return 0;
}

std::wstring HtmlPage::Title() const {
    for (const HtmlNode& node : nodes_) {
        if (node.isText || node.tag != L"title")
            continue;
        std::wstring text;
        for (size_t child : node.children)
            text += nodes_[child].text;
        return CollapseSpace(text);
    }
    return std::wstring();
}

size_t HtmlPage::FindById(const std::wstring& id) const {
    for (size_t i = 0; i < nodes_.size(); ++i) {
        const std::wstring* value = nodes_[i].isText ? nullptr : Attribute(i, L"id");
        if (value && *value == id)
            return i;
    }
    return npos;
}

std::wstring HtmlPage::InnerText(size_t element) const {
    if (element >= nodes_.size())
        return std::wstring();
    TextWriter writer;
    for (size_t child : nodes_[element].children)
        if (nodes_[child].isText || !IsHiddenElement(nodes_[child].tag))
            WriteText(nodes_, child, writer);
    return writer.Result();
}

std::wstring HtmlPage::InnerHtml(size_t element) const {
    if (element >= nodes_.size() || nodes_[element].isText)
        return std::wstring();
    const HtmlNode& node = nodes_[element];
    if (node.innerEnd <= node.innerBegin || node.innerEnd > source_.size())
        return std::wstring();
    return source_.substr(node.innerBegin, node.innerEnd - node.innerBegin);
}

const std::wstring* HtmlPage::Attribute(size_t element, const std::wstring& name) const {
    if (element >= nodes_.size())
        return nullptr;
    const std::wstring lower = AsciiLower(name);
    for (const auto& attribute : nodes_[element].attributes)
        if (attribute.first == lower)
            return &attribute.second;
    return nullptr;
}

void HtmlPage::SetAttribute(size_t element, const std::wstring& name, const std::wstring& value) {
    if (element >= nodes_.size() || nodes_[element].isText)
        return;
    const std::wstring lower = AsciiLower(name);
    for (auto& attribute : nodes_[element].attributes) {
        if (attribute.first == lower) {
            attribute.second = value;
            return;
        }
    }
    nodes_[element].attributes.emplace_back(lower, value);
}

std::vector<std::wstring> HtmlPage::SubresourceUrls() const {
    std::vector<std::wstring> urls;
    for (size_t i = 0; i < nodes_.size(); ++i) {
        if (nodes_[i].isText || (nodes_[i].tag != L"script" && nodes_[i].tag != L"img"))
            continue;
        const std::wstring* src = Attribute(i, L"src");
        if (src && !CollapseSpace(*src).empty())
            urls.push_back(CollapseSpace(*src));
    }
    return urls;
}

MetaRefresh HtmlPage::Refresh() const {
    MetaRefresh refresh;
    for (size_t i = 0; i < nodes_.size(); ++i) {
        if (nodes_[i].isText || nodes_[i].tag != L"meta")
            continue;
        const std::wstring* equiv = Attribute(i, L"http-equiv");
        const std::wstring* content = Attribute(i, L"content");
        if (!equiv || !content || !EqualsNoCase(CollapseSpace(*equiv), L"refresh"))
            continue;
        const std::wstring& text = *content;
        size_t p = 0;
        while (p < text.size() && IsSpace(text[p]))
            ++p;
        unsigned long seconds = 0;
        const size_t digitsStart = p;
        while (p < text.size() && IsAsciiDigit(text[p])) {
            if (seconds < 86400)
                seconds = seconds * 10 + (text[p] - L'0');
            ++p;
        }
        if (p == digitsStart)
            continue; // no delay: not a refresh a browser follows
        while (p < text.size() && (IsAsciiDigit(text[p]) || text[p] == L'.'))
            ++p;
        while (p < text.size() && (IsSpace(text[p]) || text[p] == L';' || text[p] == L','))
            ++p;
        if (FindNoCase(text, L"url", p) == p) {
            size_t q = p + 3;
            while (q < text.size() && IsSpace(text[q]))
                ++q;
            if (q < text.size() && text[q] == L'=')
                p = q + 1;
        }
        std::wstring url = CollapseSpace(text.substr(p));
        if (url.size() >= 2 && (url.front() == L'\'' || url.front() == L'"')) {
            const size_t close = url.find(url.front(), 1);
            url = url.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
        }
        refresh.present = true;
        refresh.seconds = seconds > 86400 ? 86400 : static_cast<unsigned>(seconds);
        refresh.url = url;
        return refresh;
    }
    return refresh;
}

std::vector<std::wstring> HtmlPage::ScriptWindowOpens() const {
    std::vector<std::wstring> urls;
    for (size_t i = 0; i < nodes_.size(); ++i) {
        if (nodes_[i].isText || nodes_[i].tag != L"script" || Attribute(i, L"src"))
            continue;
        for (size_t child : nodes_[i].children) {
            const std::wstring& code = nodes_[child].text;
            size_t at = 0;
            while ((at = code.find(L"window.open", at)) != std::wstring::npos) {
                size_t p = at + 11;
                at = p;
                while (p < code.size() && IsSpace(code[p]))
                    ++p;
                if (p >= code.size() || code[p] != L'(')
                    continue;
                ++p;
                while (p < code.size() && IsSpace(code[p]))
                    ++p;
                if (p >= code.size() || (code[p] != L'\'' && code[p] != L'"'))
                    continue;
                const size_t close = code.find(code[p], p + 1);
                if (close == std::wstring::npos)
                    continue;
                urls.push_back(code.substr(p + 1, close - p - 1));
                at = close;
            }
        }
    }
    return urls;
}

std::vector<FlashObject> HtmlPage::FlashObjects() const {
    std::vector<FlashObject> objects;
    auto isFlash = [this](size_t i) {
        if (nodes_[i].isText || (nodes_[i].tag != L"embed" && nodes_[i].tag != L"object"))
            return false;
        const std::wstring* type = Attribute(i, L"type");
        return type && EqualsNoCase(CollapseSpace(*type), L"application/x-shockwave-flash");
    };
    for (size_t i = 0; i < nodes_.size(); ++i) {
        if (!isFlash(i))
            continue;
        bool fallback = false;
        for (size_t up = nodes_[i].parent; up != npos && !fallback; up = nodes_[up].parent)
            fallback = nodes_[up].tag == L"object" && isFlash(up);
        if (fallback)
            continue;
        FlashObject object;
        const std::wstring* src = Attribute(i, nodes_[i].tag == L"object" ? L"data" : L"src");
        if (src)
            object.src = CollapseSpace(*src);
        int value = 0;
        bool percent = false;
        const std::wstring* width = Attribute(i, L"width");
        if (width && ParseLength(*width, value, percent)) {
            object.width = value;
            object.widthPercent = percent;
        }
        const std::wstring* height = Attribute(i, L"height");
        if (height && ParseLength(*height, value, percent)) {
            object.height = value;
            object.heightPercent = percent;
        }
        objects.push_back(object);
    }
    return objects;
}

namespace {

UINT CodePageOfCharset(std::wstring charset) {
    charset = AsciiLower(CollapseSpace(charset));
    if (charset.size() >= 2 && (charset.front() == L'"' || charset.front() == L'\''))
        charset = charset.substr(1, charset.size() - 2);
    static const struct {
        const wchar_t* name;
        UINT codePage;
    } kCharsets[] = {{L"utf-8", CP_UTF8},     {L"utf8", CP_UTF8},  {L"gbk", 936},
                     {L"gb2312", 936},        {L"gb18030", 54936}, {L"big5", 950},
                     {L"shift_jis", 932},     {L"euc-kr", 949},    {L"iso-8859-1", 1252},
                     {L"windows-1252", 1252}, {L"us-ascii", 1252}, {L"windows-1251", 1251}};
    for (const auto& known : kCharsets)
        if (charset == known.name)
            return known.codePage;
    return 0;
}

// The value after "charset=" in a header or attribute text; empty when absent.
std::wstring CharsetIn(const std::wstring& text) {
    const size_t at = FindNoCase(text, L"charset", 0);
    if (at == std::wstring::npos)
        return std::wstring();
    size_t p = at + 7;
    while (p < text.size() && IsSpace(text[p]))
        ++p;
    if (p >= text.size() || text[p] != L'=')
        return std::wstring();
    ++p;
    while (p < text.size() && (IsSpace(text[p]) || text[p] == L'"' || text[p] == L'\''))
        ++p;
    size_t end = p;
    while (end < text.size() && (std::iswalnum(text[end]) || text[end] == L'-' || text[end] == L'_'))
        ++end;
    return text.substr(p, end - p);
}

bool Convert(UINT codePage, const char* bytes, int size, DWORD flags, std::wstring& out) {
    out.clear();
    if (size == 0)
        return true;
    const int length = MultiByteToWideChar(codePage, flags, bytes, size, nullptr, 0);
    if (length <= 0)
        return false;
    out.resize(static_cast<size_t>(length));
    return MultiByteToWideChar(codePage, flags, bytes, size, &out[0], length) == length;
}

} // namespace

std::wstring DecodeHtmlBytes(const std::string& bytes, const std::wstring& contentType) {
    std::wstring text;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        text.assign(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
        return text;
    }
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        Convert(CP_UTF8, bytes.data() + 3, static_cast<int>(bytes.size() - 3), 0, text);
        return text;
    }
    UINT codePage = CodePageOfCharset(CharsetIn(contentType));
    if (codePage == 0) {
        // The charset of a <meta> near the start: its text is ASCII in every charset the pages use.
        const std::string head = bytes.substr(0, 1024);
        std::wstring asciiHead(head.begin(), head.end());
        for (wchar_t& c : asciiHead)
            c &= 0x7F;
        codePage = CodePageOfCharset(CharsetIn(asciiHead));
    }
    const int size = static_cast<int>(bytes.size());
    if (codePage != 0 && Convert(codePage, bytes.data(), size, 0, text))
        return text;
    if (Convert(CP_UTF8, bytes.data(), size, MB_ERR_INVALID_CHARS, text))
        return text;
    Convert(1252, bytes.data(), size, 0, text);
    return text;
}

} // namespace standin
