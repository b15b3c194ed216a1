// Dictionary members: the code tables (.ov1), the character and phrase dictionaries of the Wubi
// and Pinyin editions and of special fields, character tables of GB2312, GBK and Big5, and the
// small user tables that the setup program's backup keeps across a reinstall.
#include <map>
#include <set>

#include "gbk.h"
#include "members.h"
#include "phrases.h"
#include "tables.h"

namespace {

// A word frequency that falls with the rank of the draw, with some spread.
std::uint16_t Frequency(Random& random) {
    return static_cast<std::uint16_t>(60000 / (1 + random.Skewed(4000)) + random.Below(97));
}

std::vector<DictionaryEntry> WubiEntries(std::uint64_t seed, std::size_t phraseCount) {
    Random random(seed);
    std::vector<DictionaryEntry> entries;
    for (const std::string& character : Gb2312Level1()) {
        entries.push_back({WubiCharacterCode(character), character, Frequency(random)});
    }
    for (const std::string& character : Gb2312Level2()) {
        entries.push_back({WubiCharacterCode(character), character, Frequency(random)});
    }
    for (const std::string& phrase : PhraseSource(seed + 1).Unique(phraseCount)) {
        entries.push_back({WubiWordCode(phrase), phrase, Frequency(random)});
    }
    return entries;
}

std::vector<DictionaryEntry> PinyinEntries(std::uint64_t seed, std::size_t phraseCount, const WordList* field = nullptr) {
    Random random(seed);
    std::vector<DictionaryEntry> entries;
    for (const std::string& phrase : PhraseSource(seed + 1, field).Unique(phraseCount)) {
        entries.push_back({PinyinInitials(phrase), phrase, Frequency(random)});
    }
    return entries;
}

// Each phrase with the phrase that most often follows it.
std::vector<DictionaryEntry> AssociationEntries(std::uint64_t seed, std::size_t count) {
    Random random(seed);
    PhraseSource keys(seed + 1), follows(seed + 2);
    std::vector<std::string> keyPhrases = keys.Unique(count / 6 + 1);
    std::vector<DictionaryEntry> entries;
    for (std::size_t i = 0; i < count; ++i) {
        entries.push_back({random.PickSkewed(keyPhrases), follows.Next(), Frequency(random)});
    }
    return entries;
}

// Lines of one key followed by the words it groups.
Bytes GroupedLines(const std::map<std::string, std::vector<std::string>>& groups, const char* separator) {
    Bytes text;
    for (const auto& [key, words] : groups) {
        text += key;
        for (const std::string& word : words) text += separator + word;
        text += "\r\n";
    }
    return text;
}

// A stand-in count of strokes (1 to 30, mostly 6 to 14) that stays the same per character.
int StrokeCount(const std::string& character) {
    Random random(static_cast<unsigned char>(character[0]) * 256u + static_cast<unsigned char>(character[1]));
    return 1 + static_cast<int>((random.Below(14) + random.Below(14) + random.Below(4)));
}

// The stroke sequence of a character by stroke kind (1 horizontal, 2 vertical, 3 left-falling,
// 4 dot, 5 turning).
std::string StrokeSequence(const std::string& character) {
    Random random(static_cast<unsigned char>(character[1]) * 256u + static_cast<unsigned char>(character[0]));
    std::string strokes;
    for (int i = StrokeCount(character); i > 0; --i) strokes.push_back(static_cast<char>('1' + random.Below(5)));
    return strokes;
}

// Every GBK character and the common phrases with their Wubi codes and frequencies.
Bytes WubiCharacterDictionary() {
    Random random(0x575A'0000);
    std::vector<DictionaryEntry> entries;
    for (const std::string& character : GbkHanzi()) {
        entries.push_back({WubiCharacterCode(character), character, Frequency(random)});
    }
    for (const std::string& phrase : PhraseSource(0x575A'0001).Unique(80000)) {
        entries.push_back({WubiWordCode(phrase), phrase, Frequency(random)});
    }
    SortByCode(entries);
    return TextDictionary(entries, true);
}

// Level-1 characters by the initial of their reading, each with its frequency.
Bytes PinyinCharacterDictionary() {
    Random random(0x505A'0000);
    Bytes text;
    for (const std::string& character : Gb2312Level1()) {
        text += std::string(1, PinyinInitial(character)) + " " + character + " " + std::to_string(Frequency(random)) + "\r\n";
    }
    return text;
}

// Every GBK character by its stroke sequence, then the common phrases by the first two strokes of
// each of their characters.
Bytes StrokeDictionary() {
    Bytes text;
    for (const std::string& character : GbkHanzi()) text += StrokeSequence(character) + " " + character + "\r\n";
    for (const std::string& phrase : PhraseSource(0x4248'0001).Unique(60000)) {
        std::string code;
        for (std::size_t i = 0; i + 1 < phrase.size(); i += 2) code += StrokeSequence(phrase.substr(i, 2)).substr(0, 2);
        text += code + " " + phrase + "\r\n";
    }
    return text;
}

Bytes AssociationPhrases() {
    std::map<std::string, std::vector<std::string>> groups;
    for (const DictionaryEntry& entry : AssociationEntries(0x4C58'0000, 220000)) {
        auto& group = groups[entry.code];
        if (group.size() < 24) group.push_back(entry.word);
    }
    return GroupedLines(groups, " ");
}

Bytes PolyphonicCharacters() {
    const char* readings[][2] = {
        {"行", "xing hang"}, {"长", "chang zhang"}, {"重", "zhong chong"}, {"乐", "le yue"},
        {"还", "hai huan"}, {"得", "de dei"}, {"了", "le liao"}, {"着", "zhe zhao zhuo"},
        {"都", "dou du"}, {"便", "bian pian"}, {"传", "chuan zhuan"}, {"朝", "chao zhao"},
        {"调", "diao tiao"}, {"降", "jiang xiang"}, {"角", "jiao jue"}, {"觉", "jiao jue"},
        {"落", "luo la lao"}, {"率", "lv shuai"}, {"薄", "bao bo"}, {"差", "cha chai ci"},
        {"藏", "cang zang"}, {"曾", "ceng zeng"}, {"称", "cheng chen"}, {"大", "da dai"},
        {"的", "de di"}, {"地", "de di"}, {"度", "du duo"}, {"给", "gei ji"}, {"和", "he hu huo"},
        {"会", "hui kuai"}, {"假", "jia"}, {"将", "jiang qiang"}, {"卡", "ka qia"}, {"没", "mei mo"},
        {"强", "qiang jiang"}, {"数", "shu shuo"}, {"说", "shuo shui"}, {"似", "si shi"},
        {"血", "xue xie"}, {"种", "zhong"}, {"转", "zhuan"}, {"省", "sheng xing"}, {"系", "xi ji"},
        {"参", "can shen cen"}, {"区", "qu ou"}, {"单", "dan shan chan"}, {"解", "jie xie"},
    };
    Bytes text;
    for (const auto& row : readings) text += Gbk(row[0]) + " " + row[1] + "\r\n";
    return text;
}

// The traditional characters that Big5 and GBK share, with their Wubi codes.
Bytes TraditionalCharacterDictionary() {
    std::vector<DictionaryEntry> entries;
    Random random(0x4654'0000);
    for (unsigned lead = 0xA4; lead <= 0xF9; ++lead) {
        for (unsigned trail : {0x40u, 0x41u, 0x42u, 0x43u, 0x50u, 0x60u, 0x70u, 0xA1u, 0xB0u, 0xC0u, 0xD0u, 0xE0u, 0xF0u}) {
            std::uint16_t gbk = Big5ToGbk(static_cast<std::uint16_t>(lead << 8 | trail));
            if (gbk == 0) continue;
            std::string character{static_cast<char>(gbk >> 8), static_cast<char>(gbk & 0xFF)};
            entries.push_back({WubiCharacterCode(character), character, Frequency(random)});
        }
    }
    SortByCode(entries);
    return TextDictionary(entries, false);
}

Bytes SimplifiedTraditionalTable() {
    Bytes text;
    for (const auto& [simplified, traditional] : TraditionalForms()) text += Gbk(simplified) + " " + Gbk(traditional) + "\r\n";
    return text;
}

// A phrase dictionary of one field, by Pinyin initials.
Bytes FieldDictionary(std::uint64_t seed, const WordList& field, std::size_t count) {
    std::vector<DictionaryEntry> entries = PinyinEntries(seed, count, &field);
    SortByCode(entries);
    return TextDictionary(entries, false);
}

Bytes NameDictionary() {
    Random random(0x524D'0000);
    std::set<std::string> seen;
    std::vector<DictionaryEntry> entries;
    while (entries.size() < 40000) {
        std::string name = PersonName(random);
        if (seen.insert(name).second) entries.push_back({PinyinInitials(name), name, 0});
    }
    SortByCode(entries);
    return TextDictionary(entries, false);
}

Bytes PlaceDictionary() {
    static const WordList suffixes = {"区", "县", "路", "街", "镇", "新区", "开发区", "大道", "广场", "公园", "火车站", "机场"};
    static const WordList parts = {"东", "西", "南", "北", "中", "新", "长安", "人民", "解放", "和平", "建设", "胜利", "文化", "滨江",
                                   "朝阳", "花园", "东风", "红旗", "光明", "幸福", "前进", "友谊", "青年", "振兴", "工业", "科技",
                                   "黄河", "长江", "迎宾", "湖滨", "南湖", "北苑"};
    Random random(0x444D'0000);
    std::set<std::string> seen;
    std::vector<DictionaryEntry> entries;
    for (const std::string& province : GbkWords(Provinces())) entries.push_back({PinyinInitials(province), province, 0});
    for (std::size_t attempts = 0; entries.size() < 24000 && attempts < 400000; ++attempts) {
        std::string place = random.Pick(GbkWords(Cities())) + random.Pick(GbkWords(parts)) + random.Pick(GbkWords(suffixes));
        if (seen.insert(place).second) entries.push_back({PinyinInitials(place), place, 0});
    }
    SortByCode(entries);
    return TextDictionary(entries, false);
}

Bytes IdiomDictionary() {
    std::vector<DictionaryEntry> entries;
    for (const std::string& idiom : GbkWords(Idioms())) {
        entries.push_back({PinyinInitials(idiom), idiom, 0});
        entries.push_back({WubiWordCode(idiom), idiom, 0});
    }
    SortByCode(entries);
    return TextDictionary(entries, false);
}

Bytes RadicalTable() {
    const char* radicals[][2] = {
        {"亻", "单人旁"}, {"彳", "双人旁"}, {"氵", "三点水"}, {"冫", "两点水"}, {"讠", "言字旁"},
        {"扌", "提手旁"}, {"忄", "竖心旁"}, {"艹", "草字头"}, {"宀", "宝盖头"}, {"冖", "秃宝盖"},
        {"辶", "走之底"}, {"廴", "建之旁"}, {"阝", "双耳旁"}, {"刂", "立刀旁"}, {"纟", "绞丝旁"},
        {"钅", "金字旁"}, {"饣", "食字旁"}, {"犭", "反犬旁"}, {"礻", "示字旁"}, {"衤", "衣字旁"},
        {"疒", "病字旁"}, {"穴", "穴宝盖"}, {"彡", "三撇"}, {"攵", "反文旁"}, {"灬", "四点底"},
        {"罒", "四字头"}, {"耂", "老字头"}, {"皿", "皿字底"}, {"虍", "虎字头"}, {"竹", "竹字头"},
        {"米", "米字旁"}, {"舟", "舟字旁"}, {"车", "车字旁"}, {"贝", "贝字旁"}, {"见", "见字旁"},
        {"页", "页字旁"}, {"鱼", "鱼字旁"}, {"鸟", "鸟字旁"}, {"口", "口字旁"}, {"囗", "国字框"},
        {"门", "门字框"}, {"厂", "厂字旁"}, {"广", "广字旁"}, {"尸", "尸字头"}, {"户", "户字头"},
        {"火", "火字旁"}, {"木", "木字旁"}, {"禾", "禾木旁"}, {"王", "王字旁"}, {"女", "女字旁"},
        {"子", "子字旁"}, {"日", "日字旁"}, {"月", "月字旁"}, {"石", "石字旁"}, {"目", "目字旁"},
        {"田", "田字旁"}, {"土", "提土旁"}, {"山", "山字旁"}, {"心", "心字底"}, {"牛", "牛字旁"},
        {"马", "马字旁"}, {"弓", "弓字旁"}, {"方", "方字旁"}, {"歹", "歹字旁"}, {"瓦", "瓦字旁"},
    };
    Bytes text;
    for (const auto& row : radicals) text += Gbk(row[0]) + " " + Gbk(row[1]) + "\r\n";
    return text;
}

// The use count of every GB2312 character (32-bit little-endian, in code order).
Bytes CharacterFrequencies() {
    Random random(0x5A50'0000);
    Bytes table("QUZP", 4);
    PutU32(table, static_cast<std::uint32_t>(Gb2312Level1().size() + Gb2312Level2().size()));
    for (const auto* level : {&Gb2312Level1(), &Gb2312Level2()}) {
        std::size_t scale = level == &Gb2312Level1() ? 1 : 40;
        for (std::size_t i = 0; i < level->size(); ++i) PutU32(table, static_cast<std::uint32_t>(9000000 / (scale * (1 + random.Skewed(3000))) + random.Below(1000)));
    }
    return table;
}

Bytes PhraseFrequencies() {
    Random random(0x4350'0000);
    Bytes text;
    for (const std::string& phrase : PhraseSource(0x4350'0001).Unique(80000)) {
        text += phrase + "\t" + std::to_string(Frequency(random)) + "\r\n";
    }
    return text;
}

// Every GBK character, 32 to a line.
Bytes GbkCharacterList() {
    Bytes text;
    const std::vector<std::string>& characters = GbkHanzi();
    for (std::size_t i = 0; i < characters.size(); ++i) {
        text += characters[i];
        if (i % 32 == 31 || i + 1 == characters.size()) text += "\r\n";
    }
    return text;
}

// The stroke count of every GBK character, one byte each in code order, after a small header.
Bytes GbkStrokeCounts() {
    Bytes table("QUBH", 4);
    PutU32(table, static_cast<std::uint32_t>(GbkHanzi().size()));
    for (const std::string& character : GbkHanzi()) table.push_back(static_cast<char>(StrokeCount(character)));
    return table;
}

// Pairs of GBK code and Unicode code point for every double-byte GBK character.
Bytes GbkUnicodeTable() {
    Bytes table("QUGU", 4);
    Bytes pairs;
    std::uint32_t count = 0;
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            std::uint16_t code = static_cast<std::uint16_t>(lead << 8 | trail);
            std::uint32_t unicode = GbkToUnicode(code);
            if (unicode == 0 || unicode > 0xFFFF) continue;
            PutU16(pairs, code);
            PutU16(pairs, unicode);
            ++count;
        }
    }
    PutU32(table, count);
    return table + pairs;
}

// Pairs of Big5 code and GBK code for the characters the two sets share.
Bytes Big5GbkTable() {
    Bytes table("QUB5", 4);
    Bytes pairs;
    std::uint32_t count = 0;
    for (unsigned lead = 0xA1; lead <= 0xF9; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail > 0x7E && trail < 0xA1) continue;
            std::uint16_t big5 = static_cast<std::uint16_t>(lead << 8 | trail);
            std::uint16_t gbk = Big5ToGbk(big5);
            if (gbk == 0) continue;
            PutU16(pairs, big5);
            PutU16(pairs, gbk);
            ++count;
        }
    }
    PutU32(table, count);
    return table + pairs;
}

// Typing statistics of the input method: a header and a year of daily counters, all zero.
Bytes TypingStatistics() {
    Bytes table("QUTJ", 4);
    PutU32(table, 0x00080006);
    PutU32(table, 366);
    PutU32(table, 0);
    table.append(366 * 8, '\0');
    return table;
}

// The user's own Wubi phrases.
Bytes UserWubiPhrases() {
    Bytes text;
    for (const std::string& phrase : PhraseSource(0x5A4C'0000).Unique(420)) text += WubiWordCode(phrase) + " " + phrase + "\r\n";
    return text;
}

// Characters that share the first two or three keys of their Wubi code, in the order the user
// chose.
Bytes SharedCodeChoices(std::size_t keys) {
    std::map<std::string, std::vector<std::string>> groups;
    for (const std::string& character : Gb2312Level1()) {
        std::string code = WubiCharacterCode(character);
        if (code.size() < keys) continue;
        auto& group = groups[code.substr(0, keys)];
        if (group.size() < 9) group.push_back(character);
    }
    for (auto it = groups.begin(); it != groups.end();) it = it->second.size() < 2 ? groups.erase(it) : std::next(it);
    return GroupedLines(groups, " ");
}

// The character placed first on each key.
Bytes FixedCharacters() {
    Bytes text;
    for (const auto& [key, character] : WubiFirstLevel()) text += std::string(1, key) + " " + Gbk(character) + "\r\n";
    return text;
}

Bytes UserCodes(std::uint64_t seed, bool wubi) {
    Random random(seed);
    Bytes text;
    const char* fixed[][2] = {
        {"dz", "北京市海淀区中关村大街一号"}, {"yb", "100080"}, {"dh", "010-62345678"},
        {"gs", "岚石软件有限公司"}, {"qm", "此致敬礼！"}, {"nh", "您好！"}, {"xx", "谢谢！"},
    };
    for (const auto& row : fixed) text += std::string(row[0]) + " " + Gbk(row[1]) + "\r\n";
    for (const std::string& phrase : PhraseSource(seed + 1).Unique(120)) {
        text += (wubi ? WubiWordCode(phrase) : PinyinInitials(phrase)) + " " + phrase + "\r\n";
    }
    return text;
}

Bytes UserSymbols() {
    const char* symbols[][2] = {
        {"dh", "，"}, {"jh", "。"}, {"wh", "？"}, {"th", "！"}, {"mh", "："}, {"fh", "；"},
        {"sm", "《》"}, {"yh", "“”"}, {"kh", "（）"}, {"fk", "【】"}, {"dd", "、"}, {"sl", "……"},
        {"px", "——"}, {"bfh", "％"}, {"rmb", "￥"}, {"ds", "℃"}, {"xx", "★"}, {"kx", "☆"},
        {"yq", "○"}, {"sx", "●"}, {"jt", "→"}, {"zj", "←"}, {"sj", "↑"}, {"xj", "↓"},
        {"dy", "≥"}, {"xy", "≤"}, {"bd", "≠"}, {"cf", "×"}, {"cu", "÷"}, {"pf", "㎡"},
        {"ty", "§"}, {"dg", "√"}, {"xh", "№"}, {"pm", "‰"}, {"yx", "◎"}, {"ls", "◆"},
    };
    Bytes text;
    for (const auto& row : symbols) text += std::string(row[0]) + " " + Gbk(row[1]) + "\r\n";
    return text;
}

}  // namespace

void AddDictionaryMembers(MakerTable& table) {
    // The largest member of the payload: the Wubi code table of every GB2312 character and the
    // common phrases, at its fixed size.
    table["quorzkmb.ov1"] = [] { return CodeTable("QUMB", WubiEntries(0x5A4B'0000, 160000), 1882706); };
    table["quorpymb.ov1"] = [] { return CodeTable("QUPY", PinyinEntries(0x5059'4D42, 120000)); };
    table["quorlxmb.ov1"] = [] { return CodeTable("QULX", AssociationEntries(0x4C58'4D42, 90000)); };
    table["qujpmb.ov1"] = [] { return CodeTable("QUJP", PinyinEntries(0x4A50'4D42, 110000)); };
    table["quorwbzk.quh"] = WubiCharacterDictionary;
    table["quorpyzk.quh"] = PinyinCharacterDictionary;
    table["quorbhzk.quh"] = StrokeDictionary;
    table["quorlxck.quh"] = AssociationPhrases;
    table["quordyzk.quh"] = PolyphonicCharacters;
    table["quorftzk.quh"] = TraditionalCharacterDictionary;
    table["quorjtft.quh"] = SimplifiedTraditionalTable;
    table["qurmck.quh"] = NameDictionary;
    table["qudmck.quh"] = PlaceDictionary;
    table["qujsjck.quh"] = [] { return FieldDictionary(0x4A53'4A00, ComputerWords(), 45000); };
    table["quyxck.quh"] = [] { return FieldDictionary(0x5958'0000, MedicalWords(), 40000); };
    table["quflck.quh"] = [] { return FieldDictionary(0x464C'0000, LawWords(), 40000); };
    table["qujjck.quh"] = [] { return FieldDictionary(0x4A4A'0000, EconomyWords(), 40000); };
    table["qutyck.quh"] = [] { return FieldDictionary(0x5459'0000, SportsWords(), 35000); };
    table["qucyck.quh"] = IdiomDictionary;
    table["quorpz.quh"] = RadicalTable;
    table["quorzpl.quh"] = CharacterFrequencies;
    table["quorcpl.quh"] = PhraseFrequencies;
    table["qugbkhz.quh"] = GbkCharacterList;
    table["qugbkbh.quh"] = GbkStrokeCounts;
    table["qugbkuni.dat"] = GbkUnicodeTable;
    table["qubig5.dat"] = Big5GbkTable;
    table["quortj.dat"] = TypingStatistics;
    table["qwbzlcz1.quh"] = UserWubiPhrases;
    table["quwbcmxz.quh"] = [] { return SharedCodeChoices(2); };
    table["qudhzcm.quh"] = [] { return SharedCodeChoices(3); };
    table["quordhz.quh"] = FixedCharacters;
    table["quorzdym.quh"] = [] { return UserCodes(0x5A44'0000, true); };
    table["qupyzdym.quh"] = [] { return UserCodes(0x5044'0000, false); };
    table["quorzdfh.quh"] = UserSymbols;
}
