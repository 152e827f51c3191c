#pragma once

#include <optional>
#include <string>
#include <vector>

// An INI file read and updated in place: sections and keys match without
// regard to case, keys may hold blanks, the first of duplicate keys wins, and
// an update rewrites only its own line. Saving replaces the file atomically,
// so a crash leaves either the old file or the new one.
class IniDocument {
public:
    // A missing or unreadable file gives an empty document.
    static IniDocument Load(const std::string& path);

    // The value of the first matching key (blanks and matching quotes
    // around it removed), or nothing when the key is absent.
    std::optional<std::string> Get(const std::string& section, const std::string& key) const;

    // Updates the key, adding it (and its section) when absent.
    void Set(const std::string& section, const std::string& key, const std::string& value);

    // Writes the document to a temporary file beside `path` and renames it
    // over `path`. Returns false (and leaves `path` untouched) on failure.
    bool Save(const std::string& path) const;

    bool Modified() const { return modified_; }
    std::string Text() const;

private:
    // Index of the key's line, or -1.
    int FindKey(const std::string& section, const std::string& key) const;

    std::vector<std::string> lines_;
    bool crlf_ = false;
    bool modified_ = false;
};

// One-shot helpers for callers that read or write a single value.
std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& fallback = "");
bool WriteProfileString(const std::string& path, const std::string& section,
                        const std::string& key, const std::string& value);

// atoi without its undefined behaviour: leading blanks, a sign, digits; stops
// at the first other character; saturates at the int range; no number is 0.
int AtoiLike(const std::string& text);
