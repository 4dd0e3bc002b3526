// The head of an XML file as the exporter writes it, spelled out independently of the
// writer's own constants so that tests compare against the format itself.
#pragma once

#include <string>

namespace kelmor::test {

inline const char* const kXMLDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

inline const char* const kXMLDocumentTypeDefinition =
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

}  // namespace kelmor::test
