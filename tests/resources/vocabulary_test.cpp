// The module's vocabulary (module/tokens.h) names every token, key event and
// help id once, and the module's and the substitute host's sources use the
// names: no key event or help id written as a number elsewhere, no token
// looked up, set or placed in a record by its number.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path sourceDir = QR_SOURCE_DIR;
const fs::path vocabularyFile = sourceDir / "module" / "tokens.h";

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The vocabulary's names by enumeration: name = number.
struct Entry {
    std::string name;
    long long value;
    int line;
};

std::map<std::string, std::vector<Entry>> Vocabulary() {
    std::map<std::string, std::vector<Entry>> enums;
    std::istringstream in(ReadText(vocabularyFile));
    const std::regex enumStart(R"(^enum (\w+)\b)");
    const std::regex entry(R"(^\s+(\w+) = (0x[0-9A-Fa-f]+|\d+),)");
    std::string current;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        std::smatch m;
        if (std::regex_search(line, m, enumStart)) current = m[1];
        if (!current.empty() && std::regex_search(line, m, entry)) {
            enums[current].push_back({m[1], std::stoll(m[2], nullptr, 0), number});
        }
    }
    return enums;
}

// The sources that speak the vocabulary: the module's (module/ and gauges/)
// and the host's, the vocabulary itself left out.
std::vector<fs::path> VocabularySources() {
    std::vector<fs::path> files;
    for (const char* folder : {"module", "gauges", "host"}) {
        for (const auto& item : fs::recursive_directory_iterator(sourceDir / folder)) {
            const auto extension = item.path().extension();
            if (item.is_regular_file() && (extension == ".cpp" || extension == ".h") &&
                item.path() != vocabularyFile) {
                files.push_back(item.path());
            }
        }
    }
    return files;
}

// Code of a source without its comments, line by line.
std::vector<std::string> CodeLines(const fs::path& path) {
    std::vector<std::string> lines;
    std::istringstream in(ReadText(path));
    std::string line;
    while (std::getline(in, line)) {
        const auto comment = line.find("//");
        lines.push_back(comment == std::string::npos ? line : line.substr(0, comment));
    }
    return lines;
}

TEST(Vocabulary, NamesEveryNumberOnceInEachEnumeration) {
    const auto enums = Vocabulary();
    for (const char* kind : {"SimToken", "KeyEvent", "HelpId", "Wave"}) {
        ASSERT_TRUE(enums.count(kind)) << "tokens.h has no enumeration " << kind;
        std::map<long long, std::string> seen;
        for (const Entry& e : enums.at(kind)) {
            const auto [it, fresh] = seen.emplace(e.value, e.name);
            EXPECT_TRUE(fresh) << kind << ' ' << e.value << " is named twice: " << it->second
                               << " and " << e.name << " (tokens.h:" << e.line << ")";
        }
    }
}

TEST(Vocabulary, KeyEventsAndHelpIdsAppearOnlyByName) {
    const auto enums = Vocabulary();
    std::map<long long, std::string> named;
    for (const char* kind : {"KeyEvent", "HelpId"}) {
        for (const Entry& e : enums.at(kind)) {
            if (e.value != 0) named.emplace(e.value, e.name);
        }
    }
    // Hexadecimal, or decimal from the first key event up (0x10000); longer
    // digit runs (fractions) name nothing.
    const std::regex number(R"(\b0x[0-9A-Fa-f]{1,15}\b|\b[1-9][0-9]{4,17}\b)");
    for (const fs::path& file : VocabularySources()) {
        const auto lines = CodeLines(file);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            for (std::sregex_iterator m(lines[i].begin(), lines[i].end(), number), end; m != end; ++m) {
                const long long value = std::stoll(m->str(), nullptr, 0);
                if (m->str().find('x') == std::string::npos && value < 0x10000) continue;
                const auto found = named.find(value);
                EXPECT_TRUE(found == named.end())
                    << file.lexically_relative(sourceDir).generic_string() << ':' << i + 1 << ": "
                    << m->str() << " is " << found->second << " in the vocabulary";
            }
        }
    }
}

TEST(Vocabulary, TokensAreLookedUpAndPlacedByName) {
    // A token number where a token goes: an element's source token, a lookup,
    // a row's token field, a key event sent by number, the host's token store.
    const std::regex numbered(
        R"((\bToken|\bLookupNumber|\bLookupInteger|\bLookupToken|\bTriggerKeyEvent|\bhost(\.|->)(SetNumber|SetInteger|Number|Integer))\(\s*[1-9][0-9]*\s*[,)]|\.(token|systemToken|event) = [1-9])");
    for (const fs::path& file : VocabularySources()) {
        const auto lines = CodeLines(file);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            std::smatch m;
            EXPECT_FALSE(std::regex_search(lines[i], m, numbered))
                << file.lexically_relative(sourceDir).generic_string() << ':' << i + 1 << ": "
                << m.str() << " names a number the vocabulary should name";
        }
    }
}

}  // namespace
