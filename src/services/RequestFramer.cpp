#include "services/RequestFramer.h"

#include <algorithm>
#include <cctype>

namespace qdv {
namespace {

// A piece of markup (a tag, a comment, a declaration) longer than this is no part of a request.
constexpr std::size_t kMaxMarkup = 65536;
constexpr std::size_t kNotFound = std::string_view::npos;
constexpr std::string_view kNotXml = "The request is not XML.";

bool Space(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && Space(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && Space(s.back()))
        s.remove_suffix(1);
    return s;
}

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

void RequestFramer::Reset() {
    *this = RequestFramer(m_limits);
}

RequestFramer::Result RequestFramer::Refuse(int status, std::string why) {
    Result r;
    r.status = Status::kRefused;
    r.httpStatus = status;
    r.why = std::move(why);
    return r;
}

std::string RequestFramer::Count(std::string_view xml, XmlCount& x) const {
    while (x.pos < xml.size() && !x.rootClosed) {
        const std::string_view rest = xml.substr(x.pos);
        if (rest.front() != '<') {
            const std::size_t next = std::min(rest.find('<'), rest.size());
            // Outside the root element only white space, and a byte order mark at the very start.
            if (x.depth == 0) {
                std::string_view text = rest.substr(0, next);
                if (x.pos == 0 && text.starts_with("\xEF\xBB\xBF"))
                    text.remove_prefix(3);
                if (!std::all_of(text.begin(), text.end(), Space))
                    return std::string(kNotXml);
            }
            x.pos += next;
            continue;
        }
        if (rest.size() < 2)
            return {};
        std::size_t end = kNotFound; // just past the markup
        int depthChange = 0;
        int attributes = 0;
        bool element = false;
        if (rest[1] == '?') {
            if (const std::size_t e = rest.find("?>", 2); e != kNotFound)
                end = e + 2;
        } else if (rest[1] == '!') {
            constexpr std::string_view kCdata = "<![CDATA[";
            if (rest.size() < kCdata.size() && (kCdata.starts_with(rest) || rest == "<!-"))
                return {};
            if (rest.starts_with("<!--")) {
                if (const std::size_t e = rest.find("-->", 4); e != kNotFound)
                    end = e + 3;
            } else if (rest.starts_with(kCdata)) {
                if (x.depth == 0)
                    return std::string(kNotXml);
                if (const std::size_t e = rest.find("]]>", kCdata.size()); e != kNotFound)
                    end = e + 3;
            } else if (const std::size_t e = rest.find('>', 2); e != kNotFound) {
                end = e + 1; // a declaration such as a document type, which the parser refuses itself
            }
        } else if (rest[1] == '/') {
            if (x.depth == 0)
                return std::string(kNotXml);
            if (const std::size_t e = rest.find('>', 2); e != kNotFound) {
                end = e + 1;
                depthChange = -1;
            }
        } else {
            // A start tag: to its '>', which may also stand inside quoted attribute values.
            char quote = 0;
            for (std::size_t i = 1; i < rest.size(); ++i) {
                const char c = rest[i];
                if (quote) {
                    if (c == quote)
                        quote = 0;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '=') {
                    if (++attributes > m_limits.maxAttributesPerElement)
                        break; // refused below, without waiting for the rest of the tag
                } else if (c == '>') {
                    end = i + 1;
                    element = true;
                    depthChange = rest[i - 1] == '/' ? 0 : 1;
                    break;
                }
            }
        }
        if (attributes > m_limits.maxAttributesPerElement)
            return "The request has an element with more than " +
                   std::to_string(m_limits.maxAttributesPerElement) + " attributes.";
        if (end == kNotFound) {
            if (rest.size() > kMaxMarkup)
                return "The request holds a tag, comment or declaration longer than " +
                       std::to_string(kMaxMarkup) + " bytes.";
            return {}; // the rest of the markup is still to come
        }
        if (element) {
            if (x.depth == 0 && x.elements > 0)
                return std::string(kNotXml);
            ++x.elements;
            x.attributes += attributes;
            if (x.elements > m_limits.maxElements)
                return "The request has more than " + std::to_string(m_limits.maxElements) + " elements.";
            if (x.attributes > m_limits.maxAttributes)
                return "The request has more than " + std::to_string(m_limits.maxAttributes) + " attributes.";
            if (x.depth + depthChange > m_limits.maxDepth)
                return "The request nests elements deeper than " + std::to_string(m_limits.maxDepth) +
                       " levels.";
            if (depthChange == 0 && x.depth == 0)
                x.rootClosed = true;
        }
        x.depth += depthChange;
        if (depthChange < 0 && x.depth == 0)
            x.rootClosed = true;
        x.pos += end;
    }
    return {};
}

RequestFramer::Result RequestFramer::ParseHeader(std::string_view data) {
    std::size_t end = kNotFound;
    std::size_t bodyStart = 0;
    for (std::size_t nl = data.find('\n'); nl != kNotFound; nl = data.find('\n', nl + 1)) {
        if (nl + 1 < data.size() && data[nl + 1] == '\n') {
            end = nl + 1;
            bodyStart = nl + 2;
            break;
        }
        if (nl + 2 < data.size() && data[nl + 1] == '\r' && data[nl + 2] == '\n') {
            end = nl + 1;
            bodyStart = nl + 3;
            break;
        }
    }
    if (end == kNotFound || end > m_limits.maxHeaderBytes) {
        if (data.size() > m_limits.maxHeaderBytes)
            return Refuse(431, "The request's header is longer than " +
                                   std::to_string(m_limits.maxHeaderBytes) + " bytes.");
        return {};
    }
    std::string_view header = data.substr(0, end);
    bool first = true;
    bool hasLength = false;
    bool post = false;
    while (!header.empty()) {
        const std::size_t nl = header.find('\n');
        std::string_view line = header.substr(0, nl);
        header.remove_prefix(nl == kNotFound ? header.size() : nl + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (first) {
            first = false;
            const std::size_t a = line.find(' ');
            const std::size_t b = line.rfind(' ');
            const std::string_view method = line.substr(0, a);
            const std::string_view version = b == kNotFound ? std::string_view() : line.substr(b + 1);
            if (a == kNotFound || a == b || method.empty() ||
                !std::all_of(method.begin(), method.end(), [](char c) { return c >= 'A' && c <= 'Z'; }) ||
                (version != "HTTP/1.1" && version != "HTTP/1.0"))
                return Refuse(400, "The request is neither HTTP/1.x nor a SOAP envelope.");
            post = method == "POST" || method == "PUT" || method == "PATCH";
            m_keepAlive = version == "HTTP/1.1";
            continue;
        }
        const std::size_t colon = line.find(':');
        if (colon == kNotFound)
            return Refuse(400, "The request has a header line without a colon.");
        const std::string_view name = Trim(line.substr(0, colon));
        const std::string_view value = Trim(line.substr(colon + 1));
        if (SameText(name, "Content-Length")) {
            if (value.empty() || value.size() > 18 ||
                !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; }))
                return Refuse(400, "The request's Content-Length is not a number.");
            const std::uint64_t length = std::stoull(std::string(value));
            if (hasLength && length != m_contentLength)
                return Refuse(400, "The request gives two different Content-Length values.");
            hasLength = true;
            m_contentLength = length;
        } else if (SameText(name, "Transfer-Encoding") && !SameText(value, "identity")) {
            return Refuse(411, "A request must give its Content-Length.");
        } else if (SameText(name, "Connection")) {
            std::string_view tokens = value;
            while (!tokens.empty()) {
                const std::size_t comma = tokens.find(',');
                const std::string_view token = Trim(tokens.substr(0, comma));
                tokens.remove_prefix(comma == kNotFound ? tokens.size() : comma + 1);
                if (SameText(token, "close"))
                    m_keepAlive = false;
                else if (SameText(token, "keep-alive"))
                    m_keepAlive = true;
            }
        } else if (SameText(name, "Expect") && SameText(value, "100-continue")) {
            m_continueSent = false;
            m_expectContinue = true;
        }
    }
    if (post && !hasLength)
        return Refuse(411, "A request must give its Content-Length.");
    if (m_contentLength > m_limits.maxBodyBytes)
        return Refuse(413, "The request is longer than " + std::to_string(m_limits.maxBodyBytes) + " bytes.");
    m_http = true;
    m_headerDone = true;
    m_bodyStart = bodyStart;
    Result r;
    r.status = Status::kComplete;
    return r;
}

RequestFramer::Result RequestFramer::Feed(std::string_view data) {
    if (data.empty())
        return {};
    m_started = true;
    if (!m_headerDone) {
        const char c = data.front();
        if (c == '<' || Space(c) || c == '\xEF') {
            m_headerDone = true; // a bare envelope
        } else if (Result r = ParseHeader(data); r.status != Status::kComplete) {
            return r;
        }
    }
    if (m_http) {
        const std::size_t available = data.size() - m_bodyStart;
        const std::size_t body =
            static_cast<std::size_t>(std::min<std::uint64_t>(available, m_contentLength));
        // Malformed XML is left to the parser, which says what is wrong with it; only what would cost it
        // dearly is refused here.
        if (!m_xmlGaveUp) {
            std::string why = Count(data.substr(m_bodyStart, body), m_xml);
            if (why == kNotXml)
                m_xmlGaveUp = true;
            else if (!why.empty())
                return Refuse(500, std::move(why));
        }
        Result r;
        if (available >= m_contentLength) {
            r.status = Status::kComplete;
            r.length = m_bodyStart + static_cast<std::size_t>(m_contentLength);
            r.keepAlive = m_keepAlive;
        } else if (m_expectContinue && !m_continueSent) {
            m_continueSent = true;
            r.sendContinue = true;
        }
        return r;
    }
    if (std::string why = Count(data, m_xml); !why.empty()) {
        const int status = why == kNotXml ? 400 : 500;
        return Refuse(status, std::move(why));
    }
    if (m_xml.rootClosed) {
        Result r;
        r.status = Status::kComplete;
        r.length = m_xml.pos;
        return r; // a bare envelope asks for nothing: the connection ends with the answer
    }
    if (data.size() > m_limits.maxBodyBytes)
        return Refuse(413, "The request is longer than " + std::to_string(m_limits.maxBodyBytes) + " bytes.");
    return {};
}

} // namespace qdv
