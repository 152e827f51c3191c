#include "platform/IniFile.h"
#include "platform/MessageBox.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <cstdio>

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
    std::string text;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) doc.loadError_ = std::strerror(errno);
        return doc;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            doc.loadError_ = std::strerror(errno);
            close(fd);
            return doc;
        }
        text.append(buffer, static_cast<size_t>(n));
    }
    close(fd);

    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            doc.lines_.push_back({text.substr(start), ""});
            break;
        }
        const size_t eolLength = text.compare(end, 2, "\r\n") == 0 ? 2 : 1;
        doc.lines_.push_back({text.substr(start, end - start), text.substr(end, eolLength)});
        start = end + eolLength;
    }
    return doc;
}

int IniDocument::FindKey(const std::string& section, const std::string& key) const {
    bool inSection = false;
    std::string k;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (auto name = SectionName(lines_[i].text)) {
            inSection = EqualNoCase(*name, section);
            continue;
        }
        if (inSection && SplitKey(lines_[i].text, &k, nullptr) && EqualNoCase(k, key))
            return static_cast<int>(i);
    }
    return -1;
}

std::optional<std::string> IniDocument::Get(const std::string& section,
                                            const std::string& key) const {
    const int i = FindKey(section, key);
    if (i < 0) return std::nullopt;
    std::string k, v;
    SplitKey(lines_[i].text, &k, &v);
    return Unquote(v);
}

void IniDocument::InsertLine(size_t at, std::string text) {
    // New lines end like the line before them, else like the first line.
    std::string eol = "\n";
    if (at > 0 && !lines_[at - 1].eol.empty()) eol = lines_[at - 1].eol;
    else if (!lines_.empty() && !lines_[0].eol.empty()) eol = lines_[0].eol;
    if (at > 0 && lines_[at - 1].eol.empty()) lines_[at - 1].eol = eol;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(text), eol});
}

void IniDocument::Set(const std::string& section, const std::string& key,
                      const std::string& value) {
    const std::string entry = OneLine(Trim(key)) + "=" + OneLine(value);
    const int found = FindKey(section, key);
    if (found >= 0) {
        if (lines_[found].text != entry) {
            lines_[found].text = entry;
            modified_ = true;
        }
        return;
    }
    // New key: after the last key of the first matching section.
    int sectionLine = -1, insertAt = -1;
    std::string k;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (auto name = SectionName(lines_[i].text)) {
            if (sectionLine >= 0) break;
            if (EqualNoCase(*name, section)) {
                sectionLine = static_cast<int>(i);
                insertAt = sectionLine + 1;
            }
            continue;
        }
        if (sectionLine >= 0 && SplitKey(lines_[i].text, &k, nullptr))
            insertAt = static_cast<int>(i) + 1;
    }
    if (sectionLine < 0) {
        // A new section goes after the last line that holds anything.
        size_t at = lines_.size();
        while (at > 0 && Trim(lines_[at - 1].text).empty()) --at;
        if (at > 0) InsertLine(at++, "");
        InsertLine(at++, "[" + OneLine(section) + "]");
        InsertLine(at, entry);
    } else {
        InsertLine(static_cast<size_t>(insertAt), entry);
    }
    modified_ = true;
}

std::string IniDocument::Text() const {
    std::string out;
    for (const auto& line : lines_) {
        out += line.text;
        out += line.eol;
    }
    return out;
}

namespace {

// The file a path names once every symlink on its last component is followed
// (the link itself is left alone), or "" with *error set.
std::string FollowLinks(const std::string& path, std::string* error) {
    std::string at = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st;
        if (lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
        std::string target(PATH_MAX, '\0');
        const ssize_t n = readlink(at.c_str(), target.data(), target.size());
        if (n < 0 || static_cast<size_t>(n) >= target.size()) {
            *error = std::strerror(n < 0 ? errno : ENAMETOOLONG);
            return {};
        }
        target.resize(static_cast<size_t>(n));
        if (target.empty()) break;
        if (target[0] != '/') {
            const auto slash = at.rfind('/');
            if (slash != std::string::npos) target = at.substr(0, slash + 1) + target;
        }
        at = target;
    }
    *error = std::strerror(ELOOP);
    return {};
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

bool IniDocument::SaveChanges(const std::string& path, const char* what) const {
    std::string why;
    if (!modified_ || Save(path, &why)) return true;
    ReportProblem(std::string("cannot save ") + what + " to " + path + ": " + why);
    return false;
}

bool IniDocument::Save(const std::string& path, std::string* error) const {
    std::string scratch;
    std::string& why = error ? *error : scratch;
    if (!loadError_.empty()) {
        why = "the file could not be read (" + loadError_ + ")";
        return false;
    }
    const std::string target = FollowLinks(path, &why);
    if (target.empty()) return false;

    mode_t mode = 0600;
    struct stat st;
    if (stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            why = "it is not a regular file";
            return false;
        }
        // Root may write anything: the mode bits say what the user meant.
        if ((st.st_mode & 0222) == 0 || access(target.c_str(), W_OK) != 0) {
            why = kReadOnly;
            return false;
        }
        mode = st.st_mode & 07777;
    }

    std::string tmp = target + ".XXXXXX";
    const int fd = mkstemp(tmp.data());
    if (fd < 0) {
        why = std::strerror(errno);
        return false;
    }
    bool ok = WriteAll(fd, Text()) && fchmod(fd, mode) == 0 && fsync(fd) == 0;
    int savedErrno = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        savedErrno = errno;
    }
    if (ok && std::rename(tmp.c_str(), target.c_str()) != 0) {
        ok = false;
        savedErrno = errno;
    }
    if (!ok) {
        unlink(tmp.c_str());
        why = std::strerror(savedErrno);
        return false;
    }
    // The rename itself must reach the disk too.
    const auto slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& fallback) {
    auto v = IniDocument::Load(path).Get(section, key);
    return (v && !v->empty()) ? *v : fallback;
}

bool WriteProfileString(const std::string& path, const std::string& section,
                        const std::string& key, const std::string& value) {
    IniDocument doc = IniDocument::Load(path);
    if (!doc.LoadError().empty()) return false;
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
