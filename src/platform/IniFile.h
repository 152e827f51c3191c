#pragma once

#include <list>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/UserFile.h"

// An INI file read and updated in place: sections and keys match without
// regard to case, keys may hold blanks, the first of duplicate keys wins, and
// an update rewrites only its own line. A line ends at LF, CR LF or a lone CR,
// and every line keeps its own ending, so bytes nobody changed are written
// back as they were. Saving replaces the file atomically, so a crash leaves
// either the old file or the new one. Keys are indexed once, so a lookup
// costs the same in a file of a million lines as in one of ten.
class IniDocument {
public:
    IniDocument() = default;
    IniDocument(const IniDocument& other);
    IniDocument& operator=(const IniDocument& other);
    IniDocument(IniDocument&&) = default;
    IniDocument& operator=(IniDocument&&) = default;

    // A missing file gives an empty document. So does a file that exists but
    // cannot be read, or is no regular file, or is larger than
    // kSettingsFileMaxBytes; then LoadError() says why, and the document must
    // not be saved over it.
    static IniDocument Load(const std::string& path);

    // The value of the first matching key (blanks and matching quotes
    // around it removed), or nothing when the key is absent.
    std::optional<std::string> Get(const std::string& section, const std::string& key) const;

    // Updates the key, adding it (and its section) when absent. A value that
    // Get would not give back as it is (blanks or matching quotes at its
    // edges) is written inside quotes, so any value on one line round-trips.
    void Set(const std::string& section, const std::string& key, const std::string& value);

    // Removes every key of `section` named `prefix` followed by a number of
    // `from` or more (written without leading zeros): the tail of a list
    // that has become shorter. Returns how many lines went.
    int RemoveListFrom(const std::string& section, const std::string& prefix, int from);

    // Writes the document to a fresh temporary file beside the real file
    // (behind any symlinks, which stay links) and renames it over that file,
    // keeping its mode. Refuses a file the user made read-only. Returns false,
    // with the reason in *error, when nothing was saved; the old file is whole.
    bool Save(const std::string& path, std::string* error = nullptr) const;
    // The reason Save gives for a file the user made read-only.
    static constexpr const char* kReadOnly = kReadOnlyFileReason;

    // Saves only when something changed; a failure is said on stderr, naming
    // `what` and the reason, and put in *error. Returns false when the
    // changes were not saved.
    bool SaveChanges(const std::string& path, const char* what, std::string* error = nullptr) const;

    bool Modified() const { return modified_; }
    size_t LineCount() const { return lines_.size(); }
    // Why the file could not be read; empty when it was read or is missing.
    const std::string& LoadError() const { return loadError_; }
    std::string Text() const;

private:
    struct Line {
        std::string text;
        std::string eol;  // "\n", "\r\n", "\r", or "" for a last line without one
    };
    using LineIt = std::list<Line>::iterator;
    struct SectionPlace {
        LineIt header;     // the first "[name]" line of that name
        LineIt lastEntry;  // where its next new key goes after: its last key, else the header
    };

    // The key's line, or nullptr.
    const Line* FindKey(const std::string& section, const std::string& key) const;
    // Inserts a line before `at`, ending like its neighbours.
    LineIt InsertLine(LineIt at, std::string text);
    // Indexes every section and key from scratch.
    void Reindex();
    // Indexes one line as part of `section` (lower case) when it holds a key;
    // the first line for a key wins. True when it held a key.
    bool IndexKey(const std::string& section, LineIt line);

    // Lines stay put when others are added or removed, so the index can point at them.
    std::list<Line> lines_;
    // "section\0key" in lower case -> its first line.
    std::unordered_map<std::string, LineIt> keys_;
    // Section name in lower case -> its first block.
    std::unordered_map<std::string, SectionPlace> sections_;
    std::string loadError_;
    bool modified_ = false;
};

// Puts a value in quotes when the settings file would otherwise lose its edge
// blanks or its own edge quotes; IniDocument::Set does this for every value.
std::string QuoteIniValue(const std::string& value);
// What Get does to a stored value: one pair of matching edge quotes removed.
std::string UnquoteIniValue(const std::string& value);

// One-shot helpers for callers that read or write a single value.
std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& fallback = "");
bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value);

// atoi without its undefined behaviour: leading blanks, a sign, digits; stops
// at the first other character; saturates at the int range; no number is 0.
int AtoiLike(const std::string& text);
