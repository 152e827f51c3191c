#include "platform/IniFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// "[name]" -> name; nothing for other lines.
std::optional<std::string> SectionName(const std::string& line) {
    const std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[') return std::nullopt;
    const auto close = t.find(']');
    if (close == std::string::npos) return std::nullopt;
    return Trim(t.substr(1, close - 1));
}

bool IsComment(const std::string& t) { return !t.empty() && (t[0] == ';' || t[0] == '#'); }

// Splits "key=value"; nothing for lines that hold no key.
bool SplitKey(const std::string& line, std::string* key, std::string* value) {
    const std::string t = Trim(line);
    if (t.empty() || IsComment(t)) return false;
    const auto eq = t.find('=');
    if (eq == std::string::npos) return false;
    *key = Trim(t.substr(0, eq));
    if (value) *value = Trim(t.substr(eq + 1));
    return true;
}

std::string Unquote(const std::string& v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

// Values and names must stay on their line.
std::string OneLine(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s)
        if (c != '\n' && c != '\r' && c != '\0') out += c;
    return out;
}

}  // namespace

IniDocument IniDocument::Load(const std::string& path) {
    IniDocument doc;
    std::ifstream in(path, std::ios::binary);
    if (!in) return doc;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) return doc;
    const std::string text = buffer.str();
    size_t start = 0;
    bool first = true;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        const bool last = end == std::string::npos;
        if (last) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
            if (first) doc.crlf_ = true;
        }
        first = false;
        doc.lines_.push_back(std::move(line));
        start = end + 1;
    }
    return doc;
}

int IniDocument::FindKey(const std::string& section, const std::string& key) const {
    bool inSection = false;
    std::string k;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (auto name = SectionName(lines_[i])) {
            inSection = EqualNoCase(*name, section);
            continue;
        }
        if (inSection && SplitKey(lines_[i], &k, nullptr) && EqualNoCase(k, key))
            return static_cast<int>(i);
    }
    return -1;
}

std::optional<std::string> IniDocument::Get(const std::string& section,
                                            const std::string& key) const {
    const int i = FindKey(section, key);
    if (i < 0) return std::nullopt;
    std::string k, v;
    SplitKey(lines_[i], &k, &v);
    return Unquote(v);
}

void IniDocument::Set(const std::string& section, const std::string& key,
                      const std::string& value) {
    const std::string entry = OneLine(Trim(key)) + "=" + OneLine(value);
    const int found = FindKey(section, key);
    if (found >= 0) {
        if (lines_[found] != entry) {
            lines_[found] = entry;
            modified_ = true;
        }
        return;
    }
    // New key: after the last key of the first matching section.
    int sectionLine = -1, insertAt = -1;
    std::string k;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (auto name = SectionName(lines_[i])) {
            if (sectionLine >= 0) break;
            if (EqualNoCase(*name, section)) {
                sectionLine = static_cast<int>(i);
                insertAt = sectionLine + 1;
            }
            continue;
        }
        if (sectionLine >= 0 && SplitKey(lines_[i], &k, nullptr)) insertAt = static_cast<int>(i) + 1;
    }
    if (sectionLine < 0) {
        while (!lines_.empty() && Trim(lines_.back()).empty()) lines_.pop_back();
        if (!lines_.empty()) lines_.push_back("");
        lines_.push_back("[" + OneLine(section) + "]");
        lines_.push_back(entry);
    } else {
        lines_.insert(lines_.begin() + insertAt, entry);
    }
    modified_ = true;
}

std::string IniDocument::Text() const {
    const char* eol = crlf_ ? "\r\n" : "\n";
    std::string out;
    for (const auto& line : lines_) {
        out += line;
        out += eol;
    }
    return out;
}

bool IniDocument::Save(const std::string& path) const {
    std::string tmp = path + ".XXXXXX";
    const int fd = mkstemp(tmp.data());
    if (fd < 0) return false;
    const std::string text = Text();
    size_t done = 0;
    bool ok = true;
    while (ok && done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n <= 0) ok = false;
        else done += static_cast<size_t>(n);
    }
    ok = ok && fchmod(fd, 0600) == 0 && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    ok = ok && std::rename(tmp.c_str(), path.c_str()) == 0;
    if (!ok) unlink(tmp.c_str());
    return ok;
}

std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& fallback) {
    auto v = IniDocument::Load(path).Get(section, key);
    return (v && !v->empty()) ? *v : fallback;
}

bool WriteProfileString(const std::string& path, const std::string& section,
                        const std::string& key, const std::string& value) {
    IniDocument doc = IniDocument::Load(path);
    doc.Set(section, key, value);
    return !doc.Modified() || doc.Save(path);
}

int AtoiLike(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) break;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}
