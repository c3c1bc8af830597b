// The XML reader on POSIX: expat, Debian's packaged parser. It detects the
// encoding itself (byte-order mark, declaration) and gives UTF-8; it never
// fetches an external entity. A document type declaration is refused, as
// XmlLite refuses it, so that both programs read the same documents.
#include <expat.h>

#include "platform/platform.h"

namespace platform {
namespace {

struct Reading {
  XML_Parser parser;
  std::vector<XmlEvent>* events;
};

void XMLCALL onStart(void* data, const XML_Char* name, const XML_Char**) {
  static_cast<Reading*>(data)->events->push_back({XmlEvent::kStart, name});
}

void XMLCALL onEnd(void* data, const XML_Char* name) {
  static_cast<Reading*>(data)->events->push_back({XmlEvent::kEnd, name});
}

// Text may arrive in pieces (around entities, at buffer ends): one event.
void XMLCALL onText(void* data, const XML_Char* text, int length) {
  std::vector<XmlEvent>* events = static_cast<Reading*>(data)->events;
  if (events->empty() || events->back().kind != XmlEvent::kText) {
    events->push_back({XmlEvent::kText, ""});
  }
  events->back().text.append(text, length);
}

void XMLCALL onDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
  XML_StopParser(static_cast<Reading*>(data)->parser, XML_FALSE);
}

}  // namespace

bool readXmlEvents(const std::string& bytes, std::vector<XmlEvent>* events) {
  events->clear();
  if (bytes.size() > 0x7FFFFFFF) return false;
  XML_Parser parser = XML_ParserCreate(nullptr);
  if (parser == nullptr) return false;
  Reading reading = {parser, events};
  XML_SetUserData(parser, &reading);
  XML_SetStartDoctypeDeclHandler(parser, onDoctype);
  XML_SetElementHandler(parser, onStart, onEnd);
  XML_SetCharacterDataHandler(parser, onText);
  bool ok = XML_Parse(parser, bytes.data(), static_cast<int>(bytes.size()), 1) == XML_STATUS_OK;
  XML_ParserFree(parser);
  return ok;
}

}  // namespace platform
