#include "interchange/txmlwriter.h"

namespace kelmor {

const std::string& TXMLWriter::Declaration() {
    static const std::string declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    return declaration;
}

const std::string& TXMLWriter::DocumentTypeDefinition() {
    static const std::string definition =
        "<!DOCTYPE kelmor [\r\n"
        "  <!ELEMENT kelmor (node | link)*>\r\n"
        "    <!ATTLIST kelmor version CDATA #REQUIRED>\r\n"
        "    <!ATTLIST kelmor filename CDATA #IMPLIED>\r\n"
        "    <!ATTLIST kelmor date CDATA #IMPLIED>\r\n"
        "    <!ATTLIST kelmor dp CDATA \".\">\r\n"
        "  <!ELEMENT link EMPTY>\r\n"
        "    <!ATTLIST link source CDATA #REQUIRED>\r\n"
        "  <!ELEMENT node (node | link | value)*>\r\n"
        "    <!ATTLIST node description CDATA #REQUIRED>\r\n"
        "  <!ELEMENT value (#PCDATA)>\r\n"
        "    <!ATTLIST value description CDATA #REQUIRED>\r\n"
        "    <!ATTLIST value type CDATA #REQUIRED>\r\n"
        "]>\r\n";
    return definition;
}

TXMLWriter::TXMLWriter(TOutputStream& stream, bool withDefinition, bool withDeclaration) : stream_(stream) {
    if (withDeclaration) stream_.Write(Declaration());
    if (withDefinition) stream_.Write(DocumentTypeDefinition());
    WriteLineBreak();
}

std::string TXMLWriter::Escape(std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(text.size() + text.size() / 8);
    for (const char c : text) {
        const auto byte = static_cast<uint8_t>(c);
        switch (c) {
            case '"': escaped += "&quot;"; continue;
            case '&': escaped += "&amp;"; continue;
            case '\'': escaped += "&apos;"; continue;
            case '<': escaped += "&lt;"; continue;
            case '>': escaped += "&gt;"; continue;
            default: break;
        }
        if (byte < 0x20 || byte >= 0x7F) {
            escaped += "&#x";
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 15];
            escaped += ';';
        } else {
            escaped += c;
        }
    }
    return escaped;
}

void TXMLWriter::WriteRaw(std::string_view text) {
    if (!text.empty()) stream_.Write(text);
}

void TXMLWriter::WriteLineBreak() { stream_.Write("\r\n"); }

void TXMLWriter::WriteText(std::string_view text) {
    if (!text.empty()) stream_.Write(Escape(text));
}

void TXMLWriter::OpenElement(const std::string& name, const TXMLAttributes* attributes) {
    std::string tag = "<" + name;
    if (attributes) {
        for (const TXMLAttribute& attribute : attributes->Items())
            tag += " " + attribute.name + "=\"" + Escape(attribute.value) + "\"";
    }
    tag += '>';
    stream_.Write(tag);
    openElements_.push_back(name);
}

void TXMLWriter::CloseElement() {
    if (openElements_.empty()) return;
    stream_.Write("</" + openElements_.back() + ">\r\n");
    openElements_.pop_back();
}

}  // namespace kelmor
