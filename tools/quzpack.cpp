// quzpack: packs files into the setup program's archive format, and lists, verifies and extracts
// such archives. Exit status 0 on success, 1 for a bad archive or files that cannot be packed,
// 2 for bad usage.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/quzpack_commands.h"
#include "tools/quzpack_support.h"

namespace {

constexpr char kUsage[] =
    "usage: quzpack pack [--plain] OUT.quz FILE...\n"
    "       quzpack pack [--plain] OUT.quz @LIST\n"
    "       quzpack list ARCHIVE\n"
    "       quzpack verify ARCHIVE\n"
    "       quzpack extract ARCHIVE DIR\n"
    "       quzpack check [--order MEMBER_LIST] [--names OUT] DIR\n"
    "       quzpack --help\n"
    "\n"
    "pack     packs the files in the given order into the digest variant (header \"Q0\": each member\n"
    "         carries the MD5 digest of its data), or with --plain into the plain variant (\"QU\").\n"
    "         @LIST reads the paths from the file LIST, one a line (relative to the current\n"
    "         directory; empty lines are skipped). A member is named after its file, in GBK: the\n"
    "         name must fit 15 bytes (plain variant 13), be writable in GBK and be a bare file name.\n"
    "list     shows each member's compressed and inflated size, stored digest and name.\n"
    "verify   inflates every member and checks its digest, its name and the archive's lengths;\n"
    "         exit status 0 only when all pass.\n"
    "extract  writes every sound member into DIR (created when missing), names as UTF-8.\n"
    "check    checks that the files of DIR can make the payload of a setup program: every member the\n"
    "         setup program names is there (quordel8.exe may be missing: the build adds its own),\n"
    "         a plain file, not empty and not larger than it extracts; the programs whose version it\n"
    "         patches carry the version text; every name can be packed, and no two differ only in\n"
    "         letter case; no sub-directories. One line per problem. --names writes the member\n"
    "         names in packing order to OUT, one a line: those of MEMBER_LIST (as payload/members.txt)\n"
    "         in its order, then the others in bytewise order.\n"
    "\n"
    "exit status: 0 success, 1 a bad archive or a file that cannot be packed, 2 bad usage\n";

int Usage(const std::string& problem) {
    Complain(problem);
    std::fputs(kUsage, stderr);
    return kExitUsage;
}

bool IsOption(const std::string& argument) { return argument.size() > 1 && argument[0] == '-'; }

int Pack(const std::vector<std::string>& arguments) {
    bool plain = false;
    std::size_t next = 0;
    if (next < arguments.size() && arguments[next] == "--plain") {
        plain = true;
        ++next;
    }
    if (next >= arguments.size()) return Usage("pack needs the archive to write");
    std::string output = arguments[next++];
    if (IsOption(output)) return Usage("unknown option " + output);
    std::vector<std::string> inputs(arguments.begin() + static_cast<std::ptrdiff_t>(next), arguments.end());
    for (const std::string& input : inputs) {
        if (IsOption(input)) return Usage("unknown option " + input);
    }
    return PackCommand(plain, output, inputs);
}

int Check(const std::vector<std::string>& arguments) {
    std::string memberList;
    std::string namesOutput;
    std::string folder;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--order" || argument == "--names") {
            if (i + 1 >= arguments.size()) return Usage(argument + " needs a file");
            (argument == "--order" ? memberList : namesOutput) = arguments[++i];
        } else if (IsOption(argument)) {
            return Usage("unknown option " + argument);
        } else if (!folder.empty()) {
            return Usage("check takes one folder");
        } else {
            folder = argument;
        }
    }
    if (folder.empty()) return Usage("check needs a folder");
    return CheckCommand(folder, memberList, namesOutput);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    for (const std::string& argument : arguments) {
        if (argument == "--help" || argument == "-h") {
            std::fputs(kUsage, stdout);
            return kExitOk;
        }
    }
    if (arguments.empty()) return Usage("no command");
    std::string command = arguments.front();
    arguments.erase(arguments.begin());

    if (command == "pack") return Pack(arguments);
    if (command == "list" || command == "verify") {
        if (arguments.size() != 1 || IsOption(arguments[0])) return Usage(command + " needs one archive");
        return command == "list" ? ListCommand(arguments[0]) : VerifyCommand(arguments[0]);
    }
    if (command == "extract") {
        if (arguments.size() != 2 || IsOption(arguments[0]) || IsOption(arguments[1])) {
            return Usage("extract needs an archive and a directory");
        }
        return ExtractCommand(arguments[0], arguments[1]);
    }
    if (command == "check") return Check(arguments);
    return Usage("unknown command " + command);
}
