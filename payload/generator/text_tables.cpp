// Text-table members (.txt): help and licence texts, the Wubi radical and short-code tables, the
// double-Pinyin scheme, idioms and poems, symbol tables, soft-keyboard layouts, calendar terms,
// and the user's traditional-character codes and address book.
#include "gbk.h"
#include "members.h"
#include "phrases.h"

namespace {

// Lines of UTF-8 text (LF separated, as written in this file) as GBK with CR LF.
Bytes GbkLines(const std::string& utf8) {
    std::string text;
    std::size_t start = 0;
    while (start < utf8.size()) {
        std::size_t end = utf8.find('\n', start);
        if (end == std::string::npos) end = utf8.size();
        text += utf8.substr(start, end - start) + "\r\n";
        start = end + 1;
    }
    return Gbk(text);
}

const char kHelpText[] = R"(智能岚石输入平台 使用帮助

一、切换输入法
按 Ctrl+Shift 在已安装的输入法之间切换，按 Ctrl+空格 打开或关闭智能岚石。输入法状态窗口显示当前的输入方式（拼音或五笔）、中英文状态、全角半角和中英文标点。

二、拼音输入
智能岚石支持全拼、简拼和双拼。输入“zhongguo”或简拼“zg”都可以得到“中国”。词组越常用，排在候选框中的位置越靠前。输入时按空格键选择第一个候选，按数字键选择相应的候选，按“=”或“.”向后翻页，按“-”或“,”向前翻页。

三、五笔输入
五笔编码按字根拆分汉字，最多四码。一级简码只需一键加空格，例如“g”为“一”，“k”为“中”。词组编码：两字词取每字前两码，三字词取前两字第一码和末字前两码，四字及四字以上的词取前三字和末字的第一码。

四、词组管理
在候选框中按 Ctrl+Del 可以删除当前选中的自造词。新词在输入一次后自动记入用户词库；用户词库在重新安装时可以保留。数据管理程序可以导入、导出和备份用户词库。

五、皮肤与状态窗口
在设置中可以选择状态窗口的显示方式和皮肤。安装时提供冷色瓷面、粉色瓷面和小天使三种皮肤。

六、常见问题
如果输入法在某个程序中不能使用，请退出该程序后重新启动。如果词库文件损坏，请重新安装并选择保留原有数据。)";

const char kLicenceText[] = R"(智能岚石输入平台 软件许可协议

请您在安装和使用本软件之前仔细阅读本协议。安装、复制或使用本软件，即表示您同意本协议的各项条款。

一、许可范围
您可以在个人计算机上安装和使用本软件，可以为备份目的复制本软件。您不得出租、出售本软件或将其用于任何违法用途。

二、用户数据
本软件在您的计算机上保存您输入的自造词、设置和统计数据，这些数据只保存在本地，不会被发送到任何地方。重新安装时，您可以选择保留原有数据。

三、免责声明
本软件按现状提供。在法律允许的范围内，作者不对因使用本软件造成的任何直接或间接损失承担责任。

四、其他
本协议的解释、效力及纠纷的解决适用中华人民共和国法律。)";

const char kVersionText[] = R"(智能岚石输入平台 版本说明

8.6版
    新增“简双快拼”双拼方案。
    支持Windows 10 的应用商店程序。
    安装时可以保留原有的词组数据和设置。
    改进了64位系统上的安装。

8.5版
    新增小天使皮肤。
    候选框支持鼠标选择和滚轮翻页。

8.3版
    新增繁体字输入和简繁转换。
    改进了五笔词组的编码规则。

8.0版
    文本服务方式（TSF）与输入法方式（IMM）可以在安装时选择。)";

const char kShortcutText[] = R"(Ctrl+空格	打开或关闭输入法
Ctrl+Shift	切换输入法
Shift	中英文切换
Ctrl+.	中英文标点切换
Shift+空格	全角半角切换
Ctrl+K	打开软键盘
Ctrl+Alt+P	拼音和五笔切换
Ctrl+Del	删除自造词
Ctrl+F	简繁切换
=	向后翻页
-	向前翻页
Tab	选择下一个候选
Esc	清除输入)";

const char kTipsText[] = R"(按 Shift 键可以在中文和英文之间切换。
输入“v”加数字可以输入中文数字，例如“v2024”得到“二〇二四”。
输入简拼可以更快地输入常用词组。
在五笔方式下，输入“z”可以查看万能键提示。
用 Ctrl+Del 可以删除不想要的自造词。
双击状态窗口上的图标可以打开设置。
自定义短语可以输入常用的地址、电话和签名。
软键盘可以输入希腊字母、俄文字母和特殊符号。)";

