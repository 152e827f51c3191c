// The settings file: any bytes load, read, update and save without harm, an
// update reads back, and bytes outside the updated line survive a save.
#include <cstdint>
#include <string>

#include "platform/IniFile.h"
#include "support/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::WriteScratch("Tidemere.ini", data, size);
    const std::string text(reinterpret_cast<const char*>(data), size);

    IniDocument doc = IniDocument::Load(path);
    (void)doc.Get("Tidemere", "LIGHTQIANGDU");
    (void)doc.Get("", "");
    (void)AtoiLike(text);
    (void)ReadProfileString(path, "Custom Images", "Count", "0");

    // A key name taken from the input, so odd names and sections get updated too.
    const std::string key = text.substr(0, text.find_first_of("=[]\r\n;#")).substr(0, 12);
    doc.Set("Fuzz", key.empty() ? "K" : key, "v1");
    doc.Set("Fuzz", "Added Key", "two words");
    fuzz::Check(doc.Get("Fuzz", "Added Key") == std::string("two words"), "update reads back");

    // A section named by the input too, and a value that needs its quotes.
    const size_t open = text.find('[');
    const std::string section = text.substr(open == std::string::npos ? 0 : open + 1, 10);
    doc.Set(section, key.empty() ? "K" : key, " 'edge' ");
    (void)doc.RemoveListFrom("Fuzz", "Added Ke", 0);

    const std::string saved = fuzz::ScratchFolder() + "Saved.ini";
    fuzz::Check(doc.Save(saved), "save to a writable folder");
    const IniDocument again = IniDocument::Load(saved);
    fuzz::Check(again.Get("Fuzz", "Added Key") == std::string("two words"),
                "saved update reads back");
    fuzz::Check(again.Text() == doc.Text(), "a saved document loads back unchanged");
    // The index kept up while editing agrees with one built from the file.
    for (const std::string& s : {std::string("Fuzz"), section, std::string("Tidemere")})
        for (const std::string& k :
             {key, std::string("K"), std::string("Added Key"), text.substr(0, 6)})
            fuzz::Check(again.Get(s, k) == doc.Get(s, k), "edited and reloaded lookups agree");
    return 0;
}
