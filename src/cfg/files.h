// Whole-file helpers: the byte copy, the trimming of trailing line breaks,
// the safe replacement of a file through a working file beside it, and the
// temporary-file rewrite by which aircraft.cfg is edited.
#ifndef FUSELOX_CFG_FILES_H_
#define FUSELOX_CFG_FILES_H_

#include <functional>
#include <string>
#include <vector>

// The working files of an aircraft folder.
extern const char kTemporaryFileName[];    // "fuselox.temp"
extern const char kRemovalWorkFileName[];  // "liverymend.temp"

// "%s\%s": the separator is added even when `folder` ends in one; every
// target accepts the doubled separator.
std::string joinPath(const std::string& folder, const std::string& name);

// Makes `destination` a byte copy of `source`. False when either cannot be
// opened or a read or write fails.
bool copyFileBytes(const std::string& source, const std::string& destination);

// Writes `bytes` to `working`, flushes them to disk and puts the working
// file in place of `target` in one step. On failure the target is unchanged
// and the working file is gone.
bool replaceFileContent(const std::string& working, const std::string& target,
                        const std::string& bytes);

// `bytes` without its trailing CR, LF and 0xFF bytes.
std::string withoutTrailingLineBreaks(const std::string& bytes);

// Makes the folder's aircraft.cfg end with its last byte that is not CR, LF
// or 0xFF (a file of nothing else becomes empty). False when the file cannot
// be read or the trimmed file cannot be put in place.
bool trimTrailingLineBreaks(const std::string& folderPath);

// Rewrites <folder>\aircraft.cfg through <folder>\<workingName>. `edit` gets
// the file's text (as text mode reads it); when it returns true the result
// is written in text mode (LF as CR LF), followed by any bytes after a 0x1A
// that text mode could not see, and without trailing line breaks. Nothing is
// split, cut or dropped that the edit did not change. False when the file
// cannot be read, the edit declines, or the write-back fails; the old file
// is then intact and no working file remains.
bool rewriteAircraftCfgText(const std::string& folderPath, const std::string& workingName,
                            const std::function<bool(std::string* text)>& edit);

// The same over the file's whole lines (LF removed; a final line without LF
// included); every line given back is written followed by a line end.
bool rewriteAircraftCfg(const std::string& folderPath, const std::string& workingName,
                        const std::function<bool(std::vector<std::string>* lines)>& edit);

#endif  // FUSELOX_CFG_FILES_H_
