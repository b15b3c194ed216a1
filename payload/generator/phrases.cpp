// Phrase generation and the phrase-library members: the Wubi and Pinyin phrase libraries with
// their trailers, their backups (the Wubi one in the plain "phrase; " form that setup converts),
// and the user's own and deleted phrases.
#include "phrases.h"

#include <map>
#include <set>

#include "gbk.h"
#include "members.h"

const WordList& GbkWords(const WordList& words) {
    static std::map<const WordList*, WordList> converted;
    auto found = converted.find(&words);
    if (found != converted.end()) return found->second;
    WordList list;
    for (const std::string& word : words) list.push_back(Gbk(word));
    return converted.emplace(&words, std::move(list)).first->second;
}

PhraseSource::PhraseSource(std::uint64_t seed, const WordList* field) : random_(seed), field_(field) {}

std::string PersonName(Random& random) {
    std::string name = random.PickSkewed(GbkWords(Surnames())) + random.PickSkewed(GbkWords(GivenNameCharacters()));
    if (random.Below(3) != 0) name += random.Pick(GbkWords(GivenNameCharacters()));
    return name;
}

std::string PhraseSource::Next() {
    std::uint32_t kind = random_.Below(100);
    if (field_ != nullptr && kind < 40) {
        const std::string& word = random_.Pick(GbkWords(*field_));
        // A field word alone or with a common word before or after it.
        std::uint32_t form = random_.Below(3);
        if (form == 0) return word;
        if (form == 1) return word + random_.PickSkewed(GbkWords(CommonWords()));
        return random_.PickSkewed(GbkWords(CommonWords())) + word;
    }
    const WordList& common = GbkWords(CommonWords());
    if (kind < 55) return random_.PickSkewed(common);
    if (kind < 82) return random_.PickSkewed(common) + random_.PickSkewed(common);
    if (kind < 89) return random_.Pick(GbkWords(Idioms()));
    if (kind < 95) return PersonName(random_);
    return random_.Pick(GbkWords(random_.Below(2) == 0 ? Cities() : Provinces()));
}

std::vector<std::string> PhraseSource::Unique(std::size_t count) {
    std::vector<std::string> phrases;
    std::set<std::string> seen;
    // The vocabulary yields far more distinct phrases than any member asks for; the bound on
    // attempts only guards against an endless loop.
    for (std::size_t attempts = 0; phrases.size() < count && attempts < count * 50; ++attempts) {
        std::string phrase = Next();
        if (seen.insert(phrase).second) phrases.push_back(phrase);
    }
    return phrases;
}

std::string WubiCharacterCode(const std::string& gbkCharacter) {
    static const std::map<std::string, char> firstLevel = [] {
        std::map<std::string, char> byCharacter;
        for (const auto& [key, character] : WubiFirstLevel()) byCharacter[Gbk(character)] = key;
        return byCharacter;
    }();
    auto found = firstLevel.find(gbkCharacter);
    if (found != firstLevel.end()) return std::string(1, found->second);
    std::uint32_t code = 0;
    for (char byte : gbkCharacter) code = code * 131 + static_cast<unsigned char>(byte);
    Random random(code);
    std::string keys;
    for (int i = 0; i < 4; ++i) keys.push_back(static_cast<char>('a' + random.Below(25)));
    return keys;
}

std::string WubiWordCode(const std::string& gbkWord) {
    std::vector<std::string> codes;
    for (std::size_t i = 0; i + 1 < gbkWord.size(); i += 2) {
        std::string code = WubiCharacterCode(gbkWord.substr(i, 2));
        // First-level characters have one key; their full code repeats it.
        while (code.size() < 4) code.push_back(code.back());
        codes.push_back(code);
    }
    if (codes.size() < 2) return codes.empty() ? std::string() : codes[0];
    if (codes.size() == 2) return codes[0].substr(0, 2) + codes[1].substr(0, 2);
    if (codes.size() == 3) return codes[0].substr(0, 1) + codes[1].substr(0, 1) + codes[2].substr(0, 2);
    return codes[0].substr(0, 1) + codes[1].substr(0, 1) + codes[2].substr(0, 1) + codes.back().substr(0, 1);
}

std::string PhraseText(const std::vector<std::string>& phrases) {
    std::string text;
    for (const std::string& phrase : phrases) text += phrase + "; ";
    return text;
}

std::string PhraseTextWithTrailer(const std::vector<std::string>& phrases) {
    std::string text = PhraseText(phrases);
    std::uint32_t sum = 0;
    for (const std::string& phrase : phrases) {
        for (char byte : phrase) sum += static_cast<unsigned char>(byte);
    }
    text += "QUOR";
    PutU32(text, sum);
    PutU32(text, static_cast<std::uint32_t>(phrases.size()));
    return text;
}

namespace {

// The Wubi phrase backup as an older version wrote it: the "phrase; " text without a trailer,
// where now and then a single character was recorded as a phrase (setup drops those when it
// converts the backup).
Bytes WubiPhraseBackup() {
    std::vector<std::string> phrases = PhraseSource(0x5742'0001).Unique(80000);
    Random random(0x5742'0002);
    std::string text;
    for (const std::string& phrase : phrases) {
        text += phrase + "; ";
        if (random.Below(250) == 0) text += random.Pick(Gb2312Level1()) + "; ";
    }
    return text;
}

}  // namespace

void AddPhraseMembers(MakerTable& table) {
    table["quorcyzk.quh"] = [] { return PhraseTextWithTrailer(PhraseSource(0x5742'0000).Unique(90000)); };
    table["quorcyzk.bak"] = WubiPhraseBackup;
    table["quorpyck.quh"] = [] { return PhraseTextWithTrailer(PhraseSource(0x5059'0000).Unique(100000)); };
    table["quorpyck.bak"] = [] { return PhraseTextWithTrailer(PhraseSource(0x5059'0001).Unique(90000)); };
    // Phrases the user added and deleted, one per line with its code.
    table["userck.txt"] = [] {
        std::string text;
        for (const std::string& phrase : PhraseSource(0x5553'0000).Unique(240)) {
            text += PinyinInitials(phrase) + " " + phrase + "\r\n";
        }
        return text;
    };
    table["delck.txt"] = [] {
        std::string text;
        for (const std::string& phrase : PhraseSource(0x4445'0000).Unique(60)) text += phrase + "\r\n";
        return text;
    };
}
