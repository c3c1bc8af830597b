// The platform layer: the only interface between Fuselox and the operating
// system. Everything above it sees narrow text (file content: one byte per
// character, the code points U+0000 to U+00FF) and paths, Windows-form or
// host, such as "C:\FSX\SimObjects\Airplanes\\C172\aircraft.cfg".
//
// Paths are UTF-8 text, so that every name reaches the file system without
// loss (a user called Lukasz with a stroked L, a texture "SP-\u0141OT_t.dds").
// Windows turns them into UTF-16; POSIX uses the bytes as host names. Where
// file content becomes part of a path, PathFromNarrow widens it first.
//
// Two implementations exist: platform_win32.cpp calls the real Win32
// services; platform_posix.cpp reads the same facts from a Wine prefix
// ($WINEPREFIX, else $HOME/.wine). The build compiles exactly one of them.
#ifndef FUSELOX_PLATFORM_PLATFORM_H_
#define FUSELOX_PLATFORM_PLATFORM_H_

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// ---- Case and names: pure functions, the same on both targets ------------

// The one case folding of the program (file content, file names, command
// words): ASCII letters upper-cased, every other byte or unit kept.
template <typename Unit>
constexpr Unit upperAscii(Unit c) {
  return (c >= 'a' && c <= 'z') ? static_cast<Unit>(c - 'a' + 'A') : c;
}

// Equal texts, ASCII letters compared without regard to case.
bool equalsIgnoringAsciiCase(const std::string& a, const std::string& b);

// The classic one-byte form of wide text: the low byte of each UTF-16 unit.
std::string narrowFromWide(const std::u16string& wide);

// Narrow text (each byte the code point U+0000 to U+00FF) as a path.
std::string pathFromNarrow(const std::string& narrow);

// A path in the classic one-byte form: the low byte of each UTF-16 code unit.
std::string narrowFromPath(const std::string& path);

// UTF-16 code units as a path. A lone surrogate is kept (as its three-byte
// form), so that every name a listing gives can be used again.
std::string pathFromWide(const std::u16string& wide);

// A path as UTF-16 code units; a byte that does not start a valid UTF-8
// sequence stands for itself (U+0080 to U+00FF).
std::u16string wideFromPath(const std::string& path);

// The length of a path as Windows counts it: UTF-16 code units.
size_t pathLength(const std::string& path);

// ---- The system ---------------------------------------------------------

// The registry value "AppPath" under HKCU "Software\Microsoft\Microsoft
// Games\Flight Simulator\10.0", as a path. Fails when the key or value is
// missing or when the value does not fit 1024 bytes of wide data with its
// terminator (more than 511 characters).
bool readSimulatorAppPath(std::string* out);

// The current user's roaming application-data folder, as a path.
bool readRoamingAppDataFolder(std::string* out);

// Opens an existing regular file for reading in binary mode. Returns nullptr
// at once for anything else (missing, a folder, a FIFO, a device), so that a
// read never blocks or runs without end. Text-mode translation is never left
// to the C runtime: see cfg/text_file.h.
FILE* openForReading(const std::string& path);

// Creates a new, empty working file for writing in binary mode. A stale
// entry of that name (a file, or a link, which is removed itself and never
// followed) is removed first; the file is then created exclusively, never
// through a link (O_CREAT|O_EXCL|O_NOFOLLOW; CREATE_NEW with
// FILE_FLAG_OPEN_REPARSE_POINT). nullptr when it cannot be created.
FILE* createNewFile(const std::string& path);

// Reads a whole file. False when it cannot be opened or a read fails.
bool readWholeFile(const std::string& path, std::string* data);

// True when the file exists and is marked read-only (Windows: the read-only
// attribute; POSIX: no write permission bit at all, which also holds for
// root).
bool isReadOnlyFile(const std::string& path);

// Flushes a stream's buffers and asks the system to put its data on disk.
bool syncFile(FILE* file);

// Asks the system to put a folder's entries (names created, renamed or
// removed in it) on disk. True where the system has no such call.
bool syncFolder(const std::string& folder);

// What a path names, without following a final link.
enum class EntryKind { kMissing, kFile, kFolder, kLink, kOther };
EntryKind inspect(const std::string& path);

