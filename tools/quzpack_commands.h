// The commands of the quzpack tool; each returns the process exit status.
#pragma once

#include <string>
#include <vector>

// Packs the files in the given order; an argument "@LIST" stands for the paths in the file LIST,
// one a line. Member names are the files' own names in GBK.
int PackCommand(bool plain, const std::string& output, const std::vector<std::string>& inputs);
int ListCommand(const std::string& archive);
int VerifyCommand(const std::string& archive);
int ExtractCommand(const std::string& archive, const std::string& directory);

// Checks that the files of folder can make the payload of a setup program and names every problem on
// standard error. When they can and namesOutput is given, writes the member names there in packing
// order, one a line: the names of memberList (a member list like payload/members.txt; may be empty)
// in its order, the uninstaller among them also when the folder has none (the build adds its own),
// then the folder's other files in bytewise order.
int CheckCommand(const std::string& folder, const std::string& memberList, const std::string& namesOutput);
