// quzpack check: whether the files of a folder can become the payload of a setup program, judged by
// the table of names the setup program and the uninstaller rely on (common/named_files.h) and the
// archive's rules; and the order in which they are packed.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "archive/quz_format.h"
#include "common/named_files.h"
#include "common/version_text.h"
#include "tools/quzpack_commands.h"
#include "tools/quzpack_support.h"

namespace {

struct FolderFile {
    std::string name;  // UTF-8, as the folder holds it
    bool plain;        // a regular file, not reached through a link
    bool directory;
    std::size_t size;
};

bool ReadFolder(const std::string& folder, std::vector<FolderFile>* files) {
    DIR* directory = opendir(folder.c_str());
    if (directory == nullptr) {
        Complain(folder + ": cannot be read: " + std::strerror(errno));
        return false;
    }
    while (dirent* entry = readdir(directory)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        struct stat info {};
        bool known = lstat((folder + "/" + name).c_str(), &info) == 0;
        files->push_back({name, known && S_ISREG(info.st_mode), known && S_ISDIR(info.st_mode),
                          static_cast<std::size_t>(info.st_size)});
    }
    closedir(directory);
    std::sort(files->begin(), files->end(), [](const FolderFile& a, const FolderFile& b) { return a.name < b.name; });
    return true;
}

// The names every payload must carry: those a step of the setup program names, and the user's data
// files the backup takes. The uninstaller is left out: the build puts its own in when the folder has none.
std::set<std::string> RequiredNames() {
    std::set<std::string> names;
    for (const NamedFile& file : kNamedFiles) {
        if ((file.uses & kPayloadMember) != 0 && std::strcmp(file.name, kUninstaller) != 0) names.insert(file.name);
    }
    for (const BackupRow& row : kBackupRows) names.insert(row.source);
    return names;
}

bool IsVersionPatched(const std::string& name) {
    for (const NamedFile& file : kNamedFiles) {
        if ((file.uses & kVersionPatched) != 0 && name == file.name) return true;
    }
    return false;
}

// The problems of one file of the folder; its GBK name is set when the name itself is sound.
std::vector<std::string> FileProblems(const std::string& folder, const FolderFile& file, std::string* gbk) {
    std::string path = folder + "/" + file.name;
    std::string shown = folder + "/" + DisplayFileName(file.name);
    if (file.directory) return {shown + ": a sub-directory; the payload is made of the folder's plain files only"};
    if (!file.plain) return {shown + ": not a plain file (a link, device or pipe)"};
    std::vector<std::string> problems;
    std::string error;
    if (!MemberNameOf(path, ArchiveVariant::kDigest, gbk, &error)) {
        problems.push_back(error);
        gbk->clear();
    }
    std::string sizeProblem = MemberSizeProblem(file.size, ArchiveVariant::kDigest);
    if (!sizeProblem.empty()) problems.push_back(shown + ": " + sizeProblem);
    if (IsVersionPatched(file.name) && sizeProblem.empty()) {
        std::vector<unsigned char> data;
        if (!ReadWholeFile(path, &data, &error)) {
            problems.push_back(error);
        } else if (CountVersionTexts(data.data(), data.size()) == 0) {
            problems.push_back(shown + ": carries no version text (智能岚石输入平台 V6.3 or V6.7 in UTF-16) for the "
                               "setup program to bring up to date");
        }
    }
    return problems;
}

// The names of a member list: the first field of each line that is not blank or a # comment.
bool ReadMemberList(const std::string& path, std::vector<std::string>* names) {
    std::ifstream list(path);
    if (!list) {
        Complain(path + ": member list cannot be read");
        return false;
    }
    std::string line;
    while (std::getline(list, line)) {
        std::istringstream fields(line);
        std::string name;
        if (fields >> name && name[0] != '#') names->push_back(name);
    }
    return true;
}

// The listed names the folder holds (the uninstaller always) in the list's order, then the folder's
// other files in bytewise order of their names.
std::string PackingOrder(const std::vector<FolderFile>& files, const std::vector<std::string>& listed) {
    std::set<std::string> present = {kUninstaller};
    for (const FolderFile& file : files) present.insert(file.name);
    std::string order;
    for (const std::string& name : listed) {
        if (present.erase(name) != 0) order += name + "\n";
    }
    for (const std::string& name : present) order += name + "\n";
    return order;
}

}  // namespace

int CheckCommand(const std::string& folder, const std::string& memberList, const std::string& namesOutput) {
    std::vector<FolderFile> files;
    std::vector<std::string> listed;
    if (!ReadFolder(folder, &files)) return kExitFailure;
    if (!memberList.empty() && !ReadMemberList(memberList, &listed)) return kExitFailure;

    std::vector<std::string> problems;
    std::map<std::string, std::string> folded;  // folded GBK name -> the file that has it
    std::set<std::string> required = RequiredNames();
    bool ownUninstaller = std::none_of(files.begin(), files.end(), [](const FolderFile& f) { return f.name == kUninstaller; });
    if (ownUninstaller) folded.emplace(kUninstaller, std::string(kUninstaller) + " (the build's own uninstaller)");
    for (const FolderFile& file : files) {
        std::string gbk;
        std::vector<std::string> found = FileProblems(folder, file, &gbk);
        problems.insert(problems.end(), found.begin(), found.end());
        required.erase(file.name);
        if (gbk.empty()) continue;
        auto [earlier, added] = folded.emplace(FoldedName(gbk), file.name);
        if (!added) {
            problems.push_back(folder + "/" + DisplayFileName(file.name) + ": differs from " +
                               DisplayFileName(earlier->second) + " only in letter case; Windows takes them for one file");
        }
    }
    for (const std::string& name : required) {
        problems.push_back(folder + "/" + name + ": missing; the setup program installs it by this name");
    }

    for (const std::string& problem : problems) Complain(problem);
    if (!problems.empty()) {
        Complain(folder + ": cannot be packed into a setup program (" + std::to_string(problems.size()) + " problems)");
        return kExitFailure;
    }
    std::string order = PackingOrder(files, listed);
    std::string error;
    if (!namesOutput.empty() && !WriteFileAtomically(namesOutput, std::vector<unsigned char>(order.begin(), order.end()), &error)) {
        Complain(error);
        return kExitFailure;
    }
    std::printf("%s: %zu files, ready to pack\n", folder.c_str(), files.size());
    return kExitOk;
}