// The path of the file a path finally names through symbolic links (or
// junctions), usable as a path again; the path itself when it is no link or
// the link cannot be resolved. A working file goes beside this file, so that
// it can replace it in one step even when the link crosses file systems.
std::string finalPath(const std::string& path);

// Puts the complete file `working` in place of `target` in one step, so that
// a crash leaves either the old or the new target. A target reached through
// a symbolic link stays a link (the file it points to is replaced; the
// working file must lie beside that file, see FinalPath). The replaced file
// keeps its owner, group and mode. A read-only target, or one that is no
// regular file, is refused. On success `working` no longer exists; on
// failure the target is unchanged and `working` is left to the caller.
bool putFileInPlace(const std::string& working, const std::string& target);

// Deletes a file, or a link itself (never what it points to); false for a
// folder or when it could not be deleted.
bool removeFile(const std::string& path);

// Creates a folder; false when it exists already or cannot be created.
bool createFolder(const std::string& path);

// Renames a folder to a name that does not exist yet; false otherwise.
bool renameFolder(const std::string& from, const std::string& to);

// Removes an empty folder, or a link (symbolic link or junction) to a folder
// itself, leaving its target untouched; false otherwise.
bool removeFolder(const std::string& path);

// True when both paths name one existing file or folder, however spelled
// (other letter case on Windows, "./", links).
bool sameExistingFile(const std::string& a, const std::string& b);

// Lists the entries of a folder that match a name pattern. `pattern` is a
// folder path, a separator ("\" or "/") and a name pattern in which "*" is
// any run of characters; names compare ignoring ASCII case and a pattern
// ending in ".*" also matches a name without any ".". "." and ".." come
// first where they match, then the names sorted ignoring ASCII case (ties in
// byte order), the same on every target. False when the folder cannot be
// listed.
bool listFolder(const std::string& pattern, std::vector<std::string>* names);

// True when `name` matches the name pattern under the rules above. Shared by
// both targets (listing.cpp) so that they agree.
bool nameMatchesPattern(const std::string& name, const std::string& pattern);

// True when a component of the path is a reserved Windows device name (CON,
// PRN, AUX, NUL, CONIN$, CONOUT$, COM1-9, LPT1-9 and COM or LPT with a
// superscript 1, 2 or 3, with any extension).
// Win32 would take such a name in any folder as the device (reading CON waits
// for the console; writing NUL throws the data away), so both targets refuse
// to open, create or delete it: the program only ever means files.
bool namesDevice(const std::string& path);

// Sorts names as a listing returns them. Shared by both targets.
void sortListing(std::vector<std::string>* names);

// ---- Names and relative paths: pure, the same on both targets ------------

// True when `name` is one name that Windows can hold in a folder: not empty,
// not "." or "..", no control character, none of \ / : * ? " < > |, no final
// dot or space (Win32 would drop it) and no device name. A host file system
// may hold other names; such a name is never copied to where the simulator
// will look for it.
bool isWindowsName(const std::string& name);

// A name as Windows compares names in a folder: ASCII letters upper-cased and
// final dots and spaces dropped ("texture.Red." is "TEXTURE.RED").
std::string folderKeyOfName(const std::string& name);

// Resolves the "." and ".." of a path relative to some folder, by name.
// False when the path is empty, absolute, names a drive or a stream (":"),
// climbs out of the folder, names the folder itself, or holds a component
// that Windows would turn into another (dots and spaces only). Otherwise
// `inside` gets the remaining components joined by "\".
bool resolveInside(const std::string& relative, std::string* inside);

// ---- Folders opened once --------------------------------------------------