const char kShuangpinText[] = R"(简双快拼 方案
声母
zh=v ch=i sh=u
韵母
a=a o=o e=e i=i u=u v=v
ai=l an=j ang=h ao=k
ei=z en=f eng=g er=r
ia=w ian=m iang=d iao=c ie=x in=n ing=y iong=s iu=q
ong=s ou=b
ua=w uai=y uan=r uang=d ue=t ui=v un=p uo=o
零声母
a=aa ai=al an=aj ang=ah ao=ak e=ee ei=ez en=ef eng=eg er=er o=oo ou=ob)";

const char kDateText[] = R"(rq	yyyy年m月d日
rq1	yyyy-mm-dd
rq2	yyyy/mm/dd
rq3	〇〇〇〇年〇月〇日
sj	h时n分
sj1	hh:nn:ss
xq	星期w
nl	农历m月d日
jq	当前节气)";

const char kAddressText[] = R"(单位：岚石软件有限公司	地址：北京市海淀区中关村大街一号	邮编：100080	电话：010-62345678
单位：华北电力设计院	地址：北京市西城区黄寺大街二十四号	邮编：100120	电话：010-58388888
单位：东方红小学	地址：上海市徐汇区漕溪北路三百号	邮编：200030	电话：021-64381234
单位：长江机械厂	地址：湖北省武汉市青山区和平大道九百号	邮编：430080	电话：027-86861234
单位：南海贸易公司	地址：广东省广州市天河区体育西路一百号	邮编：510620	电话：020-38881234
单位：西部信息中心	地址：四川省成都市武侯区人民南路四段九号	邮编：610041	电话：028-85221234
单位：滨江医院	地址：浙江省杭州市滨江区江南大道三千号	邮编：310052	电话：0571-87651234
单位：黄河大学图书馆	地址：河南省郑州市金水区文化路八十号	邮编：450002	电话：0371-63551234)";

const char kProvinceText[] = R"(北京市	京
天津市	津
河北省	冀
山西省	晋
内蒙古自治区	蒙
辽宁省	辽
吉林省	吉
黑龙江省	黑
上海市	沪
江苏省	苏
浙江省	浙
安徽省	皖
福建省	闽
江西省	赣
山东省	鲁
河南省	豫
湖北省	鄂
湖南省	湘
广东省	粤
广西壮族自治区	桂
海南省	琼
重庆市	渝
四川省	川
贵州省	黔
云南省	滇
西藏自治区	藏
陕西省	陕
甘肃省	甘
青海省	青
宁夏回族自治区	宁
新疆维吾尔自治区	新
香港特别行政区	港
澳门特别行政区	澳
台湾省	台)";

// The GBK symbols of one row of the symbol area (lead byte 0xA1 to 0xA9), as text.
std::string SymbolRow(unsigned lead) {
    std::string row;
    for (unsigned trail = 0xA1; trail <= 0xFE; ++trail) {
        std::uint16_t code = static_cast<std::uint16_t>(lead << 8 | trail);
        if (GbkToUnicode(code) != 0) row += std::string{static_cast<char>(lead), static_cast<char>(trail)};
    }
    return row;
}

Bytes SymbolTable(std::initializer_list<std::pair<unsigned, const char*>> rows) {
    Bytes text;
    for (const auto& [lead, title] : rows) text += Gbk(std::string("[") + title + "]\r\n") + SymbolRow(lead) + "\r\n";
    return text;
}

// Soft-keyboard layouts: a name and the 47 characters placed on the keys, row by row.
Bytes SoftKeyboards() {
    Bytes text;
    const std::pair<unsigned, const char*> layouts[] = {
        {0xA1, "标点符号"}, {0xA2, "数字序号"}, {0xA6, "希腊字母"}, {0xA7, "俄文字母"},
        {0xA8, "拼音注音"}, {0xA9, "制表符"}, {0xA3, "全角字符"},
    };
    for (const auto& [lead, name] : layouts) {
        std::string row = SymbolRow(lead);
        text += Gbk(std::string("[") + name + "]\r\n");
        for (std::size_t key = 0; key < 47; ++key) {
            std::size_t at = 2 * key;
            text += at + 1 < row.size() ? row.substr(at, 2) : std::string("  ");
            if (key % 12 == 11 || key == 46) text += "\r\n";
        }
    }
    return text;
}

Bytes WubiRadicals() {
    Bytes text;
    for (const auto& [key, rhyme] : WubiRadicalRhymes()) text += std::string(1, key) + "\t" + Gbk(rhyme) + "\r\n";
    return text;
}

// First-level short codes, then second-level ones (the first character of each two-key code).
Bytes WubiShortCodes() {
    Bytes text = Gbk("[一级简码]\r\n");
    for (const auto& [key, character] : WubiFirstLevel()) text += std::string(1, key) + " " + Gbk(character) + "\r\n";
    text += Gbk("[二级简码]\r\n");
    std::map<std::string, std::string> second;
    for (const std::string& character : Gb2312Level1()) {
        std::string code = WubiCharacterCode(character);
        if (code.size() >= 2) second.emplace(code.substr(0, 2), character);
    }
    for (const auto& [code, character] : second) text += code + " " + character + "\r\n";
    return text;
}

