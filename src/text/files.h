// Whole-file helpers: the byte copy, the trimming of trailing line breaks,
// the safe replacement of a file through a working file beside it, and the
// temporary-file rewrite by which aircraft.cfg is edited.
#ifndef FUSELOX_TEXT_FILES_H_
#define FUSELOX_TEXT_FILES_H_

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// The working files of an aircraft folder.
extern const char kTemporaryFileName[];    // "fuselox.temp"
extern const char kRemovalWorkFileName[];  // "liverymend.temp"

// "%s\%s": the separator is added even when `folder` ends in one; every
// target accepts the doubled separator.
std::string joinPath(const std::string& folder, const std::string& name);

// Copies the rest of `in` into `out` and closes both; `out` is put on disk
// first unless the caller flushes it later. False when either is missing or
// a read, write or flush fails.
bool copyAndClose(FILE* in, FILE* out, bool flush = true);

// Where the working file `workingName` of `target` goes: beside the file
// the target finally names, so that a link stays a link and the working
// file can replace that file in one step, across file systems too.
std::string workingPathFor(const std::string& target, const std::string& workingName);

// Writes `bytes` to `working` (created new, never through a link), flushes
// them to disk and puts the working file in place of `target` in one step.
// On failure the target is unchanged, the working file is gone, and `err`
// says what failed.
bool replaceFileContent(const std::string& working, const std::string& target,
                        const std::string& bytes, std::string* err);

// `bytes` without its trailing CR, LF and 0xFF bytes.
std::string withoutTrailingLineBreaks(const std::string& bytes);

// Rewrites <folder>\aircraft.cfg through its working file `workingName`.
// `edit` gets the file's text (as text mode reads it, a leading UTF-8
// byte-order mark set aside); when it returns true the result is written in
// text mode (LF as CR LF), after the mark and followed by any bytes after a
// 0x1A that text mode could not see, without trailing line breaks. Nothing
// is split, cut or dropped that the edit did not change, and an unchanged
// file is not written. False when the file cannot be read, is UTF-16 text,
// the edit declines, or the write-back fails (then `err` says why); the old
// file is then intact and no working file remains.
bool rewriteAircraftCfgText(const std::string& folderPath, const std::string& workingName,
                            const std::function<bool(std::string* text)>& edit, std::string* err);

// The same over the file's whole lines (LF removed; a final line without LF
// included); every line given back is written followed by a line end.
bool rewriteAircraftCfg(const std::string& folderPath, const std::string& workingName,
                        const std::function<bool(std::vector<std::string>* lines)>& edit,
                        std::string* err);

#endif  // FUSELOX_TEXT_FILES_H_
