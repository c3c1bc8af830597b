#include "cli/help.h"

#include "protocol/result.h"

const char kVersion[] = FUSELOX_VERSION;  // defined by CMakeLists.txt

namespace {

// Wide text as it reaches the console: UTF-8.
std::string utf8(const std::u16string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

void printHeading() {
  printResult(std::string("\n\nFuselox v") + kVersion +
              " - repaint installer and aircraft.cfg editor for FSX\n");
  printResult("Free to use and to ship with any installer.\n");
  printResult("===============================================================\n");
}

const char* const kHelpBody[] = {
    "\n",
    "Return values are always 1 on success; 0 on error.\n",
    "\n",
    "SANITIZE_VARIANTS \"aircraft folder name\"\n",
    "\n",
    "INSTALL_VARIANT \"aircraft folder name\" \"source file\"\n",
    "INSTALL_VARIANT_BY_PATH \"folder containing aircraft.cfg file\" \"source file\"\n",
    "Optional switches that apply: \n",
    "\t/SOURCEFILE_IN_AIRCRAFT_FOLDER \n",
    "\t/PREVENT_DUPLICATES_BY_TITLE (*DEFAULT*) \n",
    "\t/ALLOW_DUPLICATES_BY_TITLE\n",
    "\t/PREVENT_DUPLICATES_BY_TEXTURE \n",
    "\t/ALLOW_DUPLICATES_BY_TEXTURE (*DEFAULT*) \n",
    "\t/DELETE_SOURCEFILE_AFTER_INSTALL \n",
    "\t/COPY_TEXTURE_FOLDERS \n",
    "\t/DELETE_TEXTURE_FOLDERS_AFTER_INSTALL \n",
    "\n",
    "REMOVE_VARIANT_BY_TITLE \"aircraft folder name\" \"title\"\n",
    "REMOVE_VARIANT_BY_TEXTURE \"aircraft folder name\" \"texture\"\n",
    "Optional switches that apply: \n",
    "\t/REMOVAL_NONDESTRUCTIVE (*DEFAULT*)\n",
    "\t/REMOVAL_DESTRUCTIVE \n",
    "\t/REMOVAL_DELETETEXTUREFOLDER\n",
    "\n",
    "VERIFY_AIRCRAFT \"aircraft folder name\" \n",
    "VERIFY_TITLE \"aircraft folder name\" \"title\"\n",
    "VERIFY_TEXTURE \"aircraft folder name\" \"texture\"\n",
    "\n",
    "DUMP_ALL_TITLE \"aircraft folder name\" \n",
    "DUMP_ALL_TEXTURE \"aircraft folder name\" \n",
    "DUMP_ALL_TEXTURE_TITLE \"aircraft folder name\" \n",
    "DUMP_ALL_AIRCRAFT\n",
    "\n",
    "PRINT_PATH_AIRCRAFT \"aircraft folder name\" \n",
    "PRINT_PATH_FSX\n",
    "PRINT_VERSION\n",
    "\n",
    "CHANGE_VARIANT_PARAMETER_BY_TITLE \"aircraft folder name\" \"title\" \"parameter\" \"new "
    "value\"\n",
    "CHANGE_VARIANT_PARAMETER_BY_TEXTURE \"aircraft folder name\" \"texture\" \"parameter\" \"new "
    "value\"\n",
    "CHANGE_GLOBAL_PARAMETER \"aircraft folder name\" \"section\" \"parameter\" \"new value\"\n",
    "APPEND_TEXT \"aircraft folder name\" \"source file\"\n\n",
    "\n",
    "READ_VARIANT_PARAMETER_BY_TITLE \"aircraft folder name\" \"title\" \"parameter\"\n",
    "READ_VARIANT_PARAMETER_BY_TEXTURE \"aircraft folder name\" \"texture\" \"parameter\"\n",
    "READ_GLOBAL_PARAMETER \"aircraft folder name\" \"section\" \"parameter\"\n",
    "\n",
    "BINPATCH_MAKE \"filename of old version\" \"filename of new version\" \"filename of patch\"\n",
    "BINPATCH_APPLY \"aircraft\" \"relative path to file\" \"filename of patch\"\n",
    "BINPATCH_APPLY_TO_FSX \"relative path to file\" \"filename of patch\"\n",
    // The simulators of the family, after the classic text.
    "\n",
    "DUMP_ALL_SIMULATORS\n",
    "Optional switches that apply to every command but PRINT_VERSION and BINPATCH_MAKE: \n",
    "\t/SIMULATOR_FSX (*DEFAULT*)\n",
    "\t/SIMULATOR_FSX_SE\n",
    "\t/SIMULATOR_P3D_V3\n",
    "\t/SIMULATOR_P3D_V4\n",
    "\t/SIMULATOR_P3D_V5\n",
    "\t/SIMULATOR_P3D_V6\n",
};

}  // namespace

void printBanner(const std::u16string& programName) {
  printHeading();
  printResult("This utility allows you to inject data and make changes to an\n");
  printResult("aircraft.cfg file (FSX only). Common uses involve issuing\n");
  printResult("aircraft.cfg patches, or installing/removing variants/repaints.\n");
  printResult("Intended for installers and scripts (batch files).\n");
  printResult("The README shipped with this program explains every command in detail.\n\n");
  printResult("Type " + utf8(programName) + " help for more information\n");
}

void printHelp(const std::u16string& programName) {
  printHeading();
  printResult("Usage:\n");
  printResult(utf8(programName) +
              " <Required parameters see below> [optional switches as needed]\n");
  for (const char* item : kHelpBody) printResult(item);
}