// The most frequent phrase of each short Pinyin code.
Bytes PinyinShortCodes() {
    std::map<std::string, std::string> shortest;
    for (const std::string& phrase : PhraseSource(0x504A'0000).Unique(5000)) {
        shortest.emplace(PinyinInitials(phrase), phrase);
    }
    Bytes text;
    for (const auto& [code, phrase] : shortest) {
        if (code.size() <= 3) text += code + " " + phrase + "\r\n";
    }
    return text;
}

Bytes WubiPinyinTable() {
    Bytes text;
    for (const std::string& character : Gb2312Level1()) {
        text += character + "\t" + WubiCharacterCode(character) + "\t" + PinyinInitial(character) + "\r\n";
    }
    return text;
}

// Rare characters (GB2312 level 2) with their Wubi codes.
Bytes RareCharacters() {
    Bytes text;
    const std::vector<std::string>& characters = Gb2312Level2();
    for (std::size_t i = 0; i < characters.size(); i += 2) text += characters[i] + "\t" + WubiCharacterCode(characters[i]) + "\r\n";
    return text;
}

Bytes IdiomList() {
    Bytes text;
    for (const std::string& idiom : GbkWords(Idioms())) text += idiom + "\t" + PinyinInitials(idiom) + "\r\n";
    return text;
}

Bytes PoemText() {
    std::string text;
    for (const Poem& poem : Poems()) {
        text += "《" + poem.title + "》 " + poem.author + "\n";
        for (const std::string& line : poem.lines) text += line + "\n";
        text += "\n";
    }
    return GbkLines(text);
}

Bytes CalendarTerms() {
    std::string text = "[二十四节气]\n";
    for (const std::string& term : SolarTerms()) text += term + "\n";
    text += "[节日]\n";
    for (const std::string& festival : Festivals()) {
        std::size_t colon = festival.find(':');
        text += festival.substr(0, colon) + "\t" + festival.substr(colon + 1) + "\n";
    }
    return GbkLines(text);
}

// User-defined codes that give traditional-character phrases.
Bytes TraditionalUserCodes(std::uint64_t seed, bool wubi) {
    Random random(seed);
    Bytes text;
    for (int i = 0; i < 160; ++i) {
        std::string word = random.PickSkewed(CommonWords());
        if (random.Below(2) == 0) word += random.PickSkewed(CommonWords());
        std::string simplified = Gbk(word);
        std::string code = wubi ? WubiWordCode(simplified) : PinyinInitials(simplified);
        text += code + " " + MapCharacters(word, TraditionalForms()) + "\r\n";
    }
    return text;
}

}  // namespace

void AddTextTableMembers(MakerTable& table) {
    table["quorbz.txt"] = [] { return GbkLines(kHelpText); };
    table["quorxk.txt"] = [] { return GbkLines(kLicenceText); };
    table["quorver.txt"] = [] { return GbkLines(kVersionText); };
    table["quorkjj.txt"] = [] { return GbkLines(kShortcutText); };
    table["qutsyj.txt"] = [] { return GbkLines(kTipsText); };
    table["qusppy.txt"] = [] { return GbkLines(kShuangpinText); };
    table["quorrq.txt"] = [] { return GbkLines(kDateText); };
    table["quordwdw.txt"] = [] { return GbkLines(kAddressText); };
    table["qusfdm.txt"] = [] { return GbkLines(kProvinceText); };
    table["quorfh.txt"] = [] {
        return SymbolTable({{0xA1, "标点"}, {0xA2, "序号"}, {0xA3, "全角"}, {0xA6, "希腊字母"}, {0xA7, "俄文字母"}, {0xA9, "制表符"}});
    };
    table["qutsfh.txt"] = [] { return SymbolTable({{0xA8, "拼音与注音"}, {0xA4, "日文平假名"}, {0xA5, "日文片假名"}}); };
    table["qurjp.txt"] = SoftKeyboards;
    table["quwbzg.txt"] = WubiRadicals;
    table["quwbjm.txt"] = WubiShortCodes;
    table["qupyjm.txt"] = PinyinShortCodes;
    table["quwbpy.txt"] = WubiPinyinTable;
    table["quorynhz.txt"] = RareCharacters;
    table["quorcy.txt"] = IdiomList;
    table["quorsc.txt"] = PoemText;
    table["quorjq.txt"] = CalendarTerms;
    table["ftquzdym.txt"] = [] { return TraditionalUserCodes(0x4654'5A00, true); };
    table["ftpyzdym.txt"] = [] { return TraditionalUserCodes(0x4654'5000, false); };
}