// A folder opened once. Every name given to it is one component, used as it
// is (a name a listing gave, "a\b" on POSIX included): never split at a
// separator or resolved again, and looked up exactly, not ignoring case.
// Sub-folders, files and entries to delete are reached relative to the
// folder itself (openat and unlinkat on POSIX), and no final link is
// followed: a link is reported as one, opened as nothing, and removed
// itself.
class Folder {
 public:
  virtual ~Folder() = default;
  // The entries matching a name pattern, as listFolder gives them.
  virtual bool list(const std::string& namePattern, std::vector<std::string>* names) = 0;
  virtual EntryKind inspect(const std::string& name) = 0;
  // A sub-folder that is no link; nullptr otherwise.
  virtual std::unique_ptr<Folder> openFolder(const std::string& name) = 0;
  // A regular file that is no link, for reading; nullptr otherwise.
  virtual FILE* openForReading(const std::string& name) = 0;
  // A new file, created exclusively; nullptr when the name exists.
  virtual FILE* createNewFile(const std::string& name) = 0;
  virtual bool createFolder(const std::string& name) = 0;
  // A file or a link, removed itself; false for a folder.
  virtual bool removeFile(const std::string& name) = 0;
  // An empty folder, or a link itself.
  virtual bool removeFolder(const std::string& name) = 0;
  // Renames an entry to a name that does not exist yet.
  virtual bool rename(const std::string& from, const std::string& to) = 0;
  // Puts a file's data on disk; a whole folder of new files is written
  // first and flushed after, as the system then writes them together.
  virtual bool syncFile(const std::string& name) = 0;
  // Puts the folder's entries on disk (see syncFolder).
  virtual bool sync() = 0;
};

// Opens the folder a path names (resolved as every path is, links on the
// way followed); nullptr when it is no folder or cannot be opened.
std::unique_ptr<Folder> openFolder(const std::string& path);

// An exclusive inter-process lock on one folder, held until destruction.
// Released by the system when the process dies. Leaves no file behind.
class FolderLock {
 public:
  virtual ~FolderLock() = default;
};

// Takes the lock of `folder`, waiting for other holders. Returns nullptr when
// the lock cannot be had (the folder does not exist, the lock call fails):
// an editing command then stops, it never goes on unlocked.
std::unique_ptr<FolderLock> lockFolder(const std::string& folder);

// The command line as UTF-16 code units per entry, argv[0] first.
using WideArgs = std::vector<std::u16string>;

// POSIX entry: arguments arrive as UTF-8 bytes and are decoded (an invalid
// byte stands for itself) into UTF-16 code units, as Windows passes them.
WideArgs decodeUtf8Args(int argc, char** argv);

// Upper-cases wide text in place as the Windows user-interface library does
// for the characters a command word can hold.
void upperCaseWide(std::u16string* text);

// Writes bytes to standard output or standard error, unchanged (no line-end
// translation on any target).
void writeStdout(const std::string& bytes);
void writeStderr(const std::string& bytes);

// The value of an environment variable, or empty text.
std::string getEnvironment(const char* name);

// ---- The simulators of the family: registry, shell folders, XML ----------

// Where a registry value is looked for: the current user's hive, or the
// machine's in its 32-bit or 64-bit view (HKLM\SOFTWARE differs between
// them; HKCU\Software does not).
enum class RegistryRoot { kCurrentUser, kLocalMachine32, kLocalMachine64 };

// A string value (REG_SZ or REG_EXPAND_SZ, nothing expanded) as a path, up to
// its first NUL, under the same size limit as readSimulatorAppPath. On POSIX
// HKCU is the prefix's user.reg and HKLM its system.reg, where the 32-bit
// view of SOFTWARE\X is the key Software\Wow6432Node\X.
bool readRegistryString(RegistryRoot root, const std::string& key, const std::string& name,
                        std::string* out);

// The shell folders beside the roaming application-data folder: Windows asks
// the shell (CSIDL_LOCAL_APPDATA, CSIDL_COMMON_APPDATA, CSIDL_PERSONAL);
// POSIX reads the prefix's "Shell Folders" values ("Local AppData" and
// "Personal" in user.reg, "Common AppData" in system.reg), never the host's
// environment. False when the folder is not known.
enum class SpecialFolder { kLocalAppData, kCommonAppData, kDocuments };
bool readSpecialFolder(SpecialFolder folder, std::string* out);

// One step through an XML document: an element starts (its name), ends, or
// holds text (character data, CDATA and expanded entities alike). Names and
// text are UTF-8, so that a path in the text keeps every character.
struct XmlEvent {
  enum Kind { kStart, kEnd, kText } kind;
  std::string text;
};

// Reads a whole document with the system's XML parser (XmlLite on Windows,
// expat elsewhere): UTF-8 with or without a byte-order mark, UTF-16 with
// one, or the encoding it declares where the parser knows it. False, with
// `events` undefined, when the document is not well-formed.
bool readXmlEvents(const std::string& bytes, std::vector<XmlEvent>* events);

}  // namespace platform

#endif  // FUSELOX_PLATFORM_PLATFORM_H_
