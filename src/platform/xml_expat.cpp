// The XML reader on POSIX: expat, Debian's packaged parser. It detects the
// encoding itself (byte-order mark, declaration) and gives UTF-8; it never
// fetches an external entity.
#include <expat.h>

#include "platform/platform.h"

namespace platform {
namespace {

void XMLCALL onStart(void* data, const XML_Char* name, const XML_Char**) {
  static_cast<std::vector<XmlEvent>*>(data)->push_back({XmlEvent::kStart, name});
}

void XMLCALL onEnd(void* data, const XML_Char* name) {
  static_cast<std::vector<XmlEvent>*>(data)->push_back({XmlEvent::kEnd, name});
}

// Text may arrive in pieces (around entities, at buffer ends): one event.
void XMLCALL onText(void* data, const XML_Char* text, int length) {
  auto* events = static_cast<std::vector<XmlEvent>*>(data);
  if (events->empty() || events->back().kind != XmlEvent::kText) {
    events->push_back({XmlEvent::kText, ""});
  }
  events->back().text.append(text, length);
}

}  // namespace

bool readXmlEvents(const std::string& bytes, std::vector<XmlEvent>* events) {
  events->clear();
  if (bytes.size() > 0x7FFFFFFF) return false;
  XML_Parser parser = XML_ParserCreate(nullptr);
  if (parser == nullptr) return false;
  XML_SetUserData(parser, events);
  XML_SetElementHandler(parser, onStart, onEnd);
  XML_SetCharacterDataHandler(parser, onText);
  bool ok = XML_Parse(parser, bytes.data(), static_cast<int>(bytes.size()), 1) == XML_STATUS_OK;
  XML_ParserFree(parser);
  return ok;
}

}  // namespace platform
