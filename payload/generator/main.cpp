// payload_gen: writes the generated members of the demo payload.
//   payload_gen members ART_DIR OUT_DIR NAME...   the named members (UTF-8 names) into OUT_DIR
//   payload_gen skin OUT_DIR STYLE                the eight files of skin STYLE (1 to 4)
// An unknown member name is an error: the member list and the generators must agree.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "members.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: payload_gen members ART_DIR OUT_DIR NAME...\n"
                 "       payload_gen skin OUT_DIR STYLE\n");
    return 2;
}

int WriteMembers(const std::string& outDir, int count, char** names) {
    MakerTable table;
    AddPhraseMembers(table);
    AddDictionaryMembers(table);
    AddTextTableMembers(table);
    AddSettingsMembers(table);
    AddPictureMembers(table);
    AddSoundMembers(table);
    for (int i = 0; i < count; ++i) {
        auto found = table.find(names[i]);
        if (found == table.end()) {
            std::fprintf(stderr, "payload_gen: no generator makes the member %s\n", names[i]);
            return 1;
        }
        if (!WriteWholeFile(outDir + "/" + names[i], found->second())) return 1;
    }
    return 0;
}

int WriteSkin(const std::string& outDir, const char* style) {
    int number = std::atoi(style);
    if (number < 1 || number > 4) return Usage();
    for (const auto& [name, bytes] : MakeSkinFiles(number)) {
        if (!WriteWholeFile(outDir + "/" + name, bytes)) return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "members") == 0) {
        g_artDirectory = argv[2];
        return WriteMembers(argv[3], argc - 4, argv + 4);
    }
    if (argc == 4 && std::strcmp(argv[1], "skin") == 0) return WriteSkin(argv[2], argv[3]);
    return Usage();
}
