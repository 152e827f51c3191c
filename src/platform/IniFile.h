#pragma once

#include <optional>
#include <string>
#include <vector>

// An INI file read and updated in place: sections and keys match without
// regard to case, keys may hold blanks, the first of duplicate keys wins, and
// an update rewrites only its own line. A line ends at LF, CR LF or a lone CR,
// and every line keeps its own ending, so bytes nobody changed are written
// back as they were. Saving replaces the file atomically, so a crash leaves
// either the old file or the new one.
class IniDocument {
public:
    // A missing file gives an empty document. So does a file that exists but
    // cannot be read; then LoadError() says why, and the document must not be
    // saved over it.
    static IniDocument Load(const std::string& path);

    // The value of the first matching key (blanks and matching quotes
    // around it removed), or nothing when the key is absent.
    std::optional<std::string> Get(const std::string& section, const std::string& key) const;

    // Updates the key, adding it (and its section) when absent.
    void Set(const std::string& section, const std::string& key, const std::string& value);

    // Writes the document to a fresh temporary file beside the real file
    // (behind any symlinks, which stay links) and renames it over that file,
    // keeping its mode. Refuses a file the user made read-only. Returns false,
    // with the reason in *error, when nothing was saved; the old file is whole.
    bool Save(const std::string& path, std::string* error = nullptr) const;
    // The reason Save gives for a file the user made read-only.
    static constexpr const char* kReadOnly = "the file is read-only";

    // Saves only when something changed; a failure is said on stderr, naming
    // `what` and the reason. Returns false when the changes were not saved.
    bool SaveChanges(const std::string& path, const char* what) const;

    bool Modified() const { return modified_; }
    // Why the file could not be read; empty when it was read or is missing.
    const std::string& LoadError() const { return loadError_; }
    std::string Text() const;

private:
    struct Line {
        std::string text;
        std::string eol;  // "\n", "\r\n", "\r", or "" for a last line without one
    };

    // Index of the key's line, or -1.
    int FindKey(const std::string& section, const std::string& key) const;
    // Inserts a line before `at`, ending like its neighbours.
    void InsertLine(size_t at, std::string text);

    std::vector<Line> lines_;
    std::string loadError_;
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
