#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qdv {

// Finds where one request to a hosted service ends in the bytes a client sent, before any of it is
// parsed for real, and refuses what no operation can need. A request is either HTTP (a request line,
// header lines and exactly Content-Length bytes of body) or a bare XML envelope without any HTTP, as
// network controllers' clients send it, which ends with its root element. The XML is counted on the
// way (elements, attributes, depth) so that a request that would cost the parser dearly is refused
// while it arrives. Bytes are fed as they come; the framer keeps its place between calls.
class RequestFramer {
public:
    struct Limits {
        std::uint64_t maxBodyBytes = 1 << 20;
        std::size_t maxHeaderBytes = 16384;
        int maxElements = 16384;
        int maxAttributesPerElement = 32;
        int maxAttributes = 32768;
        int maxDepth = 32;
    };
    enum class Status { kIncomplete, kComplete, kRefused };
    struct Result {
        Status status = Status::kIncomplete;
        std::size_t length = 0;    // kComplete: bytes of the request
        bool keepAlive = false;    // kComplete: the client asked for the connection to stay open
        bool sendContinue = false; // the client waits for "100 Continue" before its body
        int httpStatus = 0;        // kRefused: 400, 411, 413, 431, or 500 for a SOAP fault
        std::string why;           // kRefused: for the answer
    };

    explicit RequestFramer(Limits limits) : m_limits(limits) {}

    // `data` holds everything received since the request began (it only grows between calls). After
    // kComplete or kRefused, Reset before the next request.
    Result Feed(std::string_view data);
    void Reset();

    // Whether any byte of a request has been seen since the last Reset.
    bool Started() const { return m_started; }

private:
    // A resumable count of XML markup: it stops before a piece of markup that has not fully arrived.
    struct XmlCount {
        std::size_t pos = 0; // relative to the start of the XML
        int depth = 0;
        int elements = 0;
        int attributes = 0;
        bool rootClosed = false;
    };
    // Advances `x` over `xml`; a non-empty answer says why the XML is refused.
    std::string Count(std::string_view xml, XmlCount& x) const;
    Result ParseHeader(std::string_view data);
    static Result Refuse(int status, std::string why);

    Limits m_limits;
    bool m_started = false;
    bool m_http = false;
    bool m_headerDone = false;
    bool m_expectContinue = false;
    bool m_continueSent = false;
    bool m_xmlGaveUp = false; // malformed XML in an HTTP body: left to the parser to answer
    bool m_keepAlive = false;
    std::size_t m_bodyStart = 0;
    std::uint64_t m_contentLength = 0;
    XmlCount m_xml;
};

} // namespace qdv
