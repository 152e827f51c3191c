#include "platform/IniFile.h"
#include "platform/MessageBox.h"

#include <cctype>
#include <climits>
#include <cstdio>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

// "[name]" -> name; nothing for other lines.
std::optional<std::string> SectionName(const std::string& line) {
    const std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[') return std::nullopt;
    const auto close = t.find(']');
    if (close == std::string::npos) return std::nullopt;
    return Trim(t.substr(1, close - 1));
}

bool IsComment(const std::string& t) {
    return !t.empty() && (t[0] == ';' || t[0] == '#');
}

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

// Values and names must stay on their line.
std::string OneLine(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s)
        if (c != '\n' && c != '\r' && c != '\0') out += c;
    return out;
}

// Case folded the way EqualNoCase compares.
std::string Lower(const std::string& s) {
    std::string out = s;
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string KeyId(const std::string& lowerSection, const std::string& lowerKey) {
    std::string id = lowerSection;
    id += '\0';
    id += lowerKey;
    return id;
}

}  // namespace

std::string UnquoteIniValue(const std::string& v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

std::string QuoteIniValue(const std::string& value) {
    if (value.empty()) return value;
    const bool edgeBlank = IsBlank(value.front()) || IsBlank(value.back());
    if (edgeBlank || UnquoteIniValue(value) != value) return "\"" + value + "\"";
    return value;
}

IniDocument::IniDocument(const IniDocument& other)
    : lines_(other.lines_), loadError_(other.loadError_), modified_(other.modified_) {
    Reindex();
}

IniDocument& IniDocument::operator=(const IniDocument& other) {
    if (this != &other) {
        lines_ = other.lines_;
        loadError_ = other.loadError_;
        modified_ = other.modified_;
        Reindex();
    }
    return *this;
}

IniDocument IniDocument::Load(const std::string& path) {
    IniDocument doc;
    std::string text;
    UserFile file = UserFile::Open(path, kSettingsFileMaxBytes);
    if (!file.IsOpen() || !file.ReadAll(&text)) {
        if (!file.Missing()) doc.loadError_ = file.Error();
        return doc;
    }

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
    doc.Reindex();
    return doc;
}

bool IniDocument::IndexKey(const std::string& section, LineIt line) {
    std::string k;
    if (!SplitKey(line->text, &k, nullptr)) return false;
    keys_.emplace(KeyId(section, Lower(k)), line);
    return true;
}

void IniDocument::Reindex() {
    keys_.clear();
    sections_.clear();
    bool inSection = false;
    std::string section;
    SectionPlace* first = nullptr;  // set while in the first block of its name
    for (auto it = lines_.begin(); it != lines_.end(); ++it) {
        if (auto name = SectionName(it->text)) {
            inSection = true;
            section = Lower(*name);
            const auto [place, added] = sections_.emplace(section, SectionPlace{it, it});
            first = added ? &place->second : nullptr;
            continue;
        }
        // Keys above the first section belong to none and are never found.
        if (inSection && IndexKey(section, it) && first) first->lastEntry = it;
    }
}

const IniDocument::Line* IniDocument::FindKey(const std::string& section,
                                              const std::string& key) const {
    const auto found = keys_.find(KeyId(Lower(section), Lower(key)));
    return found == keys_.end() ? nullptr : &*found->second;
}

std::optional<std::string> IniDocument::Get(const std::string& section,
                                            const std::string& key) const {
    const Line* line = FindKey(section, key);
    if (!line) return std::nullopt;
    std::string k, v;
    SplitKey(line->text, &k, &v);
    return UnquoteIniValue(v);
}

IniDocument::LineIt IniDocument::InsertLine(LineIt at, std::string text) {
    // New lines end like the line before them, else like the first line.
    std::string eol = "\n";
    const bool first = at == lines_.begin();
    Line* before = first ? nullptr : &*std::prev(at);
    if (before && !before->eol.empty())
        eol = before->eol;
    else if (!lines_.empty() && !lines_.front().eol.empty())
        eol = lines_.front().eol;
    if (before && before->eol.empty()) before->eol = eol;
    return lines_.insert(at, Line{std::move(text), eol});
}

void IniDocument::Set(const std::string& section, const std::string& key,
                      const std::string& value) {
    const std::string name = OneLine(Trim(key));
    const std::string entry = name + "=" + QuoteIniValue(OneLine(value));
    const std::string lowerSection = Lower(section);
    const std::string id = KeyId(lowerSection, Lower(key));
    if (const auto found = keys_.find(id); found != keys_.end()) {
        if (found->second->text != entry) {
            found->second->text = entry;
            modified_ = true;
        }
        return;
    }
    // A new key goes after the last key of the first section of that name;
    // a new section after the last line that holds anything.
    LineIt added;
    auto place = sections_.find(lowerSection);
    if (place != sections_.end()) {
        added = InsertLine(std::next(place->second.lastEntry), entry);
    } else {
        auto at = lines_.end();
        while (at != lines_.begin() && Trim(std::prev(at)->text).empty())
            --at;
        if (at != lines_.begin()) InsertLine(at, "");
        const LineIt header = InsertLine(at, "[" + OneLine(section) + "]");
        added = InsertLine(at, entry);
        // The header reads back as this section unless its name holds a ']'
        // or blanks at its ends; then only a fresh index tells what it is.
        const auto read = SectionName(header->text);
        if (read && Lower(*read) == lowerSection) {
            place = sections_.emplace(lowerSection, SectionPlace{header, header}).first;
        }
    }
    modified_ = true;
    // A key that reads back as itself is indexed here; anything odd (an
    // '=' or a leading '[' or ';' in it, blanks around it) by a fresh index.
    std::string k;
    if (place != sections_.end() && SplitKey(added->text, &k, nullptr) && Lower(k) == Lower(key) &&
        !SectionName(added->text)) {
        keys_.emplace(id, added);
        place->second.lastEntry = added;
    } else {
        Reindex();
    }
}

int IniDocument::RemoveListFrom(const std::string& section, const std::string& prefix, int from) {
    const std::string lowerSection = Lower(section), lowerPrefix = Lower(prefix);
    int removed = 0;
    bool inSection = false;
    std::string k;
    for (auto it = lines_.begin(); it != lines_.end();) {
        if (auto name = SectionName(it->text)) {
            inSection = Lower(*name) == lowerSection;
        } else if (inSection && SplitKey(it->text, &k, nullptr) && k.size() > prefix.size() &&
                   Lower(k.substr(0, prefix.size())) == lowerPrefix) {
            const std::string digits = k.substr(prefix.size());
            const bool number = digits.find_first_not_of("0123456789") == std::string::npos &&
                                (digits.size() == 1 || digits[0] != '0');
            // Longer than any int: past every count.
            if (number && (digits.size() > 9 || std::stoi(digits) >= from)) {
                it = lines_.erase(it);
                ++removed;
                continue;
            }
        }
        ++it;
    }
    if (removed > 0) {
        modified_ = true;
        Reindex();
    }
    return removed;
}

std::string IniDocument::Text() const {
    std::string out;
    for (const auto& line : lines_) {
        out += line.text;
        out += line.eol;
    }
    return out;
}

bool IniDocument::SaveChanges(const std::string& path, const char* what, std::string* error) const {
    std::string why;
    if (!modified_ || Save(path, &why)) return true;
    ReportProblem(std::string("cannot save ") + what + " to " + path + ": " + why);
    if (error) *error = why;
    return false;
}

bool IniDocument::Save(const std::string& path, std::string* error) const {
    if (!loadError_.empty()) {
        if (error) *error = "the file could not be read (" + loadError_ + ")";
        return false;
    }
    return ReplaceUserFile(path, Text(), 0600, error);
}

std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& fallback) {
    auto v = IniDocument::Load(path).Get(section, key);
    return (v && !v->empty()) ? *v : fallback;
}

bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value) {
    IniDocument doc = IniDocument::Load(path);
    if (!doc.LoadError().empty()) return false;
    doc.Set(section, key, value);
    return !doc.Modified() || doc.Save(path);
}

int AtoiLike(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
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
